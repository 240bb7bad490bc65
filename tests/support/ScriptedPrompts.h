#pragma once

#include "platform/Prompts.h"
#include "QtPrinters.h"

#include <QString>
#include <QStringList>

#include <deque>
#include <functional>
#include <optional>
#include <vector>

namespace dwfm::test {

// Prompts for tests: every prompt must have been expected. Each expectation answers one
// prompt, in order; a prompt nobody expected fails the running test. Every prompt shown is
// recorded with its text, title, icon and buttons.
class ScriptedPrompts : public Prompts {
public:
    enum class Kind { Message, Input, Dialog, FileDialog, FolderDialog };

    struct Shown {
        Kind kind;
        QString text;
        QString title;
        Icon icon = Icon::None;
        Buttons buttons = Buttons::Ok;
        Answer defaultButton = Answer::Ok;
        QString defaultText;
        QString dialogName; // object name of a modal dialog
    };

    ScriptedPrompts();  // installs itself
    ~ScriptedPrompts() override; // uninstalls; fails the test when expectations are left

    // Answers the next message box with `answer`.
    ScriptedPrompts &expectMessage(Answer answer = Answer::Ok);
    // Answers the next input box with `text` (nothing = Cancel).
    ScriptedPrompts &expectInput(std::optional<QString> text);
    // Handles the next modal dialog: `handler` may inspect and drive it, and answers the
    // dialog's result code.
    ScriptedPrompts &expectDialog(std::function<int(QDialog &)> handler);
    ScriptedPrompts &expectFileDialog(QStringList paths, std::function<void(const FileDialogRequest &)> check = {});
    ScriptedPrompts &expectFolderDialog(std::optional<QString> folder);

    const std::vector<Shown> &shown() const { return m_shown; }
    // Texts of the message boxes shown, in order.
    QStringList messages() const;
    int beeps() const { return m_beeps; }
    std::size_t pending() const { return m_queue.size(); }

    Answer message(const QString &text, const QString &title, Icon icon, Buttons buttons,
                   Answer defaultButton) override;
    std::optional<QString> input(const QString &prompt, const QString &title,
                                 const QString &defaultText) override;
    int execDialog(QDialog &dialog) override;
    QStringList fileDialog(const FileDialogRequest &request) override;
    std::optional<QString> folderDialog(const QString &title, QWidget *owner) override;
    void beep() override { ++m_beeps; }

private:
    struct Expectation {
        Kind kind;
        Answer answer = Answer::Ok;
        std::optional<QString> text;
        QStringList paths;
        std::function<int(QDialog &)> dialogHandler;
        std::function<void(const FileDialogRequest &)> fileCheck;
    };
    // Records what was shown and takes the next expectation, which must be of its kind.
    std::optional<Expectation> take(Shown shown, const QString &what);

    std::deque<Expectation> m_queue;
    std::vector<Shown> m_shown;
    int m_beeps = 0;
};

} // namespace dwfm::test
