#include "SaveAsLayout.h"

namespace dwfm::SaveAsLayout {

namespace {
void setWidth(QRectF &rect, double width)
{
    if (width >= 0)
        rect.setWidth(width);
}

void setHeight(QRectF &rect, double height)
{
    if (height >= 0)
        rect.setHeight(height);
}
} // namespace

Rects designed()
{
    return {{1980, 60, 6135, 315},   {60, 480, 8055, 2895},  {120, 3540, 1215, 255},
            {1320, 3480, 4215, 315}, {5640, 3480, 1200, 315}, {6960, 3480, 1200, 315}};
}

Rects arrange(const Rects &current, double W, double H)
{
    Rects r = current;
    setWidth(r.txtCurrentLocation, W - r.txtCurrentLocation.left() - Margin);
    setWidth(r.DwBestandsBeheer1, W - 2 * r.DwBestandsBeheer1.left());
    setHeight(r.DwBestandsBeheer1, H - r.DwBestandsBeheer1.top() - r.cmdOK.height() - ButtonGap);
    r.cmdOK.moveTop(r.DwBestandsBeheer1.top() + r.DwBestandsBeheer1.height() + Margin);
    r.cmdAnnuleren.moveTop(r.cmdOK.top());
    r.txtBestandsNaam.moveTop(r.cmdOK.top());
    r.cmdAnnuleren.moveLeft(W - r.cmdAnnuleren.width() - Margin);
    r.cmdOK.moveLeft(r.cmdAnnuleren.left() - r.cmdOK.width() - Margin);
    setWidth(r.txtBestandsNaam, r.cmdOK.left() - r.txtBestandsNaam.left() - Margin);
    r.Label2.moveTop(r.cmdOK.top() + LabelDrop);
    return r;
}

} // namespace dwfm::SaveAsLayout
