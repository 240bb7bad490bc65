#include "PreviewPages.h"

#include <QDir>
#include <QUrl>

namespace dwfm::PreviewPages {

namespace {
const QString kLineEnd = QStringLiteral("\r\n");

// The extension as the file system reports it: what follows the last point of the last
// part of the name, without the point.
QString extensionOf(const QString &fileName)
{
    const QString name = QDir::fromNativeSeparators(fileName).section(QLatin1Char('/'), -1);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : name.mid(dot + 1);
}

// The number a text starts with; 0 when it starts with no digit. Stays within 32 bits.
qint32 leadingNumber(const QString &text)
{
    qint64 value = 0;
    for (const QChar c : text) {
        if (!c.isDigit() || c.unicode() > 0x7f)
            break;
        value = value * 10 + (c.unicode() - '0');
        if (value > std::numeric_limits<qint32>::max())
            return 0;
    }
    return qint32(value);
}
} // namespace

QString styleSheet()
{
    return QStringLiteral("<style type='text/css'> ") +
           QStringLiteral("UNKNOWN{FONT-FAMILY: sans-serif; FONT-SIZE: 9pt; BACKGROUND-COLOR: #DDDDDD;} ") +
           QStringLiteral("BODY{MARGIN: 0px; COLOR: black; FONT-FAMILY: sans-serif; FONT-SIZE: 9pt; "
                          "BACKGROUND-COLOR: #FFFFFF; margin-top: 5pt; margin-left: 5pt; margin-right: 5pt; "
                          "margin-bottom: 5pt} ") +
           QStringLiteral(".my_img  {max-width: 400px; /* Resize the image for IE6 */ width: expression(this.width "
                          "> 600 ? 600: true);} ") +
           QStringLiteral("A:hover{COLOR: red}A: link{COLOR: blue}A: visited{COLOR: blue} ") +
           QStringLiteral("</STYLE>");
}

QString folderLink(const std::optional<QString> &nodeKey)
{
    if (!nodeKey)
        return QString();
    return QStringLiteral("<A href=#F") + nodeKey->left(nodeKey->size() - 1) +
           QStringLiteral("E# >Klik om alle bestanden in huidige folder te bekijken.</A>");
}

bool isPictureFile(const QString &fileName)
{
    const QString extension = extensionOf(fileName).toUpper();
    if (extension.isEmpty())
        return false;
    return QStringLiteral("|JPG|BMP|GIF|PNG|").contains(QLatin1Char('|') + extension + QLatin1Char('|'));
}

QString storePath(const QString &rootFolder, const QString &locationPath, const QString &fileName)
{
    QString root = rootFolder;
    if (!root.isEmpty() && !root.endsWith(QDir::separator()))
        root += QDir::separator();
    return root + locationPath + fileName;
}

QString filePageBody(const QString &path, const QString &rowText, const QString &folderLink)
{
    return styleSheet() + QStringLiteral("<A href='file:") + path + QStringLiteral("' target='_self'>Klik om '") +
           rowText.trimmed() + QStringLiteral("' te bekijken.</A>") + QStringLiteral("<BR>") + folderLink;
}

QString picturePageBody(const QString &path, const QString &folderLink)
{
    return styleSheet() + QStringLiteral("<BR>") + QStringLiteral("<a href='") + path +
           QStringLiteral("' target='_self'>") + QStringLiteral("<img class='my_img' src='") + path +
           QStringLiteral("' alt='") + path + QStringLiteral("' title='") + path + QStringLiteral("'>") +
           QStringLiteral("</a><br />") + folderLink;
}

QString locationPageBody(const std::vector<LocationEntry> &entries)
{
    QString body = styleSheet();
    for (const LocationEntry &entry : entries) {
        if (isPictureFile(entry.fileName)) {
            body += QStringLiteral("<BR>") + QStringLiteral("<a href='") + entry.path +
                    QStringLiteral("' target='_self'>") + QStringLiteral("<img class='my_img' src='") + entry.path +
                    QStringLiteral("' alt='") + entry.fileName + QStringLiteral("' title='") + entry.fileName +
                    QStringLiteral("'>") + QStringLiteral("</a><br />");
        } else {
            body += QStringLiteral("<A href='file:") + entry.path + QStringLiteral("' target='_self'>") +
                    entry.fileName + QStringLiteral("</A><br />");
        }
    }
    return body;
}

QString documentPagesPart(int pageCount, int shownPages, int drawnPages)
{
    if (pageCount <= 0)
        return QString();
    QString count = pageCount == 1 ? QStringLiteral("1 pagina") : QStringLiteral("%1 pagina's").arg(pageCount);
    if (shownPages < pageCount)
        count += QStringLiteral(", de eerste %1 hieronder").arg(shownPages);
    QString part = QStringLiteral("<HR><P>") + count + QStringLiteral(".</P>");
    for (int page = 0; page < drawnPages; ++page)
        part += QStringLiteral("<P><img src='") + pageImageUrl(page) + QStringLiteral("'></P>");
    return part;
}

QString pageImageUrl(int index) { return QStringLiteral("dwpage:%1").arg(index + 1); }

QString textPart(const QString &text, bool truncated)
{
    QString part = QStringLiteral("<HR><PRE style='white-space: pre-wrap'>") + text.toHtmlEscaped() +
                   QStringLiteral("</PRE>");
    if (truncated)
        part += QStringLiteral("<P>(Het vervolg staat in het bestand zelf.)</P>");
    return part;
}

QString conversionPart() { return QStringLiteral("<HR><P>Het voorbeeld wordt gemaakt...</P>"); }

QString pageFileText(const QString &body)
{
    return QStringLiteral("<html><body>") + kLineEnd + body + kLineEnd + QStringLiteral("</body></html>") + kLineEnd;
}

std::optional<qint32> linkedLocation(const QString &address)
{
    const qsizetype start = address.indexOf(QLatin1String("#F"));
    if (start < 0)
        return std::nullopt;
    const qsizetype end = address.indexOf(QLatin1String("E#"));
    // Without an end marker after the start the number runs to the end of the address.
    const qsizetype length = end > start + 2 ? end - start - 2 : (end < 0 ? -1 : 0);
    return leadingNumber(address.mid(start + 2, length));
}

QString localFileOfAddress(const QString &address)
{
    if (address.startsWith(QLatin1String("file:"), Qt::CaseInsensitive))
        return QDir::toNativeSeparators(QUrl(address).toLocalFile());
    if (QDir::isAbsolutePath(address) && !address.startsWith(QLatin1Char('#')))
        return QDir::toNativeSeparators(QDir::cleanPath(address));
    return QString();
}

} // namespace dwfm::PreviewPages
