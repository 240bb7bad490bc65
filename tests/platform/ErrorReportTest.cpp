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
#include <QTest>

using namespace dwfm;
using dwfm::test::ScriptedPrompts;
using dwfm::test::ScriptedSession;

namespace {
const QString kCrLf = QStringLiteral("\r\n");

// Expects one error dialog and hands it to `look` while it is shown, after clicking
// "Details" when asked to; then closes it with OK.
void onErrorDialog(ScriptedPrompts &prompts, std::function<void(frmError &)> look, bool clickDetails = false)
{
    prompts.expectDialog([look, clickDetails](QDialog &dialog) {
        auto &form = dynamic_cast<frmError &>(dialog);
        if (clickDetails)
            form.cmdDetails->click();
        look(form);
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
    onErrorDialog(prompts, [](frmError &form) {
        EXPECT_EQ(form.windowTitle(), QStringLiteral("DwProjectFileManUI"));
        EXPECT_EQ(form.lblMelding->text(), QStringLiteral("Invoer onjuist!\r\nTe kort"));
        EXPECT_EQ(form.imageType(), 3);
        EXPECT_TRUE(form.cmdDetails->isHidden() && form.cmdCopyToClipboard->isHidden() && form.txtDetails->isHidden());
        EXPECT_DOUBLE_EQ(form.heightTwips(), frmError::CollapsedHeight);
        // A short message still gives the minimum width, with OK centred in it.
        EXPECT_DOUBLE_EQ(form.widthTwips(), frmError::MinimumWidth);
        const QRectF ok = Twips::rect(form.cmdOK);
        EXPECT_DOUBLE_EQ(ok.left(), frmError::MinimumWidth / 2 - ok.width() / 2);
    });
    ShowError(QStringLiteral("frmLocatie.cmdOK_Click"), DwError(1, QStringLiteral("Te kort")));
    EXPECT_EQ(prompts.beeps(), 1);
}

// The buttons' layout from the centre is checked with the user's resizing below.
TEST_F(ErrorReportTest, DetailsStateIsRememberedBetweenReports)
{
    ScriptedPrompts prompts;
    onErrorDialog(prompts, [](frmError &form) {
        EXPECT_EQ(form.cmdDetails->text(), QStringLiteral("<< Details"));
        EXPECT_DOUBLE_EQ(form.heightTwips(), frmError::ExpandedHeight);
        EXPECT_TRUE(form.lblMelding->text().endsWith(
            QStringLiteral("\r\n\r\nKlik op de knop details voor meer informatie.")));
        EXPECT_FALSE(form.cmdDetails->isHidden() || form.cmdCopyToClipboard->isHidden() || form.txtDetails->isHidden());
    }, /*clickDetails=*/true);
    ShowError(QStringLiteral("a"), DwError(DwError::DatabaseError, QStringLiteral("eerste")));
    EXPECT_TRUE(frmError::DetailsShown());

    onErrorDialog(prompts, [](frmError &form) {
        EXPECT_DOUBLE_EQ(form.heightTwips(), frmError::ExpandedHeight);
        EXPECT_EQ(form.cmdDetails->text(), QStringLiteral("<< Details"));
    });
    ShowError(QStringLiteral("b"), DwError(53, QStringLiteral("tweede")));

    // A report without details opens collapsed and leaves the remembered state alone.
    onErrorDialog(prompts, [](frmError &form) { EXPECT_DOUBLE_EQ(form.heightTwips(), frmError::CollapsedHeight); });
    ShowError(QStringLiteral("c"), DwError(1, QStringLiteral("invoer")));
    EXPECT_TRUE(frmError::DetailsShown());

    // Collapsing again is remembered too.
    onErrorDialog(prompts, [](frmError &form) {
        EXPECT_EQ(form.cmdDetails->text(), QStringLiteral("Details >>"));
        EXPECT_DOUBLE_EQ(form.heightTwips(), frmError::CollapsedHeight);
    }, /*clickDetails=*/true);
    ShowError(QStringLiteral("d"), DwError(53, QStringLiteral("vierde")));
    EXPECT_FALSE(frmError::DetailsShown());
}

TEST_F(ErrorReportTest, ResizingByTheUserLaysTheDialogOutAgain)
{
    frmError form;
    form.setDetails(QStringLiteral("Procedure = p"));
    form.Form_Load();
    form.Form_Activate();
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    const double margin = 60;
    // A wider dialog, then one narrower than allowed, which goes back to the minimum width.
    for (const auto &[pixels, expected] : {std::pair{Twips::toPixelsX(9000, &form), 9000.0},
                                           std::pair{Twips::toPixelsX(3000, &form), frmError::MinimumWidth}}) {
        form.resize(pixels, form.height());
        const double width = form.widthTwips();
        EXPECT_NEAR(width, expected, Twips::twipsPerPixelX(&form)) << pixels;
        EXPECT_EQ(form.width(), Twips::toPixelsX(width, &form));
        const double okLeft = Twips::rect(form.cmdOK).left();
        EXPECT_NEAR(okLeft, width / 2 - 1275 - margin / 2, Twips::twipsPerPixelX(&form));
        const double detailsLeft = Twips::rect(form.cmdDetails).left();
        EXPECT_NEAR(detailsLeft, okLeft + 1275 + margin, Twips::twipsPerPixelX(&form));
        EXPECT_NEAR(Twips::rect(form.cmdCopyToClipboard).left(), detailsLeft + 1335 + margin, Twips::twipsPerPixelX(&form));
        EXPECT_NEAR(Twips::rect(form.txtDetails).width(), width - 2 * margin, Twips::twipsPerPixelX(&form));
    }
}

TEST_F(ErrorReportTest, CopyPutsTheDetailsOnTheClipboard)
{
    ScriptedPrompts prompts;
    onErrorDialog(prompts, [](frmError &form) { form.cmdCopyToClipboard->click(); });
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
    const ScriptedPrompts::Shown &shown = prompts.shown()[0];
    EXPECT_EQ(shown.text + '|' + shown.title, QStringLiteral("Geen doel folder geselecteerd!|DwProjectFileManUI"));
    EXPECT_TRUE(shown.icon == Prompts::Icon::Critical && shown.buttons == Prompts::Buttons::Ok);
}
