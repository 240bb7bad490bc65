#include "core/FileManUI.h"
#include "core/FileManUIInternals.h"
#include "list/FileListModel.h"
#include "DwError.h"
#include "platform/TextHelpers.h"

#include "support/ScriptedPrompts.h"
#include "support/ScriptedSession.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QFrame>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTranslator>
#include <QTreeView>

using namespace dwfm;
using dwfm::test::ScriptedPrompts;
using dwfm::test::ScriptedSession;

namespace {
class StartupTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        session = std::make_shared<ScriptedSession>();
        session->answer(QStringLiteral("ConnectionProperty"), "srv-docs");
        session->answer(QStringLiteral("DefaultDatabase"), "Archief");
        session->answer(QStringLiteral("CurrentUserName"), "Anna de Vries");
        session->answer(QStringLiteral("CurrentUserID"), "anna ");
        ScriptedSession::install(session);
    }
    void TearDown() override
    {
        SessionRegistry::registerFactory({});
        SessionRegistry::setCurrent(nullptr);
    }

    std::shared_ptr<ScriptedSession> session;
    ScriptedPrompts prompts; // the start-up never asks anything
};
} // namespace

TEST_F(StartupTest, NewControlIsCoveredWithFiveColumnsAndFourPanels)
{
    FileManUI control;
    control.resize(800, 600);
    control.show();
    EXPECT_TRUE(control.isOverlayShown());
    EXPECT_EQ(control.Frame1->geometry(), QRect(0, 0, 800, 600));
    QStringList captions;
    for (int column = 0; column < control.lvListView->model()->columnCount(); ++column)
        captions << control.lvListView->model()->headerData(column, Qt::Horizontal).toString();
    EXPECT_EQ(captions, (QStringList{"Bestandsnaam", "Gebruiker", "Datum-Tijd", "Locatie", "Opmerking"}));

    const QList<QLabel *> panels = control.StatusBar->findChildren<QLabel *>();
    QStringList keys;
    for (QLabel *panel : panels)
        keys << panel->objectName();
    EXPECT_EQ(keys, (QStringList{"infohuidig", "computernaam", "infogebruiker", "infoserver"}));

    // The eleven host fields start False and the state is empty.
    for (bool field : {control.StatusBarVisible, control.ToolbarVisible, control.HeaderLabelsVisible,
                       control.AllowPopupMenu, control.ReadOnly, control.FileInfoVisible, control.HideLocations,
                       control.AutoShowPreview, control.ExternalFileCopy, control.NoFileOpenOnDoubleClick,
                       control.Initialized})
        EXPECT_FALSE(field);
    EXPECT_EQ(stateOf(control).ControlMode, 0);
    EXPECT_FALSE(stateOf(control).AcceptableProjects.has_value());
    EXPECT_TRUE(control.SetupLanguage(QStringLiteral("bestaat-niet.lng")).isNull());
}

TEST_F(StartupTest, SuccessfulConnectionUncoversAndFillsTheStatusBar)
{
    FileManUI control;
    ASSERT_TRUE(control.SetupConnection(QStringLiteral("srv-docs"), QStringLiteral("anna"), QStringLiteral("geheim"),
                                        QStringLiteral("Archief"), true));
    const auto connects = session->callsOf(QStringLiteral("Connect"));
    ASSERT_EQ(connects.size(), 1u);
    EXPECT_EQ(connects[0].args, (QVariantList{"srv-docs", "anna", "geheim", "Archief", true}));
    EXPECT_EQ(SessionRegistry::current(), session);

    EXPECT_FALSE(control.isOverlayShown());
    EXPECT_TRUE(control.isEnabled());
    EXPECT_EQ(control.statusPanel(QStringLiteral("infoserver"))->text(), QStringLiteral("SRV-DOCS (Archief)  "));
    // The user ID is shown upper-cased and without its trailing blank.
    EXPECT_EQ(control.statusPanel(QStringLiteral("infogebruiker"))->text(), QStringLiteral("Anna de Vries (ANNA)  "));
    EXPECT_EQ(control.statusPanel(QStringLiteral("computernaam"))->text(),
              ComputerNameText(QSysInfo::machineHostName()));
    EXPECT_TRUE(control.statusPanel(QStringLiteral("infohuidig"))->text().isEmpty());

    // The store's last error, reported when no error is pending, reaches the user.
    prompts.expectMessage();
    SessionRegistry::reportLastError(QStringLiteral("Het bestand is al in gebruik bij bert."));
    SessionRegistry::reportLastError(QString());
    EXPECT_EQ(prompts.messages(), QStringList{QStringLiteral("Het bestand is al in gebruik bij bert.")});
}

