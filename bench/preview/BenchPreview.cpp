// Times the preview pane of a control over the embedded store, each figure against a
// baseline measured in the same run:
//
//   PDF click      a mouse click on the row of a 10-page PDF until the pane has painted its
//                  pages, against drawing the same pages of the same file at the same width
//                  with QPdfDocument alone (at most 150 ms is the goal)
//   office click   the same for an office document whose PDF is in the cache, against
//                  drawing the cached PDF alone (at most 150 ms)
//   arrow key      the down arrow over 1,000 rows (PDFs, texts, office documents, pictures,
//                  other files), one step every 33 ms as a held key repeats: the longest
//                  step of the list (key to painted list and page) and the longest stretch
//                  the GUI thread was busy between steps, against one frame of 16 ms
//
// With --while-indexing the arrow key goes down the list right after the 1,000 files were
// added, while the session's background indexer still reads their text (PDFs, office
// documents through LibreOffice), and then again once the indexing has caught up: the
// steps while indexing against the steps after it.
//
// Usage: bench_preview [RUNS] [--while-indexing]
//        (RUNS: how many clicks each median is taken over, 7 by default)
#include "DwFileStore.h"
#include "DwFileStoreSession.h"
#include "ProjectSearch.h"
#include "SessionRegistry.h"
#include "StoreFolders.h"
#include "admin/StoreAdmin.h"
#include "db/Schema.h"
#include "db/SqliteDb.h"
#include "search/ContentIndex.h"
#include "BenchTiming.h"

#include "core/FileManUI.h"
#include "core/FileManUIInternals.h"
#include "list/FileListModel.h"
#include "preview/PreviewBrowser.h"
#include "preview/PreviewCache.h"
#include "preview/PreviewPane.h"
#include "preview/PreviewTextBrowser.h"
#include "preview/PreviewWorker.h"
#include "tree/LocationTree.h"

#include <QApplication>
#include <QEventLoop>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QTreeView>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>

using namespace dwfm;
using namespace dwfm::bench;

namespace {

constexpr int kRows = 1000;
constexpr int kRepeatMs = 33;
constexpr double kFrameMs = 16.0;

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        die(QStringLiteral("Cannot write %1").arg(path));
}

// A PDF of `pages` A4 pages of text and a drawing, as a report would have.
void writePdf(const QString &path, int pages)
{
    QPdfWriter writer(path);
    writer.setPageSize(QPageSize(QPageSize::A4));
    QPainter painter(&writer);
    painter.setFont(QFont(QStringLiteral("DejaVu Sans"), 11));
    for (int page = 1; page <= pages; ++page) {
        if (page > 1)
            writer.newPage();
        const int w = writer.width(), h = writer.height();
        painter.drawText(QRect(0, 0, w, h / 12), Qt::AlignCenter, QStringLiteral("Hoofdstuk %1").arg(page));
        for (int line = 0; line < 40; ++line)
            painter.drawText(QRect(0, h / 10 + line * h / 60, w, h / 60), Qt::AlignLeft,
                             QStringLiteral("Regel %1 van de tekst op bladzijde %2, met wat woorden erachter.")
                                 .arg(line + 1)
                                 .arg(page));
        painter.drawEllipse(QRect(w / 3, h * 3 / 4, w / 3, h / 6));
    }
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        die(QStringLiteral("Cannot read %1").arg(path));
    return file.readAll();
}

// Counts the paints of a widget.
struct PaintWatch : QObject {
    int paints = 0;
    std::function<void()> painted;
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint) {
            ++paints;
            if (painted)
                painted();
        }
        return false;
    }
};

struct Bench {
    QTemporaryDir dir;
    QString folder;
    FileManUI control;
    PaintWatch pagePaints;
    qint32 top = 0, samples = 0, list = 0;
    // The 10-page PDF, and the cached PDF of the office document.
    QString pdf, cachedPdf;

    // `caughtUp`: the store's indexing has read every document before the figures.
    void createStore(bool caughtUp);
    // How many files wait for their text to be indexed.
    qint64 waitingForIndex() const;
    void open(const QString &path);
    int rowOf(const QString &name) const;
    void clickRow(int row);
    // Milliseconds from a click until the first page and until every page was painted.
    struct Painted {
        double first, all;
    };
    Painted clickUntilPainted(const QString &name);
    // The medians of `runs` clicks on `name`, each after a click on `before` has settled.
    Painted clicks(const QString &name, const QString &before);
    // Holds the down arrow over the list; `label` names the run in the figures.
    struct ArrowFigures {
        double step, stepCpu, busy, busyCpu;
    };
    ArrowFigures arrowRun(const char *label);
};

