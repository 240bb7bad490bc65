// dwfileman: a host program for the file manager control. It connects the control to a
// document store given on the command line and shows the control's events in a log.
// Without a display it renders its window to a PNG file and says where that is.
#include "DialogShots.h"
#include "HostOptions.h"
#include "MainWindow.h"

#include "core/FileManUI.h"
#include "core/FileManUIInternals.h"
#include "SessionRegistry.h"
#include "list/FileListModel.h"
#include "list/ListRowClick.h"
#include "preview/PreviewPane.h"
#include "DwError.h"
#include "tree/LocationTree.h"

#ifdef DW_HAVE_FILESTORE
#include "DwFileStore.h"
#endif

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QItemSelectionModel>
#include <QTreeView>
#include <QTimer>

#include <cstdio>

namespace {
bool haveDisplay()
{
    return qEnvironmentVariableIsSet("DISPLAY") || qEnvironmentVariableIsSet("WAYLAND_DISPLAY") ||
           qEnvironmentVariable("QT_QPA_PLATFORM") == QLatin1String("offscreen");
}

void print(const QString &text) { std::fprintf(stdout, "%s\n", qPrintable(text)); }

// Selects the file's row and clicks it as the user would: the host hears ProjectChanged
// and the preview shows the file.
bool clickFile(dwfm::FileManUI &control, const QString &name)
{
    const auto &rows = listModelOf(control)->rows();
    for (std::size_t row = 0; row < rows.size(); ++row) {
        if (rows[row].text != name)
            continue;
        control.lvListView->selectionModel()->setCurrentIndex(
            listModelOf(control)->index(int(row), 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        rowClickOf(control).lvListView_ItemClick(int(row));
        return true;
    }
    return false;
}
} // namespace

int main(int argc, char **argv)
{
    const bool offscreen = !haveDisplay();
    if (offscreen)
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("dwfileman"));
    HostOptions options = parseHostOptions(QApplication::arguments());
    if (offscreen && options.screenshot.isEmpty())
        options.screenshot = QDir::current().absoluteFilePath(QStringLiteral("dwfileman.png"));

    MainWindow window(options);
    bool connected = false;
#ifdef DW_HAVE_FILESTORE
    dwfm::store::registerDwFileStore();
#endif
    if (dwfm::SessionRegistry::hasFactory()) {
        try {
            connected = window.control()->SetupConnection(options.server, options.user, options.password,
                                                          options.catalog, options.sqlSecurity);
            if (!connected) {
                const auto session = dwfm::SessionRegistry::current();
                const QString why = session ? session->Database().LastError() : QString();
                print(QStringLiteral("Geen verbinding met de store: %1").arg(why));
            }
        } catch (const dwfm::DwError &error) {
            print(QStringLiteral("Geen verbinding met de store: %1").arg(error.description()));
        }
    } else {
        print(QStringLiteral("This build has no document store: the control is shown unconnected."));
    }
    window.log(connected ? QStringLiteral("Verbonden.") : QStringLiteral("Niet verbonden."));
    // A connected control starts with all of the user's locations; the "Modus" menu
    // switches to the other modes.
    if (connected)
        window.log(QStringLiteral("ControlInRootMode() = %1")
                       .arg(window.control()->ControlInRootMode() ? QStringLiteral("True") : QStringLiteral("False")));
    // The location asked for is opened and clicked as the user would: LocationChanged
    // follows and the list fills.
    if (connected && !options.location.isEmpty() && !locationTreeOf(*window.control())->selectPath(options.location))
        print(QStringLiteral("Locatie niet gevonden: %1").arg(options.location));
    if (connected && !options.file.isEmpty() && !clickFile(*window.control(), options.file))
        print(QStringLiteral("Bestand niet gevonden: %1").arg(options.file));
    if (!options.dialogScreenshots.isEmpty()) {
        const bool saved = connected && saveDialogScreenshots(*window.control(), options.dialogScreenshots);
        print(saved ? QStringLiteral("Dialogs: %1").arg(options.dialogScreenshots)
                    : QStringLiteral("Could not render the dialogs (connected, with a location that has files?)"));
        return saved ? 0 : 1;
    }
    window.show();
    // After the mode: the control keeps its layout only once a mode has succeeded.
    window.restoreLayout();

    if (!options.screenshot.isEmpty()) {
        // The preview draws a document in the background (LibreOffice may take a while): the
        // picture waits until the pane has it, a minute at most.
        auto *poll = new QTimer(&window);
        QElapsedTimer waited;
        waited.start();
        QObject::connect(poll, &QTimer::timeout, &window, [&, poll] {
            if (previewPaneOf(*window.control()).isDrawing() && waited.elapsed() < 60000)
                return;
            poll->stop();
            const bool saved = window.grab().save(options.screenshot, "PNG");
            print(saved ? QStringLiteral("Screenshot: %1").arg(options.screenshot)
                        : QStringLiteral("Could not write the screenshot to %1").arg(options.screenshot));
            app.exit(saved ? 0 : 1);
        });
        poll->start(200);
    }
    return app.exec();
}
