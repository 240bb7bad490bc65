// The popup menu's state: computed on a real control from its selected rows, the mode,
// the session and the clipboard.
#include "core/FileManUI.h"
#include "core/session/SessionRegistry.h"
#include "list/FileListModel.h"
#include "support/ScriptedSession.h"
#include "view/ControlView.h"
#include "view/PopupMenu.h"
#include "view/PopupMenuController.h"

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QMenu>
#include "tree/LocationTreeModel.h"
#include <QTest>
#include <QTreeView>

using namespace dwfm;
using dwfm::test::ScriptedSession;
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

class PopupMenuStateTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        session = std::make_shared<ScriptedSession>();
        SessionRegistry::setCurrent(session);
        QGuiApplication::clipboard()->setText(QString());
        control.AllowPopupMenu = true;
        control.state().ControlMode = 1;
    }
    void TearDown() override
    {
        popupMenu().mnuPopUp()->hide();
        SessionRegistry::setCurrent(nullptr);
    }

    PopupMenu &popupMenu() { return control.view().popupMenu(); }
    PopupMenuController &popup() { return control.view().popup(); }

    // Fills the list with one row per tag (keys 1P, 2P, ...) and selects the given rows.
    void rows(const std::vector<qint32> &tags, const std::vector<int> &selected)
    {
        std::vector<FileListRow> list;
        for (std::size_t i = 0; i < tags.size(); ++i)
            list.push_back({QString::number(i + 1) + QLatin1Char('P'), QStringLiteral("f%1.doc").arg(i + 1), {}, {},
                            tags[i]});
        control.listModel()->setRows(std::move(list));
        control.lvListView->clearSelection();
        for (int row : selected) {
            control.lvListView->selectionModel()->select(
                control.listModel()->index(row, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
        }
        if (!selected.empty())
            control.lvListView->selectionModel()->setCurrentIndex(control.listModel()->index(selected.front(), 0),
                                                                  QItemSelectionModel::NoUpdate);
    }

    QString enabledAfterListClick()
    {
        popup().SetPopupMenuState(false, !control.lvListView->selectionModel()->selectedRows().isEmpty(), false);
        QStringList names;
        for (const auto &[entry, name] : kFileEntries) {
            if (popupMenu().action(entry)->isEnabled())
                names << QString::fromLatin1(name);
        }
        return names.join(QLatin1Char(' '));
    }

    std::shared_ptr<ScriptedSession> session;
    FileManUI control;
};
} // namespace

TEST_F(PopupMenuStateTest, FreeFileOffersEverything)
{
    rows({0}, {0});
    EXPECT_EQ(enabledAfterListClick(), "Bekijken StuurNaar Openen InGebruik Knippen Kopieren Naam Verwijderen "
                                       "Toevoegen Eigenschappen");
}

TEST_F(PopupMenuStateTest, OwnCheckOutCanBeOpenedReturnedAndTakenBack)
{
    control.state().ControlMode = 5;
    rows({Own | Out}, {0});
    EXPECT_EQ(enabledAfterListClick(), "Bekijken StuurNaar Openen Vrijgeven Ongedaan Knippen Kopieren Verwijderen "
                                       "Toevoegen Eigenschappen");
    // In user mode the own file may not be deleted, copied or added to.
    control.state().ControlMode = 4;
    EXPECT_EQ(enabledAfterListClick(), "Bekijken StuurNaar Openen Vrijgeven Ongedaan Eigenschappen");
}

TEST_F(PopupMenuStateTest, SomeoneElsesCheckOutIsUndoneOnlyByAnAdministrator)
{
    rows({Out}, {0});
    EXPECT_EQ(enabledAfterListClick(), "Bekijken StuurNaar Knippen Kopieren Toevoegen Eigenschappen");
    session->answer(QStringLiteral("IsAdministrator"), true);
    EXPECT_EQ(enabledAfterListClick(), "Bekijken StuurNaar Ongedaan Knippen Kopieren Toevoegen Eigenschappen");
}

TEST_F(PopupMenuStateTest, LockedFileMayBeRenamedButNotTaken)
{
    rows({Locked}, {0});
    EXPECT_EQ(enabledAfterListClick(), "Bekijken StuurNaar Knippen Kopieren Naam Toevoegen Eigenschappen");
    session->answer(QStringLiteral("IsAdministrator"), true);
    EXPECT_TRUE(enabledAfterListClick().contains("Ongedaan"));
}

TEST_F(PopupMenuStateTest, ReadOnlyFieldOpensOnlyTheUsersOwnFile)
{
    control.ReadOnly = true;
    rows({0, Own | Out}, {0});
    EXPECT_EQ(enabledAfterListClick(), "Bekijken StuurNaar Knippen Kopieren Naam Eigenschappen");
    rows({0, Own | Out}, {1});
    EXPECT_EQ(enabledAfterListClick(), "Bekijken StuurNaar Openen Knippen Kopieren Eigenschappen");
}

TEST_F(PopupMenuStateTest, ReadOnlySessionEnablesNothingThatChangesTheStore)
{
    session->answer(QStringLiteral("IsReadOnlySession"), true);
    session->answer(QStringLiteral("IsAdministrator"), true);
    QGuiApplication::clipboard()->setText(QStringLiteral("DwF_Copy?12;345|"));
    rows({0}, {0});
    EXPECT_EQ(enabledAfterListClick(), "Bekijken StuurNaar Eigenschappen");
    rows({Out}, {0});
    EXPECT_EQ(enabledAfterListClick(), "Bekijken StuurNaar Eigenschappen");
}

