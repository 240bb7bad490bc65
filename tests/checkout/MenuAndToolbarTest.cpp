// The popup menu's file entries and the tool bar's buttons, triggered as the user does,
// run the check-out commands of a control over the scripted store.
#include "support/ControlFixture.h"

#include "view/ControlView.h"
#include "view/PopupMenu.h"
#include "view/PopupMenuController.h"
#include "view/ViewLayout.h"
#include "core/FileManUIInternals.h"

#include <QAction>
#include <QTest>
#include <QToolBar>
#include <QTreeView>

namespace dwfm::test {
namespace {

class MenuAndToolbar : public ControlFixture {
protected:
    void SetUp() override
    {
        ControlFixture::SetUp();
        addLocation(5, QStringLiteral("Offertes"));
        // a.doc is free, b.doc is the user's own check-out.
        setFiles(5, {fileRow(11, QStringLiteral("a.doc")),
                     fileRow(12, QStringLiteral("b.doc"), QStringLiteral("TEST"))});
        session->answer(QStringLiteral("CheckOutProject"), true);
        session->answer(QStringLiteral("CheckInProject"), true);
        session->answer(QStringLiteral("GetProjectLocalFolder"), QStringLiteral("/w"));
        session->on(QStringLiteral("GetViewCopy"), [](const QVariantList &args) {
            ScriptedSession::Reply reply(true);
            reply.outs << QStringLiteral("/nergens/kopie-%1").arg(args[0].toInt());
            return reply;
        });
        ASSERT_TRUE(control->ControlInSpecificLocationMode(5, QStringLiteral("Offertes"), true));
        ASSERT_EQ(listModelOf(*control)->rowCount(), 2);
        events.record(control.get());
    }

    // Selects one row and sets the menu as a right-click on it does.
    void rightClickRow(int row)
    {
        selectRows(control->lvListView, {row});
        viewOf(*control).popup().SetPopupMenuState(false, true, true);
    }
    QAction *entry(PopupEntry which) const { return viewOf(*control).popupMenu().action(which); }
    QAction *button(const QString &key) const
    {
        for (QAction *action : viewOf(*control).layout().tbToolbar->actions()) {
            if (action->objectName() == key)
                return action;
        }
        return nullptr;
    }
    // The store's check-out, check-in and view calls, each as "Name(first argument)".
    QStringList commandCalls() const
    {
        QStringList calls;
        for (const auto &call : session->calls()) {
            if (call.name == QLatin1String("CheckOutProject") || call.name == QLatin1String("CheckInProject") ||
                call.name == QLatin1String("GetViewCopy"))
                calls << QStringLiteral("%1(%2)").arg(call.name, call.args.value(0).toString());
        }
        return calls;
    }

    EventLog events;
};

TEST_F(MenuAndToolbar, EachFileEntryRunsItsCommandOnTheSelectedRow)
{
    struct Case {
        PopupEntry entry;
        const char *caption;
        int row;
        QString call;
        QString event;
    };
    const Case cases[] = {
        {PopupEntry::ProjectOpenen, "Bestand &Openen", 0, "CheckOutProject(11)",
         QStringLiteral("FileOpen(%1, 11)").arg(inFolder("/w", "a.doc"))},
        {PopupEntry::ProjectBewerken, "Bestand In Gebruik Nemen", 0, "CheckOutProject(11)",
         QStringLiteral("FileCheckOut(%1, 11)").arg(inFolder("/w", "a.doc"))},
        {PopupEntry::ProjectTerugzetten, "Bestand Vrijgeven", 1, "CheckInProject(12)", "FileCheckIn(12)"},
        {PopupEntry::ProjectBekijken, "Bestand &Bekijken", 1, "GetViewCopy(12)", "FileOpen(/nergens/kopie-12, 12)"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.caption);
        session->answer(QStringLiteral("GetProjectFileName"), listModelOf(*control)->row(c.row).text);
        rightClickRow(c.row);
        QAction *action = entry(c.entry);
        ASSERT_NE(action, nullptr);
        EXPECT_EQ(action->text(), QString::fromUtf8(c.caption));
        ASSERT_TRUE(action->isEnabled() && action->isVisible());
        session->clearCalls();
        events.clear();
        const int fillsBefore = session->count(QStringLiteral("GetProjectsInLocation"));
        action->trigger();
        EXPECT_EQ(commandCalls(), QStringList{c.call});
        EXPECT_EQ(events, QStringList{c.event});
        // Check-out and check-in refill the list from the store; viewing does not.
        const bool refills = c.entry != PopupEntry::ProjectBekijken;
        EXPECT_EQ(session->count(QStringLiteral("GetProjectsInLocation")) > fillsBefore, refills);
    }
}

TEST_F(MenuAndToolbar, ToolbarChecksOutAndInByKey)
{
    session->answer(QStringLiteral("GetProjectFileName"), QStringLiteral("a.doc"));
    rightClickRow(0);
    ASSERT_NE(button(QStringLiteral("bewerkenproject")), nullptr);
    button(QStringLiteral("bewerkenproject"))->trigger();
    button(QStringLiteral("terugzettenproject"))->trigger();
    EXPECT_EQ(commandCalls(), (QStringList{"CheckOutProject(11)", "CheckInProject(11)"}));
    EXPECT_EQ(events, (QStringList{QStringLiteral("FileCheckOut(%1, 11)").arg(inFolder("/w", "a.doc")),
                                   QStringLiteral("FileCheckIn(11)")}));
}

TEST_F(MenuAndToolbar, DoubleClickOnAFreeRowChecksItOutAndOpensIt)
{
    session->answer(QStringLiteral("GetProjectFileName"), QStringLiteral("a.doc"));
    ASSERT_TRUE(showUncovered(*control));
    QTreeView *list = control->lvListView;
    const QPoint row = list->visualRect(listModelOf(*control)->index(0, 0)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, row);
    EXPECT_EQ(commandCalls(), QStringList{"CheckOutProject(11)"});
    EXPECT_EQ(events, QStringList{QStringLiteral("FileOpen(%1, 11)").arg(inFolder("/w", "a.doc"))});
}

} // namespace
} // namespace dwfm::test
