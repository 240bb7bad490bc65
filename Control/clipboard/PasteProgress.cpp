#include "PasteProgress.h"

#include "platform/ErrorReport.h"

#include <QProgressDialog>

namespace dwfm {

namespace {
PasteProgress *g_installed = nullptr;
} // namespace

PasteProgress::~PasteProgress() = default;

PasteProgress &pasteProgress()
{
    static QtPasteProgress dialog;
    return g_installed ? *g_installed : dialog;
}

void setPasteProgress(PasteProgress *progress) { g_installed = progress; }

QtPasteProgress::QtPasteProgress() = default;
QtPasteProgress::~QtPasteProgress() = default;

void QtPasteProgress::start(int total, QWidget *owner)
{
    m_dialog = std::make_unique<QProgressDialog>(QStringLiteral("Bestanden plakken..."), QStringLiteral("Stoppen"),
                                                 0, total, owner);
    m_dialog->setWindowTitle(ApplicationTitle());
    m_dialog->setWindowModality(Qt::WindowModal);
    // A short paste ends before the dialog would appear.
    m_dialog->setMinimumDuration(700);
    m_dialog->setAutoClose(false);
    m_dialog->setAutoReset(false);
    m_dialog->setValue(0);
}

bool QtPasteProgress::advance(int done)
{
    if (!m_dialog)
        return true;
    m_dialog->setValue(done);
    return !m_dialog->wasCanceled();
}

void QtPasteProgress::finish() { m_dialog.reset(); }

} // namespace dwfm
