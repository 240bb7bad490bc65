#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <optional>

class QMimeData;
class QWidget;

namespace dwfm {

struct ControlState;

// What adding files needs of the control: its state (for the last saved file), the owner
// of the dialog, the key of the selected tree node and the list's refill.
struct FileAddingContext {
    ControlState &state;
    QWidget *owner = nullptr;
    // The key of the selected tree node; nothing when no node is selected.
    std::function<std::optional<QString>()> selectedNodeKey;
    std::function<void()> refreshListView;
};

// Files entering the store: through the add-files dialog (picked or dropped), one file
// handed over by the host, or a new, nearly empty file the host fills afterwards.
class FileAdding : public QObject {
    Q_OBJECT
public:
    explicit FileAdding(FileAddingContext context, QObject *parent = nullptr);

    // Registers the file at strFilePath in the selected location without asking anything;
    // True when the store took it (LastSavedProjectID / LastSavedFileName then name it).
    // The host's bSilent is not used: this never shows the dialog.
    bool AddFileToCurrentLocation(const QString &strFilePath, bool bSilent);
    // Creates a file of this name (the extension appended unless the name already ends in
    // it) in the selected location's folder and registers it; True on success.
    bool CreateEmptyFileInCurrentLocation(const QString &strFileName, const QString &strExtentionName);
    // Shows the add-files dialog for this location, filled with the dropped files when
    // `data` names any. Errors are passed over.
    void AddFilesToLocation(qint32 lLocationID, const QMimeData *data);

    // The name a new empty file gets: strFileName, with "." and the extension appended
    // unless the name already ends in exactly that extension (case counts).
    static QString EmptyFileName(const QString &strFileName, const QString &strExtentionName);

private:
    bool createEmptyFile(const QString &strFileName, const QString &strExtentionName, QString &fullPath);

    FileAddingContext m_ctx;
};

} // namespace dwfm
