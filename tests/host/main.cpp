// dwhost STORE-FOLDER CATALOGUE LOCATION-PATH FILE
//
// Connects the control to an embedded store as user demo, opens the root mode, clicks the
// location given by its path of names and prints the files the list then shows. Exits 0
// when FILE is among them.
#include "DwFileStore.h"
#include "core/FileManUI.h"

#include <QApplication>
#include <QTreeView>

#include <cstdio>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    if (args.size() != 5)
        return 2;
    dwfm::store::registerDwFileStore();
    dwfm::FileManUI control;
    if (!control.SetupConnection(args[1], QStringLiteral("demo"), QStringLiteral("demo"), args[2], true) ||
        !control.ControlInRootMode())
        return 1;
    // The user's roots hang under the root mode's top node; expanding loads sub-folders.
    QTreeView *tree = control.tvTreeView;
    QModelIndex node = tree->model()->index(0, 0);
    for (const QString &name : args[3].split(QLatin1Char('/'))) {
        tree->expand(node);
        const QModelIndexList found = tree->model()->match(tree->model()->index(0, 0, node), Qt::DisplayRole, name, 1,
                                                           Qt::MatchExactly);
        if (found.isEmpty())
            return 1;
        node = found.first();
    }
    tree->setCurrentIndex(node);
    bool listed = false;
    for (int row = 0; row < control.lvListView->model()->rowCount(); ++row) {
        const QString name = control.lvListView->model()->index(row, 0).data().toString();
        std::printf("%s\n", qPrintable(name));
        listed = listed || name == args[4];
    }
    return listed ? 0 : 1;
}