TEST_F(PopupMenuStateTest, ModesWithoutFileCommands)
{
    rows({0}, {0});
    control.state().ControlMode = 0;
    EXPECT_EQ(enabledAfterListClick(), "Bekijken StuurNaar Knippen Kopieren Naam Eigenschappen");
    // The select mode, with the host having allowed changes again.
    control.state().ControlMode = 3;
    EXPECT_EQ(enabledAfterListClick(), "Bekijken StuurNaar Knippen Kopieren Naam Toevoegen Eigenschappen");
    // As the select mode leaves it.
    control.ReadOnly = true;
    EXPECT_EQ(enabledAfterListClick(), "Bekijken StuurNaar Knippen Kopieren Naam Eigenschappen");
}

TEST_F(PopupMenuStateTest, NoRowLeavesOnlyAddingAndPasting)
{
    rows({0, 0}, {});
    EXPECT_EQ(enabledAfterListClick(), "Toevoegen");
    QGuiApplication::clipboard()->setText(QStringLiteral("DwF_Cut?"));
    EXPECT_EQ(enabledAfterListClick(), "Plakken Toevoegen");
    control.state().ControlMode = 4;
    EXPECT_EQ(enabledAfterListClick(), "Plakken");
}

TEST_F(PopupMenuStateTest, MixedSelectionWithholdsTheFileCommands)
{
    rows({0, Out}, {0, 1});
    EXPECT_EQ(enabledAfterListClick(), "StuurNaar Knippen Kopieren Toevoegen");
    // Rows of one status are treated as the selected row.
    rows({Locked, Locked}, {0, 1});
    EXPECT_EQ(enabledAfterListClick(), "StuurNaar Knippen Kopieren Toevoegen");
    rows({0, 0}, {0, 1});
    EXPECT_EQ(enabledAfterListClick(), "Bekijken StuurNaar Openen InGebruik Knippen Kopieren Verwijderen Toevoegen");
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

TEST_F(PopupMenuStateTest, EveryUpdateSetsEveryEntry)
{
    rows({0}, {0});
    enabledAfterListClick();
    rows({0}, {});
    EXPECT_EQ(enabledAfterListClick(), "Toevoegen");
    rows({Out}, {0});
    EXPECT_EQ(enabledAfterListClick(), "Bekijken StuurNaar Knippen Kopieren Toevoegen Eigenschappen");
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
    control.FileInfoVisible = true;
    control.HideLocations = true;
    control.HeaderLabelsVisible = true;
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
        session->answer(QStringLiteral("GetLocationDescription"), "Projecten");
        session->on(QStringLiteral("GetChildLocations"), [](const QVariantList &args) {
            if (args.value(0).toInt() != 12)
                return ScriptedSession::Reply(false);
            return ScriptedSession::rowsReply({QStringLiteral("ChildID"), QStringLiteral("childpath")},
                                              {{13, QStringLiteral("Tekeningen")}});
        });
        ASSERT_TRUE(control.ControlInSpecificLocationMode(12, QStringLiteral("Projecten"), true));
        control.AllowPopupMenu = true;
        control.tvTreeView->expandAll();
        control.resize(800, 500);
        control.HideOverlay();
        control.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&control));
    }

    void rightClickNode(const QString &key)
    {
        const QModelIndex index = control.treeModel()->findNode(key);
        ASSERT_TRUE(index.isValid()) << key.toStdString();
        const QPoint at = control.tvTreeView->visualRect(index).center();
        QTest::mouseClick(control.tvTreeView->viewport(), Qt::RightButton, {}, at);
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

    ASSERT_TRUE(control.ControlInUserMode(QStringLiteral("7"), QStringLiteral("Jansen")));
    control.AllowPopupMenu = true;
    rightClickNode(QStringLiteral("7U"));
    EXPECT_EQ(folderEntries(), "off off off");
    EXPECT_FALSE(popupMenu().action(E::ProjectBekijken)->isVisible());
}

TEST_F(TreeClickTest, OnlyTheRightButtonActsAndOnlyAllowedMenusShow)
{
    new QAbstractItemModelTester(control.listModel(), control.listModel());
    rows({0}, {});
    popup().SetPopupMenuState(true, false, true);
    const QPoint rowAt = control.lvListView->visualRect(control.listModel()->index(0, 0)).center();

    QTest::mouseClick(control.lvListView->viewport(), Qt::LeftButton, {}, rowAt);
    EXPECT_FALSE(popupMenu().action(E::ProjectBekijken)->isVisible());
    EXPECT_FALSE(popupMenu().mnuPopUp()->isVisible());

    control.AllowPopupMenu = false;
    QTest::mouseClick(control.lvListView->viewport(), Qt::RightButton, {}, rowAt);
    EXPECT_TRUE(popupMenu().action(E::ProjectBekijken)->isVisible());
    EXPECT_TRUE(popupMenu().action(E::ProjectEigenschappen)->isEnabled());
    EXPECT_FALSE(popupMenu().mnuPopUp()->isVisible());

    control.AllowPopupMenu = true;
    QTest::mouseClick(control.lvListView->viewport(), Qt::RightButton, {}, rowAt);
    EXPECT_TRUE(popupMenu().mnuPopUp()->isVisible());
}
