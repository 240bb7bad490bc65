#include "PaneLayout.h"

namespace dwfm::PaneLayout {

namespace {
// The layout raises to the lower bound first and then lowers to the upper one, so on a
// control too small for both the upper bound wins.
double layoutClamp(double p, double low, double high)
{
    if (p < low)
        p = low;
    if (p > high)
        p = high;
    return p;
}

// A drag bar stops at the first bound it passes; on a too small control the lower wins.
double dragClamp(double p, double low, double high)
{
    return p < low ? low : (p > high ? high : p);
}
} // namespace

double clampX(double X, double W, bool hideLocations)
{
    return hideLocations ? 0 : layoutClamp(X, MinPaneWidth, W - MinPaneWidth);
}

double clampY(double Y, double H) { return layoutClamp(Y, MinPaneHeight, H - MinPaneHeight); }

double clampVerticalDrag(double p, double W) { return dragClamp(p, VerticalDragLimit, W - VerticalDragLimit); }

double clampHorizontalDrag(double p, double H)
{
    return dragClamp(p, HorizontalDragLimit, H - HorizontalDragLimit);
}

namespace {
Pane pane(double left, double top, double width, double height, bool visible)
{
    Pane p;
    p.rect = QRectF(left, top, width, height);
    p.visible = visible;
    p.placed = true;
    return p;
}
} // namespace

Result SizeControls(const Input &in)
{
    Result out;
    if (in.overlayVisible) {
        out.overlayOnly = true;
        out.Frame1 = pane(0, 0, in.W, in.H, true);
        out.X = in.X;
        out.Y = in.Y;
        return out;
    }

    const double X = clampX(in.X, in.W, in.HideLocations);
    const double Y = clampY(in.Y, in.H);
    out.X = X;
    out.Y = Y;

    // The title row on top.
    double T = 0;
    out.picTitles = pane(0, T, in.SW, TitleRowHeight, in.HeaderLabelsVisible);
    if (in.HeaderLabelsVisible)
        T += TitleRowHeight;

    const double B = in.StatusBarVisible ? in.statusBarHeight : 0;
    const double treeTop = T + TitleGap;
    const double treeWidth = in.HideLocations ? 0 : X - SplitterThickness;
    const double treeHeight = in.SH - treeTop - B;
    const double splitterWidth = in.HideLocations ? 0 : SplitterThickness;
    const double splitterLeft = X; // 0 when the locations are hidden
    const double R = splitterLeft + splitterWidth;
    const double rightWidth = in.SW - R;

    out.tvTreeView = pane(0, treeTop, treeWidth, treeHeight, !in.HideLocations);
    out.lblTitle0 = pane(0, 0, treeWidth, TitleRowHeight, !in.HideLocations);
    out.lblTitle1 = pane(R, 0, rightWidth, TitleRowHeight, true);
    out.imgSplitter = pane(splitterLeft, treeTop, splitterWidth, treeHeight, !in.HideLocations);
    // The bar shows only during a drag; its height is set when the drag starts.
    out.picSplitter = pane(splitterLeft, treeTop, splitterWidth, treeHeight, false);

    // The folder tool bar has no buttons, so it never shows.
    const double toolbarHeight = in.ToolbarVisible ? in.toolbarHeight : 0;
    out.picToolbarFolders = pane(0, treeTop, treeWidth, in.toolbarHeight, false);
    out.picToolbar = pane(R, treeTop, rightWidth, in.toolbarHeight, in.ToolbarVisible);

    const double searchHeight = in.searchVisible ? in.searchHeight : 0;
    out.txtZoeken = pane(R, treeTop + toolbarHeight, rightWidth, in.searchHeight, in.searchVisible);

    const double listTop = treeTop + toolbarHeight + searchHeight;
    const double listHeight = in.FileInfoVisible ? Y - listTop : treeHeight - toolbarHeight - searchHeight;
    out.lvListView = pane(R, listTop, rightWidth, listHeight, true);

    out.imgSplitterVertical = pane(R, Y, rightWidth, SplitterThickness, in.FileInfoVisible);
    out.picSplitterVertical = pane(X + HorizontalBarOffset, Y, rightWidth, SplitterThickness, false);

    out.WebBrowser.visible = in.FileInfoVisible;
    if (Y > 0) {
        out.WebBrowser = pane(R, Y + SplitterThickness, rightWidth, in.SH - Y - SplitterThickness - B,
                              in.FileInfoVisible);
    }

    out.StatusBar = pane(0, in.SH - B, in.SW, in.statusBarHeight, in.StatusBarVisible);
    return out;
}

} // namespace dwfm::PaneLayout
