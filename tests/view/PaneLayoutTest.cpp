// The pane layout rule, with the control's measures in twips.
#include "view/PaneLayout.h"

#include <gtest/gtest.h>

using namespace dwfm;
using namespace dwfm::PaneLayout;

namespace {
Input control(double W, double H, double X, double Y)
{
    Input in;
    in.W = in.SW = W;
    in.H = in.SH = H;
    in.X = X;
    in.Y = Y;
    in.statusBarHeight = 330;
    in.toolbarHeight = 450;
    return in;
}

void expectRect(const Pane &pane, double left, double top, double width, double height)
{
    EXPECT_TRUE(pane.placed);
    EXPECT_DOUBLE_EQ(pane.rect.left(), left);
    EXPECT_DOUBLE_EQ(pane.rect.top(), top);
    EXPECT_DOUBLE_EQ(pane.rect.width(), width);
    EXPECT_DOUBLE_EQ(pane.rect.height(), height);
}
} // namespace

TEST(PaneLayout, AllPanesShownAroundBothSplitters)
{
    Input in = control(9000, 6000, 3000, 3500);
    in.HeaderLabelsVisible = true;
    in.StatusBarVisible = true;
    in.FileInfoVisible = true;
    const Result r = SizeControls(in);

    EXPECT_EQ(r.X, 3000);
    EXPECT_EQ(r.Y, 3500);
    // Title row 300 high, the panes 20 below it, the status bar 330 high at the bottom.
    expectRect(r.picTitles, 0, 0, 9000, 300);
    expectRect(r.tvTreeView, 0, 320, 2950, 6000 - 320 - 330);
    expectRect(r.imgSplitter, 3000, 320, 50, 6000 - 320 - 330);
    expectRect(r.lvListView, 3050, 320, 5950, 3500 - 320);
    expectRect(r.imgSplitterVertical, 3050, 3500, 5950, 50);
    EXPECT_EQ(r.picSplitterVertical.rect.left(), 3040);
    EXPECT_EQ(r.picSplitterVertical.rect.top(), 3500);
    expectRect(r.WebBrowser, 3050, 3550, 5950, 6000 - 3550 - 330);
    expectRect(r.StatusBar, 0, 6000 - 330, 9000, 330);
    expectRect(r.lblTitle0, 0, 0, 2950, 300);
    expectRect(r.lblTitle1, 3050, 0, 5950, 300);

    EXPECT_TRUE(r.tvTreeView.visible && r.lvListView.visible && r.WebBrowser.visible && r.StatusBar.visible);
    EXPECT_TRUE(r.imgSplitter.visible && r.imgSplitterVertical.visible);
    // The drag bars and the tool bars stay hidden.
    EXPECT_FALSE(r.picSplitter.visible || r.picSplitterVertical.visible);
    EXPECT_FALSE(r.picToolbar.visible || r.picToolbarFolders.visible);
}

TEST(PaneLayout, NarrowControlLetsTheRightBoundWin)
{
    const Result r = SizeControls(control(2500, 6000, 1800, 3000));
    EXPECT_EQ(r.X, 1000);
    EXPECT_EQ(r.tvTreeView.rect.width(), 950);
    EXPECT_EQ(r.lvListView.rect.left(), 1050);
    EXPECT_EQ(r.lvListView.rect.width(), 1450);
}

TEST(PaneLayout, HiddenLocationsPutTheListAtTheLeftEdge)
{
    Input in = control(9000, 6000, 4000, 3000);
    in.HideLocations = true;
    in.HeaderLabelsVisible = true;
    const Result r = SizeControls(in);

    EXPECT_EQ(r.X, 0);
    EXPECT_FALSE(r.tvTreeView.visible);
    EXPECT_EQ(r.tvTreeView.rect.width(), 0);
    EXPECT_FALSE(r.imgSplitter.visible);
    expectRect(r.imgSplitter, 0, 320, 0, 6000 - 320);
    EXPECT_EQ(r.lvListView.rect.left(), 0);
    EXPECT_EQ(r.lvListView.rect.width(), 9000);
    EXPECT_FALSE(r.lblTitle0.visible);
    EXPECT_EQ(r.lblTitle0.rect.width(), 0);
    EXPECT_EQ(r.lblTitle1.rect.left(), 0);
    EXPECT_EQ(r.lblTitle1.rect.width(), 9000);
}

TEST(PaneLayout, ToolbarTakesRoomAboveTheListOnly)
{
    Input in = control(9000, 6000, 3000, 3500);
    in.FileInfoVisible = true;
    in.ToolbarVisible = true;
    const Result r = SizeControls(in);
    EXPECT_TRUE(r.picToolbar.visible);
    expectRect(r.picToolbar, 3050, 20, 5950, 450);
    EXPECT_EQ(r.lvListView.rect.top(), 470);
    EXPECT_EQ(r.lvListView.rect.bottom(), 3500);
    EXPECT_EQ(r.tvTreeView.rect.top(), 20);
    EXPECT_FALSE(r.picToolbarFolders.visible);

    in.FileInfoVisible = false;
    const Result noPreview = SizeControls(in);
    EXPECT_EQ(noPreview.lvListView.rect.bottom(), noPreview.tvTreeView.rect.bottom());
}

TEST(PaneLayout, SearchFieldLiesBetweenToolbarAndListWhenTheStoreCanSearch)
{
    Input in = control(9000, 6000, 3000, 3500);
    in.ToolbarVisible = true;
    in.searchHeight = 360;
    EXPECT_FALSE(SizeControls(in).txtZoeken.visible);
    EXPECT_EQ(SizeControls(in).lvListView.rect.top(), 470);

    in.searchVisible = true;
    const Result r = SizeControls(in);
    expectRect(r.txtZoeken, 3050, 470, 5950, 360);
    EXPECT_TRUE(r.txtZoeken.visible);
    EXPECT_EQ(r.lvListView.rect.top(), 830);
    EXPECT_EQ(r.lvListView.rect.bottom(), r.tvTreeView.rect.bottom()) << "without the preview the list still ends with the tree";
}

// x: the split's left, y: the split's height, v and h: the drag bars, which keep their
// lower bound even on a control too small for both (the layout's bounds give way there).
TEST(PaneLayout, SplitsAndDragBarsStayWithinTheirBounds)
{
    const struct { char rule; double value, size, expected; } cases[] = {
        {'x', 200, 9000, 1500}, {'x', 8000, 9000, 7500}, {'x', 4000, 9000, 4000},
        {'y', 500, 6000, 2000}, {'y', 5000, 6000, 4000}, {'y', 3000, 6000, 3000}, {'y', 2500, 3000, 1000},
        {'v', -300, 9000, 500}, {'v', 8800, 9000, 8500}, {'v', 1200, 9000, 1200}, {'v', 100, 800, 500},
        {'h', 100, 9000, 2000}, {'h', 8000, 9000, 7000}, {'h', 4500, 9000, 4500}, {'h', 1500, 3000, 2000},
    };
    for (const auto &c : cases) {
        const double got = c.rule == 'x'   ? clampX(c.value, c.size, false)
                           : c.rule == 'y' ? SizeControls(control(9000, c.size, 3000, c.value)).Y
                           : c.rule == 'v' ? clampVerticalDrag(c.value, c.size)
                                           : clampHorizontalDrag(c.value, c.size);
        EXPECT_EQ(got, c.expected) << c.rule << " " << c.value << " in " << c.size;
    }
}
