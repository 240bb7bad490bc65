#pragma once

#include "PreviewDocument.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>
#include <map>
#include <optional>

namespace dwfm {

struct ControlState;
class PreviewBrowser;
class PreviewLoader;

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
//
// When the host lets the preview follow the selection (FileInfoVisible and AutoShowPreview),
// a file row's page also shows the document below its link: the first pages of a PDF, the
// beginning of a text, an office document through a PDF that LibreOffice makes. That part
// is made off the GUI thread and added when it is ready, only while the row's page is
// still the one shown.
class PreviewPane : public QObject {
    Q_OBJECT
public:
    // The largest file the preview has the store copy when it lies on no disk the preview
    // can read: fetching it holds up the GUI thread.
    static constexpr qint64 ViewCopyLimit = 10ll * 1024 * 1024;

    explicit PreviewPane(PreviewContext context, QObject *parent = nullptr);
    ~PreviewPane() override;

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
    // A blank pane, with nothing left of the page before.
    void showBlank();
    // The tree's selection moved: a page that belongs to another node goes.
    void nodeChanged();
    // The folder link of the selected tree node (empty when none is selected).
    QString folderLink() const;

    // The browser's before-navigate notification; True cancels the navigation.
    bool beforeNavigate(const QString &address);

    // True while the shown file's document is being made or is about to be drawn again.
    bool isDrawing() const;

    bool ownPageFlag() const { return m_ownPage; }
    PreviewBrowser &browser() const { return m_ctx.browser; }
    PreviewLoader &loader() const { return *m_loader; }
    // The store path of each stored file the shown page links to, with its file ID.
    const std::map<QString, qint32> &linkedFiles() const { return m_linkedFiles; }

signals:
    // The document part of the shown file's page is settled: drawn, or nothing to add.
    void documentShown();

private:
    bool picturesAllowed() const;
    void navigateToPage();
    QString storePathOf(qint32 projectID, const QString &fileName) const;
    // Drops what the shown page had: its links, its document and the work on it.
    void forgetPage();
    // A new page replaces whatever was shown, for the selected node.
    void startPage();
    void loadDocument(qint32 projectID, const QString &storePath, const QString &fileName);
    std::shared_ptr<const TemporaryCopy> viewCopyOf(qint32 projectID) const;
    void showDocument(const PreviewDocument &document);
    void redraw();

    PreviewContext m_ctx;
    bool m_ownPage = false;
    std::map<QString, qint32> m_linkedFiles;
    PreviewLoader *m_loader = nullptr;
    // Whether a page is shown (not blank), and the node it belongs to.
    bool m_pageShown = false;
    std::optional<QString> m_pageNode;
    // The shown file's page without its document part; empty for any other page.
    QString m_filePage;
    // Whether the shown page has a document part.
    bool m_documentAdded = false;
    // The shown file's document, to draw again when the pane grows (not for a copy the store
    // made: that is gone once read).
    std::optional<PreviewRequest> m_request;
    QTimer m_redraw;
};

} // namespace dwfm
