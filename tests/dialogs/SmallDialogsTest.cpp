#include "dialogs/SaveAsLayout.h"
#include "dialogs/frmCommonForm.h"
#include "dialogs/frmDirectorySelectie.h"

#include "support/ScriptedPrompts.h"

#include <gtest/gtest.h>

#include <QColorDialog>
#include <QComboBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeView>

using namespace dwfm;
using dwfm::test::ScriptedPrompts;

TEST(SaveAsLayout, FillsTheRoomAndKeepsASizeThatWouldTurnNegative)
{
    using R = QRectF;
    const auto all = [](const SaveAsLayout::Rects &r) {
        return QList<QRectF>{r.txtCurrentLocation, r.DwBestandsBeheer1, r.Label2, r.txtBestandsNaam, r.cmdOK, r.cmdAnnuleren};
    };
    // At 1000 x 500 the location field, the file manager's height and the name field keep
    // their sizes; the buttons move off to the left.
    const std::tuple<double, double, QList<QRectF>> cases[] = {
        {8940, 4230, {R(1980, 60, 6900, 315), R(60, 480, 8820, 3315), R(120, 3875, 1215, 255), R(1320, 3855, 5040, 315),
                      R(6420, 3855, 1200, 315), R(7680, 3855, 1200, 315)}},
        {1000, 500, {R(1980, 60, 6135, 315), R(60, 480, 880, 2895), R(120, 3455, 1215, 255), R(1320, 3435, 4215, 315),
                     R(-1520, 3435, 1200, 315), R(-260, 3435, 1200, 315)}},
    };
    for (const auto &[W, H, expected] : cases)
        EXPECT_EQ(all(SaveAsLayout::arrange(SaveAsLayout::designed(), W, H)), expected) << W << " x " << H;
}

TEST(frmDirectorySelectie, OkOnlyAfterAFolderClickOrADriveChange)
{
    QTemporaryDir dir;
    for (const bool click : {true, false}) {
        frmDirectorySelectie form;
        form.setDirectory(dir.path());
        form.setDirectory(QString()); // leaves the folder list where it is
        EXPECT_EQ(form.currentPath(), dir.path());
        EXPECT_FALSE(form.cmdOK->isEnabled());
        if (click)
            emit form.dirBox->clicked(form.dirBox->currentIndex());
        else
            form.DriveBox_Change(0);
        EXPECT_TRUE(form.cmdOK->isEnabled());
        form.cmdOK_Click();
        EXPECT_TRUE(form.Resultaat());
        EXPECT_EQ(form.Directory(), click ? dir.path() : form.DriveBox->itemData(0).toString());
        form.cmdAnnuleren_Click();
        EXPECT_FALSE(form.Resultaat());
        EXPECT_EQ(form.Directory(), QString());
    }
}

TEST(frmCommonForm, OutcomesOfTheSystemDialogs)
{
    ScriptedPrompts prompts;
    frmCommonForm form;
    form.SetFileMask(QStringLiteral("Tekst (*.txt)|*.txt;*.text|Alle bestanden (*.*)|*.*"));
    prompts.expectFileDialog({QStringLiteral("/map/brief.txt")}, [](const Prompts::FileDialogRequest &request) {
        EXPECT_EQ(request.filter, QStringLiteral("Tekst (*.txt *.text);;Alle bestanden (*)"));
    });
    form.ShowFileOpen(1440, 720);
    EXPECT_EQ(form.pos(), QPoint(form.logicalDpiX(), form.logicalDpiY() / 2));
    EXPECT_EQ(form.GetFileNaam(), QStringLiteral("/map/brief.txt"));
    EXPECT_TRUE(form.Confirmed);
    EXPECT_FALSE(form.Cancelled);

    prompts.expectFileDialog({});
    form.ShowFileOpen(0, 0); // centred
    EXPECT_NE(form.pos(), QPoint(0, 0));
    EXPECT_TRUE(form.Cancelled);

    // Colours go in and out as 0x00BBGGRR.
    form.Cancelled = form.Confirmed = false;
    form.SetColor(0x00336699);
    prompts.expectDialog([](QDialog &dialog) {
        auto &colors = static_cast<QColorDialog &>(dialog);
        EXPECT_EQ(colors.currentColor(), QColor(0x99, 0x66, 0x33));
        colors.setCurrentColor(QColor(1, 2, 3));
        colors.accept();
        return int(QDialog::Accepted);
    });
    form.ShowColor(0, 0);
    EXPECT_EQ(form.GetColor(), 0x00030201);
    EXPECT_TRUE(form.Confirmed);
    prompts.expectDialog([](QDialog &) { return int(QDialog::Rejected); });
    form.ShowColor(0, 0);
    EXPECT_TRUE(form.Cancelled);

    // The printer dialog's cancel is no cancel for the caller.
    form.Cancelled = form.Confirmed = false;
    prompts.expectDialog([](QDialog &) { return int(QDialog::Rejected); });
    form.ShowPrint(0, 0, true);
    EXPECT_TRUE(form.Confirmed);
    EXPECT_FALSE(form.Cancelled);
}
