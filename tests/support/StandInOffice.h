#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

namespace dwfm::test {

// Puts `folder` first on PATH while it lives (`only`: as the only folder).
struct PathFirst {
    QByteArray before = qgetenv("PATH");
    explicit PathFirst(const QString &folder, bool only = false)
    {
        qputenv("PATH", only ? folder.toLocal8Bit() : folder.toLocal8Bit() + ':' + before);
    }
    ~PathFirst() { qputenv("PATH", before); }
};

// Writes a program "soffice" into `folder` that stands in for LibreOffice's conversion to
// PDF: it notes its arguments in `log` and "converts" its last argument by copying `pdf` to
// the output folder under the document's name. Answers whether it could be written.
inline bool writeStandInOffice(const QString &folder, const QString &log, const QString &pdf)
{
    const QString program = folder + QStringLiteral("/soffice");
    QFile file(program);
    const QByteArray script = QStringLiteral("#!/bin/sh\necho \"$@\" >> '%1'\nout=; prev=\n"
                                             "for a in \"$@\"; do [ \"$prev\" = --outdir ] && out=$a; "
                                             "prev=$a; done\nbase=$(basename \"$prev\")\n"
                                             "cp '%2' \"$out/${base%.*}.pdf\"\n")
                                  .arg(log, pdf)
                                  .toUtf8();
    return file.open(QIODevice::WriteOnly) && file.write(script) == script.size() && file.flush() &&
           file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

} // namespace dwfm::test
