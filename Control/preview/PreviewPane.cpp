#include "PreviewPane.h"

#include "PreviewBrowser.h"
#include "PreviewPages.h"

#include "core/ControlState.h"
#include "core/SessionAccess.h"
#include "DwError.h"
#include "platform/ErrorTrap.h"
#include "platform/ShellServices.h"

#include <QFile>
#include <QUrl>

namespace dwfm {

namespace {
const QString kBlank = QStringLiteral("about:blank");
} // namespace

PreviewPane::PreviewPane(PreviewContext context, QObject *parent) : QObject(parent), m_ctx(std::move(context))
{
    m_ctx.browser.setBeforeNavigate([this](const QString &address) {
        bool cancel = false;
        SkipOnError([&] { cancel = beforeNavigate(address); });
        return cancel;
    });
}

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
        m_linkedFiles.clear();
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
            m_ctx.browser.navigate(kBlank);
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
    m_linkedFiles = {{path, projectID}};
    if (PreviewPages::isPictureFile(path) && picturesAllowed()) {
        ShowPicturePage(path);
        return;
    }
    m_ownPage = true;
    WritePreviewPage(PreviewPages::filePageBody(path, rowText, folderLink()));
    navigateToPage();
}

void PreviewPane::showFolderLinkOrBlank()
{
    m_linkedFiles.clear();
    const QString link = folderLink();
    if (link.isEmpty()) {
        m_ctx.browser.navigate(kBlank);
        return;
    }
    m_ownPage = true;
    WritePreviewPage(link);
    navigateToPage();
}

bool PreviewPane::beforeNavigate(const QString &address)
{
    if (m_ownPage) {
        m_ownPage = false;
        return false;
    }
    if (const std::optional<qint32> location = PreviewPages::linkedLocation(address)) {
        m_ctx.browser.navigate(kBlank);
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
