#include "PreviewWorker.h"

#include "OfficeConverter.h"
#include "DocumentContent.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QPdfDocument>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>

namespace dwfm {

TemporaryCopy::~TemporaryCopy()
{
    if (m_path.isEmpty())
        return;
    // The store hands its copies out read-only.
    QFile::setPermissions(m_path, QFile::permissions(m_path) | QFile::WriteOwner);
    QFile::remove(m_path);
}

PreviewWorker::PreviewWorker(std::shared_ptr<const std::atomic<quint64>> latest, Deliver deliver)
    : m_latest(std::move(latest)), m_deliver(std::move(deliver))
{
}

void PreviewWorker::answer(quint64 generation, PreviewDocument document, std::shared_ptr<Conversion> conversion)
{
    if (!wanted(generation))
        return;
    m_deliver(Result{generation, std::move(document), std::move(conversion)});
}

void PreviewWorker::examine(quint64 generation, const PreviewRequest &request)
{
    if (!wanted(generation))
        return;
    QFile file(request.path);
    if (!file.open(QIODevice::ReadOnly)) {
        answer(generation, {});
        return;
    }
    const QByteArray head = file.read(DocumentContent::HeadBytes);
    switch (DocumentContent::kindOf(request.fileName, head)) {
    case DocumentContent::Kind::Pdf:
        file.close();
        answerPdf(generation, request.path, request);
        return;
    case DocumentContent::Kind::Text: {
        PreviewDocument text;
        text.kind = PreviewDocument::Kind::Text;
        text.text = DocumentContent::decodeText(head);
        text.truncated = file.size() > head.size();
        answer(generation, std::move(text));
        return;
    }
    case DocumentContent::Kind::Office:
        file.close();
        examineOffice(generation, request);
        return;
    case DocumentContent::Kind::None:
        break;
    }
    answer(generation, {});
}

void PreviewWorker::examineOffice(quint64 generation, const PreviewRequest &request)
{
    const QString key = PreviewCache::keyOfFile(request.path, [&] { return wanted(generation); });
    if (key.isEmpty()) {
        answer(generation, {});
        return;
    }
    if (const QString cached = m_cache.find(key); !cached.isEmpty()) {
        answerPdf(generation, cached, request);
        return;
    }
    const QString program = OfficeConverter::program();
    if (program.isEmpty()) {
        answer(generation, {});
        return;
    }
    // LibreOffice reads a copy of its own under a plain name: the store's file may change
    // or go while it works, and the PDF's name follows from the copy's.
    auto conversion = std::make_shared<Conversion>();
    conversion->program = program;
    conversion->key = key;
    conversion->folder = std::make_shared<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/dwpreview-XXXXXX"));
    conversion->input =
        conversion->folder->filePath(QStringLiteral("document.") + QFileInfo(request.fileName).suffix().toLower());
    if (!conversion->folder->isValid() || !QFile::copy(request.path, conversion->input)) {
        answer(generation, {});
        return;
    }
    answer(generation, {}, std::move(conversion));
}

void PreviewWorker::adopt(quint64 generation, const PreviewRequest &request,
                          const std::shared_ptr<Conversion> &conversion, const QString &pdfPath)
{
    // The PDF is kept even when the preview moved on: the next look at the file finds it.
    const QString cached = m_cache.store(conversion->key, pdfPath);
    if (!wanted(generation))
        return;
    answerPdf(generation, cached.isEmpty() ? pdfPath : cached, request);
}

void PreviewWorker::answerPdf(quint64 generation, const QString &path, const PreviewRequest &request)
{
    answer(generation, renderPdf(path, request, [&] { return wanted(generation); },
                                 [&](const PreviewDocument &first) { answer(generation, first); }));
}

PreviewDocument PreviewWorker::renderPdf(const QString &path, const PreviewRequest &request,
                                         const std::function<bool()> &goOn,
                                         const std::function<void(const PreviewDocument &)> &firstPage)
{
    QPdfDocument pdf;
    // A damaged file and one that wants a password both end here.
    if (pdf.load(path) != QPdfDocument::Error::None || pdf.pageCount() <= 0)
        return {};
    PreviewDocument document;
    document.kind = PreviewDocument::Kind::Pages;
    document.pageCount = pdf.pageCount();
    const int shown = std::min(document.pageCount, MaxPages);
    const qreal ratio = std::max<qreal>(1.0, request.pixelRatio);
    const int width = std::max(16, int(std::lround(request.width * ratio)));
    for (int page = 0; page < shown; ++page) {
        if (goOn && !goOn())
            return {};
        const QSizeF points = pdf.pagePointSize(page);
        if (points.width() <= 0 || points.height() <= 0)
            return {};
        const int height = std::max(1, int(std::lround(width * points.height() / points.width())));
        QImage image = pdf.render(page, QSize(width, height));
        if (image.isNull())
            return {};
        // A thin frame tells the white page from the white pane.
        QPainter frame(&image);
        frame.setPen(QColor(0xB0, 0xB0, 0xB0));
        frame.drawRect(image.rect().adjusted(0, 0, -1, -1));
        frame.end();
        image.setDevicePixelRatio(ratio);
        document.pages.push_back(std::move(image));
        if (page == 0 && shown > 1 && firstPage) {
            document.complete = false;
            firstPage(document);
            document.complete = true;
        }
    }
    return document;
}

} // namespace dwfm
