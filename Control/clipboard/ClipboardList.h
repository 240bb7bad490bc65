#pragma once

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace dwfm {

// The list of files that cut and copy put on the system clipboard, as plain text: the mode
// word "DwF_Copy" or "DwF_Cut", "?", then per file its location ID, ";", its file ID and
// "|" ("DwF_Copy?12;345|12;346|"). The clipboard holds nothing else: another instance of
// the control pastes such a list the same way.
namespace ClipboardList {

inline constexpr char CopyWord[] = "DwF_Copy";
inline constexpr char CutWord[] = "DwF_Cut";

// One file of the list, with both IDs as the text they were written as (blanks removed).
struct Entry {
    QString locationID;
    qint32 projectID = 0;
};

struct Parsed {
    bool move = false; // a cut list
    std::vector<Entry> entries;
};

// The clipboard text for these file-row keys ("345P"), taken from the location with this
// tree-node key ("12C"). Without a node or without rows only the mode word and "?".
QString writeClipboardText(const QString &modeWord, const std::optional<QString> &nodeKey,
                                              const QStringList &rowKeys);

// Reads a clipboard text. Only a whole, well-formed list is a list: another program's
// text, a damaged list or a list with an ID that is no 32-bit number gives nothing, so
// nothing is ever pasted from it. "DwF_Copy?" alone is a list without files.
std::optional<Parsed> parseClipboardText(const QString &text);
// Reads the files part of a list (what follows "?"), with the same care.
std::optional<std::vector<Entry>> parseFileList(QStringView list);

} // namespace ClipboardList

} // namespace dwfm
