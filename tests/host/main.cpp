// dwhost STORE-FOLDER CATALOGUE LOCATION-PATH FILE
//
// Connects the control to an embedded store as user demo, opens the root mode, clicks the
// location given by its path of names and prints the files the list then shows. Exits 0
// when FILE is among them.
#include "DwFileStore.h"
#include "core/FileManUI.h"
#include "platform/TextHelpers.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QTreeView>

#include <cstdio>

namespace {
QModelIndex childWithText(const QAbstractItemModel &model, const QModelIndex &parent, const QString &text)
{
    for (int row = 0; row < model.rowCount(parent); ++row) {
        const QModelIndex child = model.index(row, 0, parent);
        if (child.data().toString() == text)
            return child;
    }
    return {};
}
} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    if (args.size() != 5) {
        std::fprintf(stderr, "gebruik: dwhost STORE CATALOGUS LOCATIE BESTAND\n");
        return 2;
    }
    dwfm::store::registerDwFileStore();
    dwfm::FileManUI control;
    control.StatusBarVisible = true;
    if (!control.SetupConnection(args[1], QStringLiteral("demo"), QStringLiteral("demo"), args[2], true) ||
        !control.ControlInRootMode()) {
        std::fprintf(stderr, "geen verbinding of geen boom\n");
        return 1;
    }
    // The user's roots hang under the root mode's top node; expanding loads sub-folders.
    QTreeView *tree = control.tvTreeView;
    QModelIndex node = tree->model()->index(0, 0);
    for (const QString &name : args[3].split(QLatin1Char('/'))) {
        tree->expand(node);
        node = childWithText(*tree->model(), node, name);
        if (!node.isValid()) {
            std::fprintf(stderr, "locatie niet gevonden: %s\n", qPrintable(name));
            return 1;
        }
    }
    tree->setCurrentIndex(node);
    std::printf("locatie %d\n", control.GetCurrentLocationID());
    bool found = false;
    const QAbstractItemModel *files = control.lvListView->model();
    for (int row = 0; row < files->rowCount(); ++row) {
        const QString name = files->index(row, 0).data().toString();
        std::printf("  %s\n", qPrintable(name));
        found = found || name == args[4];
    }
    // A helper for hosts from the installed headers.
    if (!dwfm::FileNameValid(args[4]))
        return 1;
    return found ? 0 : 1;
}
