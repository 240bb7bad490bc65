#include "ViewLayout.h"

#include "platform/ErrorTrap.h"
#include "platform/Twips.h"
#include "view/FileToolbar.h"
#include "view/SplitterHandle.h"

#include <QFrame>
#include <QLabel>
#include <QStatusBar>
#include <QToolBar>
#include <QVBoxLayout>

#include <cmath>

namespace dwfm {

namespace {
// Where the splitters stand before anything placed them: a tree of two inches and a list
// of three and a half.
constexpr double kInitialSplitLeft = 2880;
constexpr double kInitialSplitTop = 5040;

QWidget *toolbarHolder(const QString &name, QToolBar *toolbar, QWidget *parent)
{
    auto *holder = new QWidget(parent);
    holder->setObjectName(name);
    auto *box = new QVBoxLayout(holder);
    box->setContentsMargins(0, 0, 0, 0);
    toolbar->setParent(holder);
    box->addWidget(toolbar);
    holder->hide();
    return holder;
}

void placePane(QWidget *widget, const PaneLayout::Pane &pane)
{
    if (!widget)
        return;
    SkipOnError([&] {
        if (pane.placed)
            Twips::place(widget, pane.rect);
        widget->setVisible(pane.visible);
    });
}
} // namespace

ViewLayout::ViewLayout(const ViewWidgets &widgets, const ViewFields &fields, QObject *parent)
    : QObject(parent), m_widgets(widgets), m_fields(fields)
{
    QWidget *control = m_widgets.control;

    picTitles = new QWidget(control);
    picTitles->setObjectName(QStringLiteral("picTitles"));
    for (QLabel *label : m_widgets.lblTitle) {
        if (label)
            label->setParent(picTitles);
    }

    tbToolbar = createFileToolbar(control);
    picToolbar = toolbarHolder(QStringLiteral("picToolbar"), tbToolbar, control);
    tbToolbarFolders = createFolderToolbar(control);
    picToolbarFolders = toolbarHolder(QStringLiteral("picToolbarFolders"), tbToolbarFolders, control);

    imgSplitter = new SplitterHandle(Qt::Vertical, control);
    imgSplitter->setObjectName(QStringLiteral("imgSplitter"));
    imgSplitterVertical = new SplitterHandle(Qt::Horizontal, control);
    imgSplitterVertical->setObjectName(QStringLiteral("imgSplitterVertical"));
    picSplitter = createSplitterBar(QStringLiteral("picSplitter"), control);
    picSplitterVertical = createSplitterBar(QStringLiteral("picSplitterVertical"), control);

    using PaneLayout::SplitterThickness;
    Twips::place(imgSplitter, QRectF(kInitialSplitLeft, 0, SplitterThickness, 0));
    Twips::place(picSplitter, QRectF(kInitialSplitLeft, 0, SplitterThickness, 0));
    Twips::place(imgSplitterVertical, QRectF(0, kInitialSplitTop, 0, SplitterThickness));
    Twips::place(picSplitterVertical, QRectF(0, kInitialSplitTop, 0, SplitterThickness));

    // The handles lie over the panes' edges, the bars over the handles, the overlay over
    // everything.
    imgSplitter->raise();
    imgSplitterVertical->raise();
    picSplitter->raise();
    picSplitterVertical->raise();
    if (m_widgets.Frame1)
        m_widgets.Frame1->raise();

    connect(imgSplitter, &SplitterHandle::mouseDown, this, &ViewLayout::imgSplitter_MouseDown);
    connect(imgSplitter, &SplitterHandle::mouseMove, this,
            [this](Qt::MouseButtons, QPointF pos) { imgSplitter_MouseMove(pos); });
    connect(imgSplitter, &SplitterHandle::mouseUp, this, [this] { imgSplitter_MouseUp(); });
    connect(imgSplitterVertical, &SplitterHandle::mouseDown, this, &ViewLayout::imgSplitterVertical_MouseDown);
    connect(imgSplitterVertical, &SplitterHandle::mouseMove, this,
            [this](Qt::MouseButtons, QPointF pos) { imgSplitterVertical_MouseMove(pos); });
    connect(imgSplitterVertical, &SplitterHandle::mouseUp, this, [this] { imgSplitterVertical_MouseUp(); });
}

double ViewLayout::controlWidth() const { return Twips::toTwipsX(m_widgets.control->width(), m_widgets.control); }
double ViewLayout::controlHeight() const
{
    return Twips::toTwipsY(m_widgets.control->height(), m_widgets.control);
}

PaneLayout::Input ViewLayout::currentInput(double X, double Y) const
{
    PaneLayout::Input in;
    in.W = in.SW = controlWidth();
    in.H = in.SH = controlHeight();
    in.X = X;
    in.Y = Y;
    in.overlayVisible = m_widgets.Frame1 && !m_widgets.Frame1->isHidden();
    in.HideLocations = m_fields.HideLocations;
    in.HeaderLabelsVisible = m_fields.HeaderLabelsVisible;
    in.StatusBarVisible = m_fields.StatusBarVisible;
    in.FileInfoVisible = m_fields.FileInfoVisible;
    in.ToolbarVisible = m_fields.ToolbarVisible;
    if (m_widgets.StatusBar)
        in.statusBarHeight = Twips::toTwipsY(m_widgets.StatusBar->sizeHint().height(), m_widgets.control);
    in.toolbarHeight = Twips::toTwipsY(tbToolbar->sizeHint().height(), m_widgets.control);
    in.searchVisible = m_searchShown && m_widgets.txtZoeken;
    if (m_widgets.txtZoeken)
        in.searchHeight = Twips::toTwipsY(m_widgets.txtZoeken->sizeHint().height(), m_widgets.control);
    return in;
}

void ViewLayout::SizeControls(double &X, double &Y)
{
    const PaneLayout::Result result = PaneLayout::SizeControls(currentInput(X, Y));
    X = result.X;
    Y = result.Y;
    apply(result);
}

void ViewLayout::apply(const PaneLayout::Result &r)
{
    if (r.overlayOnly) {
        SkipOnError([&] {
            Twips::place(m_widgets.Frame1, r.Frame1.rect);
            if (m_widgets.Label2)
                m_widgets.Label2->resize(m_widgets.Frame1->size());
            m_widgets.Frame1->raise();
        });
        return;
    }
    placePane(picTitles, r.picTitles);
    placePane(m_widgets.lblTitle[0], r.lblTitle0);
    placePane(m_widgets.lblTitle[1], r.lblTitle1);
    placePane(m_widgets.tvTreeView, r.tvTreeView);
    placePane(m_widgets.lvListView, r.lvListView);
    placePane(m_widgets.WebBrowser, r.WebBrowser);
    placePane(picToolbar, r.picToolbar);
    placePane(picToolbarFolders, r.picToolbarFolders);
    placePane(m_widgets.txtZoeken, r.txtZoeken);
    placePane(imgSplitter, r.imgSplitter);
    placePane(imgSplitterVertical, r.imgSplitterVertical);
    // A drag bar that is showing belongs to a drag in progress: only its place changes.
    PaneLayout::Pane bar = r.picSplitter;
    bar.visible = bar.visible || !picSplitter->isHidden();
    placePane(picSplitter, bar);
    bar = r.picSplitterVertical;
    bar.visible = bar.visible || !picSplitterVertical->isHidden();
    placePane(picSplitterVertical, bar);
    placePane(m_widgets.StatusBar, r.StatusBar);
}

void ViewLayout::UserControl_Resize()
{
    double X = Twips::rect(imgSplitter).left();
    double Y = Twips::rect(imgSplitterVertical).top();
    SizeControls(X, Y);
}

void ViewLayout::setSearchShown(bool shown)
{
    m_searchShown = shown;
    if (m_widgets.txtZoeken && !shown)
        m_widgets.txtZoeken->hide();
    UserControl_Resize();
}

double ViewLayout::barLeft() const { return Twips::rect(picSplitter).left(); }
double ViewLayout::barTop() const { return Twips::rect(picSplitterVertical).top(); }

void ViewLayout::setVerticalSplit(double left)
{
    SkipOnError([&] { Twips::setLeft(imgSplitter, left); });
    SkipOnError([&] { Twips::setLeft(picSplitter, left); });
}

void ViewLayout::setHorizontalSplit(double top)
{
    SkipOnError([&] {
        QRectF r = Twips::rect(imgSplitterVertical);
        r.moveTop(top);
        Twips::place(imgSplitterVertical, r);
    });
    SkipOnError([&] {
        QRectF r = Twips::rect(picSplitterVertical);
        r.moveTop(top);
        Twips::place(picSplitterVertical, r);
    });
}

void ViewLayout::imgSplitter_MouseDown(Qt::MouseButton, QPointF)
{
    // Every button starts a drag, as the handle does not tell them apart.
    const QRectF image = Twips::rect(imgSplitter);
    Twips::place(picSplitter,
                 QRectF(image.left(), image.top(), std::floor(image.width() / 2), image.height() - 20));
    picSplitter->show();
    picSplitter->raise();
    mbMoving = true;
}

void ViewLayout::imgSplitter_MouseMove(QPointF pos)
{
    if (!mbMoving)
        return;
    const double p = Twips::rect(imgSplitter).left() + pos.x();
    Twips::setLeft(picSplitter, PaneLayout::clampVerticalDrag(p, controlWidth()));
}

void ViewLayout::imgSplitterVertical_MouseDown(Qt::MouseButton, QPointF)
{
    const QRectF image = Twips::rect(imgSplitterVertical);
    Twips::place(picSplitterVertical, QRectF(image.left(), image.top(), image.width(), image.height() / 2));
    picSplitterVertical->show();
    picSplitterVertical->raise();
    mbMoving = true;
}

void ViewLayout::imgSplitterVertical_MouseMove(QPointF pos)
{
    if (!mbMoving)
        return;
    const double p = Twips::rect(imgSplitterVertical).top() + pos.y();
    QRectF bar = Twips::rect(picSplitterVertical);
    bar.moveTop(PaneLayout::clampHorizontalDrag(p, controlHeight()));
    Twips::place(picSplitterVertical, bar);
}

void ViewLayout::endDrag(QWidget *bar)
{
    // The panes jump to the new split only now; the bar has been the only thing moving.
    double X = barLeft();
    double Y = barTop();
    SkipOnError([&] { SizeControls(X, Y); });
    bar->hide();
    mbMoving = false;
}

void ViewLayout::imgSplitter_MouseUp() { endDrag(picSplitter); }
void ViewLayout::imgSplitterVertical_MouseUp() { endDrag(picSplitterVertical); }

} // namespace dwfm
