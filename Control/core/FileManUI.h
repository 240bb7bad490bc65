#pragma once

#include "DwExport.h"
#include "core/ControlState.h"

#include <QString>
#include <QVariant>
#include <QWidget>

#include <memory>

class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QStatusBar;
class QTextBrowser;
class QTreeView;

namespace dwfm {

class CheckOutCommands;
class ControlView;
class CommandDispatch;
class FileAdding;
class FolderCommands;
class PropertiesCommand;
class SendToCommands;
class ControlModes;
class FileList;
class FileListModel;
class LiveListRefresh;
class LocationTree;
class LocationTreeModel;
class ClipboardCommands;
class FileCommands;
class FreeWatch;
class ListCommandDispatch;
class ListRowClick;
class PreviewPane;
class SearchCommands;
class TextBrowserPreview;

// The file manager control: a tree of the store's locations, the files of the chosen
// location with who has them in use, a preview and a status bar. A host creates it,
// calls SetupConnection, then one of the mode methods, and reacts to its signals.
class DWFILEMANUI_EXPORT FileManUI : public QWidget {
    Q_OBJECT
    // The public fields as properties, for Qt Designer and .ui files; hosts keep using the
    // fields themselves.
    Q_PROPERTY(bool StatusBarVisible MEMBER StatusBarVisible)
    Q_PROPERTY(bool ToolbarVisible MEMBER ToolbarVisible)
    Q_PROPERTY(bool HeaderLabelsVisible MEMBER HeaderLabelsVisible)
    Q_PROPERTY(bool AllowPopupMenu MEMBER AllowPopupMenu)
    Q_PROPERTY(bool ReadOnly MEMBER ReadOnly)
    Q_PROPERTY(bool FileInfoVisible MEMBER FileInfoVisible)
    Q_PROPERTY(bool HideLocations MEMBER HideLocations)
    Q_PROPERTY(bool AutoShowPreview MEMBER AutoShowPreview)
    Q_PROPERTY(bool ExternalFileCopy MEMBER ExternalFileCopy)
    Q_PROPERTY(bool NoFileOpenOnDoubleClick MEMBER NoFileOpenOnDoubleClick)
    Q_PROPERTY(bool Initialized MEMBER Initialized)
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
    // The modes: what the tree shows at the top. Each answers True when the tree was
    // built (Initialized follows it) and reports a failure under its own name.
    // Root mode: the user's root locations under "Applicaties".
    bool ControlInRootMode();
    // User mode: one node for the user; the list shows the files the user has checked out.
    bool ControlInUserMode(const QString &strUserID, const QString &strUserDescription);
    // One location as the top node (strDescription as its text, or the location's own name
    // when empty). Without bNoInit nothing is built yet: add extra locations with
    // AddAdditionalSpecificLocation, then call RefreshTreeView.
    bool ControlInSpecificLocationMode(qint32 lLocationID, const QString &strDescription, bool bNoInit = false);
    // The specific-location mode, built at once, for a host that saves a file.
    bool ControlInSaveFileMode(qint32 lLocationID, const QString &strDescription);
    // The specific-location mode, built at once, read-only and without popup menu, for a
    // host that lets the user pick a file.
    bool ControlInSelectFileMode(qint32 lLocationID, const QString &strDescription);
    // Adds an extra top location for the next build of the specific-location mode.
    void AddAdditionalSpecificLocation(qint32 lLocationID, const QString &strDescription);
    // Rebuilds the tree and selects again the node that was selected.
    void RefreshTreeView();
    // Refills the file list from the store, keeping the selected file selected.
    void RefreshListView();

