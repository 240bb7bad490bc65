#include "DocumentContent.h"

#include <QStringDecoder>
#include <QStringList>

#include <algorithm>
#include <array>
#include <optional>

namespace dwfm::DocumentContent {

namespace {

// Windows-1252's characters at 0x80–0x9F; 0 where it has none (Latin-1's control
// character is kept then).
constexpr std::array<char16_t, 32> kWestern80 = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

QString decodeWestern(QByteArrayView bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    QChar *out = text.data();
    for (const char byte : bytes) {
        const auto b = static_cast<unsigned char>(byte);
        const char16_t mapped = b >= 0x80 && b < 0xA0 ? kWestern80[b - 0x80] : 0;
        *out++ = QChar(mapped ? mapped : char16_t(b));
    }
    return text;
}

} // namespace

bool isOfficeFile(const QString &fileName)
{
    static const QStringList extensions = {QStringLiteral("odt"), QStringLiteral("ods"), QStringLiteral("odp"),
                                           QStringLiteral("doc"), QStringLiteral("docx"), QStringLiteral("xls"),
                                           QStringLiteral("xlsx"), QStringLiteral("ppt"), QStringLiteral("pptx"),
                                           QStringLiteral("rtf")};
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    if (dot < 0)
        return false;
    const QString extension = fileName.mid(dot + 1);
    return !extension.contains(QLatin1Char('/')) && extensions.contains(extension, Qt::CaseInsensitive);
}

bool looksLikeText(QByteArrayView head)
{
    qsizetype controls = 0;
    for (const char byte : head) {
        const auto b = static_cast<unsigned char>(byte);
        if (b == 0)
            return false;
        if ((b < 0x20 && b != '\t' && b != '\n' && b != '\r' && b != '\f' && b != 0x1B) || b == 0x7F)
            ++controls;
    }
    return controls * 50 <= head.size();
}

Kind kindOf(const QString &fileName, QByteArrayView head)
{
    // A PDF says so in its first bytes; some writers put a little before the marker.
    if (head.first(std::min<qsizetype>(head.size(), 1024)).indexOf(QByteArrayView("%PDF-")) >= 0)
        return Kind::Pdf;
    if (isOfficeFile(fileName))
        return Kind::Office;
    if (head.isEmpty())
        return Kind::None;
    if (const auto marked = QStringConverter::encodingForData(head); marked && *marked != QStringConverter::Utf8)
        return Kind::Text;
    return looksLikeText(head) ? Kind::Text : Kind::None;
}

QString decodeText(QByteArrayView head)
{
    // A byte-order mark names the encoding.
    if (const auto marked = QStringConverter::encodingForData(head)) {
        QStringDecoder decoder(*marked);
        return decoder.decode(head);
    }
    // The decoder keeps a character cut off at the end for more bytes that never come;
    // only a real error means the text is no UTF-8.
    QStringDecoder utf8(QStringConverter::Utf8);
    QString text = utf8.decode(head);
    if (!utf8.hasError())
        return text;
    return decodeWestern(head);
}

} // namespace dwfm::DocumentContent
