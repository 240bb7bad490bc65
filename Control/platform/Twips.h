#pragma once

#include <QRectF>

class QWidget;

namespace dwfm {

// The forms of the library are laid out in twips (1/1440 inch), as their designs give
// them. These helpers keep each control's rectangle in twips (so rules and tests can read
// it back exactly) and place the widget at 1440 / logical DPI.
namespace Twips {

double twipsPerPixelX(const QWidget *widget);
double twipsPerPixelY(const QWidget *widget);
int toPixelsX(double twips, const QWidget *widget);
int toPixelsY(double twips, const QWidget *widget);
double toTwipsX(int pixels, const QWidget *widget);
double toTwipsY(int pixels, const QWidget *widget);

// Places `widget` at `rect` (twips, relative to its parent) and remembers the rectangle.
void place(QWidget *widget, const QRectF &rect);
// The rectangle last given to place(), or the widget's geometry in twips.
QRectF rect(const QWidget *widget);
void setLeft(QWidget *widget, double left);
void setWidth(QWidget *widget, double width);
void setHeight(QWidget *widget, double height);

} // namespace Twips
} // namespace dwfm
