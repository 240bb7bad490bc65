#pragma once

#include "ScriptedPrompts.h"
#include "ScriptedSession.h"

#include "core/FileManUI.h"
#include "list/FileListModel.h"

#include <QAbstractItemView>
#include <QDir>
#include <QObject>

#include <memory>
#include <vector>

namespace dwfm::test {

// A file in a folder, with the platform's separator.
inline QString inFolder(const QString &folder, const QString &name) { return folder + QDir::separator() + name; }

// A file list row with key "<id>P" and the given tag.
inline FileListRow listRow(qint32 id, const QString &name, qint32 tag = 0)
{
    return FileListRow{QString::number(id) + QLatin1Char('P'), name, {}, {}, tag, {}};
}

// Selects these rows of a view (after clearing the selection) and makes the first current.
void selectRows(QAbstractItemView *view, const std::vector<int> &rows);

// Resizes and shows the control without its overlay; false when the window never appeared.
[[nodiscard]] bool showUncovered(FileManUI &control, int width = 800, int height = 500);

// Expects the error dialog once and checks that its details name the reporting procedure.
void expectErrorReport(ScriptedPrompts &prompts, const QString &procedure);

// A scripted session as the process's current session for as long as this lives.
struct CurrentSession {
    std::shared_ptr<ScriptedSession> session = std::make_shared<ScriptedSession>();
    CurrentSession();
    ~CurrentSession();
    ScriptedSession *operator->() const { return session.get(); }
};

// One log of the events FileOpen, FileCheckOut and FileCheckIn of any source that has them,
// each as "Name(path, id)" or "FileCheckIn(id)", in the order they came.
struct EventLog : QStringList {
    template <typename Source>
    void record(Source *source)
    {
        const auto withPath = [this](const char *name) {
            return [this, name](const QString &path, qint32 id) {
                *this << QStringLiteral("%1(%2, %3)").arg(name, path).arg(id);
            };
        };
        if constexpr (requires { &Source::FileOpen; })
            QObject::connect(source, &Source::FileOpen, withPath("FileOpen"));
        if constexpr (requires { &Source::FileCheckOut; })
            QObject::connect(source, &Source::FileCheckOut, withPath("FileCheckOut"));
        if constexpr (requires { &Source::FileCheckIn; })
            QObject::connect(source, &Source::FileCheckIn,
                             [this](qint32 id) { *this << QStringLiteral("FileCheckIn(%1)").arg(id); });
    }
};

} // namespace dwfm::test