void Bench::createStore(bool caughtUp)
{
    folder = dir.filePath(QStringLiteral("store"));
    store::StoreAdmin::createStore(folder, QStringLiteral("Bench"));
    auto admin = store::DwFileStoreSession::openAsAdministrator(folder, QStringLiteral("Bench"), QStringLiteral("beheer"));
    store::StoreAdmin administration(admin);
    store::UserChange user;
    user.password = QStringLiteral("bench");
    user.workingRoot = dir.filePath(QStringLiteral("werk"));
    administration.addUser(QStringLiteral("bench"), user, 1000);
    LocationsService &locations = admin->Locations();
    if (!locations.CreateLocation(QStringLiteral("Bench"), QString(), 0, top) ||
        !locations.CreateLocation(QStringLiteral("Voorbeeld"), QString(), top, samples) ||
        !locations.CreateLocation(QStringLiteral("Lijst"), QString(), top, list))
        die(admin->Database().LastError());

    const QString made = dir.filePath(QStringLiteral("made"));
    QDir().mkpath(made);
    const auto add = [&](const QString &name, const QByteArray &bytes, qint32 location) {
        const QString source = made + QLatin1Char('/') + name;
        writeFile(source, bytes);
        if (admin->Projects().AddProject(source, location, QVariant(), true, false) < 0)
            die(admin->Database().LastError());
        QFile::remove(source);
    };
    pdf = dir.filePath(QStringLiteral("ten.pdf"));
    writePdf(pdf, 10);
    const QByteArray tenPages = readFile(pdf);
    QByteArray text;
    for (int line = 0; line < 60; ++line)
        text += "Notulen, punt " + QByteArray::number(line) + ": iedereen was het eens, behalve over de planning.\n";
    add(QStringLiteral("Rapport.pdf"), tenPages, samples);
    add(QStringLiteral("Verslag.odt"), "PK\x03\x04 het verslag van dit jaar", samples);
    add(QStringLiteral("Notulen.txt"), text, samples);

    QImage picture(320, 200, QImage::Format_RGB32);
    picture.fill(QColor(90, 150, 220));
    picture.save(dir.filePath(QStringLiteral("foto.png")));
    const QByteArray png = readFile(dir.filePath(QStringLiteral("foto.png")));
    for (int i = 0; i < kRows; ++i) {
        const QString number = QStringLiteral("%1").arg(i, 4, 10, QLatin1Char('0'));
        switch (i % 5) {
        case 0: add(QStringLiteral("Deel %1.pdf").arg(number), tenPages, list); break;
        case 1: add(QStringLiteral("Notitie %1.txt").arg(number), text, list); break;
        // Office documents never converted before: going down the list starts no LibreOffice.
        case 2: add(QStringLiteral("Brief %1.odt").arg(number), "PK\x03\x04 brief " + number.toUtf8(), list); break;
        case 3: add(QStringLiteral("Foto %1.png").arg(number), png, list); break;
        default: add(QStringLiteral("Gegevens %1.bin").arg(number), QByteArray(4096, '\0'), list); break;
        }
    }
    // The text of every document is read for searching in the background after it is added;
    // the figures are of a store whose indexing has caught up, as a store is once its files
    // have been there a while.
    auto *search = dynamic_cast<ProjectSearch *>(&admin->Projects());
    if (caughtUp && search && !search->FinishIndexing(1200000))
        die(QStringLiteral("The store's indexing did not catch up: %1").arg(admin->Database().LastError()));
    // The office document of the samples has its PDF in the cache already.
    const QString odt =
        QDir(locations.GetServerRootFolder()).filePath(locations.GetLocationPath(samples) + QStringLiteral("/Verslag.odt"));
    cachedPdf = PreviewCache().store(PreviewCache::keyOfFile(odt), pdf);
    if (cachedPdf.isEmpty())
        die(QStringLiteral("Cannot fill the preview cache for %1").arg(odt));
}

qint64 Bench::waitingForIndex() const
{
    const store::SqliteDbPtr db = store::SqliteDb::open(store::StoreFolders::databasePath(folder, QStringLiteral("Bench")), false);
    store::Schema::attachSearch(db, store::StoreFolders::searchDatabasePath(folder, QStringLiteral("Bench")));
    return store::ContentIndex::waiting(db);
}

void Bench::open(const QString &path)
{
    if (!locationTreeOf(control)->selectPath(path))
        die(QStringLiteral("No location %1").arg(path));
}

