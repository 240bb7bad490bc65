#include "PaneLayout.h"

namespace dwfm::PaneLayout {

double clampX(double X, double W, bool hideLocations)
{
    if (hideLocations)
        return 0;
    if (X < MinPaneWidth)
        X = MinPaneWidth;
    if (X > W - MinPaneWidth)
        X = W - MinPaneWidth;
    return X;
}

double clampY(double Y, double H)
{
    if (Y < MinPaneHeight)
        Y = MinPaneHeight;
    if (Y > H - MinPaneHeight)
        Y = H - MinPaneHeight;
    return Y;
}

double clampVerticalDrag(double p, double W)
{
    if (p < VerticalDragLimit)
        return VerticalDragLimit;
    if (p > W - VerticalDragLimit)
        return W - VerticalDragLimit;
    return p;
}

double clampHorizontalDrag(double p, double H)
{
    if (p < HorizontalDragLimit)
        return HorizontalDragLimit;
    if (p > H - HorizontalDragLimit)
        return H - HorizontalDragLimit;
    return p;
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

    const double listTop = treeTop + toolbarHeight;
    const double listHeight = in.FileInfoVisible ? Y - listTop : treeHeight - toolbarHeight;
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
