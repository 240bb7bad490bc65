#pragma once

#include <QByteArrayView>
#include <QString>

namespace dwfm {

// What kind of document a file is, for the preview and the search index, and how a text file
// reads. Pure rules over a file name and the file's first bytes: no file is opened here.
namespace DocumentContent {

enum class Kind {
    None,   // nothing to show beyond the link page
    Pdf,    // a PDF, by its first bytes whatever its name
    Text,   // text, by its bytes (no NUL, hardly any control characters)
    Office, // a word-processor, spreadsheet or presentation file, by its extension
};

// How many bytes of a file tell its kind (and how much of a text the preview shows).
inline constexpr qsizetype HeadBytes = 16 * 1024;

// Whether LibreOffice can make a PDF of this file: .odt, .ods, .odp, .doc, .docx, .xls,
// .xlsx, .ppt, .pptx, .rtf in any case.
bool isOfficeFile(const QString &fileName);
// The kind of a file from its name and its first bytes (at most HeadBytes).
Kind kindOf(const QString &fileName, QByteArrayView head);
// Whether these bytes look like text in some encoding: no NUL, and at most one in fifty
// bytes a control character other than tab, line feed, carriage return, form feed or escape.
bool looksLikeText(QByteArrayView head);

// The beginning of a text file as text: UTF-8 when the bytes are valid UTF-8 (a character
// cut off at the end is left out), UTF-16 with its byte-order mark, else the 8-bit Western
// code page (Latin-1 with the printable characters of Windows-1252 in 0x80–0x9F).
QString decodeText(QByteArrayView head);

} // namespace DocumentContent

} // namespace dwfm
