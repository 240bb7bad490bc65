// dwfileman as an office worker meets it: the connection dialog, what it remembers for the
// next start, and the developer view, over a real embedded store.
#include "StoreControlFixture.h"

#include "HostSettings.h"
#include "HostStart.h"
#include "MainWindow.h"

#include "StoreFolders.h"
#include "admin/StoreAdmin.h"
#include "core/FileManUI.h"
#include "platform/Settings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDirIterator>
#include <QDockWidget>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryFile>
#include <QStandardPaths>
#include <QTest>

#include <cstdio>

namespace dwfm::test {
namespace {

const QString kPassword = QStringLiteral("Geheim-42");

class HostTest : public StoreControlFixture {
protected:
    void SetUp() override
    {
        StoreControlFixture::SetUp();
        // carla logs on with a password of her own; the operating-system account is a
        // user too, for "Aanmelden als mijzelf".
        store::StoreAdmin admin(
            store::DwFileStoreSession::openAsAdministrator(storeFolder(), catalogue, QStringLiteral("beheer")));
        store::UserChange carla;
        carla.password = kPassword;
        carla.workingRoot = workingRoot(QStringLiteral("carla"));
        admin.addUser(QStringLiteral("carla"), carla, 1000);
        store::UserChange myself;
        myself.workingRoot = workingRoot(QStringLiteral("ik"));
        admin.addUser(store::StoreFolders::osAccount(), myself, 1000);
        dwfm::UserSettings()->clear();
    }

    // Starts the program as the desktop entry does (or with `options`) in a new window.
    HostStart::Outcome start(const HostOptions &options = {}, bool interactive = true)
    {
        window = std::make_unique<MainWindow>();
        QString failure;
        const HostStart::Outcome outcome = HostStart::connect(*window, options, interactive, failure);
        EXPECT_TRUE(failure.isEmpty()) << failure.toStdString();
        return outcome;
    }

    // The connection dialog shown, with its fields; `fill` types and clicks as the user does.
    void expectConnectionDialog(std::function<void(QDialog &)> fill)
    {
        prompts->expectDialog([fill](QDialog &dialog) {
            EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Verbinden met de store"));
            dialog.show();
            EXPECT_TRUE(QTest::qWaitForWindowActive(&dialog));
            fill(dialog);
            return dialog.result();
        });
    }

    template <typename W>
    static W *field(QDialog &dialog, const char *name)
    {
        W *widget = dialog.findChild<W *>(QLatin1String(name));
        EXPECT_TRUE(widget) << name;
        return widget;
    }
    static void type(QDialog &dialog, const char *name, const QString &text)
    {
        QLineEdit *edit = field<QLineEdit>(dialog, name);
        edit->selectAll();
        QTest::keyClicks(edit, text);
    }
    static void clickConnect(QDialog &dialog)
    {
        QTest::mouseClick(field<QPushButton>(dialog, "cmdVerbinden"), Qt::LeftButton);
    }

