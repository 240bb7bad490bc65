// Each popup entry, tool-bar button and key of the dispatch runs exactly its own command,
// and nothing that the menu's state disables runs.
#include "support/ControlFixture.h"

#include "tree/LocationTree.h"

#include "dispatch/CommandDispatch.h"
#include "sendto/SendToCommands.h"
#include "view/ControlView.h"
#include "view/PopupMenu.h"
#include "view/PopupMenuController.h"
#include "view/ViewLayout.h"
#include "core/FileManUIInternals.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QKeyEvent>
#include <QKeySequence>
#include <QTest>
#include <QToolBar>
#include <QTreeView>

#include <functional>

namespace dwfm::test {
namespace {

// The store calls by which each command shows itself.
const QStringList kCommandCalls{"DeleteLocation", "GetViewCopy",   "CopyProjectsToFolders",
                                "GetLocationKind", "GetProjectInfo", "GetProjectsInLocation"};

class CommandDispatchTest : public ControlFixture {
protected:
    void SetUp() override
    {
        ControlFixture::SetUp();
        addLocation(5, QStringLiteral("Offertes"), {{6, QStringLiteral("Oud")}});
        addLocation(6, QStringLiteral("Oud"));
        setFiles(5, {fileRow(11, QStringLiteral("a.doc")), fileRow(12, QStringLiteral("b.doc"))});
        ASSERT_TRUE(control->ControlInSpecificLocationMode(5, QStringLiteral("Offertes"), true));
        QGuiApplication::clipboard()->clear();
    }
    QAction *entry(PopupEntry which) const { return viewOf(*control).popupMenu().action(which); }
    QAction *button(const QString &key) const
    {
        for (QAction *action : viewOf(*control).layout().tbToolbar->actions())
            if (action->objectName() == key)
                return action;
        return nullptr;
    }
    // The command calls the store received, each as "Name(first argument)".
    QStringList commandCalls() const
    {
        QStringList seen;
        for (const auto &call : session->calls())
            if (kCommandCalls.contains(call.name))
                seen << QStringLiteral("%1(%2)").arg(call.name, call.args.value(0).toString());
        return seen;
    }
    void pressF5()
    {
        QKeyEvent key(QEvent::KeyPress, Qt::Key_F5, Qt::NoModifier);
        QApplication::sendEvent(control->lvListView, &key);
    }
    // The text the first prompt of a case must show, when it matters.
    QString expected;
};

TEST_F(CommandDispatchTest, EveryEntryButtonAndKeyRunsExactlyItsCommand)
{
    struct Case {
        const char *what;
        bool inTree;                    // the menu is set for the tree (the sub-folder) or a row
        std::function<void()> trigger;
        QStringList calls;              // the command calls it must make, and no others
        std::function<void()> prompted; // the prompts it shows, scripted before it runs
    };
    const auto fire = [this](PopupEntry e) { return [this, e] { entry(e)->trigger(); }; };
    const auto press = [this](const char *key) { return [this, key] { button(QString::fromLatin1(key))->trigger(); }; };
    const auto message = [this](const char *text) {
        return [this, text] {
            prompts->expectMessage();
            expected = QString::fromUtf8(text);
        };
    };
    // What is mounted is the test's: a stick in the machine changes nothing here.
    const auto mounted = [this](const QString &medium) {
        sendToCommandsOf(*control).setRemovableMediumFinder([medium] { return medium; });
    };
    const auto properties = [this] {
        prompts->expectMessage();
        prompts->expectDialog([](QDialog &d) {
            EXPECT_EQ(d.objectName(), QStringLiteral("frmGeneralProjectProperties"));
            return int(QDialog::Accepted);
        });
        expected = QStringLiteral("Geen eigenschappen gevonden!");
    };
    // A file the store does not know any more: the list is refilled after the dialog.
    const QStringList refillAfterProperties{"GetProjectInfo(11)", "GetProjectsInLocation(5)"};
    const Case cases[] = {
        {"Nieuwe map", true, fire(PopupEntry::MappenNieuweMap), {}, [this] { prompts->expectInput(std::nullopt); }},
        {"Verwijderen map", true, fire(PopupEntry::MappenVerwijderMap), {"DeleteLocation(6)"}, {}},
        {"Floppy Drive (A), no medium", false, fire(PopupEntry::StuurNaarA), {},
         [=] { mounted(QString()), message("Er zijn geen bestanden gekopieerd naar 'A:\\!")(); }},
        {"Floppy Drive (A), a stick", false, fire(PopupEntry::StuurNaarA), {"CopyProjectsToFolders(0)"},
         [=] { mounted("/media/jan/STICK"), message("Er zijn geen bestanden gekopieerd naar 'A:\\!")(); }},
        {"Email", false, fire(PopupEntry::StuurNaarEmail), {"GetViewCopy(11)"},
         [this] { expectError(QStringLiteral("DwProjectFileManUIStuurNaarEmail")); }},
        {"Mijn Documenten", false, fire(PopupEntry::StuurNaarMijnDoc), {"CopyProjectsToFolders(0)"},
         message("Er zijn geen bestanden gekopieerd naar 'Mijn Documenten!")},
        {"Kies een folder...", false, fire(PopupEntry::StuurNaarKiesEenFolder), {},
         [this] { prompts->expectFolderDialog(std::nullopt); }},
        {"Toevoegen Bestand(en)", false, fire(PopupEntry::ProjectToevoegen), {"GetLocationKind(5)"}, {}},
        {"Eigenschappen", false, fire(PopupEntry::ProjectEigenschappen), refillAfterProperties, properties},
        {"nieuwproject", false, press("nieuwproject"), {"GetLocationKind(5)"}, {}},
        {"eigenschappen", false, press("eigenschappen"), refillAfterProperties, properties},
        {"F5", false, [this] { pressF5(); }, {"GetProjectsInLocation(5)"}, {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        selectRows(control->lvListView, {0});
        locationTreeOf(*control)->selectNode(node(QString::fromLatin1(c.inTree ? "6C" : "5C")));
        viewOf(*control).popup().SetPopupMenuState(c.inTree, !c.inTree, c.inTree);
        expected.clear();
        if (c.prompted)
            c.prompted();
        const auto shownBefore = prompts->shown().size();
        session->clearCalls();
        c.trigger();
        EXPECT_EQ(commandCalls(), c.calls);
        EXPECT_EQ(prompts->pending(), 0u);
        if (!expected.isEmpty()) {
            ASSERT_GT(prompts->shown().size(), shownBefore);
            EXPECT_EQ(prompts->shown()[shownBefore].text, expected);
        }
    }
}

// The keys of every file manager and the tool-bar buttons of cut, copy, paste and new
// files act on the selected files as their entries do, only when the menu's state enables
// the entry (keys: in a host that allows the popup menu), and leave the menu as it was.
TEST_F(CommandDispatchTest, KeysAndButtonsActAsTheirEntriesWhereTheMenuAllows)
{
    const QString ask = QStringLiteral("Wilt u onderstaande projecten verwijderen?\r\n\r\na.doc\r\n\r\nDeze actie kan niet "
                                       "ongedaan worden gemaakt!");
    const QString nothing = QStringLiteral("||DwF_Copy?6;12|");
    const struct {
        QKeyCombination key; // or the button with this key
        const char *button;
        bool rowSelected, popupAllowed;
        QString effect; // the store's calls | the prompts shown (answered No, or cancelled) | the clipboard
    } cases[] = {
        {Qt::Key_Delete, nullptr, true, true, "|" + ask + "|DwF_Copy?6;12|"},
        {Qt::Key_F2, nullptr, true, true, "|Geef een nieuw bestandsnaam op:|DwF_Copy?6;12|"},
        {Qt::CTRL | Qt::Key_C, nullptr, true, true, "||DwF_Copy?5;11|"},
        {Qt::CTRL | Qt::Key_C, nullptr, false, true, nothing},
        {Qt::CTRL | Qt::Key_X, nullptr, true, true, "||DwF_Cut?5;11|"},
        {Qt::CTRL | Qt::Key_V, nullptr, false, true, "CopyProject(12,5,)||"},
        {Qt::Key_Return, nullptr, true, true, "CheckOutProject(11,)" + nothing},
        {Qt::Key_Return, nullptr, true, false, nothing},
        {{}, "", true, false, "||DwF_Cut?5;11|"},
        {{}, "Copy", false, false, nothing},
        {{}, "Paste", true, false, "CopyProject(12,5,)||"},
        {{}, "nieuwproject", false, false, "GetLocationKind(5)" + nothing},
    };
    const auto menuFlags = [this] {
        QList<bool> flags;
        for (int e = 0; e < PopupEntryCount; ++e)
            flags << entry(PopupEntry(e))->isVisible() << entry(PopupEntry(e))->isEnabled();
        return flags;
    };
    viewOf(*control).popup().SetPopupMenuState(true, false, true);
    const QList<bool> menuBefore = menuFlags();
    for (const auto &c : cases) {
        SCOPED_TRACE(c.button ? c.button : QKeySequence(c.key).toString().toStdString() + (c.rowSelected ? " on a row" : ""));
        control->AllowPopupMenu = c.popupAllowed;
        control->lvListView->clearSelection();
        if (c.rowSelected)
            selectRows(control->lvListView, {0});
        QGuiApplication::clipboard()->setText(QStringLiteral("DwF_Copy?6;12|"));
        if (c.effect.contains(ask))
            prompts->expectMessage(Prompts::Answer::No);
        else if (c.effect.contains(QStringLiteral("Geef een")))
            prompts->expectInput(std::nullopt);
        const auto shownBefore = prompts->shown().size();
        session->clearCalls();
        c.button ? button(QString::fromLatin1(c.button))->trigger()
                 : QTest::keyClick(control->lvListView, c.key.key(), c.key.keyboardModifiers());
        QStringList calls, shown;
        for (const QString operation : {"CopyProject", "CheckOutProject", "DeleteProject", "RenameProject", "GetLocationKind"})
            for (const QString &args : session->argsOf(operation))
                calls << operation + '(' + args + ')';
        for (auto i = shownBefore; i < prompts->shown().size(); ++i)
            shown << prompts->shown()[i].text;
        EXPECT_EQ(calls.join(' ') + '|' + shown.join(' ') + '|' + QGuiApplication::clipboard()->text(), c.effect);
        EXPECT_EQ(prompts->pending(), 0u);
    }
    EXPECT_EQ(menuFlags(), menuBefore);
}

} // namespace
} // namespace dwfm::test
