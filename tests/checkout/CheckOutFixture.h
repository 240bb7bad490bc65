#pragma once

#include "support/ScriptedPrompts.h"
#include "support/ScriptedSession.h"

#include <gtest/gtest.h>

#include <QDialog>
#include <QDir>

#include <memory>

namespace dwfm::test {

// A file in a folder, with the platform's separator.
inline QString inFolder(const QString &folder, const QString &name) { return folder + QDir::separator() + name; }

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
        const auto withPath = [this](const char *name) {
            return [this, name](const QString &path, qint32 id) {
                events << QStringLiteral("%1(%2, %3)").arg(name, path).arg(id);
            };
        };
        if constexpr (requires { &Source::FileOpen; })
            QObject::connect(source, &Source::FileOpen, withPath("FileOpen"));
        if constexpr (requires { &Source::FileCheckOut; })
            QObject::connect(source, &Source::FileCheckOut, withPath("FileCheckOut"));
        if constexpr (requires { &Source::FileCheckIn; })
            QObject::connect(source, &Source::FileCheckIn,
                             [this](qint32 id) { events << QStringLiteral("FileCheckIn(%1)").arg(id); });
    }

    // The arguments of every call of `operation`, one "a,b,c" per call.
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

    // Expects the error dialog once; `details` receives its detail text, which names the
    // reporting procedure.
    void expectErrorDialog(QString &details)
    {
        prompts.expectDialog([&details](QDialog &dialog) {
            EXPECT_EQ(dialog.objectName(), QStringLiteral("frmError"));
            if (QObject *text = dialog.findChild<QObject *>(QStringLiteral("txtDetails")))
                details = text->property("plainText").toString();
            return 0;
        });
    }

    std::shared_ptr<ScriptedSession> session = std::make_shared<ScriptedSession>();
    ScriptedPrompts prompts;
    QStringList events;
};

} // namespace dwfm::test