TEST_F(StartupTest, FailedConnectionDisablesAndStaysCoveredUntilALaterSuccess)
{
    session->answer(QStringLiteral("Connect"), false);
    FileManUI control;
    EXPECT_FALSE(control.SetupConnection(QStringLiteral("x"), {}, {}, QStringLiteral("y"), false));
    EXPECT_FALSE(control.isEnabled());
    EXPECT_TRUE(control.isOverlayShown());
    EXPECT_TRUE(control.statusPanel(QStringLiteral("infoserver"))->text().isEmpty());

    // A new session each call; a later success uncovers but does not enable again.
    auto second = std::make_shared<ScriptedSession>();
    ScriptedSession::install(second);
    EXPECT_TRUE(control.SetupConnection(QStringLiteral("x"), {}, {}, QStringLiteral("y"), false));
    EXPECT_EQ(SessionRegistry::current(), second);
    EXPECT_FALSE(control.isOverlayShown());
    EXPECT_FALSE(control.isEnabled());
}

TEST_F(StartupTest, PanelsThatCannotBeReadStayAsTheyWere)
{
    auto bare = std::make_shared<ScriptedSession>();
    bare->on(QStringLiteral("CurrentUserName"), [](const QVariantList &) -> ScriptedSession::Reply {
        throw DwError(DwError::DatabaseError, QStringLiteral("weg"));
    });
    ScriptedSession::install(bare);
    FileManUI control;
    control.statusPanel(QStringLiteral("infogebruiker"))->setText(QStringLiteral("vorige"));
    EXPECT_TRUE(control.SetupConnection({}, {}, {}, QStringLiteral("c"), false));
    // No "Data Source" property and no user: both panels keep their text, no message.
    EXPECT_TRUE(control.statusPanel(QStringLiteral("infoserver"))->text().isEmpty());
    EXPECT_EQ(control.statusPanel(QStringLiteral("infogebruiker"))->text(), QStringLiteral("vorige"));
    EXPECT_FALSE(control.statusPanel(QStringLiteral("computernaam"))->text().isEmpty());
}

TEST_F(StartupTest, WithoutARegisteredStoreTheHostGetsTheError)
{
    SessionRegistry::registerFactory({});
    FileManUI control;
    try {
        control.SetupConnection({}, {}, {}, {}, false);
        ADD_FAILURE() << "SetupConnection must pass the error on";
    } catch (const DwError &error) {
        EXPECT_EQ(error.number(), DwError::CannotCreateObject);
    }

    // An error raised by Connect itself reaches the host as well.
    session->on(QStringLiteral("Connect"), [](const QVariantList &) -> ScriptedSession::Reply {
        throw DwError(DwError::PathNotFound, QStringLiteral("map ontbreekt"));
    });
    ScriptedSession::install(session);
    EXPECT_THROW(control.SetupConnection({}, {}, {}, {}, false), DwError);
}

TEST_F(StartupTest, DestructionRemovesThePreviewPage)
{
    QTemporaryDir dir;
    const QString page = dir.filePath(QStringLiteral("preview.htm"));
    {
        QFile file(page);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("<html></html>");
    }
    {
        FileManUI control;
        stateOf(control).PreviewPagePath = page;
    }
    EXPECT_FALSE(QFile::exists(page));
    // A session outlives its controls.
    auto current = std::make_shared<ScriptedSession>();
    SessionRegistry::setCurrent(current);
    { FileManUI control; }
    EXPECT_EQ(SessionRegistry::current(), current);
}

// Qt's own texts in the control's dialogs are Dutch, unless the host translates them itself.
TEST_F(StartupTest, QtsOwnTextsAreDutchUnlessTheHostTranslatesThem)
{
    struct HostTexts : QTranslator {
        bool isEmpty() const override { return false; }
        QString translate(const char *, const char *text, const char *, int) const override
        {
            return QLatin1String(text) == QLatin1String("&Yes") ? QStringLiteral("&Oui") : QString();
        }
    };
    const auto buttonTexts = [] {
        QMessageBox box;
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        QFileDialog save(nullptr, {}, {}, {});
        save.setOptions(QFileDialog::DontUseNativeDialog);
        save.setAcceptMode(QFileDialog::AcceptSave);
        return QStringList{box.button(QMessageBox::Yes)->text(), box.button(QMessageBox::No)->text(),
                           box.button(QMessageBox::Cancel)->text(),
                           save.findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Save)->text()};
    };
    // A control made earlier in this process may have loaded the Dutch texts already.
    delete QCoreApplication::instance()->findChild<QTranslator *>("dwfmDutchQtTexts", Qt::FindDirectChildrenOnly);
    {
        HostTexts host;
        QCoreApplication::installTranslator(&host);
        FileManUI control;
        EXPECT_EQ(buttonTexts(), QStringList({"&Oui", "&No", "Cancel", "&Save"}));
    }
    FileManUI control;
    EXPECT_EQ(buttonTexts(), QStringList({"&Ja", "&Nee", "Annuleren", "Op&slaan"}));
}
