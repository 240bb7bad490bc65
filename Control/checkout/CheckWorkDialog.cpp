#include "CheckWorkDialog.h"

#include "DwError.h"
#include "platform/TextHelpers.h"
#include "platform/Twips.h"
#include "platform/WindowPlacement.h"

#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTreeView>

namespace dwfm {

namespace {
constexpr qint32 kSubscriptOutOfRange = 9;

struct ColumnSpec {
    const char *key;
    const char *caption;
};
constexpr ColumnSpec kColumns[] = {
    {"project", "Project"}, {"projectdir", "Bron"}, {"bestanddir", "Doel"}, {"ophalen", "Resultaat"}};

const QString kResultOk = QStringLiteral("OK");
const QString kResultFailed = QStringLiteral("Mislukt!");
} // namespace

CheckWorkDialog::CheckWorkDialog(const Design &design, QWidget *parent) : QDialog(parent)
{
    setObjectName(design.objectName);
    setWindowTitle(design.caption);
    setModal(true);

    Label1 = new QLabel(design.label1Text, this);
    Label1->setObjectName(QStringLiteral("Label1"));

    m_items = new QStandardItemModel(0, ColumnCount, this);
    for (int c = 0; c < ColumnCount; ++c) {
        m_items->setHeaderData(c, Qt::Horizontal, QString::fromLatin1(kColumns[c].caption));
        m_items->setHeaderData(c, Qt::Horizontal, QString::fromLatin1(kColumns[c].key), Qt::UserRole);
    }
    lvOverzicht = new QTreeView(this);
    lvOverzicht->setObjectName(QStringLiteral("lvOverzicht"));
    lvOverzicht->setModel(m_items);
    lvOverzicht->setRootIsDecorated(false);
    lvOverzicht->setUniformRowHeights(true);
    lvOverzicht->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lvOverzicht->setSelectionBehavior(QAbstractItemView::SelectRows);
    lvOverzicht->setSelectionMode(QAbstractItemView::ExtendedSelection);

    Label2 = new QLabel(QStringLiteral("Opmerking :"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    txtOmschrijving = new QPlainTextEdit(this);
    txtOmschrijving->setObjectName(QStringLiteral("txtOmschrijving"));
    txtOmschrijving->setTabChangesFocus(true);

    // The busy bar only says "working": the files go one by one and take unknown times.
    eBar = new QProgressBar(this);
    eBar->setObjectName(QStringLiteral("eBar"));
    eBar->setRange(0, 0);
    eBar->setTextVisible(false);

    cmdOK = new QPushButton(design.okCaption, this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdAnnuleren = new QPushButton(QStringLiteral("Annuleren"), this);
    cmdAnnuleren->setObjectName(QStringLiteral("cmdAnnuleren"));
    cmdSluiten = new QPushButton(QStringLiteral("&Sluiten"), this);
    cmdSluiten->setObjectName(QStringLiteral("cmdSluiten"));

    Twips::place(this, {0, 0, ClientWidth, ClientHeight});
    Twips::place(Label1, design.label1);
    Twips::place(lvOverzicht, design.list);
    Twips::place(Label2, design.label2);
    Twips::place(txtOmschrijving, design.remark);
    Twips::place(eBar, design.bar);
    Twips::place(cmdOK, {4440, 3705, 1200, 300});
    Twips::place(cmdAnnuleren, {5790, 3705, 1200, 300});
    // "Sluiten" takes the place of "Annuleren" once the work is done.
    Twips::place(cmdSluiten, {5790, 3705, 1200, 300});
    setPhase(Phase::Ready);

    connect(cmdAnnuleren, &QPushButton::clicked, this, [this] { cmdAnnuleren_Click(); });
    connect(cmdSluiten, &QPushButton::clicked, this, [this] { cmdSluiten_Click(); });
    connect(lvOverzicht, &QAbstractItemView::clicked, this,
            [this](const QModelIndex &index) { lvOverzicht_ItemClick(index); });
}

CheckWorkDialog::~CheckWorkDialog() = default;

void CheckWorkDialog::Form_Load()
{
    for (int c = 0; c < ColumnCount; ++c)
        lvOverzicht->setColumnWidth(c, Twips::toPixelsX(ColumnWidth, lvOverzicht));
    CenterForm(*this);
}

void CheckWorkDialog::SetData(const QStringList &names, const QStringList &keys)
{
    if (ItemCount < 0 || names.size() < ItemCount || keys.size() < ItemCount) {
        throw DwError(kSubscriptOutOfRange,
                      QStringLiteral("%1 bestanden gevraagd, maar %2 namen en %3 sleutels gegeven.")
                          .arg(ItemCount)
                          .arg(names.size())
                          .arg(keys.size()));
    }
    m_keys = keys.mid(0, ItemCount);
    for (int i = 0; i < ItemCount; ++i) {
        QList<QStandardItem *> row;
        for (int c = 0; c < ColumnCount; ++c)
            row << new QStandardItem(c == ColProject ? names[i] : QString());
        m_items->appendRow(row);
    }
    lvOverzicht->clearSelection();
}

void CheckWorkDialog::beginWork(const QList<qint32> &, const QString &) {}

void CheckWorkDialog::runWork()
{
    SetBusyPointer(*this);
    setPhase(Phase::Working);
    OKPressed = true;
    QList<qint32> ids;
    try {
        for (int i = 0; i < ItemCount && i < m_keys.size() && i < m_items->rowCount(); ++i)
            ids << FileIdOfKey(m_keys[i]);
    } catch (const DwError &) {
        // The loop below meets the same key and ends there.
    }
    beginWork(ids, txtOmschrijving->toPlainText());
    for (int i = 0; i < ItemCount; ++i) {
        if (i >= m_keys.size() || i >= m_items->rowCount())
            throw DwError(kSubscriptOutOfRange, QStringLiteral("Bestand %1 staat niet in de lijst.").arg(i + 1));
        const qint32 id = FileIdOfKey(m_keys[i]);
        const QString remark = txtOmschrijving->toPlainText();
        if (workOne(i, id, remark)) {
            m_items->item(i, ColResult)->setText(kResultOk);
            workDone(i, id);
        } else {
            m_items->item(i, ColResult)->setText(kResultFailed);
        }
    }
    SetNormalPointer(*this);
    setPhase(Phase::Done);
}

void CheckWorkDialog::setPhase(Phase phase)
{
    m_phase = phase;
    cmdOK->setVisible(phase == Phase::Ready);
    cmdAnnuleren->setVisible(phase == Phase::Ready);
    cmdSluiten->setVisible(phase == Phase::Done);
    eBar->setVisible(phase == Phase::Working);
    txtOmschrijving->setEnabled(phase != Phase::Done);
}

void CheckWorkDialog::cmdAnnuleren_Click()
{
    OKPressed = false;
    reject();
}

void CheckWorkDialog::cmdSluiten_Click() { accept(); }

void CheckWorkDialog::lvOverzicht_ItemClick(const QModelIndex &index)
{
    if (index.isValid())
        lvOverzicht->selectionModel()->select(index, QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
}

QString CheckWorkDialog::rowText(int row) const { return m_items->item(row, ColProject)->text(); }
QString CheckWorkDialog::resultText(int row) const { return m_items->item(row, ColResult)->text(); }

QString CheckWorkDialog::columnKey(int column) const
{
    return m_items->headerData(column, Qt::Horizontal, Qt::UserRole).toString();
}

} // namespace dwfm