    std::unique_ptr<MainWindow> window;
};

TEST_F(HostTest, DialogRefusesWithReasonThenRemembersAllButThePasswordAndTheLastLocation)
{
    expectConnectionDialog([&](QDialog &d) {
        type(d, "txtStore", storeFolder());
        EXPECT_EQ(field<QComboBox>(d, "cboCatalogus")->currentText(), catalogue); // the folder's only store
        type(d, "txtGebruiker", QStringLiteral("carla"));
        type(d, "txtWachtwoord", QStringLiteral("fout"));
        clickConnect(d);
        // Refused: the store's reason, the dialog open, nothing typed lost.
        EXPECT_TRUE(d.isVisible());
        EXPECT_TRUE(field<QLabel>(d, "lblFout")->isVisible());
        EXPECT_EQ(field<QLabel>(d, "lblFout")->text(), QStringLiteral("Het wachtwoord van gebruiker 'carla' is onjuist."));
        EXPECT_EQ(field<QLineEdit>(d, "txtGebruiker")->text(), QStringLiteral("carla"));
        EXPECT_EQ(QApplication::focusWidget(), field<QLineEdit>(d, "txtWachtwoord"));
        type(d, "txtWachtwoord", kPassword);
        clickConnect(d);
    });
    ASSERT_EQ(start(), HostStart::Outcome::Connected);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Proef op %1 (carla) – DW Bestandsbeheer").arg(storeFolder()));
    clickPath(*window->control(), QStringLiteral("Projecten/Brug Noord"));
    window->close();

    // The next start asks only for the password and opens Brug Noord again.
    expectConnectionDialog([&](QDialog &d) {
        EXPECT_EQ(field<QLineEdit>(d, "txtStore")->text(), storeFolder());
        EXPECT_EQ(field<QComboBox>(d, "cboCatalogus")->currentText(), catalogue);
        EXPECT_FALSE(field<QCheckBox>(d, "chkAlsMijzelf")->isChecked());
        EXPECT_EQ(field<QLineEdit>(d, "txtGebruiker")->text(), QStringLiteral("carla"));
        EXPECT_EQ(field<QLineEdit>(d, "txtWachtwoord")->text(), QString());
        EXPECT_EQ(QApplication::focusWidget(), field<QLineEdit>(d, "txtWachtwoord"));
        QTest::keyClicks(field<QLineEdit>(d, "txtWachtwoord"), kPassword);
        QTest::keyClick(field<QLineEdit>(d, "txtWachtwoord"), Qt::Key_Return);
    });
    ASSERT_EQ(start(), HostStart::Outcome::Connected);
    EXPECT_EQ(window->control()->GetCurrentLocationID(), brugNoord);
    EXPECT_EQ(listCells(*window->control()).size(), 3);
    EXPECT_GE(listRowOf(*window->control(), QStringLiteral("Notulen.txt")), 0);
    window.reset();

    // No file the program or the store wrote holds the password.
    for (const QString &root : {QDir::homePath(), storeFolder()}) {
        for (QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories); it.hasNext();) {
            EXPECT_FALSE(readFile(it.next()).contains(kPassword.toUtf8())) << it.filePath().toStdString();
        }
    }
}

TEST_F(HostTest, AsMyselfConnectsStraightAwayAtTheNextStart)
{
    expectConnectionDialog([&](QDialog &d) {
        type(d, "txtStore", storeFolder());
        QTest::mouseClick(field<QCheckBox>(d, "chkAlsMijzelf"), Qt::LeftButton);
        EXPECT_FALSE(field<QLineEdit>(d, "txtGebruiker")->isEnabled());
        EXPECT_FALSE(field<QLineEdit>(d, "txtWachtwoord")->isEnabled());
        clickConnect(d);
    });
    ASSERT_EQ(start(), HostStart::Outcome::Connected);
    const QString title =
        QStringLiteral("Proef op %1 (%2) – DW Bestandsbeheer").arg(storeFolder(), store::StoreFolders::osAccount());
    EXPECT_EQ(window->windowTitle(), title);
    // No dialog this time: any prompt would fail the test.
    ASSERT_EQ(start(), HostStart::Outcome::Connected);
    EXPECT_EQ(window->windowTitle(), title);
}

TEST_F(HostTest, CommandLineConnectionAsksForWhatIsMissingAndRemembersNothing)
{
    HostOptions options;
    options.connectionGiven = true;
    options.connection = {storeFolder(), catalogue, QStringLiteral("carla"), QStringLiteral("fout"), true};
    // A refused password opens the dialog with the reason and an empty password field.
    expectConnectionDialog([&](QDialog &d) {
        EXPECT_EQ(field<QLabel>(d, "lblFout")->text(), QStringLiteral("Het wachtwoord van gebruiker 'carla' is onjuist."));
        EXPECT_EQ(field<QLineEdit>(d, "txtWachtwoord")->text(), QString());
        type(d, "txtWachtwoord", kPassword);
        clickConnect(d);
    });
    ASSERT_EQ(start(options), HostStart::Outcome::Connected);

    // Without a password and nobody to ask in a window: standard input gives it.
    options.connection.password.clear();
    options.passwordStdin = true;
    QTemporaryFile input;
    ASSERT_TRUE(input.open());
    input.write(kPassword.toUtf8() + "\n");
    input.close();
    ASSERT_TRUE(std::freopen(QFile::encodeName(input.fileName()).constData(), "r", stdin));
    ASSERT_EQ(start(options, false), HostStart::Outcome::Connected);
    EXPECT_EQ(window->connection().user, QStringLiteral("carla"));

    clickPath(*window->control(), QStringLiteral("Projecten/Kantoor"));
    EXPECT_FALSE(HostSettings::connection());
    EXPECT_EQ(HostSettings::lastLocation(options.connection), QString());
}

TEST_F(HostTest, DeveloperViewShowsTheEventLogAndTheModeMenu)
{
    HostOptions options;
    options.connectionGiven = true;
    options.connection = {storeFolder(), catalogue, QStringLiteral("anna"), QStringLiteral("anna"), true};
    ASSERT_EQ(start(options), HostStart::Outcome::Connected);
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    auto *log = window->findChild<QDockWidget *>(QStringLiteral("eventDock"));
    QMenu *modes = window->menuBar()->findChild<QMenu *>(QStringLiteral("mnuModus"));
    ASSERT_TRUE(log && modes);
    EXPECT_FALSE(log->isVisible());
    EXPECT_FALSE(modes->menuAction()->isVisible());

    // Weergave > Ontwikkelaarsweergave, clicked in the opened menu.
    QAction *developer = window->developerAction();
    QMenu *view = qobject_cast<QMenu *>(developer->parent());
    ASSERT_TRUE(view);
    view->popup(window->mapToGlobal(QPoint(10, 10)));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(view));
    QTest::mouseClick(view, Qt::LeftButton, {}, view->actionGeometry(developer).center());
    EXPECT_TRUE(log->isVisible());
    EXPECT_TRUE(modes->menuAction()->isVisible());
    // What happened before the log was shown is in it.
    EXPECT_TRUE(window->findChild<QPlainTextEdit *>(QStringLiteral("eventLog"))
                    ->toPlainText()
                    .contains(QStringLiteral("LocationChanged(\"Applicaties\", 0)")));
    // The next start keeps it on.
    ASSERT_EQ(start(options), HostStart::Outcome::Connected);
    EXPECT_TRUE(window->developerAction()->isChecked());
}

} // namespace
} // namespace dwfm::test
