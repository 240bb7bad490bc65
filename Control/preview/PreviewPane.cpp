#include "PreviewPane.h"

#include "PreviewBrowser.h"
#include "PreviewLoader.h"
#include "PreviewPages.h"
#include "PreviewWorker.h"

#include "core/ControlState.h"
#include "core/SessionAccess.h"
#include "DwError.h"
#include "ProjectVersions.h"
#include "platform/ErrorTrap.h"
#include "platform/ShellServices.h"

#include <QFile>
#include <QFileInfo>
#include <QUrl>

#include <algorithm>

namespace dwfm {

namespace {
const QString kBlank = QStringLiteral("about:blank");

// The size of a file's current content as a store that keeps versions tells it; -1 when
// the store does not say.
qint64 currentSize(FileStoreSession &session, qint32 projectID)
{
    auto *versions = dynamic_cast<ProjectVersions *>(&session.Projects());
    RecordsetPtr rs;
    if (!versions || !versions->GetProjectVersions(rs, projectID) || !rs)
        return -1;
    qint64 size = -1;
    for (; !rs->isEof(); rs->moveNext()) {
        if (rs->value(QStringLiteral("IsCurrent")).toBool()) {
            size = rs->value(QStringLiteral("Size")).toLongLong();
            break;
        }
    }
    rs->close();
    return size;
}
} // namespace

PreviewPane::PreviewPane(PreviewContext context, QObject *parent) : QObject(parent), m_ctx(std::move(context))
{
    m_ctx.browser.setBeforeNavigate([this](const QString &address) {
        bool cancel = false;
        SkipOnError([&] { cancel = beforeNavigate(address); });
        return cancel;
    });
    m_loader = new PreviewLoader(this);
    connect(m_loader, &PreviewLoader::documentReady, this, &PreviewPane::showDocument);
    // While the user drags the pane wider, the pages are drawn again once, when it rests.
    m_redraw.setSingleShot(true);
    m_redraw.setInterval(200);
    connect(&m_redraw, &QTimer::timeout, this, &PreviewPane::redraw);
    m_ctx.browser.setPagesTooNarrow([this] { m_redraw.start(); });
}

// The browser may be gone already: the control destroys its members before its children.
PreviewPane::~PreviewPane() = default;

bool PreviewPane::picturesAllowed() const
{
    return m_ctx.fileInfoVisible && *m_ctx.fileInfoVisible && m_ctx.autoShowPreview && *m_ctx.autoShowPreview;
}

QString PreviewPane::folderLink() const
{
    return PreviewPages::folderLink(m_ctx.selectedNodeKey ? m_ctx.selectedNodeKey() : std::nullopt);
}

QString PreviewPane::storePathOf(qint32 projectID, const QString &fileName) const
{
    const FileStoreSessionPtr session = RequireSession();
    return PreviewPages::storePath(session->Locations().GetServerRootFolder(),
                                   session->Projects().GetProjectLocationPath(projectID), fileName);
}

void PreviewPane::forgetPage()
{
    m_loader->cancel();
    m_request.reset();
    m_filePage.clear();
    m_documentAdded = false;
    m_linkedFiles.clear();
    m_pageShown = false;
    m_pageNode.reset();
}

void PreviewPane::startPage()
{
    forgetPage();
    m_ctx.browser.setDocumentPages({});
    m_pageShown = true;
    m_pageNode = m_ctx.selectedNodeKey ? m_ctx.selectedNodeKey() : std::nullopt;
}

void PreviewPane::WritePreviewPage(const QString &body)
{
    TrapErrorsVoid(QStringLiteral("DwProjectFileManUITmpFile"), [&] {
        DeleteFileIfExists(m_ctx.state.PreviewPagePath);
        m_ctx.state.PreviewPagePath = NewTempFilePath(GetTempDirectory());
        QFile page(m_ctx.state.PreviewPagePath);
        if (m_ctx.state.PreviewPagePath.isEmpty() || !page.open(QIODevice::WriteOnly | QIODevice::Truncate))
            throw DwError(DwError::PermissionDenied,
                          QStringLiteral("Het voorbeeld kan niet worden geschreven in %1.").arg(GetTempDirectory()));
        const QByteArray text = PreviewPages::pageFileText(body).toUtf8();
        if (page.write(text) != text.size() || !page.flush())
            throw DwError(DwError::DiskFull, QStringLiteral("Het voorbeeld kan niet worden geschreven: %1.")
                                                 .arg(page.errorString()));
    });
}

void PreviewPane::navigateToPage()
{
    m_ctx.browser.navigate(QUrl::fromLocalFile(m_ctx.state.PreviewPagePath).toString());
}

void PreviewPane::ShowPicturePage(const QString &strPath)
{
    SkipOnError([&] {
        startPage();
        WritePreviewPage(PreviewPages::picturePageBody(strPath, folderLink()));
    });
    SkipOnError([&] { navigateToPage(); });
}

void PreviewPane::ShowLocationPage(qint32 lLocationID)
{
    RecordsetPtr rs;
    std::vector<PreviewPages::LocationEntry> entries;
    std::map<QString, qint32> linked;
    {
        const FileStoreSessionPtr session = RequireSession();
        session->Projects().GetProjectsInLocation(rs, lLocationID);
        if (!rs) {
            showBlank();
            return;
        }
        // The first row is read before end-of-rows is tested: the store answers no record
        // set rather than an empty one.
        do {
            const qint32 id = rs->value(QStringLiteral("Projectid")).toInt();
            const QString name = rs->value(QStringLiteral("FileName")).toString();
            const QString path = storePathOf(id, name);
            entries.push_back({path, name});
            linked[path] = id;
            rs->moveNext();
        } while (!rs->isEof());
        rs->close();
    }
    startPage();
    m_linkedFiles = std::move(linked);
    WritePreviewPage(PreviewPages::locationPageBody(entries));
    navigateToPage();
}

void PreviewPane::showFileRow(qint32 projectID, const QString &rowText)
{
    QString path;
    QString fileName;
    {
        const FileStoreSessionPtr session = RequireSession();
        fileName = session->Projects().GetProjectFileName(projectID);
        path = storePathOf(projectID, fileName);
    }
    if (PreviewPages::isPictureFile(path) && picturesAllowed()) {
        ShowPicturePage(path);
        // The picture is a link to its file like the link of any other file's page.
        m_linkedFiles = {{path, projectID}};
        return;
    }
    startPage();
    m_linkedFiles = {{path, projectID}};
    m_ownPage = true;
    const QString body = PreviewPages::filePageBody(path, rowText, folderLink());
    WritePreviewPage(body);
    navigateToPage();
    if (picturesAllowed()) {
        m_filePage = body;
        // Whatever goes wrong in getting the document leaves the link page as it is.
        if (!SkipOnError([&] { loadDocument(projectID, path, fileName); }))
            m_loader->load(PreviewRequest());
    }
}

void PreviewPane::showFolderLinkOrBlank()
{
    const QString link = folderLink();
    if (link.isEmpty()) {
        showBlank();
        return;
    }
    startPage();
    m_ownPage = true;
    WritePreviewPage(link);
    navigateToPage();
}

void PreviewPane::showBlank()
{
    forgetPage();
    m_ctx.browser.navigate(kBlank);
}

void PreviewPane::nodeChanged()
{
    const std::optional<QString> node = m_ctx.selectedNodeKey ? m_ctx.selectedNodeKey() : std::nullopt;
    if (m_pageShown && node != m_pageNode)
        showBlank();
}

std::shared_ptr<const TemporaryCopy> PreviewPane::viewCopyOf(qint32 projectID) const
{
    const FileStoreSessionPtr session = RequireSession();
    // Only a store that tells the size is asked for a copy, and only of a small file: the
    // copy is made on the GUI thread.
    const qint64 size = currentSize(*session, projectID);
    if (size < 0 || size > ViewCopyLimit)
        return nullptr;
    QString copy;
    if (!session->Projects().GetViewCopy(projectID, copy) || copy.isEmpty())
        return nullptr;
    return std::make_shared<const TemporaryCopy>(copy);
}

void PreviewPane::loadDocument(qint32 projectID, const QString &storePath, const QString &fileName)
{
    PreviewRequest request;
    request.fileName = fileName;
    request.width = m_ctx.browser.documentWidth();
    request.pixelRatio = m_ctx.browser.pixelRatio();
    request.path = storePath;
    // The embedded store keeps its files on disk; a store that keeps them in its database
    // hands out a copy.
    if (!QFileInfo::exists(storePath)) {
        request.copy = viewCopyOf(projectID);
        // Without content the load answers that there is nothing to add, as for any file
        // it cannot read.
        request.path = request.copy ? request.copy->path() : QString();
    } else {
        m_request = request;
    }
    m_loader->load(std::move(request));
}

bool PreviewPane::isDrawing() const { return m_loader->isBusy() || m_redraw.isActive(); }

void PreviewPane::redraw()
{
    if (!m_request || m_filePage.isEmpty() || m_loader->isBusy())
        return;
    PreviewRequest request = *m_request;
    request.width = m_ctx.browser.documentWidth();
    request.pixelRatio = m_ctx.browser.pixelRatio();
    m_request = request;
    m_loader->load(std::move(request));
}

void PreviewPane::showDocument(const PreviewDocument &document)
{
    if (m_filePage.isEmpty())
        return;
    QString part;
    switch (document.kind) {
    case PreviewDocument::Kind::Pages:
        part = PreviewPages::documentPagesPart(document.pageCount,
                                               std::min(document.pageCount, PreviewWorker::MaxPages),
                                               int(document.pages.size()));
        break;
    case PreviewDocument::Kind::Text:
        part = PreviewPages::textPart(document.text, document.truncated);
        break;
    case PreviewDocument::Kind::Converting:
        part = PreviewPages::conversionPart();
        break;
    case PreviewDocument::Kind::Nothing:
        break;
    }
    // The link page stays as it is when there is nothing to add and nothing to take away.
    if (!part.isEmpty() || m_documentAdded) {
        m_documentAdded = !part.isEmpty();
        SkipOnError([&] {
            m_ctx.browser.setDocumentPages(document.pages);
            WritePreviewPage(m_filePage + part);
            navigateToPage();
        });
    }
    // Pages drawn for a pane that has grown since (as it does when the window first
    // shows) are drawn again at the new width.
    if (document.complete && !document.pages.empty() &&
        m_ctx.browser.documentWidth() * document.pages.front().devicePixelRatio() > document.pages.front().width() + 8)
        m_redraw.start();
    if (document.kind != PreviewDocument::Kind::Converting && document.complete)
        emit documentShown();
}

bool PreviewPane::beforeNavigate(const QString &address)
{
    if (m_ownPage) {
        m_ownPage = false;
        return false;
    }
    if (const std::optional<qint32> location = PreviewPages::linkedLocation(address)) {
        showBlank();
        SkipOnError([&] { ShowLocationPage(*location); });
        return false;
    }
    // A link to a stored file opens a read-only copy; the pane keeps its page.
    const QString file = PreviewPages::localFileOfAddress(address);
    const auto linked = m_linkedFiles.find(file);
    if (linked != m_linkedFiles.end()) {
        if (m_ctx.viewStoredFile)
            m_ctx.viewStoredFile(linked->second);
        return true;
    }
    return false;
}

} // namespace dwfm
