// The check-out and check-in work dialogs, driven as the control drives them.
#include "CheckOutFixture.h"

#include "checkout/frmCheckInProject.h"
#include "checkout/frmCheckOutForm.h"
#include "platform/DwError.h"
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

using Phase = CheckWorkDialog::Phase;

QStringList results(const CheckWorkDialog &dialog)
{
    QStringList texts;
    for (int row = 0; row < dialog.items()->rowCount(); ++row)
        texts << dialog.resultText(row);
    return texts;
}

// Which of the buttons and the busy bar are on, as one string.
QString visibleControls(const CheckWorkDialog &dialog)
{
    QStringList on;
    for (const QWidget *w : {static_cast<QWidget *>(dialog.cmdOK), static_cast<QWidget *>(dialog.cmdAnnuleren),
                             static_cast<QWidget *>(dialog.cmdSluiten), static_cast<QWidget *>(dialog.eBar)}) {
        if (!w->isHidden())
            on << w->objectName();
    }
    return on.join(QLatin1Char(' '));
}

class WorkDialogs : public CheckOutFixture {
protected:
    const QString folder = QStringLiteral("/home/anna/werk/offertes");
};

TEST_F(WorkDialogs, LoadedDialogsShowTheirDesignAndStartReady)
{
    frmCheckOutForm out;
    frmCheckInProject in;
    EXPECT_EQ(out.windowTitle(), QStringLiteral("Bewerken projecten"));
    EXPECT_EQ(in.windowTitle(), QStringLiteral("Terugzetten projecten"));
    EXPECT_EQ(out.cmdOK->text(), QStringLiteral("&Bewerken"));
    EXPECT_EQ(in.cmdOK->text(), QStringLiteral("&Terugzetten"));
    for (CheckWorkDialog *dialog : {static_cast<CheckWorkDialog *>(&out), static_cast<CheckWorkDialog *>(&in)}) {
        QAbstractItemModelTester tester(dialog->items(), QAbstractItemModelTester::FailureReportingMode::Fatal);
        dialog->Form_Load();
        EXPECT_EQ(Twips::rect(dialog), QRectF(0, 0, 7110, 4125));
        QStringList columns;
        for (int c = 0; c < CheckWorkDialog::ColumnCount; ++c) {
            columns << dialog->columnKey(c) + QLatin1Char('=') +
                           dialog->items()->headerData(c, Qt::Horizontal).toString();
            EXPECT_EQ(dialog->lvOverzicht->header()->sectionSize(c), Twips::toPixelsX(1500, dialog->lvOverzicht));
        }
        EXPECT_EQ(columns.join(QLatin1Char(' ')),
                  QStringLiteral("project=Project projectdir=Bron bestanddir=Doel ophalen=Resultaat"));
        // "Sluiten" takes the place of "Annuleren" when the work is done.
        EXPECT_EQ(Twips::rect(dialog->cmdSluiten), Twips::rect(dialog->cmdAnnuleren));
        EXPECT_EQ(dialog->phase(), Phase::Ready);
        EXPECT_EQ(visibleControls(*dialog), QStringLiteral("cmdOK cmdAnnuleren"));
        EXPECT_TRUE(dialog->txtOmschrijving->toPlainText().isEmpty());
        EXPECT_FALSE(dialog->OKPressed);
    }
}

TEST_F(WorkDialogs, SetDataTakesItemCountRowsUnselectedAndRefusesShortArrays)
{
    frmCheckOutForm dialog;
    dialog.ItemCount = 2;
    dialog.SetData({QStringLiteral("a.doc"), QStringLiteral("b.doc"), QStringLiteral("c.doc")},
                   {QStringLiteral("11P"), QStringLiteral("12P"), QStringLiteral("13P")});
    ASSERT_EQ(dialog.items()->rowCount(), 2);
    EXPECT_EQ(dialog.rowText(1), QStringLiteral("b.doc"));
    EXPECT_FALSE(dialog.lvOverzicht->selectionModel()->hasSelection());

    frmCheckInProject shortData;
    shortData.ItemCount = 3;
    try {
        shortData.SetData({QStringLiteral("a.doc")}, {QStringLiteral("11P"), QStringLiteral("12P")});
        FAIL() << "short arrays were accepted";
    } catch (const DwError &error) {
        EXPECT_EQ(error.number(), 9);
    }
    EXPECT_EQ(shortData.items()->rowCount(), 0);
}

