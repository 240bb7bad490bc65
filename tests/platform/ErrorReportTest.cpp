#include "platform/ErrorReport.h"
#include "platform/Twips.h"
#include "platform/frmError.h"

#include "support/ScriptedPrompts.h"
#include "support/ScriptedSession.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

using namespace dwfm;
using dwfm::test::ScriptedPrompts;
using dwfm::test::ScriptedSession;

namespace {
const QString kCrLf = QStringLiteral("\r\n");

// What the error dialog looked like while it was shown.
struct DialogSnapshot {
    QString title;
    QString message;
    QString details;
    qint32 icon = 0;
    double width = 0;
    double height = 0;
    bool detailsButtonShown = false;
    bool copyButtonShown = false;
    bool detailsBoxShown = false;
    QString detailsCaption;
    double okLeft = 0;
    double okWidth = 0;
};

// Expects one error dialog, records it, and optionally clicks "Details" before closing.
void expectErrorDialog(ScriptedPrompts &prompts, DialogSnapshot &snapshot, bool clickDetails = false)
{
    prompts.expectDialog([&snapshot, clickDetails](QDialog &dialog) {
        auto &form = dynamic_cast<frmError &>(dialog);
        if (clickDetails)
            form.cmdDetails->click();
        snapshot.title = form.windowTitle();
        snapshot.message = form.lblMelding->text();
        snapshot.details = form.txtDetails->toPlainText();
        snapshot.icon = form.imageType();
        snapshot.width = form.widthTwips();
        snapshot.height = form.heightTwips();
        snapshot.detailsButtonShown = !form.cmdDetails->isHidden();
        snapshot.copyButtonShown = !form.cmdCopyToClipboard->isHidden();
        snapshot.detailsBoxShown = !form.txtDetails->isHidden();
        snapshot.detailsCaption = form.cmdDetails->text();
        snapshot.okLeft = Twips::rect(form.cmdOK).left();
        snapshot.okWidth = Twips::rect(form.cmdOK).width();
        form.cmdOK->click();
        return int(QDialog::Accepted);
    });
}

class ErrorReportTest : public ::testing::Test {
protected:
    void SetUp() override { frmError::setDetailsShown(false); }
};
} // namespace

TEST_F(ErrorReportTest, ClassesGiveTheirTextsAndIcons)
{
    const ErrorClassification restriction =
        ClassifyError(DwError::IntegrityViolation, QStringLiteral("FK fout"), QStringLiteral("frmX.Save"));
    EXPECT_EQ(restriction.errorClass, ErrorClassification::Restriction);
    EXPECT_TRUE(restriction.message.startsWith(
        QStringLiteral("De huidige actie kan niet worden uitgevoerd wegens restricties in de database!") + kCrLf));
    EXPECT_EQ(restriction.message.count(kCrLf), 2);
    // The restriction class names no number.
    EXPECT_EQ(restriction.details, QStringLiteral("Procedure = frmX.Save\r\nError = FK fout"));

    const ErrorClassification database =
        ClassifyError(DwError::DatabaseError, QStringLiteral("syntax"), QStringLiteral("modMain.FileNameValid"));
    EXPECT_EQ(database.errorClass, ErrorClassification::Database);
    EXPECT_EQ(database.message, QStringLiteral("Er is een Databasefout opgetreden!\r\nNoteer deze informatie of maak "
                                               "een schermafdruk als u contact opneemt met de support afdeling."));
    EXPECT_EQ(database.details,
              QStringLiteral("Procedure = modMain.FileNameValid\r\nError = -2147217900: syntax"));

    const ErrorClassification input = ClassifyError(1, QStringLiteral("Naam ontbreekt"), QStringLiteral("p"));
    EXPECT_EQ(input.errorClass, ErrorClassification::Input);
    EXPECT_EQ(input.message, QStringLiteral("Invoer onjuist!\r\nNaam ontbreekt"));
    EXPECT_TRUE(input.details.isEmpty());
    EXPECT_EQ(input.icon, 3);

    const ErrorClassification general = ClassifyError(53, QStringLiteral("Bestand niet gevonden"), QString());
    EXPECT_EQ(general.errorClass, ErrorClassification::General);
    EXPECT_TRUE(general.message.startsWith(QStringLiteral("Er is een fout opgetreden!\r\n")));
    EXPECT_EQ(general.details, QStringLiteral("Applicatie versie: ") + LibraryVersion() +
                                   QStringLiteral("\r\nProcedure = \r\nError = 53: Bestand niet gevonden"));
    EXPECT_EQ(general.icon, 1);

    EXPECT_EQ(ClassifyError(0, QStringLiteral("x"), QStringLiteral("p")).errorClass, ErrorClassification::None);
}

