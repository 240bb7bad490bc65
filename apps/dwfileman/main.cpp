// dwfileman: the file manager program. It connects the control to a document store,
// through its connection dialog or as its command line says, and shows the store.
// Without a display it renders its window to a PNG file and says where that is.
#include "DialogShots.h"
#include "HostOptions.h"
#include "HostStart.h"
#include "MainWindow.h"

#include "DwFileStore.h"
#include "core/FileManUI.h"
#include "core/FileManUIInternals.h"
#include "list/FileListModel.h"
#include "list/ListRowClick.h"
#include "preview/PreviewPane.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QItemSelectionModel>
#include <QTimer>
#include <QTreeView>

#include <cstdio>
#include <cstring>

namespace {
bool haveDisplay()
{
    return qEnvironmentVariableIsSet("DISPLAY") || qEnvironmentVariableIsSet("WAYLAND_DISPLAY") ||
           qEnvironmentVariable("QT_QPA_PLATFORM") == QLatin1String("offscreen");
}

void print(const QString &text) { std::fprintf(stdout, "%s\n", qPrintable(text)); }

// A password given with --password is overwritten in the process's own arguments, so the
// process list shows it no longer than it takes to start.
void blankPasswordArgument(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i) {
        char *value = nullptr;
        if (std::strcmp(argv[i], "--password") == 0 && i + 1 < argc)
            value = argv[++i];
        else if (std::strncmp(argv[i], "--password=", 11) == 0)
            value = argv[i] + 11;
        if (value)
            std::memset(value, 'x', std::strlen(value));
    }
}

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
    blankPasswordArgument(argc, argv);
    if (offscreen && options.screenshot.isEmpty())
        options.screenshot = QDir::current().absoluteFilePath(QStringLiteral("dwfileman.png"));
    // Pictures are made without anyone to answer a dialog.
    const bool interactive = options.screenshot.isEmpty() && options.dialogScreenshots.isEmpty();

    dwfm::store::registerDwFileStore();
    MainWindow window;
    QString failure;
    const HostStart::Outcome outcome = HostStart::connect(window, options, interactive, failure);
    options.connection.password.clear();
    if (outcome == HostStart::Outcome::Failed) {
        print(QStringLiteral("Geen verbinding met de store: %1").arg(failure));
        return 1;
    }
    // "Annuleren" in the connection dialog at the start ends the program, as a user expects.
    if (outcome == HostStart::Outcome::GaveUp)
        return 0;
    // The location asked for is opened and clicked as the user would: LocationChanged
    // follows and the list fills.
    if (!options.location.isEmpty() && !window.openLocation(options.location))
        print(QStringLiteral("Locatie niet gevonden: %1").arg(options.location));
    if (!options.file.isEmpty() && !clickFile(*window.control(), options.file))
        print(QStringLiteral("Bestand niet gevonden: %1").arg(options.file));
    if (!options.search.isEmpty() && !window.control()->SearchProjects(options.search))
        print(QStringLiteral("Niets gevonden: %1").arg(options.search));
    if (!options.dialogScreenshots.isEmpty()) {
        const bool saved = saveDialogScreenshots(*window.control(), window.connection(), options.dialogScreenshots);
        print(saved ? QStringLiteral("Dialogs: %1").arg(options.dialogScreenshots)
                    : QStringLiteral("Could not render the dialogs (a location that has files?)"));
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