TEST_F(WorkDialogs, ThreeFilesSecondRefusedGiveTwoEventsInListOrder)
{
    frmCheckOutForm dialog;
    record(&dialog);
    // Each event must come before the next file is asked for.
    QList<int> checkOutsAtEvent;
    QObject::connect(&dialog, &frmCheckOutForm::FileCheckOut,
                     [&] { checkOutsAtEvent << session->count(QStringLiteral("CheckOutProject")); });
    session->on(QStringLiteral("CheckOutProject"), [](const QVariantList &args) { return args[0].toInt() != 12; });
    session->answer(QStringLiteral("GetProjectLocalFolder"), folder);

    dialog.Form_Load();
    dialog.ItemCount = 3;
    dialog.SetData({QStringLiteral("a.doc"), QStringLiteral("b.doc"), QStringLiteral("c.doc")},
                   {QStringLiteral("11P"), QStringLiteral("12P"), QStringLiteral("13P")});
    dialog.txtOmschrijving->setPlainText(QStringLiteral("prijzen bijwerken"));
    dialog.AutoCheckOut();

    EXPECT_EQ(results(dialog), (QStringList{"OK", "Mislukt!", "OK"}));
    EXPECT_EQ(events, (QStringList{QStringLiteral("FileCheckOut(%1, 11)").arg(inFolder(folder, "a.doc")),
                                   QStringLiteral("FileCheckOut(%1, 13)").arg(inFolder(folder, "c.doc"))}));
    EXPECT_EQ(checkOutsAtEvent, (QList<int>{1, 3}));
    EXPECT_EQ(argsOf(QStringLiteral("CheckOutProject")),
              (QStringList{"11,prijzen bijwerken", "12,prijzen bijwerken", "13,prijzen bijwerken"}));
    EXPECT_EQ(argsOf(QStringLiteral("GetProjectLocalFolder")), (QStringList{"11", "13"}));
    EXPECT_TRUE(dialog.OKPressed);
    EXPECT_EQ(dialog.phase(), Phase::Done);
    EXPECT_EQ(visibleControls(dialog), QStringLiteral("cmdSluiten"));
    EXPECT_FALSE(dialog.txtOmschrijving->isEnabled());
}

class WorkingCopyPath : public WorkDialogs, public ::testing::WithParamInterface<std::pair<QString, QString>> {};

TEST_P(WorkingCopyPath, IsTheLocalFolderWithOneSeparatorAndTheRowText)
{
    const auto &[localFolder, expected] = GetParam();
    frmCheckOutForm dialog;
    dialog.OpenAfterCheckOut = true;
    record(&dialog);
    session->answer(QStringLiteral("CheckOutProject"), true);
    session->answer(QStringLiteral("GetProjectLocalFolder"), localFolder);
    dialog.ItemCount = 1;
    dialog.SetData({QStringLiteral("plan.xls")}, {QStringLiteral("7P")});
    dialog.AutoCheckOut();
    EXPECT_EQ(events, QStringList{QStringLiteral("FileOpen(%1, 7)").arg(expected)});
}

INSTANTIATE_TEST_SUITE_P(
    LocalFolders, WorkingCopyPath,
    ::testing::Values(std::pair{QStringLiteral("/w/docs"), QStringLiteral("/w/docs") + QDir::separator() + "plan.xls"},
                      std::pair{QStringLiteral("/w/docs") + QDir::separator(),
                                QStringLiteral("/w/docs") + QDir::separator() + "plan.xls"},
                      std::pair{QString(), QStringLiteral("plan.xls")}));

