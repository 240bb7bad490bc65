#include "FileDialogs.h"

#include "DwError.h"
#include "Prompts.h"

#include <QDir>

namespace dwfm {

namespace {
std::optional<QStringList> g_selectedFiles;
} // namespace

const std::optional<QStringList> &SelectedFiles() { return g_selectedFiles; }

QString ToQtFilter(const QString &filter)
{
    const QStringList parts = filter.split(QChar(0), Qt::SkipEmptyParts);
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString pattern = parts[i + 1];
        // "*.*" means every file; on this platform many names have no point at all.
        pattern.replace(QStringLiteral("*.*"), QStringLiteral("*"));
        pattern.replace(QLatin1Char(';'), QLatin1Char(' '));
        QString description = parts[i];
        const int open = description.indexOf(QLatin1Char('('));
        if (open >= 0)
            description = description.left(open).trimmed();
        filters << QStringLiteral("%1 (%2)").arg(description, pattern);
    }
    return filters.join(QStringLiteral(";;"));
}

QString ShowFileDialog(const QString &filter, const QString &initialFileName, const QString &initialFolder,
                       const QString &title, bool cancelRaisesError, bool save, const QString &defaultExtension,
                       bool multiSelect)
{
    g_selectedFiles.reset();
    Prompts::FileDialogRequest request;
    request.title = title;
    request.filter = ToQtFilter(filter);
    request.initialFolder = initialFolder;
    request.initialName = initialFileName;
    request.defaultSuffix = defaultExtension;
    request.save = save;
    request.multiSelect = multiSelect && !save;

    QStringList chosen = prompts().fileDialog(request);
    if (chosen.isEmpty()) {
        if (cancelRaisesError)
            throw DwError(DwError::DialogCancelled, QStringLiteral("Annuleren is gekozen."));
        return QString();
    }
    for (QString &path : chosen)
        path = QDir::toNativeSeparators(path);
    if (request.multiSelect)
        g_selectedFiles = chosen;
    return chosen.first();
}

} // namespace dwfm
