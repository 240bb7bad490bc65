#include "PreviewLoader.h"

#include "OfficeConverter.h"

#include <QTemporaryDir>

#include <utility>

namespace dwfm {

PreviewLoader::PreviewLoader(QObject *parent) : QObject(parent)
{
    m_thread.setObjectName(QStringLiteral("DwPreview"));
    // The answers go back to the GUI thread as events; the loader outlives the thread.
    m_worker = new PreviewWorker(m_latest, [this](PreviewWorker::Result result) {
        QMetaObject::invokeMethod(
            this, [this, result = std::move(result)]() mutable { received(std::move(result)); },
            Qt::QueuedConnection);
    });
    m_worker->moveToThread(&m_thread);
    m_converter = new OfficeConverter(this);
    connect(m_converter, &OfficeConverter::finished, this, &PreviewLoader::converted);
    m_conversionDelay.setSingleShot(true);
    m_conversionDelay.setInterval(ConversionDelayMs);
    connect(&m_conversionDelay, &QTimer::timeout, this, [this] {
        if (!m_conversion)
            return;
        m_converter->start(m_conversion->program, m_conversion->input, m_conversion->folder->path());
        PreviewDocument converting;
        converting.kind = PreviewDocument::Kind::Converting;
        emit documentReady(converting);
    });
}

PreviewLoader::~PreviewLoader()
{
    // The worker stops at its next step once no preview is wanted; the thread then ends.
    m_latest->store(0);
    m_thread.quit();
    m_thread.wait();
    delete m_worker;
}

void PreviewLoader::startThread()
{
    if (!m_thread.isRunning())
        m_thread.start(QThread::LowPriority);
}

void PreviewLoader::load(PreviewRequest request)
{
    cancel();
    m_busy = true;
    m_request = request;
    startThread();
    const quint64 generation = m_generation;
    PreviewWorker *worker = m_worker;
    QMetaObject::invokeMethod(
        worker, [worker, generation, request = std::move(request)] { worker->examine(generation, request); },
        Qt::QueuedConnection);
}

void PreviewLoader::cancel()
{
    m_latest->store(++m_generation);
    m_busy = false;
    m_conversionDelay.stop();
    m_converter->stop();
    m_conversion.reset();
    m_request = PreviewRequest();
}

void PreviewLoader::setConversionTimeLimit(int ms) { m_converter->setTimeLimit(ms); }

void PreviewLoader::received(PreviewWorker::Result result)
{
    if (result.generation != m_generation || !m_busy)
        return;
    if (result.conversion) {
        // The pane says that LibreOffice works once it has started.
        m_conversion = result.conversion;
        m_conversionDelay.start();
        return;
    }
    // Done with the content: a copy made for the preview goes now.
    if (result.document.complete) {
        m_busy = false;
        m_request = PreviewRequest();
    }
    emit documentReady(result.document);
}

void PreviewLoader::converted(const QString &pdfPath)
{
    std::shared_ptr<PreviewWorker::Conversion> conversion = std::move(m_conversion);
    if (!conversion || !m_busy)
        return;
    PreviewRequest request = std::exchange(m_request, PreviewRequest());
    if (pdfPath.isEmpty()) {
        m_busy = false;
        emit documentReady(PreviewDocument());
        return;
    }
    const quint64 generation = m_generation;
    PreviewWorker *worker = m_worker;
    QMetaObject::invokeMethod(
        worker,
        [worker, generation, request = std::move(request), conversion, pdfPath] {
            worker->adopt(generation, request, conversion, pdfPath);
        },
        Qt::QueuedConnection);
}

} // namespace dwfm
