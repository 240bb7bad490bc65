#pragma once

#include <QRectF>

namespace dwfm {

// The control's pane layout as a pure rule: from the control's size, the two split
// positions and the view fields it computes where every child goes. All lengths are in
// twips; the widget layer converts them at 1440 / logical DPI.
namespace PaneLayout {

constexpr double MinPaneWidth = 1500;     // X stays between this and W - this
constexpr double MinPaneHeight = 2000;    // Y stays between this and H - this
constexpr double SplitterThickness = 50;  // both splitter images and drag bars
constexpr double TitleGap = 20;           // tree and list start this far below the title row
constexpr double TitleRowHeight = 300;    // picTitles
constexpr double HorizontalBarOffset = 40; // picSplitterVertical starts at X + this
constexpr double VerticalDragLimit = 500;  // the vertical bar stays this far from the edges
constexpr double HorizontalDragLimit = 2000;

struct Input {
    double W = 0;  // the control's width and height, for the clamps
    double H = 0;
    double SW = 0; // its inner width and height, for placing the children
    double SH = 0;
    double X = 0;  // asked position of the vertical splitter (its left edge)
    double Y = 0;  // asked position of the horizontal splitter (its top edge)
    bool overlayVisible = false;
    bool HideLocations = false;
    bool HeaderLabelsVisible = false;
    bool StatusBarVisible = false;
    bool FileInfoVisible = false;
    bool ToolbarVisible = false;
    double statusBarHeight = 0; // the status bar's own height
    double toolbarHeight = 0;   // the file tool bar's own height
    bool searchVisible = false; // the store can search: the search field shows above the list
    double searchHeight = 0;    // the search field's own height
};

// One child's place. A child whose `placed` is False is left where it was.
struct Pane {
    QRectF rect;
    bool visible = false;
    bool placed = false;
};

struct Result {
    // The split positions after the clamps.
    double X = 0;
    double Y = 0;
    // Only the overlay was placed: everything else keeps its place while it covers the
    // control.
    bool overlayOnly = false;
    Pane Frame1;
    Pane picTitles;
    Pane lblTitle0; // relative to picTitles
    Pane lblTitle1; // relative to picTitles
    Pane tvTreeView;
    Pane lvListView;
    Pane WebBrowser;
    Pane picToolbar;
    Pane picToolbarFolders;
    Pane txtZoeken;
    Pane imgSplitter;
    Pane picSplitter;
    Pane imgSplitterVertical;
    Pane picSplitterVertical;
    Pane StatusBar;
};

// X kept between the minimum pane widths (the right bound wins on a narrow control); 0
// when the locations are hidden.
double clampX(double X, double W, bool hideLocations);
// Y kept between the minimum pane heights (the bottom bound wins on a low control).
double clampY(double Y, double H);
// Where the drag bars may go while the mouse moves: `p` is the asked edge.
double clampVerticalDrag(double p, double W);
double clampHorizontalDrag(double p, double H);

// Lays out every child. The file tool bar is shown above the list, with room reserved
// for it, when ToolbarVisible is set; the folder tool bar carries no buttons and stays
// hidden. The search field lies between the tool bar and the list, as wide as the list,
// when the store can search.
Result SizeControls(const Input &in);

} // namespace PaneLayout
} // namespace dwfm
