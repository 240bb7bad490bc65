// Files entering the real embedded store through the control: created empty, handed over
// by the host, and dropped from the desktop onto the list.
#include "StoreControlFixture.h"

#include "DwFileStore.h"
#include "adding/FileAdding.h"
#include "adding/frmAddGeneralFiles.h"
#include "admin/StoreAdmin.h"
#include "SessionRegistry.h"
#include "list/FileListModel.h"
#include "tree/LocationTree.h"
#include "tree/LocationTreeModel.h"
#include "core/FileManUIInternals.h"

#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QTreeView>
#include <QTreeWidget>
#include <QUrl>

#include <functional>

using namespace dwfm;
using namespace dwfm::test;

namespace {

class AddingOverStoreTest : public StoreControlFixture {
protected:
    void open(const QString &user, const QString &path)
    {
        control = connectControl(user);
        ASSERT_TRUE(control->ControlInRootMode());
        clickPath(*control, path);
    }
    // Where the store keeps a file of this name in this location.
    static QString onDisk(qint32 location, const QString &name)
    {
        LocationsService &locations = SessionRegistry::current()->Locations();
        return QDir(locations.GetServerRootFolder()).filePath(locations.GetLocationPath(location) + QLatin1Char('/') + name);
    }
    QString sourceFile(const QString &name, const QByteArray &content = "inhoud")
    {
        QFile file(source.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
        return file.fileName();
    }

    QTemporaryDir source;
};

} // namespace

TEST(EmptyFileName, AppendsTheExtensionUnlessTheNameEndsInExactlyIt)
{
    const struct {
        const char *name, *extension, *expected;
    } cases[] = {{"Brief", "doc", "Brief.doc"}, {"Brief.doc", "doc", "Brief.doc"}, {"Brief.DOC", "doc", "Brief.DOC.doc"},
                 {"Brief", "", "Brief"},        {"Brief.v2", "doc", "Brief.v2.doc"}, {"doc", "doc", "doc.doc"}};
    for (const auto &c : cases)
        EXPECT_EQ(FileAdding::EmptyFileName(QString::fromUtf8(c.name), QString::fromUtf8(c.extension)),
                  QString::fromUtf8(c.expected))
            << c.name << " / " << c.extension;
}

TEST_F(AddingOverStoreTest, CreatesAnEmptyFileAndAddsOneHandedOver)
{
    open(QStringLiteral("bert"), QStringLiteral("Applicaties/Projecten/Brug Noord"));
    FileStoreSession &session = *SessionRegistry::current();
    ASSERT_TRUE(control->CreateEmptyFileInCurrentLocation(QStringLiteral("Verslag"), QStringLiteral("txt")));
    EXPECT_EQ(control->LastSavedFileName(), QStringLiteral("Verslag.txt"));
    QFile file(onDisk(brugNoord, QStringLiteral("Verslag.txt")));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << file.fileName().toStdString();
    EXPECT_EQ(file.readAll(), QByteArray("FileManager TempFile"));
    EXPECT_TRUE(fileNames().contains(QStringLiteral("Verslag.txt")));

    // A file handed over by the host is copied into the location.
    const QString handed = sourceFile(QStringLiteral("Bijlage.pdf"), "%PDF");
    ASSERT_TRUE(control->AddFileToCurrentLocation(handed, false));
    EXPECT_EQ(control->LastSavedFileName(), QStringLiteral("Bijlage.pdf"));
    EXPECT_EQ(session.Projects().GetProjectFileName(control->LastSavedProjectID()), QStringLiteral("Bijlage.pdf"));
    EXPECT_TRUE(fileNames().contains(QStringLiteral("Bijlage.pdf")));

    // A second time the name is taken: the store refuses, the host hears False.
    const qint32 before = control->LastSavedProjectID();
    EXPECT_FALSE(control->AddFileToCurrentLocation(handed, false));
    EXPECT_EQ(control->LastSavedProjectID(), before);
}

// Dropping real files from the desktop: the drag shows the copy effect only over a
// location, and the drop opens the add-files dialog with one row per existing file.
TEST_F(AddingOverStoreTest, DroppedFilesLandInTheLocationAndTheList)
{
    open(QStringLiteral("bert"), QStringLiteral("Applicaties"));
    const QString plan = sourceFile(QStringLiteral("Plan.txt"), "fase 1");
    const QString foto = sourceFile(QStringLiteral("Foto.png"), "PNG");
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(plan), QUrl::fromLocalFile(foto), QUrl::fromLocalFile(plan),
                  QUrl::fromLocalFile(source.filePath(QStringLiteral("weg.txt")))});
    QWidget *viewport = control->lvListView->viewport();
    // A drag from the desktop enters, moves, and drops (Qt delivers the last two only
    // after an accepted enter).
    const auto dragOver = [&] {
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(viewport, &enter);
        QDragMoveEvent move(QPoint(12, 12), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(viewport, &move);
        return enter.isAccepted() && move.isAccepted() ? move.dropAction() : Qt::IgnoreAction;
    };
    // The root node of root mode is no location: no effect, and no drop reaches the list.
    EXPECT_EQ(dragOver(), Qt::IgnoreAction);

    clickPath(*control, QStringLiteral("Applicaties/Projecten/Kantoor"));
    EXPECT_EQ(dragOver(), Qt::CopyAction);
    prompts->expectDialog([&](QDialog &dialog) {
        auto &form = dynamic_cast<frmAddGeneralFiles &>(dialog);
        EXPECT_EQ(form.windowTitle(), QStringLiteral("Bestanden toevoegen"));
        QStringList rows;
        for (int i = 0; i < form.lvFiles->topLevelItemCount(); ++i) {
            const QTreeWidgetItem *item = form.lvFiles->topLevelItem(i);
            rows << QStringList{item->text(0), item->text(1), item->text(2)}.join(QLatin1Char('|'));
        }
        const QString from = QDir::toNativeSeparators(source.path());
        const QString to = SessionRegistry::current()->Locations().GetLocationPath(kantoor);
        EXPECT_EQ(rows, (QStringList{QStringLiteral("Plan|") + to + QLatin1Char('|') + from,
                                     QStringLiteral("Foto|") + to + QLatin1Char('|') + from}));
        form.cmdOK->click();
        return int(QDialog::Accepted);
    });
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &drop);
    EXPECT_TRUE(drop.isAccepted());
    EXPECT_EQ(fileNames(), (QStringList{QStringLiteral("Foto.png"), QStringLiteral("Plan.txt"),
                                    QStringLiteral("Telefoonlijst.txt")}));
    // Over the tree the copy effect shows on folder nodes only.
    QWidget *tree = control->tvTreeView->viewport();
    const QModelIndex brug = locationTreeOf(*control)->openPath(QStringLiteral("Applicaties/Projecten/Brug Noord"));
    for (const QModelIndex &over : {brug, treeModelOf(*control)->index(0, 0)}) {
        const QPoint at = control->tvTreeView->visualRect(over).center();
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(tree, &enter);
        EXPECT_EQ(enter.dropAction(), over == brug ? Qt::CopyAction : Qt::IgnoreAction);
    }
    QFile landed(onDisk(kantoor, QStringLiteral("Plan.txt")));
    ASSERT_TRUE(landed.open(QIODevice::ReadOnly));
    EXPECT_EQ(landed.readAll(), QByteArray("fase 1"));
}

