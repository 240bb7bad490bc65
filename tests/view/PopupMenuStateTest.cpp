// The popup menu's state: computed on a real control from its selected rows, the mode,
// the session and the clipboard.
#include "support/ControlFixture.h"

#include "tree/LocationTreeModel.h"
#include "view/ControlView.h"
#include "view/PopupMenu.h"
#include "view/PopupMenuController.h"
#include "core/FileManUIInternals.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QMenu>
#include <QTest>
#include <QTreeView>

using namespace dwfm;
using namespace dwfm::test;
using E = PopupEntry;

namespace {
constexpr qint32 Own = 2, Out = 4, Locked = 8;

// The entries of the list context whose enabled flag the selection decides, with short
// names, so one comparison checks a whole row of the table.
const std::pair<E, const char *> kFileEntries[] = {
    {E::ProjectBekijken, "Bekijken"},      {E::ProjectStuurNaar, "StuurNaar"},
    {E::ProjectOpenen, "Openen"},          {E::ProjectBewerken, "InGebruik"},
    {E::ProjectTerugzetten, "Vrijgeven"},  {E::UndoCheckOut, "Ongedaan"},
    {E::ProjectKnippen, "Knippen"},        {E::ProjectKopieren, "Kopieren"},
    {E::ProjectPlakken, "Plakken"},        {E::ProjectNaamWijzigen, "Naam"},
    {E::ProjectVerwijderen, "Verwijderen"}, {E::ProjectToevoegen, "Toevoegen"},
    {E::ProjectEigenschappen, "Eigenschappen"},
};

class PopupMenuStateTest : public ControlFixture {
protected:
    void SetUp() override
    {
        ControlFixture::SetUp();
        QGuiApplication::clipboard()->setText(QString());
        control->AllowPopupMenu = true;
        stateOf(*control).ControlMode = 1;
    }
    void TearDown() override
    {
        popupMenu().mnuPopUp()->hide();
        ControlFixture::TearDown();
    }

    PopupMenu &popupMenu() { return viewOf(*control).popupMenu(); }
    PopupMenuController &popup() { return viewOf(*control).popup(); }

    // Fills the list with one row per tag (keys 1P, 2P, ...) and selects the given rows.
    void rows(const std::vector<qint32> &tags, const std::vector<int> &selected)
    {
        std::vector<FileListRow> list;
        for (std::size_t i = 0; i < tags.size(); ++i)
            list.push_back(listRow(qint32(i + 1), QStringLiteral("f%1.doc").arg(i + 1), tags[i]));
        listModelOf(*control)->setRows(std::move(list));
        selectRows(control->lvListView, selected);
    }

    QString enabledAfterListClick()
    {
        popup().SetPopupMenuState(false, !control->lvListView->selectionModel()->selectedRows().isEmpty(), false);
        QStringList names;
        for (const auto &[entry, name] : kFileEntries) {
            if (popupMenu().action(entry)->isEnabled())
                names << QString::fromLatin1(name);
        }
        return names.join(QLatin1Char(' '));
    }
};
} // namespace

