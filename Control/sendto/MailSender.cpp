#include "MailSender.h"

#include "DwError.h"

#include <QProcess>
#include <QStandardPaths>

namespace dwfm {

namespace {
constexpr qint32 kFileNotFound = 53;
MailSender *g_installed = nullptr;
} // namespace

MailSender::~MailSender() = default;

MailSender &mailSender()
{
    static XdgEmailSender xdgEmail;
    return g_installed ? *g_installed : xdgEmail;
}

void setMailSender(MailSender *sender) { g_installed = sender; }

QStringList XdgEmailSender::arguments(const QStringList &attachments)
{
    QStringList args;
    for (const QString &file : attachments)
        args << QStringLiteral("--attach") << file;
    return args;
}

qint64 XdgEmailSender::compose(const QStringList &attachments)
{
    const QString program = QStandardPaths::findExecutable(QStringLiteral("xdg-email"));
    if (program.isEmpty())
        throw DwError(kFileNotFound, QStringLiteral("Het programma xdg-email is niet gevonden; er is geen "
                                                    "e-mailprogramma om het bericht mee te openen."));
    qint64 pid = 0;
    if (!QProcess::startDetached(program, arguments(attachments), QString(), &pid))
        throw DwError(kFileNotFound, QStringLiteral("Het e-mailprogramma kan niet worden gestart."));
    return pid;
}

} // namespace dwfm
