#include "MainWindow.h"
#include "ModeMenu.h"
#include "SaveToStore.h"

#include "core/FileManUI.h"
#include "core/FileManUIInternals.h"
#include "dispatch/CommandDispatch.h"
#include "platform/Settings.h"
#include "platform/Twips.h"

#include <QApplication>
#include <QDesktopServices>
#include <QCloseEvent>
#include <QDropEvent>
#include <QDockWidget>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QTime>
#include <QUrl>

using dwfm::FileManUI;

MainWindow::MainWindow(const HostOptions &connection)
{
    setWindowTitle(QStringLiteral("dwfileman"));
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
    auto *dock = new QDockWidget(QStringLiteral("Gebeurtenissen"), this);
    dock->setObjectName(QStringLiteral("eventDock"));
    dock->setWidget(m_log);
    addDockWidget(Qt::BottomDockWidgetArea, dock);

    QMenu *file = menuBar()->addMenu(QStringLiteral("&Bestand"));
    addSaveToStoreAction(file, m_control, this, connection, [this](const QString &line) { log(line); });
    file->addSeparator();
    file->addAction(QStringLiteral("&Afsluiten"), qApp, &QApplication::closeAllWindows);
    menuBar()->addMenu(m_control->createViewMenu(this));

    addModeMenu(menuBar(), m_control, this, [this](const QString &line) { log(line); });

    connectEvents();
    setAcceptDrops(true);
    resize(1100, 720);
}

void MainWindow::log(const QString &line)
{
    m_log->appendPlainText(QTime::currentTime().toString(QStringLiteral("HH:mm:ss ")) + line);
}

void MainWindow::openWorkingCopy(const QString &path)
{
    // The control only says which file to open; the desktop's default application for
    // its type edits or shows it.
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(path)))
        log(QStringLiteral("Openen mislukt: \"%1\"").arg(path));
}

namespace {
// The description under which the control keeps this program's layout.
const QString kAppDescription = QStringLiteral("dwfileman");
} // namespace

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
    });
    connect(m_control, &FileManUI::ProjectChanged, this,
            [this](const QString &description, qint32 id, bool multiple, bool nothing) {
                log(QStringLiteral("ProjectChanged(\"%1\", %2, %3, %4)")
                        .arg(description)
                        .arg(id)
                        .arg(multiple ? "True" : "False", nothing ? "True" : "False"));
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