// Every row of the menu table, run one after the other on the same control, so an entry
// that an update forgot to set would keep the previous row's state and fail the next row.
TEST_F(PopupMenuStateTest, EachSelectionGivesItsRowOfTheTable)
{
    struct Case {
        const char *what;
        int mode;
        bool readOnly, admin, readOnlySession;
        const char *clipboard;
        std::vector<qint32> tags;
        std::vector<int> selected;
        const char *enabled;
    };
    const Case cases[] = {
        {"free file", 1, false, false, false, "", {0}, {0},
         "Bekijken StuurNaar Openen InGebruik Knippen Kopieren Naam Verwijderen Toevoegen Eigenschappen"},
        {"no row", 1, false, false, false, "", {0, 0}, {}, "Toevoegen"},
        {"no row, cut on the clipboard", 1, false, false, false, "DwF_Cut?", {0, 0}, {}, "Plakken Toevoegen"},
        {"no row in user mode", 4, false, false, false, "DwF_Cut?", {0, 0}, {}, "Plakken"},
        {"own check-out", 5, false, false, false, "", {Own | Out}, {0},
         "Bekijken StuurNaar Openen Vrijgeven Ongedaan Knippen Kopieren Verwijderen Toevoegen Eigenschappen"},
        {"own check-out in user mode", 4, false, false, false, "", {Own | Out}, {0},
         "Bekijken StuurNaar Openen Vrijgeven Ongedaan Eigenschappen"},
        {"someone else's", 1, false, false, false, "", {Out}, {0},
         "Bekijken StuurNaar Knippen Kopieren Toevoegen Eigenschappen"},
        {"someone else's as administrator", 1, false, true, false, "", {Out}, {0},
         "Bekijken StuurNaar Ongedaan Knippen Kopieren Toevoegen Eigenschappen"},
        {"locked", 1, false, false, false, "", {Locked}, {0},
         "Bekijken StuurNaar Knippen Kopieren Naam Toevoegen Eigenschappen"},
        {"locked as administrator", 1, false, true, false, "", {Locked}, {0},
         "Bekijken StuurNaar Ongedaan Knippen Kopieren Naam Toevoegen Eigenschappen"},
        {"read-only field, free file", 1, true, false, false, "", {0, Own | Out}, {0},
         "Bekijken StuurNaar Knippen Kopieren Naam Eigenschappen"},
        {"read-only field, own file", 1, true, false, false, "", {0, Own | Out}, {1},
         "Bekijken StuurNaar Openen Knippen Kopieren Eigenschappen"},
        {"read-only session, free file", 1, false, true, true, "DwF_Copy?12;345|", {0}, {0},
         "Bekijken StuurNaar Eigenschappen"},
        {"read-only session, someone else's", 1, false, true, true, "DwF_Copy?12;345|", {Out}, {0},
         "Bekijken StuurNaar Eigenschappen"},
        {"mode 0", 0, false, false, false, "", {0}, {0}, "Bekijken StuurNaar Knippen Kopieren Naam Eigenschappen"},
        {"select mode, changes allowed", 3, false, false, false, "", {0}, {0},
         "Bekijken StuurNaar Knippen Kopieren Naam Toevoegen Eigenschappen"},
        {"select mode as it leaves it", 3, true, false, false, "", {0}, {0},
         "Bekijken StuurNaar Knippen Kopieren Naam Eigenschappen"},
        {"mixed selection", 1, false, false, false, "", {0, Out}, {0, 1}, "StuurNaar Knippen Kopieren Toevoegen"},
        {"two locked rows", 1, false, false, false, "", {Locked, Locked}, {0, 1},
         "StuurNaar Knippen Kopieren Toevoegen"},
        {"two free rows", 1, false, false, false, "", {0, 0}, {0, 1},
         "Bekijken StuurNaar Openen InGebruik Knippen Kopieren Verwijderen Toevoegen"},
    };
    for (const Case &c : cases) {
        stateOf(*control).ControlMode = c.mode;
        control->ReadOnly = c.readOnly;
        session->answer(QStringLiteral("IsAdministrator"), c.admin);
        session->answer(QStringLiteral("IsReadOnlySession"), c.readOnlySession);
        QGuiApplication::clipboard()->setText(QString::fromLatin1(c.clipboard));
        rows(c.tags, c.selected);
        EXPECT_EQ(enabledAfterListClick(), QString::fromLatin1(c.enabled)) << c.what;
    }
}

// The rule alone: waiting for a file someone else holds, and search results, which are no
// location to add or paste files to.
TEST(PopupMenuRules, WaitingForAFileAndSearchResults)
{
    struct Case {
        const char *what;
        qint32 tag;
        bool oneRow, freeNotices, awaiting, searchResults;
        bool laatWeten, checked, toevoegen, plakken;
    };
    const Case cases[] = {
        {"someone else's", Out, true, true, false, false, true, false, true, true},
        {"someone else's, waited for", Out, true, true, true, false, true, true, true, true},
        {"freed while waited for", 0, true, true, true, false, true, true, true, true},
        {"a free file", 0, true, true, false, false, false, false, true, true},
        {"own check-out", Own | Out, true, true, false, false, false, false, true, true},
        {"store that does not tell", Out, true, false, false, false, false, false, true, true},
        {"two rows", Out, false, true, false, false, false, false, true, true},
        {"in search results", Out, true, true, false, true, true, false, false, false},
    };
    for (const Case &c : cases) {
        PopupSelection s;
        s.itemSelected = true;
        s.mode = 1;
        s.tag = c.tag;
        s.oneRowSelected = c.oneRow;
        s.freeNotices = c.freeNotices;
        s.awaitingFree = c.awaiting;
        s.searchResults = c.searchResults;
        s.clipboardHoldsList = true;
        const PopupMenuState state = computePopupMenuState(s);
        EXPECT_EQ(state[E::ProjectLaatWeten].enabled, c.laatWeten) << c.what;
        EXPECT_EQ(state[E::ProjectLaatWeten].checked, c.checked) << c.what;
        EXPECT_TRUE(state[E::ProjectLaatWeten].visible) << c.what;
        EXPECT_EQ(state[E::ProjectToevoegen].enabled, c.toevoegen) << c.what;
        EXPECT_EQ(state[E::ProjectPlakken].enabled, c.plakken) << c.what;
    }
}

