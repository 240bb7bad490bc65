#pragma once

// The preview's pages as the user's browser gets them, written out in full, so that a slip
// in the code that builds them shows.
#include <QString>

namespace dwfm::test {

// The style sheet every page starts with.
inline const QString kStyle = QStringLiteral(
    "<style type='text/css'> UNKNOWN{FONT-FAMILY: sans-serif; FONT-SIZE: 9pt; BACKGROUND-COLOR: #DDDDDD;} "
    "BODY{MARGIN: 0px; COLOR: black; FONT-FAMILY: sans-serif; FONT-SIZE: 9pt; BACKGROUND-COLOR: #FFFFFF; "
    "margin-top: 5pt; margin-left: 5pt; margin-right: 5pt; margin-bottom: 5pt} .my_img  {max-width: 400px; "
    "/* Resize the image for IE6 */ width: expression(this.width > 600 ? 600: true);} A:hover{COLOR: red}A: "
    "link{COLOR: blue}A: visited{COLOR: blue} </STYLE>");
// The link back to location 12.
inline const QString kLink12 =
    QStringLiteral("<A href=#F12E# >Klik om alle bestanden in huidige folder te bekijken.</A>");

// A page file around its body.
inline QString page(const QString &body)
{
    return QStringLiteral("<html><body>\r\n") + body + QStringLiteral("\r\n</body></html>\r\n");
}

} // namespace dwfm::test
