#pragma once

#include <QStringList>

namespace dwfm {

// The mail seam: opens a new message in the desktop's mail program with files attached,
// for the user to address and send. The product runs `xdg-email`; tests may install
// their own.
class MailSender {
public:
    virtual ~MailSender();
    // Starts composing a message with these files attached, in order. Answers the ID of
    // the process that took the message over (0 when it is not known); throws DwError
    // when no mail program could be started.
    virtual qint64 compose(const QStringList &attachments) = 0;
};

// The mail program of the process: `xdg-email` until a host or a test installs another.
MailSender &mailSender();
// Installs `sender` (not owned; null returns to `xdg-email`).
void setMailSender(MailSender *sender);

// Runs `xdg-email --attach <file> ...` (found on PATH) without waiting for it: the mail
// program it opens may stay open long after.
class XdgEmailSender : public MailSender {
public:
    qint64 compose(const QStringList &attachments) override;
    // The arguments handed to xdg-email.
    static QStringList arguments(const QStringList &attachments);
};

} // namespace dwfm