TEST_F(PopupMenuStateTest, ClipboardDecidesPaste)
{
    rows({0}, {0});
    const std::pair<const char *, bool> texts[] = {
        {"DwF_Copy?12;345|12;346|", true}, {"DwF_Cut?7;9|", true},     {"DwF_Copy?", true},
        {"DwF_Move?12;345|", false},       {"DwF_Copy?1;2|?3", false}, {"DwF_Copy", false},
        {"dwf_copy?12;345|", false},       {"", false},
    };
    for (const auto &[text, pasteable] : texts) {
        QGuiApplication::clipboard()->setText(QString::fromLatin1(text));
        enabledAfterListClick();
        EXPECT_EQ(popupMenu().action(E::ProjectPlakken)->isEnabled(), pasteable) << text;
        popupMenu().action(E::ProjectPlakken)->setEnabled(!pasteable);
        popup().UpdatePasteEntry();
        EXPECT_EQ(popupMenu().action(E::ProjectPlakken)->isEnabled(), pasteable) << text;
    }
    session->answer(QStringLiteral("IsReadOnlySession"), true);
    QGuiApplication::clipboard()->setText(QStringLiteral("DwF_Copy?1;2|"));
    popup().UpdatePasteEntry();
    EXPECT_FALSE(popupMenu().action(E::ProjectPlakken)->isEnabled());
}

TEST_F(PopupMenuStateTest, ListAndTreeEntriesShowOnlyInTheirPane)
{
    rows({0}, {0});
    enabledAfterListClick();
    const PopupMenuState list = popupMenu().current();
    for (E entry : {E::MappenNieuweMap, E::MappenNaamWijzigen, E::MappenVerwijderMap, E::Cap36,
                    E::MappenToevoegenProject})
        EXPECT_FALSE(list[entry].visible) << popupEntryName(entry).toStdString();
    EXPECT_TRUE(list[E::ProjectKopieren].visible && list[E::Caption1].visible && list[E::Weergave].visible);

    popup().SetPopupMenuState(true, false, true);
    const PopupMenuState tree = popupMenu().current();
    EXPECT_TRUE(tree[E::MappenNieuweMap].visible && tree[E::MappenVerwijderMap].visible);
    EXPECT_FALSE(tree[E::Cap36].visible || tree[E::MappenToevoegenProject].visible);
    EXPECT_FALSE(tree[E::ProjectKopieren].visible || tree[E::ProjectEigenschappen].visible);
    EXPECT_TRUE(tree[E::Caption100].visible && tree[E::Weergave].visible);
}

TEST_F(PopupMenuStateTest, ViewSubmenuShowsThreeEntriesWithTheFieldsChecked)
{
    control->FileInfoVisible = true;
    control->HideLocations = true;
    control->HeaderLabelsVisible = true;
    popup().SetPopupMenuState(true, false, false);
    const PopupMenuState state = popupMenu().current();
    EXPECT_TRUE(state[E::WeergaveMappen].visible && state[E::WeergaveVoorbeeld].visible &&
                state[E::WeergaveStatusBalk].visible);
    EXPECT_FALSE(state[E::WeergaveKnoppenBalk].visible || state[E::WeergaveKopTekst].visible ||
                 state[E::WeergaveBestanden].visible);
    EXPECT_FALSE(state[E::WeergaveMappen].checked);
    EXPECT_TRUE(state[E::WeergaveVoorbeeld].checked);
    EXPECT_FALSE(state[E::WeergaveStatusBalk].checked);
    EXPECT_TRUE(state[E::WeergaveKopTekst].checked);
}

