#include "frmAddGeneralFiles.h"

#include "core/SessionAccess.h"
#include "DwError.h"
#include "platform/ErrorTrap.h"
#include "platform/FileDialogs.h"
#include "platform/Prompts.h"
#include "platform/TextHelpers.h"
#include "platform/WindowPlacement.h"

#include <QCoreApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMimeData>
#include <QProgressBar>
#include <QScopeGuard>
#include <QPushButton>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>

namespace dwfm {

frmAddGeneralFiles::frmAddGeneralFiles(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmAddGeneralFiles"));
    setWindowTitle(QStringLiteral("Bestanden toevoegen"));
    setModal(true);

    Label1 = new QLabel(QStringLiteral("Onderstaande bestanden worden toegevoegd:"), this);
    Label1->setObjectName(QStringLiteral("Label1"));

    lvFiles = new QTreeWidget(this);
    lvFiles->setObjectName(QStringLiteral("lvFiles"));
    lvFiles->setColumnCount(ColumnCount);
    lvFiles->setHeaderLabels({QStringLiteral("Bestand"), QStringLiteral("Doel"), QStringLiteral("Bron")});
    lvFiles->setRootIsDecorated(false);
    lvFiles->setUniformRowHeights(true);
    lvFiles->setAcceptDrops(true);
    lvFiles->viewport()->setAcceptDrops(true);
    lvFiles->viewport()->installEventFilter(this);

    eBar = new QProgressBar(this);
    eBar->setObjectName(QStringLiteral("eBar"));
    eBar->setVisible(false);

    cmdAddFiles = new QPushButton(QStringLiteral("Toe&voegen"), this);
    cmdAddFiles->setObjectName(QStringLiteral("cmdAddFiles"));
    cmdOK = new QPushButton(QStringLiteral("&OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    cmdCancel = new QPushButton(QStringLiteral("&Annuleren"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(cmdAddFiles);
    buttons->addStretch(1);
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(lvFiles, 1);
    layout->addWidget(eBar);
    layout->addLayout(buttons);
    resize(640, 360);
    lvFiles->setColumnWidth(ColFile, 180);
    lvFiles->setColumnWidth(ColTarget, 200);

    connect(cmdAddFiles, &QPushButton::clicked, this, [this] { cmdAddFiles_Click(); });
    connect(cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });
    CenterForm(*this);
}

frmAddGeneralFiles::~frmAddGeneralFiles() = default;

void frmAddGeneralFiles::setTargetKey(qint32 lLocationID)
{
    m_targetID = lLocationID;
    m_targetPath = RequireSession()->Locations().GetLocationPath(lLocationID);
}

void frmAddGeneralFiles::setAddFileObject(const QMimeData *data)
{
    if (data)
        InitializeListView(FilePathsOf(data));
}

QStringList frmAddGeneralFiles::FilePathsOf(const QMimeData *data)
{
    QStringList paths;
    if (!data || !data->hasUrls())
        return paths;
    for (const QUrl &url : data->urls()) {
        if (url.isLocalFile())
            paths << QDir::toNativeSeparators(url.toLocalFile());
    }
    return paths;
}

void frmAddGeneralFiles::InitializeListView(const QStringList &paths)
{
    TrapErrorsVoid(QStringLiteral("frmAddGeneralFiles.InitializeListView (Sub)"), [&] {
        for (const QString &path : paths)
            addRow(path);
    });
}

void frmAddGeneralFiles::addRow(const QString &path)
{
    const QFileInfo info(path);
    if (!info.isFile())
        return;
    // The row's key is the path as given; the same path twice is one row.
    for (int i = 0; i < lvFiles->topLevelItemCount(); ++i) {
        if (lvFiles->topLevelItem(i)->data(ColFile, Qt::UserRole).toString() == path)
            return;
    }
    auto *item = new QTreeWidgetItem;
    item->setData(ColFile, Qt::UserRole, path);
    item->setText(ColFile, info.completeBaseName());
    item->setText(ColTarget, RemoveTrailingBackslash(m_targetPath));
    item->setText(ColSource, RemoveTrailingBackslash(QDir::toNativeSeparators(info.path())));
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(ColFile, Qt::Checked);
    lvFiles->addTopLevelItem(item);
}

void frmAddGeneralFiles::AddFile(const QString &strFileName, bool bSilent)
{
    TrapErrorsVoid(QStringLiteral("frmAddGeneralFiles.AddFile"), [&] {
        addRow(strFileName);
        if (bSilent)
            SaveSelectedFiles();
    });
}

void frmAddGeneralFiles::cmdAddFiles_Click()
{
    SkipOnError([&] {
        // The platform's dialog helper reads "*.*" as every file, names without a point
        // included.
        const QChar end(0);
        ShowFileDialog(QStringLiteral("Alle bestanden (*.*)") + end + QStringLiteral("*.*") + end, QString(),
                       QString(), QStringLiteral("Selecteer de bestanden"), false, false, QString(), true);
        for (const QString &path : SelectedFiles().value_or(QStringList()))
            addRow(path);
    });
}

void frmAddGeneralFiles::SaveSelectedFiles()
{
    TrapErrorsVoid(QStringLiteral("frmAddGeneralFiles.SaveSelectedFiles"), [&] {
        QList<QTreeWidgetItem *> checked;
        for (int i = 0; i < lvFiles->topLevelItemCount(); ++i) {
            if (lvFiles->topLevelItem(i)->checkState(ColFile) == Qt::Checked)
                checked << lvFiles->topLevelItem(i);
        }
        if (checked.isEmpty())
            return;
        ProjectsService &projects = RequireSession()->Projects();
        m_cancelled = false;
        setSaving(true);
        eBar->setRange(0, int(checked.size()));
        eBar->setValue(0);
        const auto done = qScopeGuard([this] { setSaving(false); });
        for (int i = 0; i < checked.size(); ++i) {
            const QString path = checked[i]->data(ColFile, Qt::UserRole).toString();
            m_lastSavedProjectID = projects.AddProject(path, m_targetID, QVariant(), true, true);
            if (m_lastSavedProjectID != -1) {
                m_lastSavedFileName = QFileInfo(path).fileName();
                m_saveFailed = false;
            } else {
                m_saveFailed = true;
            }
            eBar->setValue(i + 1);
            emit fileSaved(i + 1, int(checked.size()));
            // A shown dialog stays responsive between files, so "Annuleren" can stop the
            // rest; the file being registered is always finished first.
            if (isVisible())
                QCoreApplication::processEvents();
            if (m_cancelled && i + 1 < checked.size())
                return;
        }
    });
}

void frmAddGeneralFiles::setSaving(bool saving)
{
    m_saving = saving;
    eBar->setVisible(saving);
    cmdOK->setEnabled(!saving);
    cmdAddFiles->setEnabled(!saving);
    lvFiles->setEnabled(!saving);
}

void frmAddGeneralFiles::cmdOK_Click()
{
    SaveSelectedFiles();
    accept();
}

void frmAddGeneralFiles::cmdCancel_Click() { reject(); }

void frmAddGeneralFiles::reject()
{
    // "Annuleren", Escape and the window's close button all come here. While files are
    // being registered they stop the rest, and the dialog stays until the file at hand
    // is done.
    if (m_saving) {
        m_cancelled = true;
        return;
    }
    QDialog::reject();
}

bool frmAddGeneralFiles::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == lvFiles->viewport()) {
        switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto *drag = static_cast<QDropEvent *>(event);
            if (!m_saving && !FilePathsOf(drag->mimeData()).isEmpty()) {
                drag->setDropAction(Qt::CopyAction);
                drag->accept();
            } else {
                drag->ignore();
            }
            return true;
        }
        case QEvent::Drop: {
            auto *drop = static_cast<QDropEvent *>(event);
            InitializeListView(FilePathsOf(drop->mimeData()));
            drop->setDropAction(Qt::CopyAction);
            drop->accept();
            return true;
        }
        default:
            break;
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace dwfm
