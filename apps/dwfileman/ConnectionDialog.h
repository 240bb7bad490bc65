#pragma once

#include "StoreConnection.h"

#include <QDialog>

#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

// "Verbinden met de store": where the store is (a folder on this machine or a server),
// which catalogue, and who logs on: the store's own user with a password, or the
// operating-system account ("Aanmelden als mijzelf"). "Verbinden" tries the connection
// while the dialog stays open; a refusal shows the store's reason in the dialog and keeps
// everything typed, so the user corrects what was wrong and tries again.
class ConnectionDialog : public QDialog {
    Q_OBJECT
public:
    // Tries a connection; answers why it was refused, or an empty text when it worked.
    using Attempt = std::function<QString(const StoreConnection &)>;

    ConnectionDialog(const StoreConnection &initial, Attempt attempt, QWidget *parent = nullptr);

    // The connection as filled in, with the password typed.
    StoreConnection connection() const;
    // Shows why a connection was refused and puts the cursor where it is best corrected.
    void showRefusal(const QString &reason);

private:
    void tryConnect();
    void browse();
    // The catalogues of the store folder typed, offered in the catalogue box.
    void listCatalogues();
    void asMyselfToggled();

    Attempt m_attempt;
    QLineEdit *m_store;
    QPushButton *m_browse;
    QComboBox *m_catalog;
    QCheckBox *m_asMyself;
    QLineEdit *m_user;
    QLineEdit *m_password;
    QLabel *m_refusal;
    QPushButton *m_connect;
};