TEST_F(PopupMenuStateTest, EveryEntryIsAnActionOfItsMenu)
{
    QMenu *top = popupMenu().mnuPopUp();
    QMenu *sendTo = popupMenu().action(E::ProjectStuurNaar)->menu();
    QMenu *view = popupMenu().action(E::Weergave)->menu();
    ASSERT_TRUE(sendTo && view);
    for (int i = 0; i < PopupEntryCount; ++i) {
        const E entry = E(i);
        QAction *action = popupMenu().action(popupEntryName(entry));
        ASSERT_TRUE(action) << popupEntryName(entry).toStdString();
        EXPECT_EQ(action, popupMenu().action(entry));
        QMenu *owner = entry >= E::WeergaveMappen ? view : entry >= E::StuurNaarA ? sendTo : top;
        EXPECT_TRUE(owner->actions().contains(action)) << popupEntryName(entry).toStdString();
    }
    EXPECT_EQ(top->actions().size(), int(E::StuurNaarA));
    EXPECT_TRUE(popupMenu().action(E::Caption100)->isSeparator());
    EXPECT_EQ(popupMenu().action(E::ProjectKopieren)->text(), QStringLiteral("Bestand Kopiëren"));
}

namespace {
// The control's own tree over a scripted store: one top location with one sub-location;
// user mode gives a user node.
class TreeClickTest : public PopupMenuStateTest {
protected:
    void SetUp() override
    {
        PopupMenuStateTest::SetUp();
        addLocation(12, QStringLiteral("Projecten"), {{13, QStringLiteral("Tekeningen")}});
        ASSERT_TRUE(control->ControlInSpecificLocationMode(12, QStringLiteral("Projecten"), true));
        control->tvTreeView->expandAll();
        ASSERT_TRUE(showUncovered(*control));
    }

    void rightClickNode(const QString &key)
    {
        const QModelIndex index = node(key);
        ASSERT_TRUE(index.isValid()) << key.toStdString();
        const QPoint at = control->tvTreeView->visualRect(index).center();
        QTest::mouseClick(control->tvTreeView->viewport(), Qt::RightButton, {}, at);
    }

    QString folderEntries()
    {
        QStringList names;
        for (E entry : {E::MappenNieuweMap, E::MappenNaamWijzigen, E::MappenVerwijderMap})
            names << (popupMenu().action(entry)->isEnabled() ? "on" : "off");
        return names.join(QLatin1Char(' '));
    }
};
} // namespace

TEST_F(TreeClickTest, RightClickOnNodesDecidesTheFolderEntries)
{
    rightClickNode(QStringLiteral("12C"));
    EXPECT_EQ(folderEntries(), "on off off");
    EXPECT_TRUE(popupMenu().mnuPopUp()->isVisible());
    popupMenu().mnuPopUp()->hide();

    rightClickNode(QStringLiteral("13C"));
    EXPECT_EQ(folderEntries(), "on on on");
    popupMenu().mnuPopUp()->hide();

    ASSERT_TRUE(control->ControlInUserMode(QStringLiteral("7"), QStringLiteral("Jansen")));
    control->AllowPopupMenu = true;
    rightClickNode(QStringLiteral("7U"));
    EXPECT_EQ(folderEntries(), "off off off");
    EXPECT_FALSE(popupMenu().action(E::ProjectBekijken)->isVisible());
}

TEST_F(TreeClickTest, OnlyTheRightButtonActsAndOnlyAllowedMenusShow)
{
    rows({0}, {});
    popup().SetPopupMenuState(true, false, true);
    const QPoint rowAt = control->lvListView->visualRect(listModelOf(*control)->index(0, 0)).center();

    QTest::mouseClick(control->lvListView->viewport(), Qt::LeftButton, {}, rowAt);
    EXPECT_FALSE(popupMenu().action(E::ProjectBekijken)->isVisible());
    EXPECT_FALSE(popupMenu().mnuPopUp()->isVisible());

    control->AllowPopupMenu = false;
    QTest::mouseClick(control->lvListView->viewport(), Qt::RightButton, {}, rowAt);
    EXPECT_TRUE(popupMenu().action(E::ProjectBekijken)->isVisible());
    EXPECT_TRUE(popupMenu().action(E::ProjectEigenschappen)->isEnabled());
    EXPECT_FALSE(popupMenu().mnuPopUp()->isVisible());

    control->AllowPopupMenu = true;
    QTest::mouseClick(control->lvListView->viewport(), Qt::RightButton, {}, rowAt);
    EXPECT_TRUE(popupMenu().mnuPopUp()->isVisible());
}
