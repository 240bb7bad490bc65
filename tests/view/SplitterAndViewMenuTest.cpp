// The splitters dragged with the mouse and the view menu's toggles, on a real control.
#include "support/TestHelpers.h"

#include "platform/Twips.h"
#include "view/ControlView.h"
#include "view/SplitterHandle.h"
#include "view/ViewMenu.h"
#include "core/FileManUIInternals.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <QStatusBar>
#include <QTest>
#include <QTextBrowser>
#include <QTreeView>

using namespace dwfm;

namespace {
class ShownControl : public ::testing::Test {
protected:
    void SetUp() override
    {
        control.HeaderLabelsVisible = true;
        control.StatusBarVisible = true;
        control.FileInfoVisible = true;
        ASSERT_TRUE(dwfm::test::showUncovered(control));
    }

    ViewLayout &layout() { return viewOf(control).layout(); }
    ViewMenu &menu() { return viewOf(control).viewMenu(); }
    double W() { return Twips::toTwipsX(control.width(), &control); }
    double H() { return Twips::toTwipsY(control.height(), &control); }
    QRectF rectOf(const QWidget *widget) { return Twips::rect(widget); }

    FileManUI control;
};
} // namespace

TEST_F(ShownControl, VerticalSplitterDragMovesOnlyTheBarUntilRelease)
{
    QWidget *handle = layout().imgSplitter;
    const QRectF treeBefore = rectOf(control.tvTreeView);
    const QRectF image = rectOf(handle);

    QTest::mousePress(handle, Qt::LeftButton, {}, QPoint(1, 20));
    EXPECT_TRUE(layout().isMoving());
    EXPECT_TRUE(layout().picSplitter->isVisible());
    EXPECT_EQ(rectOf(layout().picSplitter), QRectF(image.left(), image.top(), 25, image.height() - 20));

    QTest::mouseMove(handle, QPoint(-2000, 20));
    EXPECT_EQ(layout().barLeft(), 500);
    QTest::mouseMove(handle, QPoint(5000, 20));
    EXPECT_EQ(layout().barLeft(), W() - 500);
    QTest::mouseMove(handle, QPoint(-2000, 20));
    EXPECT_EQ(rectOf(control.tvTreeView), treeBefore);
    EXPECT_EQ(rectOf(handle), image);

    QTest::mouseRelease(handle, Qt::LeftButton, {}, QPoint(-2000, 20));
    EXPECT_FALSE(layout().isMoving());
    EXPECT_FALSE(layout().picSplitter->isVisible());
    // The bar stopped at 500, the layout still keeps the tree at its minimum width.
    EXPECT_EQ(rectOf(handle).left(), 1500);
    EXPECT_EQ(layout().barLeft(), 1500);
    EXPECT_EQ(rectOf(control.tvTreeView).width(), 1450);
    EXPECT_EQ(rectOf(control.lvListView).left(), 1550);
    EXPECT_EQ(control.tvTreeView->width(), Twips::toPixelsX(1450, &control));
}

TEST_F(ShownControl, HorizontalSplitterDragSetsTheListHeight)
{
    QWidget *handle = layout().imgSplitterVertical;
    ASSERT_TRUE(handle->isVisible());
    QTest::mousePress(handle, Qt::LeftButton, {}, QPoint(30, 1));
    EXPECT_TRUE(layout().isMoving());
    EXPECT_EQ(rectOf(layout().picSplitterVertical).height(), 25);

    QTest::mouseMove(handle, QPoint(30, 3000));
    EXPECT_EQ(layout().barTop(), H() - 2000);
    QTest::mouseRelease(handle, Qt::LeftButton, {}, QPoint(30, 3000));

    EXPECT_FALSE(layout().isMoving());
    EXPECT_FALSE(layout().picSplitterVertical->isVisible());
    EXPECT_EQ(rectOf(handle).top(), H() - 2000);
    EXPECT_EQ(rectOf(control.lvListView).bottom(), H() - 2000);
    EXPECT_EQ(rectOf(control.WebBrowser).top(), H() - 2000 + 50);
}

