#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <map>
#include <optional>

namespace dwfm {

struct ControlState;
class PreviewBrowser;

// What the preview works with: the shared state (its page path), the browser, the tree's
// selected node, the host's fields that allow pictures and automatic pages, and the
// viewer for a stored file whose link is followed.
struct PreviewContext {
    ControlState &state;
    PreviewBrowser &browser;
    // The selected tree node's key; nothing when no node is selected.
    std::function<std::optional<QString>()> selectedNodeKey;
    const bool *fileInfoVisible = nullptr;
    const bool *autoShowPreview = nullptr;
    // Opens a read-only copy of a stored file for the user.
    std::function<void(qint32 projectID)> viewStoredFile;
};

// The preview pane: writes a small HTML page for the selection into one temporary file at
// a time and lets the browser show it. A file row shows a link to the stored file, or the
// picture itself; a location shows all its files. Links back to a location are answered
// with that location's page; a followed link to a stored file opens a read-only copy,
// never the store's own file.
class PreviewPane : public QObject {
    Q_OBJECT
public:
    explicit PreviewPane(PreviewContext context, QObject *parent = nullptr);

    // Replaces the page file by a new one holding `body`; reports a failure as
    // "DwProjectFileManUITmpFile" and keeps the path it took.
    void WritePreviewPage(const QString &body);
    // The page of one picture, by its store path. Failures are passed over.
    void ShowPicturePage(const QString &strPath);
    // The page of every file of a location. Failures reach the caller.
    void ShowLocationPage(qint32 lLocationID);

    // The preview of a click on one file row (file ID and row text). Failures reach the
    // caller.
    void showFileRow(qint32 projectID, const QString &rowText);
    // The preview of a click that leaves not exactly one row selected: the folder link
    // alone, or a blank page without a selected node.
    void showFolderLinkOrBlank();
    // The folder link of the selected tree node (empty when none is selected).
    QString folderLink() const;

    // The browser's before-navigate notification; True cancels the navigation.
    bool beforeNavigate(const QString &address);

    bool ownPageFlag() const { return m_ownPage; }
    PreviewBrowser &browser() const { return m_ctx.browser; }
    // The store path of each stored file the shown page links to, with its file ID.
    const std::map<QString, qint32> &linkedFiles() const { return m_linkedFiles; }

private:
    bool picturesAllowed() const;
    void navigateToPage();
    QString storePathOf(qint32 projectID, const QString &fileName) const;

    PreviewContext m_ctx;
    bool m_ownPage = false;
    std::map<QString, qint32> m_linkedFiles;
};

} // namespace dwfm
