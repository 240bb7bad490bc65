#pragma once

#include <QString>

class QWidget;

namespace dwfm {

// The outcome of one folder dialog.
class clsBrowseForFolder {
public:
    bool FolderChosen = false;
    bool Cancelled = false;
    QString FolderPath;

    // Shows the folder dialog over `owner` with `title` and fills the three fields.
    void ShowBrowseFolder(QWidget *owner, const QString &title);
};

// Lets the user choose a folder. True and `path` set when one was chosen; otherwise
// False and `path` unchanged.
bool BrowseForFolder(QWidget *owner, QString &path, const QString &title);

} // namespace dwfm
