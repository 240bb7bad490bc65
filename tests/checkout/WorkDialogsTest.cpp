// The check-out and check-in work dialogs, driven as the control drives them.
#include "CheckOutFixture.h"

#include "checkout/frmCheckInProject.h"
#include "checkout/frmCheckOutForm.h"
#include "DwError.h"
#include "platform/Twips.h"

#include <QAbstractItemModelTester>
#include <QHeaderView>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTest>
#include <QTreeView>

namespace dwfm::test {
namespace {

const QStringList kNames{"a.doc", "b.doc", "c.doc"};
const QStringList kKeys{"11P", "12P", "13P"};
const QString kFolder = QStringLiteral("/home/anna/werk");

// The result column and which buttons and bar are on, as one string.
QString outcome(const CheckWorkDialog &dialog)
{
    QStringList parts;
    for (int row = 0; row < dialog.items()->rowCount(); ++row)
        parts << dialog.resultText(row);
    const QWidget *controls[] = {dialog.cmdOK, dialog.cmdAnnuleren, dialog.cmdSluiten, dialog.eBar};
    for (const QWidget *w : controls) {
        if (!w->isHidden())
            parts << w->objectName();
    }
    return parts.join(QLatin1Char('|'));
}

// Gives the dialog the first `count` of the three files.
template <typename Dialog>
void fill(Dialog &dialog, int count)
{
    dialog.ItemCount = count;
    dialog.SetData(kNames, kKeys);
}

using WorkDialogs = CheckOutFixture;

TEST_F(WorkDialogs, LoadAndSetDataGiveReadyDialogWithUnselectedRows)
{
    frmCheckOutForm dialog;
    QAbstractItemModelTester tester(dialog.items(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    dialog.Form_Load();
    QStringList columns;
    for (int c = 0; c < CheckWorkDialog::ColumnCount; ++c) {
        columns << dialog.columnKey(c);
        EXPECT_EQ(dialog.lvOverzicht->header()->sectionSize(c), Twips::toPixelsX(1500, dialog.lvOverzicht));
    }
    EXPECT_EQ(columns, (QStringList{"project", "projectdir", "bestanddir", "ophalen"}));
    fill(dialog, 2);
    EXPECT_EQ(dialog.items()->rowCount(), 2);
    EXPECT_FALSE(dialog.lvOverzicht->selectionModel()->hasSelection());
    EXPECT_EQ(outcome(dialog), QStringLiteral("||cmdOK|cmdAnnuleren"));

    frmCheckInProject shortData;
    shortData.ItemCount = 3;
    EXPECT_THROW(shortData.SetData(kNames.mid(0, 1), kKeys), DwError);
    EXPECT_EQ(shortData.items()->rowCount(), 0);
}

TEST_F(WorkDialogs, ThreeFilesSecondRefusedGiveTwoEventsInListOrder)
{
    frmCheckOutForm dialog;
    events.record(&dialog);
    QList<int> checkOutsAtEvent; // each event comes before the next file is asked for
    QObject::connect(&dialog, &frmCheckOutForm::FileCheckOut,
                     [&] { checkOutsAtEvent << session->count(QStringLiteral("CheckOutProject")); });
    session->on(QStringLiteral("CheckOutProject"), [](const QVariantList &args) { return args[0].toInt() != 12; });
    session->answer(QStringLiteral("GetProjectLocalFolder"), kFolder);
    fill(dialog, 3);
    dialog.txtOmschrijving->setPlainText(QStringLiteral("prijzen"));
    dialog.AutoCheckOut();

    EXPECT_EQ(outcome(dialog), QStringLiteral("OK|Mislukt!|OK|cmdSluiten"));
    EXPECT_EQ(events, (QStringList{QStringLiteral("FileCheckOut(%1, 11)").arg(inFolder(kFolder, "a.doc")),
                                   QStringLiteral("FileCheckOut(%1, 13)").arg(inFolder(kFolder, "c.doc"))}));
    EXPECT_EQ(checkOutsAtEvent, (QList<int>{1, 3}));
    EXPECT_EQ(session->argsOf(QStringLiteral("CheckOutProject")),
              (QStringList{"11,prijzen", "12,prijzen", "13,prijzen"}));
    EXPECT_TRUE(dialog.OKPressed);
    EXPECT_FALSE(dialog.txtOmschrijving->isEnabled());
}

TEST_F(WorkDialogs, WorkingCopyPathIsTheLocalFolderWithOneSeparatorAndTheRowText)
{
    session->answer(QStringLiteral("CheckOutProject"), true);
    const std::pair<QString, QString> cases[] = {{kFolder, inFolder(kFolder, "plan.xls")},
                                                 {kFolder + QDir::separator(), inFolder(kFolder, "plan.xls")},
                                                 {QString(), QStringLiteral("plan.xls")}};
    for (const auto &[folder, expected] : cases) {
        frmCheckOutForm dialog;
        dialog.OpenAfterCheckOut = true;
        events.clear();
        events.record(&dialog);
        session->answer(QStringLiteral("GetProjectLocalFolder"), folder);
        dialog.ItemCount = 1;
        dialog.SetData({QStringLiteral("plan.xls")}, {QStringLiteral("7P")});
        dialog.AutoCheckOut();
        EXPECT_EQ(events, QStringList{QStringLiteral("FileOpen(%1, 7)").arg(expected)}) << folder.toStdString();
    }
}

TEST_F(WorkDialogs, CheckInSendsTrueAndRaisesOnlyForReturnedFiles)
{
    frmCheckInProject dialog;
    events.record(&dialog);
    session->on(QStringLiteral("CheckInProject"), [](const QVariantList &args) { return args[0].toInt() == 12; });
    fill(dialog, 2);
    dialog.AutoCheckIn();
    EXPECT_EQ(outcome(dialog), QStringLiteral("Mislukt!|OK|cmdSluiten"));
    EXPECT_EQ(events, QStringList{QStringLiteral("FileCheckIn(12)")});
    EXPECT_EQ(session->argsOf(QStringLiteral("CheckInProject")), (QStringList{"11,,true", "12,,true"}));

    // A key without a number stops the work before the store is asked.
    frmCheckInProject badKey;
    expectErrorReport(prompts, QStringLiteral("frmCheckInProject.AutoCheckIn"));
    badKey.ItemCount = 1;
    badKey.SetData(kNames, {QStringLiteral("xP")});
    badKey.AutoCheckIn();
    EXPECT_EQ(session->count(QStringLiteral("CheckInProject")), 2);
}

TEST_F(WorkDialogs, ShownDialogRowClickLeavesNothingSelectedAndCancelClearsOk)
{
    frmCheckOutForm dialog;
    fill(dialog, 2);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    QTreeView *list = dialog.lvOverzicht;
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(dialog.items()->index(1, 0)).center());
    EXPECT_FALSE(list->selectionModel()->hasSelection());

    dialog.OKPressed = true;
    QTest::mouseClick(dialog.cmdAnnuleren, Qt::LeftButton);
    EXPECT_FALSE(dialog.OKPressed);
    EXPECT_TRUE(dialog.isHidden());
}

} // namespace
} // namespace dwfm::test
