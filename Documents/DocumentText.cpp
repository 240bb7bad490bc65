#include "DocumentText.h"

#include "DocumentContent.h"

#include <QFile>
#include <QPdfDocument>
#include <QPdfSelection>

namespace dwfm::DocumentText {

QString pdfText(const QString &path, qsizetype maxChars, const std::function<bool()> &goOn)
{
    QPdfDocument pdf;
    // A damaged file and one that wants a password both end here.
    if (pdf.load(path) != QPdfDocument::Error::None)
        return QString();
    QString text;
    for (int page = 0; page < pdf.pageCount() && text.size() < maxChars; ++page) {
        if (goOn && !goOn())
            return QString();
        if (!text.isEmpty())
            text += QLatin1Char('\n');
        text += pdf.getAllText(page).text();
    }
    text.truncate(maxChars);
    return text;
}

std::optional<QString> extract(const QString &path, const QString &fileName, qsizetype maxChars,
                               const std::function<bool()> &goOn)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray head = file.read(DocumentContent::HeadBytes);
    switch (DocumentContent::kindOf(fileName, head)) {
    case DocumentContent::Kind::Pdf: {
        file.close();
        QString text = pdfText(path, maxChars, goOn);
        if (goOn && !goOn())
            return std::nullopt;
        return text;
    }
    case DocumentContent::Kind::Text: {
        // A character takes at most four bytes in any encoding the decoder knows.
        const QByteArray bytes = head + file.read(std::max<qint64>(0, maxChars * 4 - head.size()));
        QString text = DocumentContent::decodeText(bytes);
        text.truncate(maxChars);
        return text;
    }
    case DocumentContent::Kind::Office:
    case DocumentContent::Kind::None:
        break;
    }
    return QString();
}

} // namespace dwfm::DocumentText
