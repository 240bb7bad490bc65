#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <memory>

class QProcess;
class QTemporaryDir;

namespace dwfm {

// Makes a PDF of an office document with LibreOffice ("soffice --headless --convert-to
// pdf"), in the background: start() returns at once and finished() tells the outcome.
// LibreOffice runs with a profile folder of its own (made on first use, removed with the
// converter), so it never meets the user's own running LibreOffice. One conversion at a
// time: starting another stops the one that runs. A conversion that takes longer than the
// time limit is stopped and counts as failed.
class OfficeConverter : public QObject {
    Q_OBJECT
public:
    static constexpr int DefaultTimeLimitMs = 60000;

    explicit OfficeConverter(QObject *parent = nullptr);
    ~OfficeConverter() override;

    // The soffice program on PATH; empty when LibreOffice is not installed.
    static QString program();

    // Starts `program` on `input`, writing the PDF into `outputFolder`.
    void start(const QString &program, const QString &input, const QString &outputFolder);
    // Stops a running conversion; finished() does not follow.
    void stop();
    bool isRunning() const { return !m_process.isNull(); }
    void setTimeLimit(int ms) { m_timeLimit.setInterval(ms); }

signals:
    // The conversion ended: the PDF's path, or empty when LibreOffice made none, failed or
    // took too long.
    void finished(const QString &pdfPath);

private:
    void ended(bool made);
    void killRunning();

    QPointer<QProcess> m_process;
    QString m_expected;
    QTimer m_timeLimit;
    std::unique_ptr<QTemporaryDir> m_profile;
};

} // namespace dwfm
