#include "VersionPanel.h"

#include "ProjectVersions.h"
#include "core/SessionAccess.h"
#include "platform/ErrorReport.h"
#include "platform/ErrorTrap.h"
#include "platform/Prompts.h"
#include "platform/Twips.h"

#include <QDateTime>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLocale>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTreeView>

namespace dwfm {

namespace {
constexpr int kVersionRole = Qt::UserRole;
const QString kLineBreak = QStringLiteral("\r\n");

// The same user, whatever the case: the store compares user names without it.
bool sameUser(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}
} // namespace

VersionPanel::VersionPanel(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("VersionPanel"));
    m_items = new QStandardItemModel(0, ColumnCount, this);
    const char *captions[] = {"Versie", "Datum", "Gebruiker", "Grootte", "Opmerking"};
    for (int c = 0; c < ColumnCount; ++c)
        m_items->setHeaderData(c, Qt::Horizontal, QString::fromLatin1(captions[c]));

    lvVersies = new QTreeView(this);
    lvVersies->setObjectName(QStringLiteral("lvVersies"));
    lvVersies->setModel(m_items);
    lvVersies->setRootIsDecorated(false);
    lvVersies->setUniformRowHeights(true);
    lvVersies->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lvVersies->setSelectionBehavior(QAbstractItemView::SelectRows);
    lvVersies->setSelectionMode(QAbstractItemView::SingleSelection);
    lvVersies->setAllColumnsShowFocus(true);

    cmdBekijken = new QPushButton(QStringLiteral("&Bekijken"), this);
    cmdBekijken->setObjectName(QStringLiteral("cmdBekijken"));
    cmdTerugzetten = new QPushButton(QStringLiteral("&Terugzetten"), this);
    cmdTerugzetten->setObjectName(QStringLiteral("cmdTerugzetten"));

    // The list beside the two buttons, in the width of the history below them.
    Twips::place(this, {0, 0, 6720, 1500});
    Twips::place(lvVersies, {0, 0, 5460, 1500});
    Twips::place(cmdBekijken, {5580, 0, 1140, 345});
    Twips::place(cmdTerugzetten, {5580, 420, 1140, 345});

    connect(cmdBekijken, &QPushButton::clicked, this, [this] { cmdBekijken_Click(); });
    connect(cmdTerugzetten, &QPushButton::clicked, this, [this] { cmdTerugzetten_Click(); });
    connect(lvVersies->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] { updateButtons(); });
    connect(lvVersies, &QAbstractItemView::doubleClicked, this, [this] { cmdBekijken_Click(); });
    updateButtons();
}

VersionPanel::~VersionPanel() = default;

bool VersionPanel::fill(qint32 projectID, const QString &fileName, const QString &holder)
{
    m_projectID = projectID;
    m_fileName = fileName;
    m_holder = holder;
    m_items->removeRows(0, m_items->rowCount());
    m_current = 0;
    const FileStoreSessionPtr session = RequireSession();
    auto *versions = dynamic_cast<ProjectVersions *>(&session->Projects());
    RecordsetPtr rs;
    if (!versions || !versions->GetProjectVersions(rs, projectID) || !rs) {
        updateButtons();
        return false;
    }
    // Restoring changes the file's content: a user who may change nothing, or a file someone
    // else has in use, leaves it as it is.
    m_mayRestore = !session->IsReadOnlySession()
                   && (holder.isEmpty() || sameUser(holder, session->CurrentUser().CurrentUserID()));
    const QLocale dutch(QLocale::Dutch, QLocale::Netherlands);
    for (; !rs->isEof(); rs->moveNext()) {
        const qint32 version = rs->value(QStringLiteral("Version")).toInt();
        const bool current = rs->value(QStringLiteral("IsCurrent")).toBool();
        const QVariant size = rs->value(QStringLiteral("Size"));
        QList<QStandardItem *> row{
            new QStandardItem(QString::number(version)),
            new QStandardItem(rs->value(QStringLiteral("VersionDate")).toDateTime().toString(QStringLiteral("dd-MM-yyyy HH:mm"))),
            new QStandardItem(rs->value(QStringLiteral("UserName")).toString()),
            new QStandardItem(size.isNull() ? QString() : dutch.formattedDataSize(size.toLongLong(), 1, QLocale::DataSizeTraditionalFormat)),
            new QStandardItem(rs->value(QStringLiteral("Remark")).toString())};
        row[ColSize]->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        row[ColRemark]->setToolTip(row[ColRemark]->text());
        for (QStandardItem *item : row) {
            item->setData(version, kVersionRole);
            if (current) {
                QFont bold = item->font();
                bold.setBold(true);
                item->setFont(bold);
                if (item != row[ColRemark])
                    item->setToolTip(QStringLiteral("De huidige inhoud"));
            }
        }
        if (current)
            m_current = version;
        m_items->appendRow(row);
    }
    rs->close();
    // Every column but the remark as wide as its texts; the remark takes the rest.
    for (int c = 0; c < ColRemark; ++c)
        lvVersies->resizeColumnToContents(c);
    updateButtons();
    return true;
}

qint32 VersionPanel::versionOfRow(int row) const
{
    return m_items->index(row, 0).data(kVersionRole).toInt();
}

qint32 VersionPanel::selectedVersion() const
{
    const QModelIndexList rows = lvVersies->selectionModel()->selectedRows();
    return rows.isEmpty() ? 0 : versionOfRow(rows.first().row());
}

void VersionPanel::updateButtons()
{
    const qint32 version = selectedVersion();
    cmdBekijken->setEnabled(version != 0);
    cmdTerugzetten->setEnabled(version != 0 && version != m_current && m_mayRestore);
}

void VersionPanel::cmdBekijken_Click()
{
    const qint32 version = selectedVersion();
    if (version != 0 && viewVersion)
        viewVersion(m_projectID, version);
}

void VersionPanel::cmdTerugzetten_Click()
{
    TrapErrorsVoid(QStringLiteral("frmGeneralProjectProperties.cmdTerugzetten_Click"), [&] {
        const qint32 version = selectedVersion();
        if (version == 0 || version == m_current || !m_mayRestore)
            return;
        QString question = QStringLiteral("Wilt u versie %1 van '%2' terugzetten?").arg(version).arg(m_fileName) + kLineBreak +
                           QStringLiteral("De huidige inhoud blijft bewaard als versie %1.").arg(m_current);
        if (!m_holder.isEmpty())
            question += kLineBreak + QStringLiteral("Uw werkkopie blijft zoals hij is.");
        if (prompts().message(question, QStringLiteral("Versie terugzetten"), Prompts::Icon::Question,
                              Prompts::Buttons::YesNo, Prompts::Answer::Yes) != Prompts::Answer::Yes)
            return;
        const FileStoreSessionPtr session = RequireSession();
        auto *versions = dynamic_cast<ProjectVersions *>(&session->Projects());
        if (!versions || !versions->RestoreProjectVersion(m_projectID, version, QString())) {
            ShowCriticalMessage(QStringLiteral("Terugzetten van versie %1 niet mogelijk!").arg(version) + kLineBreak +
                                session->Database().LastError());
        } else {
            fill(m_projectID, m_fileName, m_holder);
            emit restored();
        }
    });
}

} // namespace dwfm
