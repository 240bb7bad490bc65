#include "PreviewCache.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

#include <algorithm>

namespace dwfm {

namespace {
const QString kSuffix = QStringLiteral(".pdf");
constexpr qint64 kBlock = 1024 * 1024;
} // namespace

PreviewCache::PreviewCache(QString folder, qint64 limitBytes) : m_folder(std::move(folder)), m_limit(limitBytes) {}

QString PreviewCache::defaultFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
           QStringLiteral("/DwProjectFileManUI/preview");
}

QString PreviewCache::keyOfFile(const QString &path, const std::function<bool()> &goOn)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    QCryptographicHash hash(QCryptographicHash::Sha256);
    qint64 size = 0;
    QByteArray block;
    for (;;) {
        if (goOn && !goOn())
            return QString();
        block = file.read(kBlock);
        if (block.isEmpty())
            break;
        size += block.size();
        hash.addData(block);
    }
    if (file.error() != QFileDevice::NoError)
        return QString();
    return QString::number(size) + QLatin1Char('-') + QString::fromLatin1(hash.result().toHex());
}

QString PreviewCache::pathOf(const QString &key) const { return m_folder + QLatin1Char('/') + key + kSuffix; }

QString PreviewCache::find(const QString &key) const
{
    const QString path = pathOf(key);
    QFile file(path);
    if (key.isEmpty() || !file.exists())
        return QString();
    // The time of last use decides what goes first when the folder is full.
    if (file.open(QIODevice::ReadWrite))
        file.setFileTime(QDateTime::currentDateTimeUtc(), QFileDevice::FileModificationTime);
    return path;
}

QString PreviewCache::store(const QString &key, const QString &pdfPath)
{
    if (key.isEmpty() || !QDir().mkpath(m_folder))
        return QString();
    const QString target = pathOf(key);
    // The PDF arrives under a name of its own first, so that no reader sees half of it.
    QTemporaryFile part(m_folder + QStringLiteral("/part-XXXXXX"));
    if (!part.open())
        return QString();
    QFile source(pdfPath);
    if (!source.open(QIODevice::ReadOnly))
        return QString();
    for (QByteArray block = source.read(kBlock); !block.isEmpty(); block = source.read(kBlock)) {
        if (part.write(block) != block.size())
            return QString();
    }
    if (source.error() != QFileDevice::NoError || !part.flush())
        return QString();
    QFile::remove(target);
    if (!part.rename(target))
        return QString();
    part.setAutoRemove(false);
    shrink(target);
    return target;
}

void PreviewCache::shrink(const QString &keep)
{
    QFileInfoList files = QDir(m_folder).entryInfoList({QLatin1Char('*') + kSuffix}, QDir::Files, QDir::Time);
    // Newest use first: what is kept runs from the front until the limit is reached.
    qint64 total = 0;
    for (const QFileInfo &file : files) {
        total += file.size();
        if (total > m_limit && file.absoluteFilePath() != QFileInfo(keep).absoluteFilePath())
            QFile::remove(file.absoluteFilePath());
    }
}

} // namespace dwfm
