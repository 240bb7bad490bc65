#include "fs/AnchoredPath.h"

#include "DwError.h"

#include <QDir>

namespace dwfm::store {

AnchoredPath AnchoredPath::below(const QString &anchor, const QString &path)
{
    AnchoredPath p;
    p.m_anchor = QDir::cleanPath(anchor);
    p.m_path = QDir::cleanPath(path);
    if (p.m_path == p.m_anchor)
        return p;
    const QString prefix = p.m_anchor.endsWith(QLatin1Char('/')) ? p.m_anchor : p.m_anchor + QLatin1Char('/');
    if (p.m_anchor.isEmpty() || !p.m_path.startsWith(prefix)) {
        throw DwError(DwError::InvalidProcedureCall,
                      QStringLiteral("Het pad '%1' ligt niet in de map '%2'.").arg(path, anchor));
    }
    p.m_relative = p.m_path.mid(prefix.size());
    return p;
}

AnchoredPath AnchoredPath::chosen(const QString &path)
{
    AnchoredPath p;
    p.m_anchor = p.m_path = QDir::cleanPath(path);
    return p;
}

QString AnchoredPath::fileName() const
{
    return m_path.section(QLatin1Char('/'), -1);
}

AnchoredPath AnchoredPath::parent() const
{
    const QString up = m_path.section(QLatin1Char('/'), 0, -2);
    const QString folder = up.isEmpty() && m_path.startsWith(QLatin1Char('/')) ? QStringLiteral("/") : up;
    return isChosen() ? chosen(folder) : below(m_anchor, folder);
}

AnchoredPath AnchoredPath::child(const QString &name) const
{
    return below(m_anchor, m_path + QLatin1Char('/') + name);
}

} // namespace dwfm::store
