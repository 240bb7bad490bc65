#include "FileManUI.h"
#include "FileManUIInternals.h"

#include "adding/FileAdding.h"
#include "checkout/CheckOutCommands.h"
#include "clipboard/ClipboardCommands.h"
#include "filecommands/FileCommands.h"
#include "dispatch/CommandDispatch.h"
#include "properties/PropertiesCommand.h"
#include "sendto/SendToCommands.h"
#include "tree/FolderCommands.h"
#include "core/ControlModes.h"
#include "core/Keys.h"
#include "SessionRegistry.h"
#include "list/FileList.h"
#include "list/ListCommandDispatch.h"
#include "list/ListRowClick.h"
#include "list/LiveListRefresh.h"
#include "list/FileListModel.h"
#include "list/ListSelection.h"
#include "notify/FreeWatch.h"
#include "search/SearchCommands.h"
#include "tree/LocationTree.h"
#include "tree/LocationTreeModel.h"
#include "platform/DutchQtTexts.h"
#include "platform/ErrorTrap.h"
#include "platform/ShellServices.h"
#include "preview/PreviewBrowser.h"
#include "preview/PreviewPages.h"
#include "preview/PreviewPane.h"
#include "preview/PreviewTextBrowser.h"
#include "platform/TextHelpers.h"
#include "view/ControlView.h"
#include "view/LayoutSettings.h"
#include "view/PopupMenu.h"
#include "view/PopupMenuController.h"
#include "view/ViewMenu.h"

#include <QFile>
#include <QFrame>
#include <QHeaderView>
#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QStatusBar>
#include <QSysInfo>
#include <QTextBrowser>
#include <QTreeView>

#include <functional>
#include <optional>

namespace dwfm {

namespace {
struct PanelSpec {
    const char *key;
    const char *toolTip;
};
constexpr PanelSpec kPanels[] = {{"infohuidig", nullptr},
                                 {"computernaam", "Computer naam."},
                                 {"infogebruiker", "Huidige gebruiker."},
                                 {"infoserver", "Huidige connectie."}};

// The key of the tree's selected node, or nothing while no node is selected; the
// commands that work on "the selected location" ask it when they run.
std::function<std::optional<QString>()> selectedNodeKeyOf(LocationTree &tree)
{
    return [&tree]() -> std::optional<QString> {
        const QModelIndex node = tree.selectedNode();
        if (!node.isValid())
            return std::nullopt;
        return tree.model()->key(node);
    };
}
} // namespace

FileManUI::FileManUI(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("FileManUI"));
    // Qt's own texts (the buttons of questions, the file dialogs) in Dutch like the rest.
    UseDutchQtTexts();

    tvTreeView = new QTreeView(this);
    tvTreeView->setObjectName(QStringLiteral("tvTreeView"));
    tvTreeView->setHeaderHidden(true);

    lvListView = new QTreeView(this);
    lvListView->setObjectName(QStringLiteral("lvListView"));
    lvListView->setRootIsDecorated(false);
    lvListView->setUniformRowHeights(true);
    lvListView->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lvListView->setSelectionBehavior(QAbstractItemView::SelectRows);
    lvListView->setAllColumnsShowFocus(true);

    WebBrowser = new PreviewTextBrowser(this);
    WebBrowser->setObjectName(QStringLiteral("WebBrowser"));
    WebBrowser->setOpenLinks(false);

    for (int i = 0; i < 2; ++i) {
        lblTitle[i] = new QLabel(this);
        lblTitle[i]->setObjectName(QStringLiteral("lblTitle%1").arg(i));
    }
    lblTitle[0]->setText(QStringLiteral(" TreeView:"));
    lblTitle[1]->setText(QStringLiteral(" ListView:"));

    StatusBar = new QStatusBar(this);
    StatusBar->setObjectName(QStringLiteral("StatusBar"));
    StatusBar->setSizeGripEnabled(false);
    for (const PanelSpec &def : kPanels) {
        auto *panel = new QLabel(StatusBar);
        panel->setObjectName(QString::fromLatin1(def.key));
        if (def.toolTip)
            panel->setToolTip(QString::fromUtf8(def.toolTip));
        StatusBar->addPermanentWidget(panel, QLatin1String(def.key) == QLatin1String("infohuidig") ? 1 : 0);
    }

    txtZoeken = new QLineEdit(this);
    txtZoeken->setObjectName(QStringLiteral("txtZoeken"));
    txtZoeken->hide();

