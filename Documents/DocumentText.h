#pragma once

#include <QString>

#include <functional>
#include <optional>

namespace dwfm {

// The text inside a document, for an index that finds documents by what they say: a text
// file decoded in its encoding, the text of every page of a PDF, and of an office document
// the text of the PDF LibreOffice makes of it (when LibreOffice is installed; this waits for
// it). Reads the file itself; runs on any thread.
namespace DocumentText {

// The text of the file at `path` (`fileName` is its name in the store, which tells an office
// document by its extension), at most `maxChars` characters. Empty for a file without text
// (a picture, a damaged or locked PDF); nothing when the file cannot be opened. `goOn` is
// asked between pages and stops the work when it answers false (the answer is then nothing).
std::optional<QString> extract(const QString &path, const QString &fileName, qsizetype maxChars,
                               const std::function<bool()> &goOn = {});

// The text of the office document at `path` through a PDF LibreOffice makes of it: empty
// when LibreOffice is not installed or makes none, nothing when `goOn` stopped the work.
std::optional<QString> officeText(const QString &path, const QString &fileName, qsizetype maxChars,
                                  const std::function<bool()> &goOn = {});

// The text of every page of the PDF at `path`, pages separated by a line break; empty for a
// damaged or locked PDF.
QString pdfText(const QString &path, qsizetype maxChars, const std::function<bool()> &goOn = {});

} // namespace DocumentText
} // namespace dwfm