int Bench::rowOf(const QString &name) const
{
    const auto &rows = listModelOf(control)->rows();
    for (std::size_t row = 0; row < rows.size(); ++row) {
        if (rows[row].text == name)
            return int(row);
    }
    die(QStringLiteral("No row %1").arg(name));
}

void Bench::clickRow(int row)
{
    QTreeView *view = control.lvListView;
    view->scrollTo(listModelOf(control)->index(row, 0));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(listModelOf(control)->index(row, 0)).center());
}

// Times a click on `name` until the pane has painted its document's first page (the page
// the pane shows) and until it has painted all of them.
Bench::Painted Bench::clickUntilPainted(const QString &name)
{
    PreviewPane &pane = previewPaneOf(control);
    QEventLoop loop;
    bool shown = false;
    QString linkPage;
    QElapsedTimer timer;
    Painted painted{0, 0};
    const auto connection = QObject::connect(&pane, &PreviewPane::documentShown, &loop, [&] { shown = true; });
    pagePaints.painted = [&] {
        // A page with a document part is a new page file.
        if (painted.first == 0 && pane.browser().currentAddress() != linkPage)
            painted.first = double(timer.nsecsElapsed()) / 1e6;
        if (shown) {
            painted.all = double(timer.nsecsElapsed()) / 1e6;
            loop.quit();
        }
    };
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, &loop, [&] { die(QStringLiteral("No preview of %1").arg(name)); });
    guard.start(30000);
    timer.start();
    clickRow(rowOf(name));
    linkPage = pane.browser().currentAddress();
    loop.exec();
    QObject::disconnect(connection);
    pagePaints.painted = nullptr;
    return painted;
}

Bench::Painted Bench::clicks(const QString &name, const QString &before)
{
    std::vector<double> first, all;
    for (int i = 0; i < runs; ++i) {
        clickUntilPainted(before);
        const Painted times = clickUntilPainted(name);
        first.push_back(times.first);
        all.push_back(times.all);
    }
    std::sort(first.begin(), first.end());
    std::sort(all.begin(), all.end());
    return {first[first.size() / 2], all[all.size() / 2]};
}

// The processor time the calling thread has used, in ms: on a machine that others share,
// what the GUI thread itself spent apart from waiting for a processor.
double threadCpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

double percentile(std::vector<double> values, double fraction)
{
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, std::size_t(fraction * double(values.size())))];
}

Bench::ArrowFigures Bench::arrowRun(const char *label)
{
    open(QStringLiteral("Bench/Lijst"));
    QTreeView *view = control.lvListView;
    clickRow(0);
    view->setFocus();
    std::vector<double> steps, turns, stepsCpu, turnsCpu;
    int drawn = 0;
    const auto counting = QObject::connect(&previewPaneOf(control), &PreviewPane::documentShown, [&] { ++drawn; });
    for (int i = 1; i < kRows; ++i) {
        QElapsedTimer step;
        step.start();
        const double stepCpu = threadCpuMs();
        QTest::keyPress(view, Qt::Key_Down);
        QTest::keyRelease(view, Qt::Key_Down);
        // What the step asked for is painted before it counts as done.
        QCoreApplication::processEvents();
        steps.push_back(double(step.nsecsElapsed()) / 1e6);
        stepsCpu.push_back(threadCpuMs() - stepCpu);
        // Until the key repeats, the GUI thread serves whatever arrives (drawn pages, texts).
        QElapsedTimer gap;
        gap.start();
        while (gap.elapsed() < kRepeatMs) {
            QElapsedTimer turn;
            turn.start();
            const double turnCpu = threadCpuMs();
            QCoreApplication::processEvents();
            const qint64 ns = turn.nsecsElapsed();
            if (ns > 200000) {
                turns.push_back(double(ns) / 1e6);
                turnsCpu.push_back(threadCpuMs() - turnCpu);
            } else
                QThread::usleep(300);
        }
    }
    QObject::disconnect(counting);
    if (view->currentIndex().row() != kRows - 1)
        die(QStringLiteral("The arrow stopped at row %1").arg(view->currentIndex().row()));
    if (turns.empty())
        turns.push_back(0), turnsCpu.push_back(0);
    std::printf("down arrow over %d rows, %s: %d documents drawn on the way\n", kRows, label, drawn);
    const auto line = [](const char *what, const std::vector<double> &times) {
        std::printf("  %-48s %8.1f ms  (median %.1f, 99th percentile %.1f)\n", what, percentile(times, 1.0),
                    percentile(times, 0.5), percentile(times, 0.99));
    };
    line("list step, longest (wall clock)", steps);
    line("list step, longest (GUI thread's processor time)", stepsCpu);
    line("GUI busy between steps, longest (wall clock)", turns);
    line("GUI busy between steps, longest (processor time)", turnsCpu);
    return {percentile(steps, 1.0), percentile(stepsCpu, 1.0), percentile(turns, 1.0), percentile(turnsCpu, 1.0)};
}

} // namespace