    Frame1 = new QFrame(this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setFrameShape(QFrame::NoFrame);
    Frame1->setAutoFillBackground(true);
    Label2 = new QLabel(Frame1);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setFont(QFont(QStringLiteral("MS Sans Serif")));

    const ViewWidgets viewWidgets{this, Frame1, Label2, tvTreeView, lvListView, WebBrowser, StatusBar,
                                  {lblTitle[0], lblTitle[1]}, txtZoeken};
    const ViewFields viewFields{StatusBarVisible, ToolbarVisible, HeaderLabelsVisible, FileInfoVisible,
                                HideLocations};
    m_view = new ControlView(viewWidgets, viewFields,
                             PopupContext{tvTreeView, lvListView, &AllowPopupMenu, &ReadOnly, &m_state,
                                          [this] { return m_freeWatch && m_freeWatch->offered(); },
                                          [this](qint32 id) { return m_freeWatch && m_freeWatch->awaiting(id); }},
                             this);

    UserControl_Initialize();
    setUpSubsystems();
    SetUpCheckOut();
    setUpPreview();
    setUpFileCommands();
    setUpFolderAndFileWork();
    setUpSearchAndNotices();
}

FileManUI::~FileManUI()
{
    // The preview page is ours alone; nothing else removes it.
    SkipOnError([&] {
        if (!m_state.PreviewPagePath.isEmpty() && QFile::exists(m_state.PreviewPagePath))
            QFile::remove(m_state.PreviewPagePath);
    });
    // The parts (commands, dispatch, tree and list logic, models) watch and drive the views,
    // so they go first: left to Qt, the views would go first (they were made first), and the
    // events a view raises while it is torn down would reach parts whose other views are
    // already gone. They go in the reverse order of their making, so that none outlives a
    // part it uses.
    m_modes.reset();
    const QObjectList parts = children();
    for (auto part = parts.crbegin(); part != parts.crend(); ++part) {
        if (!(*part)->isWidgetType())
            delete *part;
    }
}

void FileManUI::UserControl_Initialize()
{
    TrapErrorsVoid(QStringLiteral("DwProjectFileManUIUserControl_Initialize"), [&] {
        ShowOverlay();
        SetUpListView();
        SetupLanguage(QStringLiteral("DwKFM_NL.lng"));
    });
}

void FileManUI::SetUpListView()
{
    m_listModel = new FileListModel(this);
    lvListView->setModel(m_listModel);
}

void FileManUI::SetUpCheckOut()
{
    CheckOutCommands::Context context;
    context.owner = this;
    context.listView = lvListView;
    context.listModel = m_listModel;
    context.treeNodeSelected = [this] { return m_tree->selectedNode().isValid(); };
    context.refreshListView = [this] { RefreshListView(); };
    context.readOnly = &ReadOnly;
    context.noFileOpenOnDoubleClick = &NoFileOpenOnDoubleClick;
    m_checkOut = new CheckOutCommands(std::move(context), this);
    // The commands' events are the control's own, passed on unchanged and at once.
    connect(m_checkOut, &CheckOutCommands::FileOpen, this, &FileManUI::FileOpen);
    connect(m_checkOut, &CheckOutCommands::FileCheckOut, this, &FileManUI::FileCheckOut);
    connect(m_checkOut, &CheckOutCommands::FileCheckIn, this, &FileManUI::FileCheckIn);
    connect(lvListView, &QAbstractItemView::doubleClicked, m_checkOut, [this] { m_checkOut->lvListView_DblClick(); });
    // The popup menu's and the tool bar's check-out, check-in and view commands.
    m_dispatch = new ListCommandDispatch(m_view->popupMenu(), m_view->layout().tbToolbar, *m_checkOut, this);
}

void FileManUI::setUpSubsystems()
{
    m_tree = new LocationTree(
        LocationTreeContext{.state = m_state,
                            .view = tvTreeView,
                            .showBusy = [this] { ShowBusy(); },
                            .showIdle = [this] { ShowIdle(); },
                            .showOverlay = [this] { ShowOverlay(); },
                             .hideOverlay = [this] { HideOverlay(); },
                            .clearList =
                                [this] {
                                    m_list->clear();
                                    // A rebuilt tree starts without a selection: so does the preview.
                                    if (m_preview)
                                        m_preview->showBlank();
                                },
                            .refreshListView = [this] { RefreshListView(); }},
        this);
    connect(m_tree, &LocationTree::LocationChanged, this, &FileManUI::LocationChanged);

    m_list = new FileList(
        FileListContext{.state = m_state,
                        .view = lvListView,
                        .model = m_listModel,
                        .title = lblTitle[1],
                        .selectedLocation =
                            [this] {
                                const QModelIndex node = m_tree->selectedNode();
                                return SelectedLocation{node.isValid(), m_tree->model()->key(node),
                                                        m_tree->model()->fullPath(node)};
                            },
                        .showBusy = [this] { ShowBusy(); },
                        .showIdle = [this] { ShowIdle(); },
                        .previewFollowsSelection = [this] { return FileInfoVisible && AutoShowPreview; },
                        .showLocationPage = [this](qint32 locationID) { m_preview->ShowLocationPage(locationID); }},
        this);

    // A node renamed in place, or by another user, renames the path above the list.
    connect(m_tree->model(), &QAbstractItemModel::dataChanged, m_list, [this] { m_list->updateTitle(); });

    m_adding = new FileAdding(FileAddingContext{.state = m_state,
                                                .owner = this,
                                                .selectedNodeKey =
                                                    selectedNodeKeyOf(*m_tree),
                                                .refreshListView = [this] { RefreshListView(); }},
                              this);
    m_live = new LiveListRefresh(
        *m_list, lvListView,
        [this] {
            const QModelIndex node = m_tree->selectedNode();
            return SelectedLocation{node.isValid(), m_tree->model()->key(node), QString()};
        },
        this);

    m_modes = std::make_unique<ControlModes>(m_state, ModeFields{Initialized, ReadOnly, AllowPopupMenu}, *m_tree,
                                             *m_list);
}

void FileManUI::setUpPreview()
{
    m_browser = std::make_unique<TextBrowserPreview>(qobject_cast<PreviewTextBrowser *>(WebBrowser));
    m_preview = new PreviewPane(
        PreviewContext{.state = m_state,
                       .browser = *m_browser,
                       // Search results are no folder to link back to.
                       .selectedNodeKey =
                           [nodeKey = selectedNodeKeyOf(*m_tree)]() -> std::optional<QString> {
                               std::optional<QString> key = nodeKey();
                               return key && key->endsWith(QLatin1Char('S')) ? std::nullopt : key;
                           },
                       .fileInfoVisible = &FileInfoVisible,
                       .autoShowPreview = &AutoShowPreview,
                       .viewStoredFile = [this](qint32 id) { m_checkOut->viewStoredFile(id); }},
        this);
    m_rowClick = new ListRowClick(
        ListRowClickContext{.view = lvListView,
                            .model = m_listModel,
                            .previewFile = [this](qint32 id, const QString &text) { m_preview->showFileRow(id, text); },
                            .previewFolderOrBlank = [this] { m_preview->showFolderLinkOrBlank(); }},
        this);
    connect(m_rowClick, &ListRowClick::ProjectChanged, this, &FileManUI::ProjectChanged);
    // A page of the location that was selected before must not stay (nor its links).
    connect(m_tree, &LocationTree::LocationChanged, m_preview, [this] { m_preview->nodeChanged(); });
}

void FileManUI::setUpFileCommands()
{
    const ListSelection list{lvListView, m_listModel, selectedNodeKeyOf(*m_tree)};
    m_clipboard = new ClipboardCommands(ClipboardContext{.owner = this,
                                                         .list = list,
                                                         .externalFileCopy = &ExternalFileCopy,
                                                         .refreshListView = [this] { RefreshListView(); },
                                                         .showBusy = [this] { ShowBusy(); },
                                                         .showIdle = [this] { ShowIdle(); }},
                                        this);
    connect(m_clipboard, &ClipboardCommands::FileCopy, this, &FileManUI::FileCopy);
    m_fileCommands =
        new FileCommands(FileCommandsContext{.list = list, .refreshListView = [this] { RefreshListView(); }}, this);
    m_dispatch->wireFileCommands(m_view->popupMenu(), *m_clipboard, *m_fileCommands);
}

QVariant FileManUI::GetCSSString() { return PreviewPages::styleSheet(); }

void FileManUI::setUpFolderAndFileWork()
{
    const auto refresh = [this] { RefreshListView(); };
    const auto nodeSelected = [this] { return m_tree->selectedNode().isValid(); };
    m_folders = new FolderCommands(*m_tree, tvTreeView, refresh, this);
    m_sendTo = new SendToCommands(SendToContext{this, lvListView, m_listModel, nodeSelected}, this);
    m_properties = new PropertiesCommand(
        PropertiesCommand::Context{this, nodeSelected, refresh,
                                   [this](qint32 id, qint32 version) { m_checkOut->viewStoredVersion(id, version); }},
        this);
    m_commandDispatch = new CommandDispatch(CommandDispatchContext{.menu = m_view->popupMenu(),
                                                                   .popup = m_view->popup(),
                                                                   .toolbar = m_view->layout().tbToolbar,
                                                                   .tree = *m_tree,
                                                                   .treeView = tvTreeView,
                                                                   .listView = lvListView,
                                                                   .listModel = m_listModel,
                                                                   .folders = *m_folders,
                                                                   .adding = *m_adding,
                                                                   .sendTo = *m_sendTo,
                                                                   .properties = *m_properties,
                                                                   .refreshListView = refresh,
                                                                   .allowPopupMenu = &AllowPopupMenu},
                                            this);
}

void FileManUI::setUpSearchAndNotices()
{
    m_search = new SearchCommands(SearchContext{.state = m_state,
                                                .tree = *m_tree,
                                                .field = txtZoeken,
                                                .treeView = tvTreeView,
                                                .listView = lvListView,
                                                .listedRows = [this] { return m_listModel->rowCount(); },
                                                .showField = [this](bool shown) { m_view->layout().setSearchShown(shown); }},
                                  this);
    connect(m_search, &SearchCommands::SearchResultsShown, this, &FileManUI::SearchResultsShown);

    m_freeWatch = new FreeWatch(
        this,
        [this](qint32 locationID, qint32 projectID) {
            // The file's own location, or the results it is listed in when the tree does not
            // reach that location.
            if (m_tree->selectLocation(locationID) || m_listModel->findKey(QString::number(projectID) + 'P') >= 0)
                m_list->SelectListItem(QString::number(projectID) + QLatin1Char('P'));
        },
        this);
    connect(m_freeWatch, &FreeWatch::ProjectFreed, this, &FileManUI::ProjectFreed);
    const ListSelection list{lvListView, m_listModel, selectedNodeKeyOf(*m_tree)};
    connect(m_view->popupMenu().action(PopupEntry::ProjectLaatWeten), &QAction::triggered, this, [this, list] {
        SkipOnError([&] {
            const int row = list.selectedRow();
            if (row >= 0)
                m_freeWatch->toggle(FileIdOfKey(list.row(row).key));
        });
    });
}

bool FileManUI::SearchProjects(const QString &strText) { return m_search->SearchProjects(strText); }

bool FileManUI::ControlInRootMode() { return m_modes->ControlInRootMode(); }

bool FileManUI::ControlInUserMode(const QString &strUserID, const QString &strUserDescription)
{
    return m_modes->ControlInUserMode(strUserID, strUserDescription);
}

bool FileManUI::ControlInSpecificLocationMode(qint32 lLocationID, const QString &strDescription, bool bNoInit)
{
    return m_modes->ControlInSpecificLocationMode(lLocationID, strDescription, bNoInit);
}

bool FileManUI::ControlInSaveFileMode(qint32 lLocationID, const QString &strDescription)
{
    return m_modes->ControlInSaveFileMode(lLocationID, strDescription);
}

bool FileManUI::ControlInSelectFileMode(qint32 lLocationID, const QString &strDescription)
{
    return m_modes->ControlInSelectFileMode(lLocationID, strDescription);
}

void FileManUI::AddAdditionalSpecificLocation(qint32 lLocationID, const QString &strDescription)
{
    m_modes->AddAdditionalSpecificLocation(lLocationID, strDescription);
}

void FileManUI::RefreshTreeView() { m_modes->RefreshTreeView(); }
void FileManUI::RefreshListView() { m_list->RefreshListView(); }
qint32 FileManUI::GetCurrentLocationID() { return m_tree->GetCurrentLocationID(); }
QString FileManUI::GetCurrentLocationDescription() { return m_tree->GetCurrentLocationDescription(); }
qint32 FileManUI::GetCurrentProjectID() { return m_list->GetCurrentProjectID(); }
QString FileManUI::GetCurrentProjectDescription() { return m_list->GetCurrentProjectDescription(); }
qint32 FileManUI::LastSavedProjectID() const { return m_state.LastSavedProjectID; }
QString FileManUI::LastSavedFileName() const { return m_state.LastSavedFileName; }
bool FileManUI::AddFileToCurrentLocation(const QString &strFilePath, bool bSilent)
{
    return m_adding->AddFileToCurrentLocation(strFilePath, bSilent);
}

bool FileManUI::CreateEmptyFileInCurrentLocation(const QString &strFileName, const QString &strExtentionName)
{
    return m_adding->CreateEmptyFileInCurrentLocation(strFileName, strExtentionName);
}

void FileManUI::ShowListViewGrid(bool vOn) { m_list->ShowListViewGrid(vOn); }
void FileManUI::SetAcceptableProjects(const QString &strProjectList) { m_modes->SetAcceptableProjects(strProjectList); }
qint32 FileManUI::CountOfProjectsInUseByUser() { return m_modes->CountOfProjectsInUseByUser(); }

bool FileManUI::FileManSessionProjectsGetLocalCopy(qint32 hWnd, qint32 vProjectID, const QString &strTargetPath)
{
    return m_modes->FileManSessionProjectsGetLocalCopy(hWnd, vProjectID, strTargetPath);
}

QVariant FileManUI::SetupLanguage(const QString &)
{
    return QVariant();
}

bool FileManUI::SetupConnection(const QString &strServer, const QString &strUser, const QString &strPassWord,
                                const QString &strCatalog, bool bSQLSecurity)
{
    FileStoreSessionPtr session = SessionRegistry::createSession();
    SessionRegistry::setCurrent(session);
    // What the store reports as its last error reaches the user as a plain refusal.
    SessionRegistry::setLastErrorReporter([](const QString &text) {
        if (!text.trimmed().isEmpty())
            ShowCriticalMessage(text);
    });
    // The preview shows a blank page while the new session connects.
    m_preview->showBlank();
    if (session->Connect(strServer, strUser, strPassWord, strCatalog, bSQLSecurity)) {
        m_live->follow(session->Changes());
        m_tree->follow(session->Changes());
        m_freeWatch->follow(session->Changes());
        m_search->sessionConnected();
        HideOverlay();
        ShowConnectionInfo();
        return true;
    }
    setEnabled(false);
    return false;
}

void FileManUI::ShowConnectionInfo()
{
    const FileStoreSessionPtr session = SessionRegistry::current();
    if (!session)
        return;
    SkipOnError([&] {
        const QString server = session->Database().ConnectionProperty(QStringLiteral("Data Source")).toString();
        const QString text = server.toUpper() + QStringLiteral(" (") + session->Database().DefaultDatabase() +
                             QStringLiteral(")  ");
        statusPanel(QStringLiteral("infoserver"))->setText(text);
    });
    SkipOnError([&] {
        CurrentUserService &user = session->CurrentUser();
        const QString name = user.CurrentUserName();
        const QString text =
            name + QStringLiteral(" (") + user.CurrentUserID().toUpper().trimmed() + QStringLiteral(")  ");
        statusPanel(QStringLiteral("infogebruiker"))->setText(text);
    });
    SkipOnError([&] {
        statusPanel(QStringLiteral("computernaam"))->setText(ComputerNameText(QSysInfo::machineHostName()));
    });
}

QLabel *FileManUI::statusPanel(const QString &key) const
{
    return StatusBar->findChild<QLabel *>(key);
}

bool FileManUI::isOverlayShown() const { return !Frame1->isHidden(); }

void FileManUI::ShowOverlay()
{
    SkipOnError([&] {
        Label2->move(0, 0);
        Frame1->setGeometry(0, 0, width(), height());
        Label2->resize(Frame1->size());
        Label2->setVisible(true);
        Frame1->setVisible(true);
        Frame1->raise();
    });
}

void FileManUI::HideOverlay()
{
    SkipOnError([&] { Frame1->setVisible(false); });
    // While the overlay covered the control nothing else was laid out.
    layoutChildren();
}

void FileManUI::ShowBusy()
{
    SkipOnError([&] {
        setCursor(Qt::WaitCursor);
        lvListView->setCursor(Qt::WaitCursor);
        tvTreeView->setCursor(Qt::WaitCursor);
    });
}

void FileManUI::ShowIdle()
{
    SkipOnError([&] {
        unsetCursor();
        lvListView->unsetCursor();
        tvTreeView->unsetCursor();
    });
}

void FileManUI::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    layoutChildren();
}

void FileManUI::layoutChildren()
{
    if (m_view)
        m_view->layout().UserControl_Resize();
}

void FileManUI::RestoreSettings(const QString &vAppDescription)
{
    LayoutSettings::RestoreSettings(m_view->layout(), lvListView, vAppDescription);
}

void FileManUI::SaveSettings(const QString &vAppDescription)
{
    LayoutSettings::SaveSettings(m_view->layout(), lvListView, Initialized, HideLocations, vAppDescription);
}

QMenu *FileManUI::createViewMenu(QWidget *parent)
{
    return m_view->viewMenu().createHostMenu(parent);
}

LocationTreeModel *treeModelOf(const FileManUI &control) { return locationTreeOf(control)->model(); }

} // namespace dwfm