// Many files: "Annuleren", Escape or the window's close button between two files stops
// the rest; unchecked rows never go. "Toe&voegen" offers every file, names without a
// point too.
TEST_F(AddingOverStoreTest, TheAddFilesDialogStopsBetweenFilesWhenCancelledAndOffersEveryFile)
{
    open(QStringLiteral("anna"), QStringLiteral("Applicaties/Projecten/Kantoor"));
    const std::function<void(frmAddGeneralFiles &)> ways[] = {[](frmAddGeneralFiles &d) { d.cmdCancel->click(); },
                                                              [](frmAddGeneralFiles &d) { QTest::keyClick(&d, Qt::Key_Escape); },
                                                              [](frmAddGeneralFiles &d) { d.close(); }};
    QStringList expected{QStringLiteral("Telefoonlijst.txt")};
    for (const QString way : {"A", "B", "C"}) {
        frmAddGeneralFiles dialog;
        dialog.setTargetKey(kantoor);
        for (const QString name : {"Een", "Twee", "Drie", "Vier"})
            dialog.AddFile(sourceFile(name + way + ".txt"), false);
        dialog.lvFiles->topLevelItem(1)->setCheckState(0, Qt::Unchecked);
        dialog.show();
        QObject::connect(&dialog, &frmAddGeneralFiles::fileSaved, [&](int done, int) {
            if (done == 2)
                ways[way[0].unicode() - 'A'](dialog);
        });
        dialog.cmdOK->click();
        EXPECT_EQ(dialog.LastSavedFileName(), "Drie" + way + ".txt") << way.toStdString();
        expected << "Drie" + way + ".txt" << "Een" + way + ".txt";
    }
    control->RefreshListView();
    expected.sort();
    EXPECT_EQ(fileNames(), expected);

    frmAddGeneralFiles dialog;
    dialog.setTargetKey(kantoor);
    prompts->expectFileDialog({sourceFile(QStringLiteral("LEESMIJ"))}, [](const Prompts::FileDialogRequest &request) {
        EXPECT_EQ(request.title, QStringLiteral("Selecteer de bestanden"));
        EXPECT_EQ(request.filter, QStringLiteral("Alle bestanden (*)"));
        EXPECT_TRUE(request.multiSelect);
    });
    dialog.cmdAddFiles->click();
    ASSERT_EQ(dialog.lvFiles->topLevelItemCount(), 1);
    EXPECT_EQ(dialog.lvFiles->topLevelItem(0)->text(0), QStringLiteral("LEESMIJ"));
}

