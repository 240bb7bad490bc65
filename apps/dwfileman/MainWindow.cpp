#include "MainWindow.h"
#include "ConnectionDialog.h"
#include "HostSettings.h"
#include "ModeMenu.h"
#include "SaveToStore.h"

#include "DwError.h"
#include "SessionRegistry.h"
#include "core/FileManUI.h"
#include "core/FileManUIInternals.h"
#include "dispatch/CommandDispatch.h"
#include "platform/Prompts.h"
#include "platform/Settings.h"
#include "platform/Twips.h"
#include "tree/LocationTree.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDockWidget>
#include <QDropEvent>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QTime>
#include <QUrl>

using dwfm::FileManUI;

namespace {
// The description under which the control keeps this program's layout.
const QString kAppDescription = QStringLiteral("dwfileman");
// The program's name as the desktop shows it.
const QString kProgramName = QStringLiteral("DW Bestandsbeheer");
} // namespace

MainWindow::MainWindow()
{
    m_control = new FileManUI(this);
    m_control->StatusBarVisible = true;
    m_control->HeaderLabelsVisible = true;
    m_control->FileInfoVisible = true;
    // The preview follows the selection: a location's files, a picture itself.
    m_control->AutoShowPreview = true;
    m_control->AllowPopupMenu = true;
    // Check-out and check-in are on the tool bar too; the view menu hides it.
    m_control->ToolbarVisible = true;
    setCentralWidget(m_control);

    m_log = new QPlainTextEdit(this);
    m_log->setObjectName(QStringLiteral("eventLog"));
    m_log->setReadOnly(true);
    m_log->setMaximumBlockCount(2000);
    m_logDock = new QDockWidget(QStringLiteral("Gebeurtenissen"), this);
    m_logDock->setObjectName(QStringLiteral("eventDock"));
    // Only the developer view shows and hides the log.
    m_logDock->setFeatures(QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable);
    m_logDock->setWidget(m_log);
    addDockWidget(Qt::BottomDockWidgetArea, m_logDock);

    QMenu *file = menuBar()->addMenu(QStringLiteral("&Bestand"));
    QAction *connectTo = file->addAction(QStringLiteral("&Verbinden..."), this, &MainWindow::reconnect);
    connectTo->setObjectName(QStringLiteral("mnuVerbinden"));
    addSaveToStoreAction(
        file, m_control, this, [this] { return m_connection; }, [this](const QString &line) { log(line); });
    file->addSeparator();
    file->addAction(QStringLiteral("&Afsluiten"), qApp, &QApplication::closeAllWindows);

    QMenu *view = m_control->createViewMenu(this);
    menuBar()->addMenu(view);
    view->addSeparator();
    m_developer = view->addAction(QStringLiteral("&Ontwikkelaarsweergave"));
    m_developer->setObjectName(QStringLiteral("mnuOntwikkelaar"));
    m_developer->setCheckable(true);
    m_developer->setToolTip(QStringLiteral("Het logboek van de gebeurtenissen en het menu Modus tonen."));

    m_modeMenu = addModeMenu(menuBar(), m_control, this, [this](const QString &line) { log(line); });

    m_developer->setChecked(HostSettings::developerView());
    showDeveloperView(m_developer->isChecked());
    connect(m_developer, &QAction::toggled, this, [this](bool on) {
        showDeveloperView(on);
        HostSettings::setDeveloperView(on);
    });

    connectEvents();
    setAcceptDrops(true);
    updateTitle();
    resize(1100, 720);
}

MainWindow::~MainWindow() = default;

void MainWindow::log(const QString &line)
{
    m_log->appendPlainText(QTime::currentTime().toString(QStringLiteral("HH:mm:ss ")) + line);
}

void MainWindow::showDeveloperView(bool on)
{
    m_logDock->setVisible(on);
    m_modeMenu->menuAction()->setVisible(on);
}

QString MainWindow::openStore(const StoreConnection &connection, bool remember)
{
    QString reason;
    bool connected = false;
    try {
        connected = m_control->SetupConnection(connection.server, connection.user, connection.password,
                                               connection.catalog, connection.sqlSecurity);
        if (!connected) {
            const auto session = dwfm::SessionRegistry::current();
            reason = session ? session->Database().LastError() : QString();
        }
    } catch (const dwfm::DwError &error) {
        reason = error.description();
    }
    m_connected = connected;
    if (!connected) {
        m_remember = false;
        if (reason.trimmed().isEmpty())
            reason = QStringLiteral("De store heeft de verbinding geweigerd.");
        log(QStringLiteral("Niet verbonden: ") + reason);
        updateTitle();
        return reason;
    }
    m_connection = connection;
    // A refused attempt before this one left the control disabled.
    m_control->setEnabled(true);
    log(QStringLiteral("Verbonden."));
    // Building the tree selects its top node; that is no choice of the user's, so the
    // location kept from last time is read before and kept only after.
    m_remember = false;
    m_rememberedPath.clear();
    const QString last = remember ? HostSettings::lastLocation(connection) : QString();
    if (remember)
        HostSettings::rememberConnection(connection);
    // The "Modus" menu may have left the control read-only; all locations are for work.
    m_control->ReadOnly = false;
    m_control->AllowPopupMenu = true;
    log(QStringLiteral("ControlInRootMode() = %1").arg(trueFalse(m_control->ControlInRootMode())));
    // A location that is gone since then leaves the top of the tree selected.
    if (!last.isEmpty())
        openLocation(last);
    m_remember = remember;
    updateTitle();
    return QString();
}