int main(int argc, char **argv)
{
    // The bench's cache and temporary files stay in its own folders.
    QTemporaryDir home;
    qputenv("XDG_CACHE_HOME", home.filePath(QStringLiteral("cache")).toLocal8Bit());
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    runs = 7;
    readRuns(argc, argv);
    const bool whileIndexing = QCoreApplication::arguments().contains(QStringLiteral("--while-indexing"));

    store::registerDwFileStore();
    Bench bench;
    bench.createStore(!whileIndexing);
    FileManUI &control = bench.control;
    control.FileInfoVisible = control.AutoShowPreview = true;
    control.resize(1100, 720);
    control.show();
    if (!QTest::qWaitForWindowExposed(&control))
        die(QStringLiteral("The control was never shown"));
    if (!control.SetupConnection(bench.folder, QStringLiteral("bench"), QStringLiteral("bench"), QStringLiteral("Bench"),
                                 true) ||
        !control.ControlInRootMode())
        die(QStringLiteral("Cannot open the store"));
    control.WebBrowser->viewport()->installEventFilter(&bench.pagePaints);
    if (whileIndexing) {
        const qint64 before = bench.waitingForIndex();
        const Bench::ArrowFigures indexing = bench.arrowRun("while the store indexes");
        std::printf("  files waiting for the indexer: %lld before the run, %lld after it\n", before,
                    bench.waitingForIndex());
        auto *search = dynamic_cast<ProjectSearch *>(&SessionRegistry::current()->Projects());
        if (!search || !search->FinishIndexing(1200000))
            die(QStringLiteral("The store's indexing did not catch up"));
        const Bench::ArrowFigures caughtUp = bench.arrowRun("indexing caught up");
        report("list step processor time, indexing against caught up", indexing.stepCpu, caughtUp.stepCpu, 0);
        report("GUI busy (processor), indexing against caught up", indexing.busyCpu, caughtUp.busyCpu, 0);
        report("list step processor time while indexing, against one frame", indexing.stepCpu, kFrameMs, 1.0);
        return 0;
    }
    bench.open(QStringLiteral("Bench/Voorbeeld"));

    auto *browser = qobject_cast<PreviewTextBrowser *>(control.WebBrowser);
    PreviewRequest request;
    request.width = browser->documentWidthLimit();
    request.pixelRatio = browser->devicePixelRatioF();
    std::printf("pages drawn at %d px, the first %d of 10\n", request.width, PreviewWorker::MaxPages);
    const auto drawAlone = [&](const QString &file) {
        return medianMs([&] {
            if (PreviewWorker::renderPdf(file, request).pages.empty())
                die(QStringLiteral("%1 was not drawn").arg(file));
        });
    };
    const auto against150 = [](double ms) {
        std::printf("%-50s %8.1f ms  (at most 150 ms: %s)\n", "", ms, ms <= 150 ? "ok" : "OVER");
    };

    const auto clickFigures = [&](const char *what, const QString &file, const Bench::Painted &click) {
        const double alone = drawAlone(file);
        std::printf("%s\n", what);
        report("  click to painted first page", click.first, alone, 0);
        against150(click.first);
        report("  click to all pages painted", click.all, alone, 0);
    };
    clickFigures("PDF of 10 pages:", bench.pdf, bench.clicks(QStringLiteral("Rapport.pdf"), QStringLiteral("Notulen.txt")));
    clickFigures("cached office document:", bench.cachedPdf,
                 bench.clicks(QStringLiteral("Verslag.odt"), QStringLiteral("Notulen.txt")));

    // The baseline: the same list with the link pages alone, as without document previews.
    control.AutoShowPreview = false;
    const Bench::ArrowFigures links = bench.arrowRun("link pages alone");
    control.AutoShowPreview = true;
    const Bench::ArrowFigures documents = bench.arrowRun("documents drawn");
    report("list step, longest, against the link pages alone", documents.step, links.step, 0);
    report("list step processor time, against link pages alone", documents.stepCpu, links.stepCpu, 0);
    report("list step, longest, against one frame", documents.step, kFrameMs, 1.0);
    report("list step processor time, against one frame", documents.stepCpu, kFrameMs, 1.0);
    report("GUI busy between steps, against one frame", documents.busy, kFrameMs, 1.0);
    report("GUI busy between steps (processor), against one frame", documents.busyCpu, kFrameMs, 1.0);
    return 0;
}
