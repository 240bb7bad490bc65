#pragma once

#include <QImage>
#include <QString>

#include <memory>
#include <vector>

namespace dwfm {

// What the preview shows of a document below its link page.
struct PreviewDocument {
    enum class Kind {
        Nothing,    // the link page alone: no such file, a kind it does not show, a damaged or
                    // locked PDF, a conversion that failed
        Pages,      // the first pages, drawn
        Text,       // the beginning of a text file
        Converting, // LibreOffice is making a PDF; the pages follow
    };
    Kind kind = Kind::Nothing;
    // Pages: how many the document has, and the first of them drawn to the pane's width;
    // while `complete` is False more pages follow (at most PreviewWorker::MaxPages).
    int pageCount = 0;
    std::vector<QImage> pages;
    bool complete = true;
    // Text: the beginning of the file, and whether more follows.
    QString text;
    bool truncated = false;
};

// A file that is deleted when the last one using it lets go: the store's temporary copy of
// a file that lies on no disk the preview can read.
class TemporaryCopy {
public:
    explicit TemporaryCopy(QString path) : m_path(std::move(path)) {}
    ~TemporaryCopy();
    TemporaryCopy(const TemporaryCopy &) = delete;
    TemporaryCopy &operator=(const TemporaryCopy &) = delete;
    const QString &path() const { return m_path; }

private:
    QString m_path;
};

// One document to preview.
struct PreviewRequest {
    // Where its content can be read.
    QString path;
    // The stored file's name: its extension tells an office document.
    QString fileName;
    // The width a page is drawn at, in the pane's pixels, and the screen's pixel ratio.
    int width = 400;
    qreal pixelRatio = 1.0;
    // Kept until the preview is done with the content.
    std::shared_ptr<const TemporaryCopy> copy;
};

} // namespace dwfm
