#include "SplitterHandle.h"

#include "platform/Twips.h"

#include <QMouseEvent>

namespace dwfm {

SplitterHandle::SplitterHandle(Qt::Orientation orientation, QWidget *parent) : QWidget(parent)
{
    // A vertical splitter line moves left and right, a horizontal one up and down.
    setCursor(orientation == Qt::Vertical ? Qt::SizeHorCursor : Qt::SizeVerCursor);
    setAttribute(Qt::WA_NoSystemBackground);
}

QPointF SplitterHandle::toTwips(const QPointF &pixels) const
{
    return QPointF(pixels.x() * Twips::twipsPerPixelX(this), pixels.y() * Twips::twipsPerPixelY(this));
}

void SplitterHandle::mousePressEvent(QMouseEvent *event)
{
    emit mouseDown(event->button(), toTwips(event->position()));
    event->accept();
}

void SplitterHandle::mouseMoveEvent(QMouseEvent *event)
{
    emit mouseMove(event->buttons(), toTwips(event->position()));
    event->accept();
}

void SplitterHandle::mouseReleaseEvent(QMouseEvent *event)
{
    emit mouseUp(event->button(), toTwips(event->position()));
    event->accept();
}

QWidget *createSplitterBar(const QString &name, QWidget *parent)
{
    auto *bar = new QWidget(parent);
    bar->setObjectName(name);
    QPalette palette = bar->palette();
    palette.setColor(QPalette::Window, QColor(128, 128, 128));
    bar->setPalette(palette);
    bar->setAutoFillBackground(true);
    bar->hide();
    return bar;
}

} // namespace dwfm
