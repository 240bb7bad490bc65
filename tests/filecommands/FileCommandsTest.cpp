// Rename, delete and undo of a check-out against a scripted store: their questions, loops,
// messages and when they refresh the list.
#include "support/ControlFixture.h"

#include "filecommands/FileCommands.h"
#include "core/FileManUIInternals.h"

#include <QTreeView>

using namespace dwfm;
using namespace dwfm::test;

namespace {

// Location 12 shows b.txt (2, free) and c.txt (3, in use by jan). The store renames only
// to "d.txt" and deletes only file 3.
TEST_F(ControlFixture, RenameDeleteAndUndoAskLoopAndRefreshAsTheyShould)
{
    addLocation(12, QStringLiteral("Map"));
    setFiles(12, {fileRow(2, QStringLiteral("b.txt")), fileRow(3, QStringLiteral("c.txt"), QStringLiteral("JAN"))});
    session->on(QStringLiteral("RenameProject"), [](const QVariantList &a) { return a[1].toString() == "d.txt"; });
    session->on(QStringLiteral("DeleteProject"), [](const QVariantList &a) { return a[0].toInt() == 3; });
    const QString rename = QStringLiteral("Geef een nieuw bestandsnaam op:=");
    enum Command { Rename, Delete, Undo };
    struct Case {
        const char *name;
        Command command;
        std::vector<int> rows;
        const char *answers; // input boxes in order ("~" Cancel); "Y" and "N" answer a question
        const char *changes;
        bool refreshed;
        QString shown; // the prompts' texts, an input box's with "=" and its default text
    };
    const Case cases[] = {
        {"rename without a row", Rename, {}, "", "", false, ""},
        {"rename cancelled", Rename, {0}, "~", "", false, rename + "b.txt"},
        {"rename: same name, a refused name proposed again, then taken", Rename, {0}, "B.Txt|Y|x/y|d.txt",
         "RenameProject(2,x/y) RenameProject(2,d.txt)", true,
         rename + "b.txt|Doelbestandsnaam mag niet hetzelfde zijn als de bronbestandsnaam!|" + rename + "B.Txt|" +
             rename + "x/y"},
        {"a refused rename asks again silently, until cancelled", Rename, {1}, "e.txt|~", "RenameProject(3,e.txt)",
         false, rename + "c.txt|" + rename + "e.txt"},
        {"delete answered No", Delete, {0, 1}, "N", "", false,
         "Wilt u onderstaande projecten verwijderen?\r\n\r\nb.txt\r\nc.txt\r\n\r\nDeze actie kan niet ongedaan "
         "worden gemaakt!"},
        {"delete: every deletion refused", Delete, {0}, "Y", "DeleteProject(2)", false, {}},
        {"delete: some refused", Delete, {0, 1}, "Y", "DeleteProject(2) DeleteProject(3)", true, {}},
        {"undo answered No", Undo, {1}, "N", "", false,
         "Weet u zeker dat u de bestanden op de server wilt herstellen?\r\nAlle locale wijzigingen zullen verloren "
         "gaan."},
        {"undo answered Yes", Undo, {0, 1}, "Y", "CancelCheckOut(2,,true) CancelCheckOut(3,,true)", true, {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(control->ControlInSpecificLocationMode(12, QStringLiteral("Map"), true));
        selectRows(control->lvListView, c.rows);
        const std::size_t shownBefore = prompts->shown().size();
        for (const QString &a : QString::fromUtf8(c.answers).split(QLatin1Char('|'), Qt::SkipEmptyParts)) {
            if (a == QLatin1String("Y") || a == QLatin1String("N"))
                prompts->expectMessage(a == QLatin1String("Y") ? Prompts::Answer::Yes : Prompts::Answer::No);
            else
                prompts->expectInput(a == QLatin1String("~") ? std::nullopt : std::optional(a));
        }
        session->clearCalls();
        FileCommands &commands = fileCommandsOf(*control);
        c.command == Rename ? commands.NaamWijzigenProject()
                            : (c.command == Delete ? commands.VerwijderenProject() : commands.UndoCheckOutProject());
        QStringList changes;
        for (const char *operation : {"RenameProject", "DeleteProject", "CancelCheckOut", "ReportLastError"}) {
            for (const QString &args : session->argsOf(QLatin1String(operation)))
                changes << QStringLiteral("%1(%2)").arg(QLatin1String(operation), args);
        }
        EXPECT_EQ(changes.join(QLatin1Char(' ')), QString::fromUtf8(c.changes));
        EXPECT_EQ(session->count(QStringLiteral("GetProjectsInLocation")) > 0, c.refreshed);
        QStringList shown;
        for (std::size_t i = shownBefore; i < prompts->shown().size(); ++i) {
            const auto &p = prompts->shown()[i];
            shown << p.text + (p.kind == ScriptedPrompts::Kind::Input ? QLatin1Char('=') + p.defaultText : QString());
        }
        if (!c.shown.isNull())
            EXPECT_EQ(shown.join(QLatin1Char('|')), c.shown);
        EXPECT_EQ(prompts->pending(), 0u);
    }
}

} // namespace
