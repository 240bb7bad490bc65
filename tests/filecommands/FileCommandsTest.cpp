// Rename, delete and undo of a check-out against a scripted store: their questions, loops,
// messages and when they refresh the list.
#include "support/ControlFixture.h"

#include "filecommands/FileCommands.h"

#include <QTreeView>

using namespace dwfm;
using namespace dwfm::test;

namespace {

// Location 12 shows b.txt (2, free) and c.txt (3, in use by jan).
class FileCommandsTest : public ControlFixture {
protected:
    void SetUp() override
    {
        ControlFixture::SetUp();
        addLocation(12, QStringLiteral("Map"));
        setFiles(12, {fileRow(2, QStringLiteral("b.txt")), fileRow(3, QStringLiteral("c.txt"), QStringLiteral("JAN"))});
    }
};

TEST_F(FileCommandsTest, EveryQuestionLoopAndRefusal)
{
    using Script = std::function<void(ScriptedSession &, ScriptedPrompts &)>;
    const auto answers = [](std::vector<std::optional<QString>> inputs) {
        return [inputs](ScriptedSession &, ScriptedPrompts &p) {
            for (const auto &input : inputs)
                input && input->startsWith(QLatin1Char('!')) ? p.expectMessage() : p.expectInput(input);
        };
    };
    const auto question = [](Prompts::Answer answer, bool deletes) {
        return [=](ScriptedSession &s, ScriptedPrompts &p) {
            p.expectMessage(answer);
            s.on(QStringLiteral("DeleteProject"), [deletes](const QVariantList &a) { return deletes && a[0].toInt() == 3; });
        };
    };
    enum Command { Rename, Delete, Undo };
    struct Case {
        const char *name;
        Command command;
        std::vector<int> rows;
        Script script;
        const char *changes;
        bool refreshed;
        const char *shown; // prompt texts and their default texts
    };
    const QString same = QStringLiteral("Doelbestandsnaam mag niet hetzelfde zijn als de bronbestandsnaam!");
    const Case cases[] = {
        {"rename without a row", Rename, {}, {}, "", false, ""},
        {"rename cancelled", Rename, {0}, answers({std::nullopt}), "", false, "Geef een nieuw bestandsnaam op:=b.txt"},
        {"rename: same name, a refused name proposed again, then taken", Rename, {0},
         [&](ScriptedSession &s, ScriptedPrompts &p) {
             answers({QStringLiteral("B.Txt"), QStringLiteral("!"), QStringLiteral("x/y"), QStringLiteral("d.txt")})(s, p);
             s.on(QStringLiteral("RenameProject"), [](const QVariantList &a) { return a[1].toString() == "d.txt"; });
         },
         "RenameProject(2,x/y) RenameProject(2,d.txt) ReportLastError()", true,
         "Geef een nieuw bestandsnaam op:=b.txt|Doelbestandsnaam mag niet hetzelfde zijn als de "
         "bronbestandsnaam!|Geef een nieuw bestandsnaam op:=B.Txt|Geef een nieuw bestandsnaam op:=x/y"},
        {"rename of a file in use ends at the store's refusal", Rename, {1}, answers({QStringLiteral("d.txt")}),
         "RenameProject(3,d.txt) ReportLastError()", false, "Geef een nieuw bestandsnaam op:=c.txt"},
        {"delete answered No", Delete, {0, 1}, question(Prompts::Answer::No, false), "", false,
         "Wilt u onderstaande projecten verwijderen?\r\n\r\nb.txt\r\nc.txt\r\n\r\nDeze actie kan niet ongedaan "
         "worden gemaakt!"},
        {"delete: every deletion refused", Delete, {0, 1}, question(Prompts::Answer::Yes, false),
         "DeleteProject(2) DeleteProject(3)", false, nullptr},
        {"delete: some refused", Delete, {0, 1}, question(Prompts::Answer::Yes, true),
         "DeleteProject(2) DeleteProject(3)", true, nullptr},
        {"undo answered No", Undo, {1}, answers({QStringLiteral("!")}), "", false,
         "Weet u zeker dat u de bestanden op de server wilt herstellen?\r\nAlle locale wijzigingen zullen verloren "
         "gaan."},
        {"undo answered Yes, a refusal included", Undo, {0, 1},
         [](ScriptedSession &, ScriptedPrompts &p) { p.expectMessage(Prompts::Answer::Yes); },
         "CancelCheckOut(2,,true) CancelCheckOut(3,,true)", true, nullptr},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(control->ControlInSpecificLocationMode(12, QStringLiteral("Map"), true));
        selectRows(control->lvListView, c.rows);
        const std::size_t shownBefore = prompts->shown().size();
        if (c.script)
            c.script(*session, *prompts);
        session->clearCalls();
        FileCommands &commands = control->fileCommands();
        c.command == Rename ? commands.NaamWijzigenProject()
                            : (c.command == Delete ? commands.VerwijderenProject() : commands.UndoCheckOutProject());
        QStringList changes;
        for (const char *operation : {"RenameProject", "DeleteProject", "CancelCheckOut", "ReportLastError"}) {
            for (const QString &args : session->argsOf(QLatin1String(operation)))
                changes << QStringLiteral("%1(%2)").arg(QLatin1String(operation), args);
        }
        EXPECT_EQ(changes.join(QLatin1Char(' ')), QString::fromUtf8(c.changes));
        EXPECT_EQ(session->count(QStringLiteral("GetProjectsInLocation")) > 0, c.refreshed);
        if (c.shown) {
            QStringList shown;
            for (std::size_t i = shownBefore; i < prompts->shown().size(); ++i) {
                const auto &p = prompts->shown()[i];
                shown << p.text + (p.kind == ScriptedPrompts::Kind::Input ? QLatin1Char('=') + p.defaultText : QString());
            }
            EXPECT_EQ(shown.join(QLatin1Char('|')), QString::fromUtf8(c.shown));
        }
        EXPECT_EQ(prompts->pending(), 0u);
        session->on(QStringLiteral("RenameProject"), [](const QVariantList &) { return false; });
    }
}

} // namespace
