#include "platform/ErrorTrap.h"
#include "platform/Settings.h"
#include "platform/TextHelpers.h"
#include "platform/Twips.h"
#include "platform/WindowPlacement.h"
#include "platform/frmError.h"

#include "support/ScriptedPrompts.h"

#include <gtest/gtest.h>

#include <QDialog>
#include <QDir>
#include <QLabel>

using namespace dwfm;
using dwfm::test::ScriptedPrompts;

TEST(FileNameValid, LengthLimitIs253)
{
    ScriptedPrompts prompts;
    EXPECT_TRUE(FileNameValid(QString(253, QLatin1Char('a'))));
    prompts.expectMessage();
    const QString tooLong(254, QLatin1Char('a'));
    EXPECT_FALSE(FileNameValid(tooLong));
    EXPECT_EQ(prompts.messages().value(0), QStringLiteral("Bestandsnaam is te lang!\r\n\r\n") + tooLong);
    EXPECT_EQ(prompts.shown()[0].icon, Prompts::Icon::None);
    EXPECT_EQ(prompts.shown()[0].title, QStringLiteral("DwProjectFileManUI"));
}

TEST(FileNameValid, EachForbiddenCharacterIsRefusedButWildcardsPass)
{
    ScriptedPrompts prompts;
    for (const QChar c : QStringLiteral("<>:/\\|\"")) {
        prompts.expectMessage();
        const QString name = QStringLiteral("rap") + c + QStringLiteral("port.doc");
        EXPECT_FALSE(FileNameValid(name)) << QString(c).toStdString();
        EXPECT_EQ(prompts.messages().last(), QStringLiteral("Bestandsnaam bevat ongeldige karakters!\r\n\r\n") + name);
    }
    EXPECT_TRUE(FileNameValid(QStringLiteral("wat*is?dit.txt")));
}

TEST(KeyAllowed, LettersDigitsFiveSignsAndControlKeys)
{
    for (const char c : {'a', 'Z', '0', '9', '!', '@', '#', '$', '%'}) {
        qint16 key = qint16(c);
        EXPECT_TRUE(KeyAllowed(key)) << c;
        EXPECT_EQ(key, qint16(c)) << "an allowed key keeps its case";
    }
    for (const qint16 control : {qint16(8), qint16(13), qint16(27)}) {
        qint16 key = control;
        EXPECT_TRUE(KeyAllowed(key));
        EXPECT_EQ(key, control);
    }
    for (const char c : {' ', '.', '-', '_', '&'}) {
        qint16 key = qint16(c);
        EXPECT_FALSE(KeyAllowed(key)) << c;
        EXPECT_EQ(key, 0);
    }
}

TEST(TextHelpers, KeysAndPaths)
{
    EXPECT_EQ(StripLastChar(QStringLiteral("1234P")), QStringLiteral("1234"));
    EXPECT_EQ(StripLastChar(QStringLiteral("P")), QString());
    EXPECT_EQ(StripLastChar(QString()), QString());
    EXPECT_EQ(NullToEmpty(QVariant()), QString());
    EXPECT_EQ(NullToEmpty(QVariant(42)), QStringLiteral("42"));

    const QString sep = QDir::separator();
    EXPECT_EQ(AddBackslash(QString()), QString());
    EXPECT_EQ(AddBackslash(QStringLiteral("/srv/store")), QStringLiteral("/srv/store") + sep);
    EXPECT_EQ(AddBackslash(QStringLiteral("/srv/store/")), QStringLiteral("/srv/store/"));
    EXPECT_EQ(RemoveTrailingBackslash(QStringLiteral("/srv/store/")), QStringLiteral("/srv/store"));
    EXPECT_EQ(RemoveTrailingBackslash(QStringLiteral("/srv/store")), QStringLiteral("/srv/store"));
    EXPECT_EQ(RemoveTrailingBackslash(QString()), QString());
}

TEST(WindowPlacement, NormalDialogWritesFiveKeysAndRestoresThem)
{
    QDialog form;
    form.setObjectName(QStringLiteral("frmSaveAsDialog"));
    form.setGeometry(30, 40, 400, 300);
    SaveWindowPosition(form);

    auto settings = UserSettings();
    settings->beginGroup(QStringLiteral("Windows"));
    EXPECT_EQ(settings->value(QStringLiteral("frmSaveAsDialogLeft")).toString(), QString::number(float(Twips::toTwipsX(30, &form))));
    EXPECT_EQ(settings->value(QStringLiteral("frmSaveAsDialogWidth")).toFloat(), float(Twips::toTwipsX(400, &form)));
    EXPECT_EQ(settings->value(QStringLiteral("frmSaveAsDialogHeigth")).toFloat(), float(Twips::toTwipsY(300, &form)));
    EXPECT_FALSE(settings->contains(QStringLiteral("frmSaveAsDialogHeight")));
    EXPECT_EQ(settings->value(QStringLiteral("frmSaveAsDialogState")).toString(), QStringLiteral("0"));
    settings->endGroup();

    QDialog again;
    again.setObjectName(QStringLiteral("frmSaveAsDialog"));
    EXPECT_TRUE(RestoreWindowPosition(again));
    EXPECT_EQ(again.size(), QSize(400, 300));
    EXPECT_EQ(again.pos(), QPoint(30, 40));
}

TEST(WindowPlacement, MaximisedWritesOnlyTheStateAndFirstRestoreGivesNothing)
{
    QDialog fresh;
    fresh.setObjectName(QStringLiteral("frmNieuw"));
    fresh.resize(200, 100);
    EXPECT_FALSE(RestoreWindowPosition(fresh)) << "nothing stored yet: zero size asked for";
    EXPECT_EQ(fresh.pos(), QPoint(0, 0));

    QDialog form;
    form.setObjectName(QStringLiteral("frmGroot"));
    form.setWindowState(Qt::WindowMaximized);
    SaveWindowPosition(form);
    auto settings = UserSettings();
    settings->beginGroup(QStringLiteral("Windows"));
    EXPECT_EQ(settings->childKeys().filter(QStringLiteral("frmGroot")), QStringList{QStringLiteral("frmGrootState")});
    EXPECT_EQ(settings->value(QStringLiteral("frmGrootState")).toInt(), 2);
}

TEST(ErrorTrap, TrapReportsWithTheProcedureNameAndReturnsTheNeutralResult)
{
    frmError::setDetailsShown(false);
    ScriptedPrompts prompts;
    QString reported;
    prompts.expectDialog([&](QDialog &dialog) {
        reported = dialog.findChild<QLabel *>(QStringLiteral("lblMelding"))->text();
        return int(QDialog::Accepted);
    });
    const int result = TrapErrors(QStringLiteral("DwProjectFileManUIGetCurrentProjectID"),
                                  []() -> int { throw DwError(53, QStringLiteral("weg")); }, -1);
    EXPECT_EQ(result, -1);
    EXPECT_TRUE(reported.startsWith(QStringLiteral("Er is een fout opgetreden!")));

    int statementsRun = 0;
    EXPECT_FALSE(SkipOnError([&] { ++statementsRun; throw DwError(5, QString()); }));
    EXPECT_TRUE(SkipOnError([&] { ++statementsRun; }));
    EXPECT_EQ(statementsRun, 2);
}