TEST_F(ErrorReportTest, InputErrorShowsWarningWithoutDetailsCentredAndCollapsed)
{
    ScriptedPrompts prompts;
    DialogSnapshot shown;
    expectErrorDialog(prompts, shown);
    ShowError(QStringLiteral("frmLocatie.cmdOK_Click"), DwError(1, QStringLiteral("Te kort")));

    EXPECT_EQ(shown.title, QStringLiteral("DwProjectFileManUI"));
    EXPECT_EQ(shown.message, QStringLiteral("Invoer onjuist!\r\nTe kort"));
    EXPECT_EQ(shown.icon, 3);
    EXPECT_FALSE(shown.detailsButtonShown);
    EXPECT_FALSE(shown.copyButtonShown);
    EXPECT_FALSE(shown.detailsBoxShown);
    EXPECT_DOUBLE_EQ(shown.height, frmError::CollapsedHeight);
    // A short message still gives the minimum width, with OK centred in it.
    EXPECT_DOUBLE_EQ(shown.width, frmError::MinimumWidth);
    EXPECT_DOUBLE_EQ(shown.okLeft, frmError::MinimumWidth / 2 - shown.okWidth / 2);
    EXPECT_EQ(prompts.beeps(), 1);
}

TEST_F(ErrorReportTest, DetailsStateIsRememberedBetweenReports)
{
    ScriptedPrompts prompts;
    DialogSnapshot first, second, withoutDetails, third;
    expectErrorDialog(prompts, first, /*clickDetails=*/true);
    expectErrorDialog(prompts, second);
    expectErrorDialog(prompts, withoutDetails);
    expectErrorDialog(prompts, third, /*clickDetails=*/true);

    ShowError(QStringLiteral("a"), DwError(DwError::DatabaseError, QStringLiteral("eerste")));
    EXPECT_EQ(first.detailsCaption, QStringLiteral("<< Details"));
    EXPECT_DOUBLE_EQ(first.height, frmError::ExpandedHeight);
    EXPECT_TRUE(first.message.endsWith(QStringLiteral("\r\n\r\nKlik op de knop details voor meer informatie.")));
    EXPECT_TRUE(first.detailsButtonShown && first.copyButtonShown && first.detailsBoxShown);
    EXPECT_TRUE(frmError::DetailsShown());

    ShowError(QStringLiteral("b"), DwError(53, QStringLiteral("tweede")));
    EXPECT_DOUBLE_EQ(second.height, frmError::ExpandedHeight);
    EXPECT_EQ(second.detailsCaption, QStringLiteral("<< Details"));

    // A report without details opens collapsed and leaves the remembered state alone.
    ShowError(QStringLiteral("c"), DwError(1, QStringLiteral("invoer")));
    EXPECT_DOUBLE_EQ(withoutDetails.height, frmError::CollapsedHeight);
    EXPECT_TRUE(frmError::DetailsShown());

    // Collapsing again is remembered too.
    ShowError(QStringLiteral("d"), DwError(53, QStringLiteral("vierde")));
    EXPECT_EQ(third.detailsCaption, QStringLiteral("Details >>"));
    EXPECT_DOUBLE_EQ(third.height, frmError::CollapsedHeight);
    EXPECT_FALSE(frmError::DetailsShown());
}

