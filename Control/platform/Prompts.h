#pragma once

#include "DwExport.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

class QDialog;
class QWidget;

namespace dwfm {

// Every message box, question, input box, modal dialog and file or folder dialog of the
// library goes through this seam. The product shows real Qt dialogs (QtPrompts); tests
// install a scripted implementation that answers from a queue.
class DWFILEMANUI_EXPORT Prompts {
public:
    enum class Icon { None, Critical, Question, Warning, Information };
    enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel };
    enum class Answer { Ok, Cancel, Yes, No };

    struct FileDialogRequest {
        QString title;
        QString filter;        // Qt filter text, e.g. "Alle bestanden (*.*)"
        QString initialFolder;
        QString initialName;
        QString defaultSuffix;
        bool save = false;
        bool multiSelect = false;
    };

    virtual ~Prompts();

    // A message box; answers the button pressed (the default button when the box was
    // closed otherwise).
    virtual Answer message(const QString &text, const QString &title, Icon icon, Buttons buttons,
                           Answer defaultButton) = 0;
    // An input box; the typed text, or nothing when cancelled.
    virtual std::optional<QString> input(const QString &prompt, const QString &title,
                                         const QString &defaultText) = 0;
    // Runs a dialog of the library modally and answers its result code.
    virtual int execDialog(QDialog &dialog) = 0;
    // The system file dialog; the chosen full paths in the order the dialog gave them,
    // empty when cancelled.
    virtual QStringList fileDialog(const FileDialogRequest &request) = 0;
    // The folder dialog; the chosen folder, or nothing when cancelled.
    virtual std::optional<QString> folderDialog(const QString &title, QWidget *owner) = 0;
    // The system beep.
    virtual void beep() = 0;
};

// The prompts of the process. Until a host or a test installs its own, the Qt dialogs.
DWFILEMANUI_EXPORT Prompts &prompts();
// Installs `prompts` (not owned; null returns to the Qt dialogs).
DWFILEMANUI_EXPORT void setPrompts(Prompts *prompts);

// Shows real dialogs.
class DWFILEMANUI_EXPORT QtPrompts : public Prompts {
public:
    Answer message(const QString &text, const QString &title, Icon icon, Buttons buttons,
                   Answer defaultButton) override;
    std::optional<QString> input(const QString &prompt, const QString &title,
                                 const QString &defaultText) override;
    int execDialog(QDialog &dialog) override;
    QStringList fileDialog(const FileDialogRequest &request) override;
    std::optional<QString> folderDialog(const QString &title, QWidget *owner) override;
    void beep() override;
};

} // namespace dwfm
