// The clipboard text reader: any text is read without crashing, and a text it takes for a
// list says the same when the list is written out again from what was read.
#include "clipboard/ClipboardList.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using namespace dwfm;
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    const std::optional<ClipboardList::Parsed> parsed = ClipboardList::parseClipboardText(text);
    if (!parsed)
        return 0;
    if (!text.startsWith(QLatin1String(parsed->move ? ClipboardList::CutWord : ClipboardList::CopyWord)))
        std::abort();
    QString again = QLatin1String(parsed->move ? ClipboardList::CutWord : ClipboardList::CopyWord) + QLatin1Char('?');
    for (const ClipboardList::Entry &e : parsed->entries) {
        if (e.locationID.isEmpty() || e.locationID != e.locationID.trimmed())
            std::abort();
        again += e.locationID + QLatin1Char(';') + QString::number(e.projectID) + QLatin1Char('|');
    }
    const std::optional<ClipboardList::Parsed> reread = ClipboardList::parseClipboardText(again);
    if (!reread || reread->move != parsed->move || reread->entries.size() != parsed->entries.size())
        std::abort();
    for (size_t i = 0; i < parsed->entries.size(); ++i) {
        if (reread->entries[i].locationID != parsed->entries[i].locationID
            || reread->entries[i].projectID != parsed->entries[i].projectID)
            std::abort();
    }
    return 0;
}
