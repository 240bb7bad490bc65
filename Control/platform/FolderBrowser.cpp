#include "FolderBrowser.h"

#include "ErrorReport.h"
#include "Prompts.h"

namespace dwfm {

void clsBrowseForFolder::ShowBrowseFolder(QWidget *owner, const QString &title)
{
    try {
        const std::optional<QString> chosen = prompts().folderDialog(title, owner);
        if (!chosen)
            return;
        FolderChosen = !chosen->isEmpty();
        Cancelled = chosen->isEmpty();
        FolderPath = FolderChosen ? *chosen : QString();
    } catch (const std::exception &error) {
        FolderChosen = false;
        Cancelled = true;
        FolderPath.clear();
        ShowError(QString(), error);
    }
}

bool BrowseForFolder(QWidget *owner, QString &path, const QString &title)
{
    try {
        clsBrowseForFolder browser;
        browser.ShowBrowseFolder(owner, title);
        if (!browser.FolderChosen)
            return false;
        path = browser.FolderPath;
        return true;
    } catch (const std::exception &error) {
        ShowError(QString(), error);
        return false;
    }
}

} // namespace dwfm
