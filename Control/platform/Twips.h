#pragma once

#include "DwExport.h"

#include <QRectF>

class QWidget;

namespace dwfm {

// The forms of the library are laid out in twips (1/1440 inch), as their designs give
// them. These helpers keep each control's rectangle in twips (so rules and tests can read
// it back exactly) and place the widget at 1440 / logical DPI.
namespace Twips {

DWFILEMANUI_EXPORT double twipsPerPixelX(const QWidget *widget);
DWFILEMANUI_EXPORT double twipsPerPixelY(const QWidget *widget);
DWFILEMANUI_EXPORT int toPixelsX(double twips, const QWidget *widget);
DWFILEMANUI_EXPORT int toPixelsY(double twips, const QWidget *widget);
DWFILEMANUI_EXPORT double toTwipsX(int pixels, const QWidget *widget);
DWFILEMANUI_EXPORT double toTwipsY(int pixels, const QWidget *widget);

// Places `widget` at `rect` (twips, relative to its parent) and remembers the rectangle.
DWFILEMANUI_EXPORT void place(QWidget *widget, const QRectF &rect);
// The rectangle last given to place(), or the widget's geometry in twips.
DWFILEMANUI_EXPORT QRectF rect(const QWidget *widget);
DWFILEMANUI_EXPORT void setLeft(QWidget *widget, double left);
DWFILEMANUI_EXPORT void setWidth(QWidget *widget, double width);
DWFILEMANUI_EXPORT void setHeight(QWidget *widget, double height);

} // namespace Twips
} // namespace dwfm
