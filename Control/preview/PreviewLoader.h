#pragma once

#include "PreviewDocument.h"
#include "PreviewWorker.h"

#include <QObject>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <memory>

namespace dwfm {

class OfficeConverter;

// Loads the document of the latest preview without holding up the GUI thread: reading,
// drawing and hashing run on a thread of its own, LibreOffice in a process of its own.
// Only the latest load() is answered; a new load() or cancel() drops what was under way
// (and stops a running conversion). Lives on the GUI thread.
class PreviewLoader : public QObject {
    Q_OBJECT
public:
    // How long a selection must rest on an office document before LibreOffice is started:
    // going down a list starts none.
    static constexpr int ConversionDelayMs = 250;

    explicit PreviewLoader(QObject *parent = nullptr);
    ~PreviewLoader() override;

    // Starts on the document of a new preview.
    void load(PreviewRequest request);
    // Forgets the load under way: the preview shows something else now.
    void cancel();
    // True from load() until the answer of that load.
    bool isBusy() const { return m_busy; }

    void setConversionTimeLimit(int ms);

signals:
    // What to show of the latest load's document. Converting comes first when LibreOffice
    // starts, and the first page alone before the others; every load ends with one answer
    // that is neither (the pages, the text or Nothing).
    void documentReady(const dwfm::PreviewDocument &document);

private:
    void startThread();
    void received(PreviewWorker::Result result);
    void converted(const QString &pdfPath);

    std::shared_ptr<std::atomic<quint64>> m_latest = std::make_shared<std::atomic<quint64>>(0);
    quint64 m_generation = 0;
    bool m_busy = false;
    QThread m_thread;
    PreviewWorker *m_worker = nullptr;
    OfficeConverter *m_converter = nullptr;
    QTimer m_conversionDelay;
    // The load whose document LibreOffice is converting.
    PreviewRequest m_request;
    std::shared_ptr<PreviewWorker::Conversion> m_conversion;
};

} // namespace dwfm
