#pragma once

#include "PreviewCache.h"
#include "PreviewDocument.h"

#include <QObject>

#include <atomic>
#include <functional>
#include <memory>

class QTemporaryDir;

namespace dwfm {

// The preview's work off the GUI thread: it reads a file, tells its kind, draws the first
// pages of a PDF and decodes the beginning of a text; for an office document it looks in
// the cache and otherwise prepares what LibreOffice is to convert. Every job carries the
// number of the preview it is for; a job whose preview is no longer the latest stops at
// the next step and answers nothing, so a run of quick selections costs one file each.
class PreviewWorker : public QObject {
    Q_OBJECT
public:
    // How many pages of a document are drawn.
    static constexpr int MaxPages = 5;

    // An office document to convert: the copy LibreOffice reads, in a folder of its own
    // where the PDF is to appear, and the key of its content in the cache.
    struct Conversion {
        QString program;
        QString input;
        std::shared_ptr<QTemporaryDir> folder;
        QString key;
    };
    struct Result {
        quint64 generation = 0;
        PreviewDocument document;
        // Set when an office document waits for LibreOffice.
        std::shared_ptr<Conversion> conversion;
    };
    using Deliver = std::function<void(Result)>;

    // `latest` is the number of the preview that is wanted now; `deliver` is called on the
    // worker's thread with each answer.
    PreviewWorker(std::shared_ptr<const std::atomic<quint64>> latest, Deliver deliver);

    // Looks at the file of `request` and answers what to show.
    void examine(quint64 generation, const PreviewRequest &request);
    // Keeps the PDF LibreOffice made in the cache and answers its pages.
    void adopt(quint64 generation, const PreviewRequest &request, const std::shared_ptr<Conversion> &conversion,
               const QString &pdfPath);

    // Draws the first pages of a PDF at the request's width; Nothing for a damaged or
    // locked PDF. Stops early (and answers Nothing) when the preview is no longer wanted.
    // `firstPage`, when given, hears the document with its first page alone, so that the
    // pane can show it while the others are drawn.
    static PreviewDocument renderPdf(const QString &path, const PreviewRequest &request,
                                     const std::function<bool()> &goOn = {},
                                     const std::function<void(const PreviewDocument &)> &firstPage = {});

private:
    bool wanted(quint64 generation) const { return m_latest->load() == generation; }
    void answer(quint64 generation, PreviewDocument document, std::shared_ptr<Conversion> conversion = {});
    void examineOffice(quint64 generation, const PreviewRequest &request);
    // Answers the pages of a PDF, the first one as soon as it is drawn.
    void answerPdf(quint64 generation, const QString &path, const PreviewRequest &request);

    std::shared_ptr<const std::atomic<quint64>> m_latest;
    Deliver m_deliver;
    PreviewCache m_cache;
};

} // namespace dwfm
