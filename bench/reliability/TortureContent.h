#pragma once
// What the reliability suite's workers write: contents that carry their own checksum, so a
// torn file is recognised wherever it turns up, and saves made as an editor makes them.
#include <QByteArray>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cstdio>

namespace dwfm::torture {

inline QRandomGenerator rng;

// `size` random bytes followed by "\n#", their MD5 in hex and a line end.
inline QByteArray content(qsizetype size)
{
    QByteArray data(size, Qt::Uninitialized);
    for (char &c : data)
        c = char('a' + rng.bounded(26));
    return data + "\n#" + QCryptographicHash::hash(data, QCryptographicHash::Md5).toHex() + "\n";
}

// Whether `data` is a content as content() made it, whole.
inline bool whole(const QByteArray &data)
{
    const qsizetype mark = data.lastIndexOf("\n#");
    return mark >= 0 && data.mid(mark + 2).trimmed() == QCryptographicHash::hash(data.left(mark), QCryptographicHash::Md5).toHex();
}

inline QString sha256(const QByteArray &data)
{
    return QString::fromLatin1(QCryptographicHash::hash(data, QCryptographicHash::Sha256).toHex());
}

// Written as an editor saves: a new file renamed over the old one.
inline void save(const QString &path, const QByteArray &data)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    const QString temp = path + QStringLiteral(".sav");
    QFile f(temp);
    if (f.open(QIODevice::WriteOnly) && f.write(data) == data.size()) {
        f.close();
        std::rename(QFile::encodeName(temp).constData(), QFile::encodeName(path).constData());
    }
}

} // namespace dwfm::torture
