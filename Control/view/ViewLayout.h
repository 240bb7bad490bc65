#pragma once

#include "view/PaneLayout.h"

#include <QObject>
#include <QPointF>

class QFrame;
class QLabel;
class QStatusBar;
class QToolBar;
class QWidget;

namespace dwfm {

class SplitterHandle;

// The view fields of the control that the layout reads (and the view menu writes).
struct ViewFields {
    bool &StatusBarVisible;
    bool &ToolbarVisible;
    bool &HeaderLabelsVisible;
    bool &FileInfoVisible;
    bool &HideLocations;
};

// The control's children that the layout places.
struct ViewWidgets {
    QWidget *control = nullptr;
    QFrame *Frame1 = nullptr;
    QLabel *Label2 = nullptr;
    QWidget *tvTreeView = nullptr;
    QWidget *lvListView = nullptr;
    QWidget *WebBrowser = nullptr;
    QStatusBar *StatusBar = nullptr;
    QLabel *lblTitle[2] = {nullptr, nullptr};
    QWidget *txtZoeken = nullptr;
};

// Places the control's children by the pane layout rule and runs the two splitters. It
// owns the title row, the tool bars, the splitter handles and their drag bars. The split
// positions live only in the places of the handles and bars.
class ViewLayout : public QObject {
    Q_OBJECT
public:
    ViewLayout(const ViewWidgets &widgets, const ViewFields &fields, QObject *parent = nullptr);

    // Lays everything out for the split positions X and Y, which are clamped in place.
    void SizeControls(double &X, double &Y);
    // Lays out again at the handles' current positions (the control was resized).
    void UserControl_Resize();

    // The split positions kept in the drag bars: after a layout they equal X and Y.
    double barLeft() const;
    double barTop() const;
    // Moves the vertical splitter (handle and bar) to `left`, the horizontal one to `top`,
    // without laying out.
    void setVerticalSplit(double left);
    void setHorizontalSplit(double top);

    // The splitters' mouse handling, positions in twips relative to the handle.
    void imgSplitter_MouseDown(Qt::MouseButton button, QPointF pos);
    void imgSplitter_MouseMove(QPointF pos);
    void imgSplitter_MouseUp();
    void imgSplitterVertical_MouseDown(Qt::MouseButton button, QPointF pos);
    void imgSplitterVertical_MouseMove(QPointF pos);
    void imgSplitterVertical_MouseUp();
    // True while a splitter is being dragged.
    bool isMoving() const { return mbMoving; }
    // Shows the search field above the list (the store can search) or takes it away, and
    // lays out again.
    void setSearchShown(bool shown);
    bool searchShown() const { return m_searchShown; }

    QWidget *picTitles = nullptr;
    QWidget *picToolbar = nullptr;
    QToolBar *tbToolbar = nullptr;
    QWidget *picToolbarFolders = nullptr;
    QToolBar *tbToolbarFolders = nullptr;
    SplitterHandle *imgSplitter = nullptr;
    QWidget *picSplitter = nullptr;
    SplitterHandle *imgSplitterVertical = nullptr;
    QWidget *picSplitterVertical = nullptr;

private:
    PaneLayout::Input currentInput(double X, double Y) const;
    void apply(const PaneLayout::Result &result);
    double controlWidth() const;
    double controlHeight() const;
    void endDrag(QWidget *bar);

    ViewWidgets m_widgets;
    ViewFields m_fields;
    bool mbMoving = false;
    bool m_searchShown = false;
};

} // namespace dwfm
