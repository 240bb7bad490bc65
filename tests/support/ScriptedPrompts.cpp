#include "ScriptedPrompts.h"

#include <gtest/gtest.h>

#include <QDialog>

namespace dwfm::test {

namespace {
const char *kindName(ScriptedPrompts::Kind kind)
{
    switch (kind) {
    case ScriptedPrompts::Kind::Message: return "message box";
    case ScriptedPrompts::Kind::Input: return "input box";
    case ScriptedPrompts::Kind::Dialog: return "modal dialog";
    case ScriptedPrompts::Kind::FileDialog: return "file dialog";
    case ScriptedPrompts::Kind::FolderDialog: return "folder dialog";
    }
    return "prompt";
}
} // namespace

ScriptedPrompts::ScriptedPrompts() { setPrompts(this); }

ScriptedPrompts::~ScriptedPrompts()
{
    setPrompts(nullptr);
    EXPECT_TRUE(m_queue.empty()) << m_queue.size() << " expected prompt(s) were never shown, the first a "
                                 << kindName(m_queue.front().kind);
}

ScriptedPrompts &ScriptedPrompts::expectMessage(Answer answer)
{
    m_queue.push_back({.kind = Kind::Message, .answer = answer});
    return *this;
}

ScriptedPrompts &ScriptedPrompts::expectInput(std::optional<QString> text)
{
    m_queue.push_back({.kind = Kind::Input, .text = std::move(text)});
    return *this;
}

ScriptedPrompts &ScriptedPrompts::expectDialog(std::function<int(QDialog &)> handler)
{
    m_queue.push_back({.kind = Kind::Dialog, .dialogHandler = std::move(handler)});
    return *this;
}

ScriptedPrompts &ScriptedPrompts::expectFileDialog(QStringList paths,
                                                   std::function<void(const FileDialogRequest &)> check)
{
    m_queue.push_back({.kind = Kind::FileDialog, .paths = std::move(paths), .fileCheck = std::move(check)});
    return *this;
}

ScriptedPrompts &ScriptedPrompts::expectFolderDialog(std::optional<QString> folder)
{
    m_queue.push_back({.kind = Kind::FolderDialog, .text = std::move(folder)});
    return *this;
}

QStringList ScriptedPrompts::messages() const
{
    QStringList texts;
    for (const Shown &shown : m_shown) {
        if (shown.kind == Kind::Message)
            texts << shown.text;
    }
    return texts;
}

std::optional<ScriptedPrompts::Expectation> ScriptedPrompts::take(Shown shown, const QString &what)
{
    const Kind kind = shown.kind;
    m_shown.push_back(std::move(shown));
    if (m_queue.empty() || m_queue.front().kind != kind) {
        ADD_FAILURE() << "Unexpected " << kindName(kind) << " (expected: "
                      << (m_queue.empty() ? "none" : kindName(m_queue.front().kind)) << "): " << what.toStdString();
        return std::nullopt;
    }
    Expectation next = std::move(m_queue.front());
    m_queue.pop_front();
    return next;
}

Prompts::Answer ScriptedPrompts::message(const QString &text, const QString &title, Icon icon,
                                         Buttons buttons, Answer defaultButton)
{
    const auto next = take({Kind::Message, text, title, icon, buttons, defaultButton}, text);
    return next ? next->answer : defaultButton;
}

std::optional<QString> ScriptedPrompts::input(const QString &prompt, const QString &title,
                                              const QString &defaultText)
{
    const auto next =
        take({Kind::Input, prompt, title, Icon::None, Buttons::OkCancel, Answer::Ok, defaultText}, prompt);
    return next ? next->text : std::nullopt;
}

int ScriptedPrompts::execDialog(QDialog &dialog)
{
    const auto next = take({.kind = Kind::Dialog, .title = dialog.windowTitle(), .dialogName = dialog.objectName()},
                           dialog.objectName() + QStringLiteral(" \"") + dialog.windowTitle() + '"');
    if (!next)
        return QDialog::Rejected;
    return next->dialogHandler ? next->dialogHandler(dialog) : QDialog::Accepted;
}

QStringList ScriptedPrompts::fileDialog(const FileDialogRequest &request)
{
    const auto next = take({.kind = Kind::FileDialog, .title = request.title, .buttons = Buttons::OkCancel,
                            .defaultText = request.initialName},
                           request.title);
    if (next && next->fileCheck)
        next->fileCheck(request);
    return next ? next->paths : QStringList();
}

std::optional<QString> ScriptedPrompts::folderDialog(const QString &title, QWidget *)
{
    const auto next = take({.kind = Kind::FolderDialog, .title = title, .buttons = Buttons::OkCancel}, title);
    return next ? next->text : std::nullopt;
}

} // namespace dwfm::test
