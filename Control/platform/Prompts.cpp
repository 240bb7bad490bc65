#include "Prompts.h"

#include "DutchQtTexts.h"

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

namespace dwfm {

Prompts::~Prompts() = default;

namespace {
Prompts *g_installed = nullptr;

QMessageBox::StandardButton toStandard(Prompts::Answer answer)
{
    switch (answer) {
    case Prompts::Answer::Ok: return QMessageBox::Ok;
    case Prompts::Answer::Cancel: return QMessageBox::Cancel;
    case Prompts::Answer::Yes: return QMessageBox::Yes;
    case Prompts::Answer::No: return QMessageBox::No;
    }
    return QMessageBox::Ok;
}
} // namespace

Prompts &prompts()
{
    static QtPrompts qtPrompts;
    if (g_installed)
        return *g_installed;
    // Qt's dialogs speak Dutch like the library's own texts, also in a host without a control.
    UseDutchQtTexts();
    return qtPrompts;
}

void setPrompts(Prompts *installed) { g_installed = installed; }

Prompts::Answer QtPrompts::message(const QString &text, const QString &title, Icon icon,
                                   Buttons buttons, Answer defaultButton)
{
    QMessageBox box;
    box.setWindowTitle(title);
    box.setText(text);
    switch (icon) {
    case Icon::None: box.setIcon(QMessageBox::NoIcon); break;
    case Icon::Critical: box.setIcon(QMessageBox::Critical); break;
    case Icon::Question: box.setIcon(QMessageBox::Question); break;
    case Icon::Warning: box.setIcon(QMessageBox::Warning); break;
    case Icon::Information: box.setIcon(QMessageBox::Information); break;
    }
    switch (buttons) {
    case Buttons::Ok: box.setStandardButtons(QMessageBox::Ok); break;
    case Buttons::OkCancel: box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel); break;
    case Buttons::YesNo: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
    case Buttons::YesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        break;
    }
    box.setDefaultButton(toStandard(defaultButton));
    switch (box.exec()) {
    case QMessageBox::Ok: return Answer::Ok;
    case QMessageBox::Cancel: return Answer::Cancel;
    case QMessageBox::Yes: return Answer::Yes;
    case QMessageBox::No: return Answer::No;
    default: return defaultButton;
    }
}

std::optional<QString> QtPrompts::input(const QString &prompt, const QString &title,
                                        const QString &defaultText)
{
    bool ok = false;
    const QString text =
        QInputDialog::getText(QApplication::activeWindow(), title, prompt, QLineEdit::Normal, defaultText, &ok);
    if (!ok)
        return std::nullopt;
    return text;
}

int QtPrompts::execDialog(QDialog &dialog) { return dialog.exec(); }

QStringList QtPrompts::fileDialog(const FileDialogRequest &request)
{
    QFileDialog dialog(QApplication::activeWindow(), request.title, request.initialFolder, request.filter);
    dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    if (request.save)
        dialog.setFileMode(QFileDialog::AnyFile);
    else
        dialog.setFileMode(request.multiSelect ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
    if (!request.defaultSuffix.isEmpty())
        dialog.setDefaultSuffix(request.defaultSuffix);
    if (!request.initialName.isEmpty())
        dialog.selectFile(request.initialName);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.selectedFiles();
}

std::optional<QString> QtPrompts::folderDialog(const QString &title, QWidget *owner)
{
    const QString folder = QFileDialog::getExistingDirectory(owner, title);
    if (folder.isEmpty())
        return std::nullopt;
    return folder;
}

void QtPrompts::beep() { QApplication::beep(); }

} // namespace dwfm