    // The selected location's ID (0 for a node that is not a location, -1 when none) and
    // its name.
    qint32 GetCurrentLocationID();
    QString GetCurrentLocationDescription();
    // The selected file's ID (-1 when none) and its name.
    qint32 GetCurrentProjectID();
    QString GetCurrentProjectDescription();
    // The file last added to the store through the control; 0 and empty before the first.
    qint32 LastSavedProjectID() const;
    QString LastSavedFileName() const;
    // Registers the file at strFilePath in the selected location, silently; True when the
    // store took it, and LastSavedProjectID / LastSavedFileName then name the new file.
    // Without a selected location: "Geen doel folder geselecteerd!" and False.
    bool AddFileToCurrentLocation(const QString &strFilePath, bool bSilent);
    // Creates a small file strFileName (with "." + strExtentionName appended unless it
    // already ends in exactly that) in the selected location's folder and registers it;
    // True on success, with LastSavedProjectID / LastSavedFileName naming it.
    bool CreateEmptyFileInCurrentLocation(const QString &strFileName, const QString &strExtentionName);
    // Grid lines in the file list on or off.
    void ShowListViewGrid(bool vOn);
    // Lists only these files ("12|15|99"); an empty text lists every file again. Takes
    // effect at the next refill of the list.
    void SetAcceptableProjects(const QString &strProjectList);
    // In user mode: rebuilds the tree and answers how many listed files the current user
    // has. -1 in any other mode.
    qint32 CountOfProjectsInUseByUser();
    // Asks the store for a copy of a file at strTargetPath.
    bool FileManSessionProjectsGetLocalCopy(qint32 hWnd, qint32 vProjectID, const QString &strTargetPath);
    // The style sheet of the preview's pages, as text.
    QVariant GetCSSString();
    // Finds the files of the store whose name, remarks, holder or text match strText, among
    // the locations the user's tree may show, and shows them as a location of their own: the
    // node "Zoekresultaten: " + strText after the tree's top nodes, selected, with the folder
    // of each file in an extra column. Raises SearchResultsShown. False (nothing changes)
    // for an empty text or a store that cannot search. Escape or a click elsewhere in the
    // tree leaves the results.
    bool SearchProjects(const QString &strText);

    // True while the overlay covers the control (not connected, or no such location).
    bool isOverlayShown() const;

    // The child controls, named as the control's design names them.
    QFrame *Frame1 = nullptr;
    QLabel *Label2 = nullptr;
    QTreeView *tvTreeView = nullptr;
    QTreeView *lvListView = nullptr;
    QTextBrowser *WebBrowser = nullptr;
    QStatusBar *StatusBar = nullptr;
    QLabel *lblTitle[2] = {nullptr, nullptr};
    // The search field above the file list; shown only when the store can search.
    QLineEdit *txtZoeken = nullptr;
    // The status bar panel with this key ("infohuidig", "computernaam", "infogebruiker",
    // "infoserver").
    QLabel *statusPanel(const QString &key) const;

signals:
    void LocationChanged(const QString &strLocationPath, qint32 lLocationID);
    void ProjectChanged(const QString &strProjectDescription, qint32 lProjectID, bool bMultipleSelected,
                        bool bNothingSelected);
    void FileOpen(const QString &strFilePath, qint32 lProjectID);
    void FileCheckOut(const QString &strFilePath, qint32 lProjectID);
    void FileCheckIn(qint32 lProjectID);
    void ProjectDblClick();
    void FileCopy(qint32 lSourceProjectID, qint32 lSourceLocationID);
    // The results of a search are shown: its text and the number of files found.
    void SearchResultsShown(const QString &strText, qint32 lCount);
    // A file the user asked to hear about ("Laat weten wanneer vrij") is free again: its
    // name, its ID and the user who checked it in or undid its check-out.
    void ProjectFreed(const QString &strProjectDescription, qint32 lProjectID, const QString &strUserID);

protected:
    void resizeEvent(QResizeEvent *event) override;

public:
    // Shared by the subsystems: cover or uncover the control, and the busy pointer.
    void ShowOverlay();
    void HideOverlay();
    void ShowBusy();
    void ShowIdle();

private:
    // The subsystems are reached through core/FileManUIInternals.h, which is not installed.
    friend struct FileManUIInternals;

    void UserControl_Initialize();
    void SetUpListView();
    void ShowConnectionInfo();
    void layoutChildren();
    void SetUpCheckOut();
    void setUpSubsystems();
    void setUpPreview();
    void setUpFileCommands();
    void setUpFolderAndFileWork();
    void setUpSearchAndNotices();

    ControlState m_state;
    FileListModel *m_listModel = nullptr;
    CheckOutCommands *m_checkOut = nullptr;
    FileAdding *m_adding = nullptr;
    FolderCommands *m_folders = nullptr;
    SendToCommands *m_sendTo = nullptr;
    PropertiesCommand *m_properties = nullptr;
    CommandDispatch *m_commandDispatch = nullptr;
    ControlView *m_view = nullptr;
    LocationTree *m_tree = nullptr;
    FileList *m_list = nullptr;
    LiveListRefresh *m_live = nullptr;
    std::unique_ptr<ControlModes> m_modes;
    std::unique_ptr<TextBrowserPreview> m_browser;
    PreviewPane *m_preview = nullptr;
    ListRowClick *m_rowClick = nullptr;
    ListCommandDispatch *m_dispatch = nullptr;
    ClipboardCommands *m_clipboard = nullptr;
    FileCommands *m_fileCommands = nullptr;
    SearchCommands *m_search = nullptr;
    FreeWatch *m_freeWatch = nullptr;
};

} // namespace dwfm
