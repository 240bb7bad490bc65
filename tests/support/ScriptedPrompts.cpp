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
    m_queue.push_back({Kind::Message, answer, {}, {}, {}, {}});
    return *this;
}

ScriptedPrompts &ScriptedPrompts::expectInput(std::optional<QString> text)
{
    m_queue.push_back({Kind::Input, Answer::Ok, std::move(text), {}, {}, {}});
    return *this;
}

ScriptedPrompts &ScriptedPrompts::expectDialog(std::function<int(QDialog &)> handler)
{
    m_queue.push_back({Kind::Dialog, Answer::Ok, {}, {}, std::move(handler), {}});
    return *this;
}

ScriptedPrompts &ScriptedPrompts::expectFileDialog(QStringList paths,
                                                   std::function<void(const FileDialogRequest &)> check)
{
    m_queue.push_back({Kind::FileDialog, Answer::Ok, {}, std::move(paths), {}, std::move(check)});
    return *this;
}

ScriptedPrompts &ScriptedPrompts::expectFolderDialog(std::optional<QString> folder)
{
    m_queue.push_back({Kind::FolderDialog, Answer::Ok, std::move(folder), {}, {}, {}});
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

std::optional<ScriptedPrompts::Expectation> ScriptedPrompts::take(Kind kind, const QString &what)
{
    if (m_queue.empty()) {
        ADD_FAILURE() << "Unexpected " << kindName(kind) << ": " << what.toStdString();
        return std::nullopt;
    }
    if (m_queue.front().kind != kind) {
        ADD_FAILURE() << "Expected a " << kindName(m_queue.front().kind) << " but a " << kindName(kind)
                      << " was shown: " << what.toStdString();
        return std::nullopt;
    }
    Expectation next = std::move(m_queue.front());
    m_queue.pop_front();
    return next;
}

Prompts::Answer ScriptedPrompts::message(const QString &text, const QString &title, Icon icon,
                                         Buttons buttons, Answer defaultButton)
{
    m_shown.push_back({Kind::Message, text, title, icon, buttons, defaultButton, {}, {}});
    const auto next = take(Kind::Message, text);
    return next ? next->answer : defaultButton;
}

std::optional<QString> ScriptedPrompts::input(const QString &prompt, const QString &title,
                                              const QString &defaultText)
{
    m_shown.push_back({Kind::Input, prompt, title, Icon::None, Buttons::OkCancel, Answer::Ok, defaultText, {}});
    const auto next = take(Kind::Input, prompt);
    return next ? next->text : std::nullopt;
}

int ScriptedPrompts::execDialog(QDialog &dialog)
{
    m_shown.push_back({Kind::Dialog, {}, dialog.windowTitle(), Icon::None, Buttons::Ok, Answer::Ok, {},
                       dialog.objectName()});
    const auto next = take(Kind::Dialog, dialog.objectName() + QStringLiteral(" \"") + dialog.windowTitle() + '"');
    if (!next)
        return QDialog::Rejected;
    return next->dialogHandler ? next->dialogHandler(dialog) : QDialog::Accepted;
}

QStringList ScriptedPrompts::fileDialog(const FileDialogRequest &request)
{
    m_shown.push_back({Kind::FileDialog, {}, request.title, Icon::None, Buttons::OkCancel, Answer::Ok,
                       request.initialName, {}});
    const auto next = take(Kind::FileDialog, request.title);
    if (!next)
        return {};
    if (next->fileCheck)
        next->fileCheck(request);
    return next->paths;
}

std::optional<QString> ScriptedPrompts::folderDialog(const QString &title, QWidget *)
{
    m_shown.push_back({Kind::FolderDialog, {}, title, Icon::None, Buttons::OkCancel, Answer::Ok, {}, {}});
    const auto next = take(Kind::FolderDialog, title);
    return next ? next->text : std::nullopt;
}

} // namespace dwfm::test
