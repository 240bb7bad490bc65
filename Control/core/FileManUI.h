#pragma once

#include "DwExport.h"
#include "core/ControlState.h"

#include <QString>
#include <QVariant>
#include <QWidget>

class QFrame;
class QLabel;
class QMenu;
class QStatusBar;
class QTextBrowser;
class QTreeView;

namespace dwfm {

class CheckOutCommands;
class ControlView;
class FileListModel;

// The file manager control: a tree of the store's locations, the files of the chosen
// location with who has them in use, a preview and a status bar. A host creates it,
// calls SetupConnection, then one of the mode methods, and reacts to its signals.
class DWFILEMANUI_EXPORT FileManUI : public QWidget {
    Q_OBJECT
public:
    explicit FileManUI(QWidget *parent = nullptr);
    ~FileManUI() override;

    // Fields the host reads and writes directly. They start False; setting one has no
    // immediate effect, the control reads them when it next needs them.
    bool StatusBarVisible = false;
    bool ToolbarVisible = false;
    bool HeaderLabelsVisible = false;
    bool AllowPopupMenu = false;
    bool ReadOnly = false;
    bool FileInfoVisible = false;
    bool HideLocations = false;
    bool AutoShowPreview = false;
    bool ExternalFileCopy = false;
    bool NoFileOpenOnDoubleClick = false;
    bool Initialized = false;

    // Makes a new session through the registered factory, connects it with these
    // arguments and, on success, uncovers the control and fills the status bar. On
    // failure the control is disabled and stays covered. Errors of the session's
    // creation or of Connect reach the caller as DwError.
    bool SetupConnection(const QString &strServer, const QString &strUser, const QString &strPassWord,
                         const QString &strCatalog, bool bSQLSecurity);
    // The language hook: every text of the control is its fixed Dutch text, so this reads
    // nothing and answers an empty value.
    QVariant SetupLanguage(const QString &vLanguageFile);

    // Puts the splitters and the list's column widths back as SaveSettings kept them for
    // this host description (the splitters in the middle and columns of 1000 twips the
    // first time) and lays the control out anew.
    void RestoreSettings(const QString &vAppDescription);
    // Keeps the split positions and column widths for this host description. Writes
    // nothing before a mode method has succeeded.
    void SaveSettings(const QString &vAppDescription);
    // A "&Weergave" menu for the host's menu bar: it shows and hides the tree, the
    // preview, the tool bar, the title row and the status bar.
    QMenu *createViewMenu(QWidget *parent);
    // The layout, view menu and popup menu of the control; commands connect to the popup
    // menu's and the tool bar's actions through it.
    ControlView &view() const { return *m_view; }

    // The control's private state, for the subsystems and for tests.
    const ControlState &state() const { return m_state; }
    ControlState &state() { return m_state; }
    bool isOverlayShown() const;

    // The child controls, named as the control's design names them.
    QFrame *Frame1 = nullptr;
    QLabel *Label2 = nullptr;
    QTreeView *tvTreeView = nullptr;
    QTreeView *lvListView = nullptr;
    QTextBrowser *WebBrowser = nullptr;
    QStatusBar *StatusBar = nullptr;
    QLabel *lblTitle[2] = {nullptr, nullptr};
    FileListModel *listModel() const { return m_listModel; }
    // The status bar panel with this key ("infohuidig", "computernaam", "infogebruiker",
    // "infoserver").
    QLabel *statusPanel(const QString &key) const;
    // Check-out, check-in, viewing and the list's double-click, for the menu and tool-bar
    // dispatch and for tests.
    CheckOutCommands &checkOutCommands() const { return *m_checkOut; }

signals:
    void LocationChanged(const QString &strLocationPath, qint32 lLocationID);
    void ProjectChanged(const QString &strProjectDescription, qint32 lProjectID, bool bMultipleSelected,
                        bool bNothingSelected);
    void FileOpen(const QString &strFilePath, qint32 lProjectID);
    void FileCheckOut(const QString &strFilePath, qint32 lProjectID);
    void FileCheckIn(qint32 lProjectID);
    void ProjectDblClick();
    void FileCopy(qint32 lSourceProjectID, qint32 lSourceLocationID);

protected:
    void resizeEvent(QResizeEvent *event) override;

public:
    // Shared by the subsystems: cover or uncover the control, and the busy pointer.
    void ShowOverlay();
    void HideOverlay();
    void ShowBusy();
    void ShowIdle();

private:
    void UserControl_Initialize();
    void SetUpListView();
    void ShowConnectionInfo();
    void layoutChildren();
    void SetUpCheckOut();

    ControlState m_state;
    FileListModel *m_listModel = nullptr;
    CheckOutCommands *m_checkOut = nullptr;
    ControlView *m_view = nullptr;
};

} // namespace dwfm
