#pragma once

#include <QPointF>
#include <QWidget>

namespace dwfm {

// The invisible drag handle of a splitter. It shows the resize pointer and reports the
// mouse's presses, moves and releases with the position in twips relative to itself.
class SplitterHandle : public QWidget {
    Q_OBJECT
public:
    SplitterHandle(Qt::Orientation orientation, QWidget *parent);

signals:
    void mouseDown(Qt::MouseButton button, QPointF twips);
    void mouseMove(Qt::MouseButtons buttons, QPointF twips);
    void mouseUp(Qt::MouseButton button, QPointF twips);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    QPointF toTwips(const QPointF &pixels) const;
};

// A drag bar: a grey strip shown while a splitter is dragged.
QWidget *createSplitterBar(const QString &name, QWidget *parent);

} // namespace dwfm
