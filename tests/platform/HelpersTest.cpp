#include "platform/ErrorTrap.h"
#include "platform/Settings.h"
#include "platform/TextHelpers.h"
#include "platform/Twips.h"
#include "platform/WindowPlacement.h"
#include "platform/frmError.h"

#include "support/TestHelpers.h"

#include <gtest/gtest.h>

#include <QDialog>
#include <QDir>

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
    // Allowed keys keep their code and case; refused keys become 0.
    const std::pair<qint16, bool> keys[] = {{'a', true},  {'Z', true},  {'0', true},  {'9', true},  {'!', true},
                                            {'@', true},  {'#', true},  {'$', true},  {'%', true},  {8, true},
                                            {13, true},   {27, true},   {' ', false}, {'.', false}, {'-', false},
                                            {'_', false}, {'&', false}};
    for (const auto &[code, allowed] : keys) {
        qint16 key = code;
        EXPECT_EQ(KeyAllowed(key), allowed) << code;
        EXPECT_EQ(key, allowed ? code : 0) << code;
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

    // Names longer than the 31 characters of the old system buffer are shown, not blanked.
    const QString name32(32, QLatin1Char('w')), name60 = QStringLiteral("pc-") + QString(57, QLatin1Char('x'));
    const std::pair<QString, QString> computers[] = {{QStringLiteral("PC01"), QStringLiteral("[PC01]  ")},
                                                     {name32, QStringLiteral("[") + name32 + QStringLiteral("]  ")},
                                                     {name60, QStringLiteral("[") + name60.left(39) + QChar(0x2026) + QStringLiteral("]  ")},
                                                     {QString(), QStringLiteral("[ ]  ")}};
    for (const auto &[computer, text] : computers)
        EXPECT_EQ(ComputerNameText(computer), text) << computer.toStdString();
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
    ScriptedPrompts prompts;
    dwfm::test::expectErrorReport(prompts, QStringLiteral("DwProjectFileManUIGetCurrentProjectID"));
    const int result = TrapErrors(QStringLiteral("DwProjectFileManUIGetCurrentProjectID"),
                                  []() -> int { throw DwError(53, QStringLiteral("weg")); }, -1);
    EXPECT_EQ(result, -1);

    int statementsRun = 0;
    EXPECT_FALSE(SkipOnError([&] { ++statementsRun; throw DwError(5, QString()); }));
    EXPECT_TRUE(SkipOnError([&] { ++statementsRun; }));
    EXPECT_EQ(statementsRun, 2);
}
