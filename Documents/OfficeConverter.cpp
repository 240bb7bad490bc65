#include "OfficeConverter.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUrl>

#ifdef Q_OS_UNIX
#include <csignal>
#include <unistd.h>
#endif

namespace dwfm {

OfficeConverter::OfficeConverter(QObject *parent) : QObject(parent)
{
    m_timeLimit.setSingleShot(true);
    m_timeLimit.setInterval(DefaultTimeLimitMs);
    connect(&m_timeLimit, &QTimer::timeout, this, [this] {
        killRunning();
        ended(false);
    });
}

OfficeConverter::~OfficeConverter() { killRunning(); }

QString OfficeConverter::program() { return QStandardPaths::findExecutable(QStringLiteral("soffice")); }

void OfficeConverter::start(const QString &program, const QString &input, const QString &outputFolder)
{
    stop();
    if (!m_profile || !m_profile->isValid())
        m_profile = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/dwpreview-lo-XXXXXX"));
    m_expected = QDir(outputFolder).filePath(QFileInfo(input).completeBaseName() + QStringLiteral(".pdf"));
    auto *process = new QProcess(this);
    m_process = process;
    process->setProgram(program);
    process->setArguments({QStringLiteral("-env:UserInstallation=") + QUrl::fromLocalFile(m_profile->path()).toString(),
                           QStringLiteral("--headless"), QStringLiteral("--norestore"), QStringLiteral("--nologo"),
                           QStringLiteral("--convert-to"), QStringLiteral("pdf"), QStringLiteral("--outdir"),
                           outputFolder, input});
    process->setProcessChannelMode(QProcess::MergedChannels);
    process->setStandardInputFile(QProcess::nullDevice());
    process->setStandardOutputFile(QProcess::nullDevice());
#ifdef Q_OS_UNIX
    // LibreOffice starts helpers of its own: in a process group of their own they can all be
    // stopped together.
    process->setChildProcessModifier([] { ::setsid(); });
#endif
    connect(process, &QProcess::finished, this, [this, process](int code, QProcess::ExitStatus status) {
        if (process != m_process)
            return;
        ended(status == QProcess::NormalExit && code == 0 && QFileInfo(m_expected).isFile());
    });
    connect(process, &QProcess::errorOccurred, this, [this, process](QProcess::ProcessError error) {
        if (process == m_process && error == QProcess::FailedToStart)
            ended(false);
    });
    m_timeLimit.start();
    process->start();
}

void OfficeConverter::stop()
{
    if (!m_process)
        return;
    killRunning();
}

void OfficeConverter::killRunning()
{
    m_timeLimit.stop();
    QProcess *process = m_process;
    if (!process)
        return;
    m_process.clear();
#ifdef Q_OS_UNIX
    if (process->processId() > 0)
        ::kill(-pid_t(process->processId()), SIGKILL);
#endif
    process->kill();
    // The process object goes once the system has reaped the process; nothing waits for it.
    if (process->state() == QProcess::NotRunning)
        process->deleteLater();
    else
        connect(process, &QProcess::finished, process, &QObject::deleteLater);
    // A LibreOffice stopped halfway may leave its profile locked: the next one gets a new one.
    m_profile.reset();
}

void OfficeConverter::ended(bool made)
{
    m_timeLimit.stop();
    if (m_process) {
        m_process->deleteLater();
        m_process.clear();
    }
    emit finished(made ? m_expected : QString());
}

} // namespace dwfm
