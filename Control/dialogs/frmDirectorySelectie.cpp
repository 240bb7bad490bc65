#include "frmDirectorySelectie.h"

#include "platform/Twips.h"
#include "platform/WindowPlacement.h"

#include <QComboBox>
#include <QDir>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QPushButton>
#include <QStorageInfo>
#include <QTreeView>

namespace dwfm {

frmDirectorySelectie::frmDirectorySelectie(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmDirectorySelectie"));
    setWindowTitle(QStringLiteral("Selecteer directory"));
    setModal(true);

    DriveBox = new QComboBox(this);
    DriveBox->setObjectName(QStringLiteral("DriveBox"));
    for (const QStorageInfo &volume : QStorageInfo::mountedVolumes()) {
        if (volume.isValid() && volume.isReady())
            DriveBox->addItem(volume.rootPath(), volume.rootPath());
    }

    m_folders = new QFileSystemModel(this);
    m_folders->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    m_folders->setRootPath(QString());
    dirBox = new QTreeView(this);
    dirBox->setObjectName(QStringLiteral("dirBox"));
    dirBox->setModel(m_folders);
    dirBox->setHeaderHidden(true);
    for (int column = 1; column < m_folders->columnCount(); ++column)
        dirBox->hideColumn(column);

    cmdOK = new QPushButton(QStringLiteral("&OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    cmdOK->setEnabled(false);
    cmdAnnuleren = new QPushButton(QStringLiteral("An&nuleren"), this);
    cmdAnnuleren->setObjectName(QStringLiteral("cmdAnnuleren"));

    Twips::place(this, {0, 0, 3345, 3675});
    Twips::place(DriveBox, {120, 120, 3075, 315});
    Twips::place(dirBox, {120, 540, 3075, 2565});
    Twips::place(cmdOK, {120, 3240, 1275, 315});
    Twips::place(cmdAnnuleren, {1800, 3240, 1395, 315});

    // The folder list starts on the volume that holds the user's home folder.
    const QString home = QStorageInfo(QDir::homePath()).rootPath();
    const int row = DriveBox->findData(home);
    DriveBox->setCurrentIndex(row >= 0 ? row : 0);
    if (DriveBox->count() > 0)
        showFolder(DriveBox->currentData().toString());

    connect(dirBox, &QAbstractItemView::clicked, this, [this] { cmdOK->setEnabled(true); });
    connect(DriveBox, &QComboBox::activated, this, [this](int index) { DriveBox_Change(index); });
    connect(cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
    connect(cmdAnnuleren, &QPushButton::clicked, this, [this] { cmdAnnuleren_Click(); });
}

void frmDirectorySelectie::showEvent(QShowEvent *event)
{
    if (!m_centred) {
        m_centred = true;
        CenterForm(*this);
    }
    QDialog::showEvent(event);
}

void frmDirectorySelectie::showFolder(const QString &path)
{
    const QString root = QStorageInfo(path).rootPath();
    if (root != m_root) {
        m_root = root.isEmpty() ? QDir::rootPath() : root;
        dirBox->setRootIndex(m_folders->index(m_root));
    }
    const QModelIndex folder = m_folders->index(path);
    dirBox->setCurrentIndex(folder != dirBox->rootIndex() ? folder : QModelIndex());
    if (folder.isValid())
        dirBox->scrollTo(folder);
}

QString frmDirectorySelectie::currentPath() const
{
    const QModelIndex current = dirBox->currentIndex();
    return current.isValid() ? m_folders->filePath(current) : m_root;
}

void frmDirectorySelectie::setDirectory(const QString &vdata)
{
    m_directory = vdata;
    if (vdata.isEmpty())
        return;
    showFolder(QDir::cleanPath(vdata));
    const int row = DriveBox->findData(m_root);
    if (row >= 0) {
        const QSignalBlocker quiet(DriveBox);
        DriveBox->setCurrentIndex(row);
    }
}

void frmDirectorySelectie::DriveBox_Change(int row)
{
    showFolder(DriveBox->itemData(row).toString());
    cmdOK->setEnabled(true);
}

void frmDirectorySelectie::cmdOK_Click()
{
    m_resultaat = true;
    m_directory = currentPath();
    done(Accepted);
}

void frmDirectorySelectie::cmdAnnuleren_Click()
{
    m_resultaat = false;
    m_directory.clear();
    done(Rejected);
}

} // namespace dwfm