bool MainWindow::askConnection(const StoreConnection &initial, const QString &reason, bool remember)
{
    ConnectionDialog dialog(initial, [this, remember](const StoreConnection &c) { return openStore(c, remember); },
                            this);
    if (!reason.isEmpty())
        dialog.showRefusal(reason);
    return dwfm::prompts().execDialog(dialog) == QDialog::Accepted && m_connected;
}

void MainWindow::reconnect()
{
    const bool wasConnected = m_connected;
    const bool rememberedPrevious = m_remember;
    const StoreConnection previous = m_connection;
    StoreConnection initial = previous;
    initial.password.clear();
    if (askConnection(initial, QString(), true) || !wasConnected || m_connected)
        return;
    // Every refused attempt took the old connection down; giving up goes back to it.
    const QString reason = openStore(previous, rememberedPrevious);
    if (!reason.isEmpty())
        dwfm::prompts().message(reason, kProgramName, dwfm::Prompts::Icon::Critical, dwfm::Prompts::Buttons::Ok,
                                dwfm::Prompts::Answer::Ok);
}

bool MainWindow::openLocation(const QString &path)
{
    return m_connected && locationTreeOf(*m_control)->selectPath(path);
}

void MainWindow::updateTitle()
{
    QString title = kProgramName;
    const auto session = dwfm::SessionRegistry::current();
    if (m_connected && session) {
        try {
            // What the store says it opened: the default folder spelled out, the user's ID
            // as the store knows it.
            title = QStringLiteral("%1 op %2 (%3) – %4")
                        .arg(session->Database().DefaultDatabase(),
                             session->Database().ConnectionProperty(QStringLiteral("Data Source")).toString(),
                             session->CurrentUser().CurrentUserID(), kProgramName);
        } catch (const dwfm::DwError &) {
        }
    }
    setWindowTitle(title);
}

void MainWindow::openWorkingCopy(const QString &path)
{
    // The control only says which file to open; the desktop's default application for
    // its type edits or shows it.
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(path)))
        log(QStringLiteral("Openen mislukt: \"%1\"").arg(path));
}

void MainWindow::restoreLayout()
{
    storeFirstLayout();
    m_control->RestoreSettings(kAppDescription);
}

void MainWindow::storeFirstLayout()
{
    // The control's own first layout puts the splitter in the middle and gives every
    // column 1000 twips, too narrow for a file name or a date. Until this program has
    // kept a layout of its own, it stores one that suits it, in the control's keys, and
    // the control restores that like any other.
    const std::unique_ptr<QSettings> settings = dwfm::UserSettings();
    settings->beginGroup(QStringLiteral("Settings"));
    if (settings->contains(kAppDescription + QStringLiteral("ColWidth1")))
        return;
    const double treeWidth = dwfm::Twips::toTwipsX(m_control->width() / 3, m_control);
    settings->setValue(kAppDescription + QStringLiteral("PicHorLeft"), QString::number(qRound(treeWidth)));
    // Bestandsnaam, Gebruiker, Datum-Tijd, Locatie; Opmerking takes the rest.
    const int widths[] = {2200, 1000, 1500, 3600, 2400};
    for (int n = 1; n <= int(std::size(widths)); ++n)
        settings->setValue(kAppDescription + QStringLiteral("ColWidth") + QString::number(n), QString::number(widths[n - 1]));
    settings->endGroup();
    settings->sync();
}

void MainWindow::dragEnterEvent(QDragEnterEvent *event) { dragMoveEvent(event); }

void MainWindow::dragMoveEvent(QDragMoveEvent *event)
{
    if (commandDispatchOf(*m_control).dropAllowed(event->mimeData())) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    } else {
        event->ignore();
    }
}

void MainWindow::dropEvent(QDropEvent *event)
{
    if (!commandDispatchOf(*m_control).dropAllowed(event->mimeData())) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
    commandDispatchOf(*m_control).lvListView_OLEDragDrop(event->mimeData());
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    m_control->SaveSettings(kAppDescription);
    QMainWindow::closeEvent(event);
}

void MainWindow::connectEvents()
{
    connect(m_control, &FileManUI::LocationChanged, this, [this](const QString &path, qint32 id) {
        log(QStringLiteral("LocationChanged(\"%1\", %2)").arg(path).arg(id));
        // A location opened again (the tree read anew) is written only once.
        if (m_remember && m_connected && path != m_rememberedPath) {
            HostSettings::rememberLocation(m_connection, path);
            m_rememberedPath = path;
        }
    });
    connect(m_control, &FileManUI::ProjectChanged, this,
            [this](const QString &description, qint32 id, bool multiple, bool nothing) {
                log(QStringLiteral("ProjectChanged(\"%1\", %2, %3, %4)")
                        .arg(description)
                        .arg(id)
                        .arg(trueFalse(multiple), trueFalse(nothing)));
            });
    connect(m_control, &FileManUI::FileOpen, this, [this](const QString &path, qint32 id) {
        log(QStringLiteral("FileOpen(\"%1\", %2)").arg(path).arg(id));
        openWorkingCopy(path);
    });
    connect(m_control, &FileManUI::FileCheckOut, this, [this](const QString &path, qint32 id) {
        log(QStringLiteral("FileCheckOut(\"%1\", %2)").arg(path).arg(id));
    });
    connect(m_control, &FileManUI::FileCheckIn, this,
            [this](qint32 id) { log(QStringLiteral("FileCheckIn(%1)").arg(id)); });
    connect(m_control, &FileManUI::ProjectDblClick, this, [this] { log(QStringLiteral("ProjectDblClick()")); });
    connect(m_control, &FileManUI::FileCopy, this, [this](qint32 projectId, qint32 locationId) {
        log(QStringLiteral("FileCopy(%1, %2)").arg(projectId).arg(locationId));
    });
}
