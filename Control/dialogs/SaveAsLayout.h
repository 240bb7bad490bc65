#pragma once

#include <QRectF>

namespace dwfm {

// The save-as dialog's resize rules as a pure function: from the dialog's inner size and
// where its controls stand now, where they go. All lengths are in twips. The file manager
// takes the room that is left; the buttons keep their size at the bottom right and the
// file-name field stretches up to them.
namespace SaveAsLayout {

constexpr double Margin = 60;
constexpr double ButtonGap = 120; // below the file manager, beside the buttons' height
constexpr double LabelDrop = 20;  // Label2 sits this much lower than the buttons

struct Rects {
    QRectF txtCurrentLocation;
    QRectF DwBestandsBeheer1;
    QRectF Label2;
    QRectF txtBestandsNaam;
    QRectF cmdOK;
    QRectF cmdAnnuleren;
};

// The designed places.
Rects designed();
// Applies the rules in order. A rule that would give a control a negative width or height
// is refused, as the window system refuses it: that control keeps its size and the rules
// after it go on with it.
Rects arrange(const Rects &current, double innerWidth, double innerHeight);

} // namespace SaveAsLayout
} // namespace dwfm
