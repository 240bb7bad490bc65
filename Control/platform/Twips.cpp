#include "Twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <QVariant>
#include <QWidget>

#include <cmath>

namespace dwfm::Twips {

namespace {
constexpr char kRectProperty[] = "dwTwipsRect";

double dpiX(const QWidget *widget)
{
    const int dpi = widget ? widget->logicalDpiX() : 96;
    return dpi > 0 ? dpi : 96;
}

double dpiY(const QWidget *widget)
{
    const int dpi = widget ? widget->logicalDpiY() : 96;
    return dpi > 0 ? dpi : 96;
}
} // namespace

double twipsPerPixelX(const QWidget *widget) { return 1440.0 / dpiX(widget); }
double twipsPerPixelY(const QWidget *widget) { return 1440.0 / dpiY(widget); }
int toPixelsX(double twips, const QWidget *widget) { return int(std::lround(twips / twipsPerPixelX(widget))); }
int toPixelsY(double twips, const QWidget *widget) { return int(std::lround(twips / twipsPerPixelY(widget))); }
double toTwipsX(int pixels, const QWidget *widget) { return pixels * twipsPerPixelX(widget); }
double toTwipsY(int pixels, const QWidget *widget) { return pixels * twipsPerPixelY(widget); }

void place(QWidget *widget, const QRectF &r)
{
    widget->setProperty(kRectProperty, r);
    const int left = toPixelsX(r.left(), widget);
    const int top = toPixelsY(r.top(), widget);
    const int width = std::max(0, toPixelsX(r.width(), widget));
    const int height = std::max(0, toPixelsY(r.height(), widget));
    if (widget->isWindow())
        widget->resize(width, height);
    else
        widget->setGeometry(left, top, width, height);
}

QRectF rect(const QWidget *widget)
{
    const QVariant stored = widget->property(kRectProperty);
    if (stored.isValid())
        return stored.toRectF();
    const QRect g = widget->geometry();
    return QRectF(toTwipsX(g.left(), widget), toTwipsY(g.top(), widget), toTwipsX(g.width(), widget),
                  toTwipsY(g.height(), widget));
}

void setLeft(QWidget *widget, double left)
{
    QRectF r = rect(widget);
    r.moveLeft(left);
    place(widget, r);
}

void setWidth(QWidget *widget, double width)
{
    QRectF r = rect(widget);
    r.setWidth(width);
    place(widget, r);
}

void setHeight(QWidget *widget, double height)
{
    QRectF r = rect(widget);
    r.setHeight(height);
    place(widget, r);
}

} // namespace dwfm::Twips
