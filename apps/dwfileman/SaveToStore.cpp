#include "SaveToStore.h"

#include "core/FileManUI.h"
#include "dialogs/Support.h"

#include <QFileDialog>
#include <QMenu>
#include <QMessageBox>

using dwfm::FileManUI;

void addSaveToStoreAction(QMenu *fileMenu, FileManUI *control, QWidget *dialogParent,
                          std::function<StoreConnection()> connection, std::function<void(const QString &)> log)
{
    QAction *action = fileMenu->addAction(QStringLiteral("&Opslaan in de store…"));
    action->setObjectName(QStringLiteral("mnuOpslaanInStore"));
    QObject::connect(action, &QAction::triggered, control, [=] {
        // The save-as dialog opens on one location: the one the user stands on.
        const qint32 location = control->GetCurrentLocationID();
        if (location <= 0) {
            QMessageBox::information(dialogParent, QStringLiteral("Opslaan in de store"),
                                     QStringLiteral("Kies eerst een locatie in de boom."));
            return;
        }
        const QString file =
            QFileDialog::getOpenFileName(dialogParent, QStringLiteral("Bestand kiezen om op te slaan"));
        if (file.isEmpty())
            return;
        const StoreConnection store = connection();
        qint32 savedLocation = -1;
        qint32 savedFile = -1;
        QString savedName;
        const bool stored = dwfm::Support::ShowFileSaveAsDialog(
            store.server, store.user, store.password, store.catalog, store.sqlSecurity, file,
            location, control->GetCurrentLocationDescription(), false, QString(), savedLocation, savedFile, savedName);
        log(QStringLiteral("ShowFileSaveAsDialog(\"%1\") = %2, locatie %3, bestand %4")
                .arg(file, stored ? QStringLiteral("True") : QStringLiteral("False"))
                .arg(savedLocation)
                .arg(savedFile));
        if (stored)
            control->RefreshListView();
    });
}
