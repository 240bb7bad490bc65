#include "ModeMenu.h"

#include "core/FileManUI.h"

#include <QInputDialog>
#include <QMenu>
#include <QMenuBar>

using dwfm::FileManUI;

namespace {
// Asks for a location ID; false when the user cancelled.
bool askLocation(QWidget *parent, const QString &title, qint32 &id)
{
    bool ok = false;
    id = QInputDialog::getInt(parent, title, QStringLiteral("Locatienummer:"), id > 0 ? id : 1, 0, 2147483647, 1, &ok);
    return ok;
}

// The select-file mode makes the control read-only and takes its popup menu away; every
// other mode gives the user the menu and the check-out commands back.
void allowChanges(FileManUI *control)
{
    control->ReadOnly = false;
    control->AllowPopupMenu = true;
}
} // namespace

QString trueFalse(bool value) { return value ? QStringLiteral("True") : QStringLiteral("False"); }

QMenu *addModeMenu(QMenuBar *menuBar, FileManUI *control, QWidget *dialogParent,
                 std::function<void(const QString &)> log)
{
    QMenu *menu = menuBar->addMenu(QStringLiteral("&Modus"));
    menu->setObjectName(QStringLiteral("mnuModus"));
    // The location last asked for, offered again the next time.
    auto lastLocation = std::make_shared<qint32>(0);

    menu->addAction(QStringLiteral("&Alle locaties"), control, [control, log] {
        allowChanges(control);
        log(QStringLiteral("ControlInRootMode() = %1").arg(trueFalse(control->ControlInRootMode())));
    });
    menu->addAction(QStringLiteral("&Gebruiker..."), control, [control, dialogParent, log] {
        bool ok = false;
        const QString user = QInputDialog::getText(dialogParent, QStringLiteral("Gebruiker"),
                                                   QStringLiteral("Gebruikers-ID:"), QLineEdit::Normal, QString(), &ok);
        if (!ok || user.trimmed().isEmpty())
            return;
        allowChanges(control);
        const bool built = control->ControlInUserMode(user.trimmed(), QStringLiteral("Bestanden van ") + user.trimmed());
        log(QStringLiteral("ControlInUserMode(\"%1\") = %2").arg(user.trimmed(), trueFalse(built)));
    });
    menu->addAction(QStringLiteral("&Specifieke locatie..."), control, [control, dialogParent, log, lastLocation] {
        if (!askLocation(dialogParent, QStringLiteral("Specifieke locatie"), *lastLocation))
            return;
        allowChanges(control);
        const bool built = control->ControlInSpecificLocationMode(*lastLocation, QString(), true);
        log(QStringLiteral("ControlInSpecificLocationMode(%1) = %2").arg(*lastLocation).arg(trueFalse(built)));
    });
    menu->addAction(QStringLiteral("Bestand &opslaan..."), control, [control, dialogParent, log, lastLocation] {
        if (!askLocation(dialogParent, QStringLiteral("Bestand opslaan"), *lastLocation))
            return;
        allowChanges(control);
        const bool built = control->ControlInSaveFileMode(*lastLocation, QString());
        log(QStringLiteral("ControlInSaveFileMode(%1) = %2").arg(*lastLocation).arg(trueFalse(built)));
    });
    menu->addAction(QStringLiteral("Bestand &kiezen..."), control, [control, dialogParent, log, lastLocation] {
        if (!askLocation(dialogParent, QStringLiteral("Bestand kiezen"), *lastLocation))
            return;
        const bool built = control->ControlInSelectFileMode(*lastLocation, QString());
        log(QStringLiteral("ControlInSelectFileMode(%1) = %2").arg(*lastLocation).arg(trueFalse(built)));
    });
    menu->addSeparator();
    QAction *refresh = menu->addAction(QStringLiteral("&Vernieuwen"), control, [control, log] {
        control->RefreshTreeView();
        log(QStringLiteral("RefreshTreeView()"));
    });
    refresh->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));
    return menu;
}