TEST_F(ErrorReportTest, ButtonsAreLaidOutFromTheCentreWhenDetailsShow)
{
    ScriptedPrompts prompts;
    double okLeft = 0, detailsLeft = 0, copyLeft = 0, width = 0, detailsWidth = 0;
    prompts.expectDialog([&](QDialog &dialog) {
        auto &form = dynamic_cast<frmError &>(dialog);
        width = form.widthTwips();
        okLeft = Twips::rect(form.cmdOK).left();
        detailsLeft = Twips::rect(form.cmdDetails).left();
        copyLeft = Twips::rect(form.cmdCopyToClipboard).left();
        detailsWidth = Twips::rect(form.txtDetails).width();
        return int(QDialog::Accepted);
    });
    ShowError(QStringLiteral("p"), DwError(DwError::DatabaseError, QStringLiteral("d")));
    const double margin = 60;
    EXPECT_GE(width, frmError::MinimumWidth);
    EXPECT_DOUBLE_EQ(okLeft, width / 2 - 1275 - margin / 2);
    EXPECT_DOUBLE_EQ(detailsLeft, okLeft + 1275 + margin);
    EXPECT_DOUBLE_EQ(copyLeft, detailsLeft + 1335 + margin);
    EXPECT_DOUBLE_EQ(detailsWidth, width - 2 * margin);
}

TEST_F(ErrorReportTest, CopyPutsTheDetailsOnTheClipboard)
{
    ScriptedPrompts prompts;
    prompts.expectDialog([](QDialog &dialog) {
        dynamic_cast<frmError &>(dialog).cmdCopyToClipboard->click();
        return int(QDialog::Accepted);
    });
    QApplication::clipboard()->setText(QStringLiteral("oud"));
    ShowError(QStringLiteral("frmX.Y"), DwError(DwError::IntegrityViolation, QStringLiteral("beperking")));
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("Procedure = frmX.Y\r\nError = beperking"));
}

TEST_F(ErrorReportTest, NoPendingErrorHandsOverToTheSessionOnce)
{
    ScriptedPrompts prompts; // any dialog would fail the test
    ShowError(QStringLiteral("p")); // no session yet: returns quietly

    auto session = std::make_shared<ScriptedSession>();
    SessionRegistry::setCurrent(session);
    ShowError(QStringLiteral("p"), DwError(0, QString()));
    EXPECT_EQ(session->count(QStringLiteral("ReportLastError")), 1);
    SessionRegistry::setCurrent(nullptr);
}

TEST_F(ErrorReportTest, ImageChoiceFallsBackToTheErrorIcon)
{
    frmError form;
    for (qint32 type : {1, 2, 3, 4}) {
        form.SetImage(type);
        EXPECT_EQ(form.imageType(), type);
        EXPECT_FALSE(form.Image1->pixmap().isNull());
    }
    form.SetImage(9);
    EXPECT_EQ(form.imageType(), 1);
}

TEST_F(ErrorReportTest, CriticalMessageUsesTheStopSymbolAndTheLibraryTitle)
{
    ScriptedPrompts prompts;
    prompts.expectMessage();
    ShowCriticalMessage(QStringLiteral("Geen doel folder geselecteerd!"));
    ASSERT_EQ(prompts.shown().size(), 1u);
    EXPECT_EQ(prompts.shown()[0].text, QStringLiteral("Geen doel folder geselecteerd!"));
    EXPECT_EQ(prompts.shown()[0].title, QStringLiteral("DwProjectFileManUI"));
    EXPECT_EQ(prompts.shown()[0].icon, Prompts::Icon::Critical);
    EXPECT_EQ(prompts.shown()[0].buttons, Prompts::Buttons::Ok);
}