// Every refusal shows its written message (or, for a file handed over silently, only
// answers False) and leaves the store's folders and its list of files as they were.
TEST_F(AddingOverStoreTest, RefusalsShowTheirMessageAndChangeNothing)
{
    {
        store::StoreAdmin admin(
            store::DwFileStoreSession::openAsAdministrator(storeFolder(), catalogue, QStringLiteral("beheer")));
        store::UserChange readOnly;
        readOnly.readOnly = true;
        admin.changeUser(QStringLiteral("bert"), readOnly, 1000);
    }
    const QString notRegistered = QStringLiteral("Het tijdelijke bestand kan niet worden toegevoegd aan de server database!");
    const struct {
        const char *why, *user;
        qint32 *location;
        const char *name;
        QString message;
    } cases[] = {
        {"read-only session", "bert", &brugNoord, "Nieuw", notRegistered},
        {"archive location", "anna", &archief, "Nieuw", notRegistered},
        {"refused name", "anna", &kantoor, "Slecht\tnaam", notRegistered},
    };
    const QString handed = sourceFile(QStringLiteral("Nieuw.txt"));
    const auto snapshot = [&](qint32 location) {
        QStringList seen;
        QDirIterator it(storeFolder(), QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            if (!path.contains(QStringLiteral(".db")) && !path.contains(QStringLiteral(".sqlite")))
                seen << path;
        }
        seen.sort();
        RecordsetPtr rows;
        if (openSession(QStringLiteral("anna"))->Projects().GetProjectsInLocation(rows, location))
            for (; !rows->isEof(); rows->moveNext())
                seen << rows->value(QStringLiteral("FileName")).toString();
        return seen;
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.why);
        control = connectControl(QString::fromLatin1(c.user));
        ASSERT_TRUE(control->ControlInSpecificLocationMode(*c.location, QString(), true));
        const QStringList before = snapshot(*c.location);
        prompts->expectMessage();
        EXPECT_FALSE(control->CreateEmptyFileInCurrentLocation(QString::fromLatin1(c.name), QStringLiteral("txt")));
        EXPECT_EQ(prompts->messages().last(), c.message);
        if (*c.location != kantoor)
            EXPECT_FALSE(control->AddFileToCurrentLocation(handed, true));
        EXPECT_EQ(snapshot(*c.location), before);
        control.reset();
    }
}
