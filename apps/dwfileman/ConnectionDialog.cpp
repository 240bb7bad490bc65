#include "ConnectionDialog.h"

#include "DwFileStoreSession.h"
#include "StoreFolders.h"
#include "platform/Prompts.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace StoreFolders = dwfm::store::StoreFolders;

ConnectionDialog::ConnectionDialog(const StoreConnection &initial, Attempt attempt, QWidget *parent)
    : QDialog(parent), m_attempt(std::move(attempt))
{
    setObjectName(QStringLiteral("frmVerbinden"));
    setWindowTitle(QStringLiteral("Verbinden met de store"));

    m_store = new QLineEdit(initial.server, this);
    m_store->setObjectName(QStringLiteral("txtStore"));
    m_store->setPlaceholderText(StoreFolders::defaultStoreFolder());
    m_store->setToolTip(QStringLiteral("De map van een store op deze computer (leeg: de standaardmap), of de server "
                                       "als host:poort."));
    m_browse = new QPushButton(QStringLiteral("&Bladeren..."), this);
    m_browse->setObjectName(QStringLiteral("cmdBladeren"));
    m_browse->setAutoDefault(false);
    auto *storeRow = new QHBoxLayout;
    storeRow->addWidget(m_store, 1);
    storeRow->addWidget(m_browse);

    m_catalog = new QComboBox(this);
    m_catalog->setObjectName(QStringLiteral("cboCatalogus"));
    m_catalog->setEditable(true);
    m_catalog->setInsertPolicy(QComboBox::NoInsert);
    m_catalog->lineEdit()->setPlaceholderText(StoreFolders::defaultCatalogue());

    m_asMyself = new QCheckBox(QStringLiteral("Aanmelden als &mijzelf (%1)").arg(StoreFolders::osAccount()), this);
    m_asMyself->setObjectName(QStringLiteral("chkAlsMijzelf"));
    m_asMyself->setToolTip(QStringLiteral("Aanmelden met het account van het besturingssysteem, zonder wachtwoord."));
    m_asMyself->setChecked(!initial.sqlSecurity);
    m_user = new QLineEdit(initial.user, this);
    m_user->setObjectName(QStringLiteral("txtGebruiker"));
    m_password = new QLineEdit(this);
    m_password->setObjectName(QStringLiteral("txtWachtwoord"));
    m_password->setEchoMode(QLineEdit::Password);
    m_password->setText(initial.password);

    m_refusal = new QLabel(this);
    m_refusal->setObjectName(QStringLiteral("lblFout"));
    m_refusal->setWordWrap(true);
    m_refusal->setTextFormat(Qt::PlainText);
    m_refusal->setStyleSheet(QStringLiteral("color: #b00020;"));
    m_refusal->hide();

    auto *form = new QFormLayout;
    // A row that holds a layout gets no buddy of its own; the label's key needs one.
    auto *storeLabel = new QLabel(QStringLiteral("&Store (map of server):"), this);
    storeLabel->setBuddy(m_store);
    form->addRow(storeLabel, storeRow);
    form->addRow(QStringLiteral("&Catalogus:"), m_catalog);
    form->addRow(QString(), m_asMyself);
    form->addRow(QStringLiteral("&Gebruiker:"), m_user);
    form->addRow(QStringLiteral("&Wachtwoord:"), m_password);

    auto *buttons = new QDialogButtonBox(this);
    m_connect = buttons->addButton(QStringLiteral("&Verbinden"), QDialogButtonBox::AcceptRole);
    m_connect->setObjectName(QStringLiteral("cmdVerbinden"));
    m_connect->setDefault(true);
    QPushButton *cancel = buttons->addButton(QStringLiteral("&Annuleren"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("cmdAnnuleren"));

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(m_refusal);
    layout->addStretch(1);
    layout->addWidget(buttons);
    setMinimumWidth(520);

    listCatalogues();
    if (!initial.catalog.isEmpty())
        m_catalog->setEditText(initial.catalog);
    asMyselfToggled();

    connect(m_store, &QLineEdit::textChanged, this, &ConnectionDialog::listCatalogues);
    connect(m_browse, &QPushButton::clicked, this, &ConnectionDialog::browse);
    connect(m_asMyself, &QCheckBox::toggled, this, &ConnectionDialog::asMyselfToggled);
    connect(m_connect, &QPushButton::clicked, this, &ConnectionDialog::tryConnect);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    // The cursor starts where typing is still needed: the password of a known user.
    if (m_asMyself->isChecked())
        m_connect->setFocus();
    else if (!initial.user.trimmed().isEmpty())
        m_password->setFocus();
    else
        m_user->setFocus();
}

StoreConnection ConnectionDialog::connection() const
{
    StoreConnection c;
    c.server = m_store->text().trimmed();
    c.catalog = m_catalog->currentText().trimmed();
    c.sqlSecurity = !m_asMyself->isChecked();
    if (c.sqlSecurity) {
        c.user = m_user->text().trimmed();
        c.password = m_password->text();
    }
    return c;
}

void ConnectionDialog::showRefusal(const QString &reason)
{
    m_refusal->setText(reason);
    m_refusal->show();
    QLineEdit *retry = m_asMyself->isChecked() ? m_store : m_password;
    retry->setFocus();
    retry->selectAll();
}

void ConnectionDialog::tryConnect()
{
    m_refusal->hide();
    // A server that does not answer takes a few seconds to be given up on.
    setEnabled(false);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const QString reason = m_attempt(connection());
    QApplication::restoreOverrideCursor();
    setEnabled(true);
    if (reason.isEmpty())
        accept();
    else
        showRefusal(reason);
}

void ConnectionDialog::browse()
{
    const std::optional<QString> folder = dwfm::prompts().folderDialog(QStringLiteral("Map van de store kiezen"), this);
    if (folder && !folder->isEmpty())
        m_store->setText(*folder);
}

void ConnectionDialog::listCatalogues()
{
    const QString server = m_store->text().trimmed();
    const QString typed = m_catalog->currentText();
    m_catalog->clear();
    // A server's databases are known only after logging on; a folder shows its stores.
    if (!dwfm::store::DwFileStoreSession::isServerAddress(server))
        m_catalog->addItems(StoreFolders::catalogues(server.isEmpty() ? StoreFolders::defaultStoreFolder() : server));
    if (!typed.isEmpty())
        m_catalog->setEditText(typed);
}

void ConnectionDialog::asMyselfToggled()
{
    const bool own = !m_asMyself->isChecked();
    m_user->setEnabled(own);
    m_password->setEnabled(own);
}
