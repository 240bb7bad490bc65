#pragma once

#include <QString>

#include <memory>

class QProgressDialog;
class QWidget;

namespace dwfm {

// The progress of a paste of many files, with a way for the user to stop it between two
// files. The product shows a progress dialog (QtPasteProgress); tests install a scripted
// one that stops where they ask.
class PasteProgress {
public:
    virtual ~PasteProgress();

    // A paste of `total` files begins.
    virtual void start(int total, QWidget *owner) = 0;
    // `done` files are handled; answers False when the user asked to stop.
    virtual bool advance(int done) = 0;
    // The paste has ended (also after a stop or a failure).
    virtual void finish() = 0;
};

// The progress of the process. Until a host or a test installs its own, the dialog.
PasteProgress &pasteProgress();
// Installs `progress` (not owned; null returns to the dialog).
void setPasteProgress(PasteProgress *progress);

// A modal progress dialog that appears when the paste takes more than a moment.
class QtPasteProgress : public PasteProgress {
public:
    QtPasteProgress();
    ~QtPasteProgress() override;

    void start(int total, QWidget *owner) override;
    bool advance(int done) override;
    void finish() override;

private:
    std::unique_ptr<QProgressDialog> m_dialog;
};

} // namespace dwfm