TEST_F(ShownControl, ResizeKeepsTheSplitWithinTheNewSize)
{
    layout().setVerticalSplit(6000);
    layout().UserControl_Resize();
    EXPECT_EQ(rectOf(layout().imgSplitter).left(), 6000);
    control.resize(300, 500);
    EXPECT_EQ(rectOf(layout().imgSplitter).left(), W() - 1500);
}

TEST_F(ShownControl, ViewEntriesHideAndRestoreTheirPanes)
{
    emit menu().menu()->aboutToShow();
    EXPECT_TRUE(menu().mnuWeergaveMappen->isChecked());
    menu().mnuWeergaveMappen->trigger();
    EXPECT_TRUE(control.HideLocations);
    EXPECT_FALSE(control.tvTreeView->isVisible());
    EXPECT_FALSE(layout().imgSplitter->isVisible());
    EXPECT_EQ(rectOf(control.lvListView).left(), 0);
    menu().mnuWeergaveMappen->trigger();
    EXPECT_FALSE(control.HideLocations);
    EXPECT_TRUE(control.tvTreeView->isVisible());
    EXPECT_EQ(rectOf(control.lvListView).left(), 1550);

    menu().mnuWeergaveVoorbeeld->trigger();
    EXPECT_FALSE(control.FileInfoVisible);
    EXPECT_FALSE(control.WebBrowser->isVisible());
    EXPECT_EQ(rectOf(control.lvListView).bottom(), rectOf(control.tvTreeView).bottom());

    menu().mnuWeergaveStatusBalk->trigger();
    EXPECT_FALSE(control.StatusBarVisible);
    EXPECT_FALSE(control.StatusBar->isVisible());
    EXPECT_EQ(rectOf(control.tvTreeView).bottom(), H());

    menu().mnuWeergaveKopTekst->trigger();
    EXPECT_FALSE(control.HeaderLabelsVisible);
    EXPECT_FALSE(layout().picTitles->isVisible());
    EXPECT_EQ(rectOf(control.tvTreeView).top(), 20);

    menu().mnuWeergaveKnoppenBalk->trigger();
    EXPECT_TRUE(control.ToolbarVisible);
    EXPECT_TRUE(layout().picToolbar->isVisible());
    EXPECT_GT(rectOf(control.lvListView).top(), 20);

    // "Bestanden" has no handler.
    menu().mnuWeergaveBestanden->trigger();
    EXPECT_FALSE(control.HideLocations);
    EXPECT_TRUE(control.lvListView->isVisible());
}

TEST_F(ShownControl, HostMenuFollowsTheFieldsAndToggles)
{
    QMenu *host = control.createViewMenu(&control);
    auto entry = [host](const char *name) { return host->findChild<QAction *>(QString::fromLatin1(name)); };
    control.StatusBarVisible = false;
    emit host->aboutToShow();
    EXPECT_FALSE(entry("mnuWeergaveStatusBalk")->isChecked());
    EXPECT_TRUE(entry("mnuWeergaveMappen")->isChecked());
    EXPECT_EQ(entry("mnuWeergaveBestanden"), nullptr);

    entry("mnuWeergaveStatusBalk")->trigger();
    EXPECT_TRUE(control.StatusBarVisible);
    EXPECT_TRUE(control.StatusBar->isVisible());
}

TEST(ViewLayoutOverlay, CoveredControlLaysOutOnlyTheOverlay)
{
    FileManUI control;
    control.resize(600, 400);
    control.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&control));
    ASSERT_TRUE(control.isOverlayShown());
    const QRectF tree = Twips::rect(control.tvTreeView);
    control.resize(700, 450);
    EXPECT_EQ(control.Frame1->size(), QSize(700, 450));
    EXPECT_EQ(Twips::rect(control.tvTreeView), tree);
    control.HideOverlay();
    EXPECT_NE(Twips::rect(control.tvTreeView), tree);
}
