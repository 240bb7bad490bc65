#pragma once

#include "support/ScriptedPrompts.h"
#include "support/ScriptedSession.h"

#include <gtest/gtest.h>

#include <QDialog>
#include <QDir>
#include <QObject>
#include <QStringList>

#include <memory>

namespace dwfm::test {

// A scripted session as the process's session, prompts that must all be expected, and one
// log of the events raised, in the order they came.
class CheckOutFixture : public ::testing::Test {
protected:
    void SetUp() override { SessionRegistry::setCurrent(session); }
    void TearDown() override { SessionRegistry::setCurrent(nullptr); }

    // Logs FileOpen, FileCheckOut and FileCheckIn of `source` (whichever it has).
    template <typename Source>
    void record(Source *source)
    {
        if constexpr (requires { &Source::FileOpen; }) {
            QObject::connect(source, &Source::FileOpen, [this](const QString &path, qint32 id) {
                events << QStringLiteral("FileOpen(%1, %2)").arg(path).arg(id);
            });
        }
        if constexpr (requires { &Source::FileCheckOut; }) {
            QObject::connect(source, &Source::FileCheckOut, [this](const QString &path, qint32 id) {
                events << QStringLiteral("FileCheckOut(%1, %2)").arg(path).arg(id);
            });
        }
        if constexpr (requires { &Source::FileCheckIn; }) {
            QObject::connect(source, &Source::FileCheckIn,
                             [this](qint32 id) { events << QStringLiteral("FileCheckIn(%1)").arg(id); });
        }
    }

    // The arguments of every call of `operation`, one string per call.
    QStringList argsOf(const QString &operation) const
    {
        QStringList calls;
        for (const auto &call : session->callsOf(operation)) {
            QStringList args;
            for (const QVariant &arg : call.args)
                args << arg.toString();
            calls << args.join(QLatin1Char(','));
        }
        return calls;
    }

    // A working folder and a file in it, with the platform's separator.
    static QString inFolder(const QString &folder, const QString &name) { return folder + QDir::separator() + name; }

    std::shared_ptr<ScriptedSession> session = std::make_shared<ScriptedSession>();
    ScriptedPrompts prompts;
    QStringList events;
};

// Expects the error dialog once, and keeps its detail text (which names the procedure).
inline void expectErrorDialog(ScriptedPrompts &prompts, QString &details)
{
    prompts.expectDialog([&details](QDialog &dialog) {
        EXPECT_EQ(dialog.objectName(), QStringLiteral("frmError"));
        if (auto *text = dialog.findChild<QObject *>(QStringLiteral("txtDetails")))
            details = text->property("plainText").toString();
        return 0;
    });
}

} // namespace dwfm::test
