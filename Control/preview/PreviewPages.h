#pragma once

#include <QString>

#include <optional>
#include <vector>

namespace dwfm {

// The preview's HTML pages as pure rules: every text the preview writes is built here from
// plain values, so the pages can be checked without a browser or a store.
namespace PreviewPages {

// The style sheet every page starts with.
QString styleSheet();
// The link back to the files of a location: empty without a selected tree node, else an
// anchor "#F<id>E#" built from the node key without its last character.
QString folderLink(const std::optional<QString> &nodeKey);
// Whether the preview shows this file as a picture (JPG, BMP, GIF, PNG in any case).
bool isPictureFile(const QString &fileName);
// Where the store keeps a file on disk: the root folder (a separator added when missing,
// an empty root stays empty), the location path below it, the file name.
QString storePath(const QString &rootFolder, const QString &locationPath,
                                     const QString &fileName);

// The page of one file that is no picture (or whose picture is not shown): a link to the
// stored file and the folder link.
QString filePageBody(const QString &path, const QString &rowText, const QString &folderLink);
// The page of one picture: the picture itself, linked to its file, and the folder link.
QString picturePageBody(const QString &path, const QString &folderLink);

// One file of a location page.
struct LocationEntry {
    QString path;
    QString fileName;
};
// The page of every file of a location: pictures as images, other files as links.
QString locationPageBody(const std::vector<LocationEntry> &entries);

// What follows the link page of a document whose pages were drawn: a rule, how many pages
// it has (and how many are shown when fewer), and each page drawn so far as a picture at
// pageImageUrl. A document of no pages adds nothing.
QString documentPagesPart(int pageCount, int shownPages, int drawnPages);
// The address under which the pane's browser holds the drawn page `index` (from 0).
QString pageImageUrl(int index);
// What follows the link page of a text file: a rule and the text as it is written (its
// line breaks and spaces kept, long lines wrapped), and a line that says when more follows.
QString textPart(const QString &text, bool truncated);
// What follows the link page while LibreOffice makes a PDF of the file.
QString conversionPart();

// The text of a page file: the body between the opening and closing lines.
QString pageFileText(const QString &body);

// The location a followed folder link points to: the number after the first "#F" up to
// the first "E#" (its leading digits, 0 when none). Nothing when the address holds no
// "#F".
std::optional<qint32> linkedLocation(const QString &address);
// The local file an address names: a "file:" address or an absolute path; empty for any
// other address.
QString localFileOfAddress(const QString &address);

} // namespace PreviewPages

} // namespace dwfm