TEST_F(WorkDialogs, AnErrorHalfWayEndsTheLoopAndIsReportedUnderTheDialogsName)
{
    frmCheckOutForm dialog;
    record(&dialog);
    session->on(QStringLiteral("CheckOutProject"), [](const QVariantList &args) -> ScriptedSession::Reply {
        if (args[0].toInt() == 12)
            throw DwError(DwError::DatabaseError, QStringLiteral("verbinding verbroken"));
        return true;
    });
    session->answer(QStringLiteral("GetProjectLocalFolder"), folder);
    QString details;
    expectErrorDialog(prompts, details);

    dialog.ItemCount = 3;
    dialog.SetData({QStringLiteral("a.doc"), QStringLiteral("b.doc"), QStringLiteral("c.doc")},
                   {QStringLiteral("11P"), QStringLiteral("12P"), QStringLiteral("13P")});
    dialog.AutoCheckOut();

    EXPECT_TRUE(details.contains(QStringLiteral("Procedure = frmCheckOutForm.AutoCheckOut"))) << details.toStdString();
    EXPECT_TRUE(details.contains(QStringLiteral("verbinding verbroken")));
    EXPECT_EQ(events, QStringList{QStringLiteral("FileCheckOut(%1, 11)").arg(inFolder(folder, "a.doc"))});
    EXPECT_EQ(session->count(QStringLiteral("CheckOutProject")), 2);
    EXPECT_EQ(results(dialog), (QStringList{"OK", "", ""}));
    // The work stopped where it was: still busy, no "Sluiten".
    EXPECT_EQ(dialog.phase(), Phase::Working);
    EXPECT_EQ(visibleControls(dialog), QStringLiteral("eBar"));
}

TEST_F(WorkDialogs, CheckInSendsTrueWithEveryFileAndRaisesOnlyForReturnedFiles)
{
    frmCheckInProject dialog;
    record(&dialog);
    session->on(QStringLiteral("CheckInProject"), [](const QVariantList &args) { return args[0].toInt() == 22; });
    dialog.ItemCount = 2;
    dialog.SetData({QStringLiteral("a.doc"), QStringLiteral("b.doc")}, {QStringLiteral("21P"), QStringLiteral("22P")});
    dialog.AutoCheckIn();

    EXPECT_EQ(results(dialog), (QStringList{"Mislukt!", "OK"}));
    EXPECT_EQ(events, QStringList{QStringLiteral("FileCheckIn(22)")});
    EXPECT_EQ(argsOf(QStringLiteral("CheckInProject")), (QStringList{"21,,true", "22,,true"}));
    EXPECT_EQ(visibleControls(dialog), QStringLiteral("cmdSluiten"));
}

TEST_F(WorkDialogs, CheckInErrorIsReportedUnderItsOwnName)
{
    frmCheckInProject dialog;
    record(&dialog);
    QString details;
    expectErrorDialog(prompts, details);
    // A key without a number stops the work before the store is asked.
    dialog.ItemCount = 1;
    dialog.SetData({QStringLiteral("a.doc")}, {QStringLiteral("xP")});
    dialog.AutoCheckIn();
    EXPECT_TRUE(details.contains(QStringLiteral("Procedure = frmCheckInProject.AutoCheckIn"))) << details.toStdString();
    EXPECT_EQ(session->count(QStringLiteral("CheckInProject")), 0);
    EXPECT_TRUE(events.isEmpty());
}

TEST_F(WorkDialogs, ShownDialogRowClickLeavesNothingSelectedAndCancelClearsOk)
{
    frmCheckOutForm dialog;
    dialog.ItemCount = 2;
    dialog.SetData({QStringLiteral("a.doc"), QStringLiteral("b.doc")}, {QStringLiteral("11P"), QStringLiteral("12P")});
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    QTreeView *list = dialog.lvOverzicht;
    const QRect row = list->visualRect(dialog.items()->index(1, 0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row.center());
    EXPECT_FALSE(list->selectionModel()->hasSelection());

    dialog.OKPressed = true;
    QTest::mouseClick(dialog.cmdAnnuleren, Qt::LeftButton);
    EXPECT_FALSE(dialog.OKPressed);
    EXPECT_TRUE(dialog.isHidden());
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
}

} // namespace
} // namespace dwfm::test
