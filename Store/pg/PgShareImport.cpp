#include "pg/PgShareImport.h"

#include "DwError.h"
#include "fs/ContentHash.h"
#include "fs/FileOps.h"
#include "pg/PgConnection.h"
#include "pg/PgContent.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QSet>

namespace dwfm::store::pg {

void PgShareImport::load(qint64 project, const AnchoredPath &path)
{
    // Below the share nothing is followed: a link or anything but a regular file is
    // refused (and reported) like a file of the store's own folders.
    if (FileOps::kindOf(path) == FileOps::Kind::Missing)
        throw DwError(DwError::FileNotFound, QStringLiteral("ontbreekt op de gedeelde map"));
    PgTransaction tx(m_db);
    if (m_db.exec("SELECT 1 FROM dw.projects WHERE project_id = ? AND version IS NULL FOR UPDATE", {project}).rows() == 0)
        return; // moved in meanwhile (another run), or gone
    const PgContent::Upload up = PgContent::upload(m_db, path);
    m_db.exec("SELECT dw.new_version(?, dw.settle_upload(?, ?), session_user::text, 'Overgezet van de gedeelde map')",
              {project, up.id, PgContent::hashBytes(up.content.sha256)});
    // What the database now holds is read back against the hash of what was read.
    ContentHash hash;
    qint64 size = 0;
    m_db.stream("SELECT k.data FROM dw.projects p JOIN dw.versions v ON v.project_id = p.project_id AND v.version = p.version "
                "JOIN dw.chunks k ON k.content_id = v.content_id WHERE p.project_id = ? ORDER BY k.seq",
                {project}, [&](const PgResult &row) {
                    hash.add(row.raw(0, 0), size_t(row.length(0, 0)));
                    size += row.length(0, 0);
                });
    if (size != up.content.size || hash.finish() != up.content.sha256)
        throw DwError(DwError::DatabaseError, QStringLiteral("de database gaf andere inhoud terug dan er werd opgeslagen"));
    tx.commit();
}

PgShareImport::Result PgShareImport::run(const QString &share, const Progress &progress)
{
    if (!QFileInfo(share).isDir())
        throw DwError(DwError::PathNotFound, QStringLiteral("De map '%1' bestaat niet.").arg(share));
    const QString root = QDir(share).absolutePath();
    const PgResult files = m_db.exec("SELECT project_id, dw.location_path(location_id) || '/' || file_name FROM dw.projects "
                                     "WHERE version IS NULL ORDER BY project_id");
    Result result;
    for (int i = 0; i < files.rows(); ++i) {
        const QString path = FileOps::join(root, files.text(i, 1));
        try {
            load(files.int64(i, 0), AnchoredPath::below(root, path));
            ++result.files;
        } catch (const DwError &e) {
            result.unplaced << QStringLiteral("%1 (bestand %2): %3").arg(path, files.text(i, 0), e.description());
        }
        if (progress)
            progress(i + 1, files.rows());
    }
    // Every path the store knows, to tell the share's other files apart.
    QSet<QString> known;
    const PgResult all = m_db.exec("SELECT dw.location_path(location_id) || '/' || file_name FROM dw.projects");
    for (int i = 0; i < all.rows(); ++i)
        known << FileOps::join(root, all.text(i, 0));
    for (QDirIterator it(root, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories); it.hasNext();) {
        const QString path = it.next();
        if (!known.contains(path))
            result.unplaced << QStringLiteral("%1: de store kent dit bestand niet; het is niet overgezet").arg(path);
    }
    result.missing = int(m_db.exec("SELECT count(*) FROM dw.projects WHERE version IS NULL").int64(0, 0));
    // Once everything is in, the store forgets its share (a client of the old kind then no
    // longer recognises the database as a store).
    if (result.missing == 0)
        m_db.exec("DELETE FROM dw.store_info WHERE key = 'root_folder'");
    return result;
}

} // namespace dwfm::store::pg
