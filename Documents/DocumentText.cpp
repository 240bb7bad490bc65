#include "DocumentText.h"

#include "DocumentContent.h"
#include "OfficeConverter.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimer>
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

std::optional<QString> officeText(const QString &path, const QString &fileName, qsizetype maxChars,
                                  const std::function<bool()> &goOn)
{
    const QString program = OfficeConverter::program();
    if (program.isEmpty())
        return QString();
    // LibreOffice reads a copy of its own under a plain name: the stored file may change or
    // go while it works, and the PDF's name follows from the copy's.
    QTemporaryDir folder(QDir::tempPath() + QStringLiteral("/dwindex-XXXXXX"));
    const QString input = folder.filePath(QStringLiteral("document.") + QFileInfo(fileName).suffix().toLower());
    if (!folder.isValid() || !QFile::copy(path, input))
        return std::nullopt;
    // The converter works in the background of an event loop; this thread waits in one of
    // its own, looking now and then whether it should stop.
    OfficeConverter converter;
    QEventLoop loop;
    QString pdfPath;
    bool stopped = false;
    QObject::connect(&converter, &OfficeConverter::finished, &loop, [&](const QString &made) {
        pdfPath = made;
        loop.quit();
    });
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (goOn && !goOn()) {
            stopped = true;
            converter.stop();
            loop.quit();
        }
    });
    poll.start(100);
    converter.start(program, input, folder.path());
    loop.exec();
    if (stopped)
        return std::nullopt;
    return pdfPath.isEmpty() ? QString() : pdfText(pdfPath, maxChars, goOn);
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
        file.close();
        return officeText(path, fileName, maxChars, goOn);
    case DocumentContent::Kind::None:
        break;
    }
    return QString();
}

} // namespace dwfm::DocumentText
