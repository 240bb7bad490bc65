// Cut, copy and paste: the clipboard list read strictly (also random and damaged texts),
// and the paste's rules against a scripted store.
#include "support/ControlFixture.h"

#include "clipboard/ClipboardCommands.h"
#include "clipboard/ClipboardList.h"
#include "clipboard/PasteProgress.h"
#include "core/FileManUIInternals.h"

#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QItemSelectionModel>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTreeView>

using namespace dwfm;
using namespace dwfm::test;

namespace {

QString clipboardText() { return QGuiApplication::clipboard()->text(); }

TEST(ClipboardListText, OnlyWholeListsAreReadAndTheWriterMakesThem)
{
    const std::pair<const char *, int> cases[] = { // the text, its number of files (-1: no list)
        {"DwF_Copy?12;345|12;346|", 2}, {"DwF_Cut? 7 ; 9 |", 1},   {"DwF_Copy?", 0},        {"DwF_Move?12;345|", -1},
        {"DwF_Copy?1;2|?3", -1},        {"DwF_Copy?1;2", -1},      {"DwF_Copy?a;2|", -1},   {"DwF_Copy?1;2;3|", -1},
        {"DwF_Copy?1;|", -1},           {"DwF_Copy?1;99999999999|", -1}, {"dwf_copy?1;2|", -1}, {"Hallo wereld", -1},
        {"", -1},                       {"DwF_Copy?1;2||", -1},    {"DwF_Copy?1;2|x", -1}};
    for (const auto &[text, files] : cases) {
        const auto parsed = ClipboardList::parseClipboardText(QString::fromUtf8(text));
        EXPECT_EQ(parsed ? int(parsed->entries.size()) : -1, files) << text;
    }
    EXPECT_TRUE(ClipboardList::parseClipboardText("DwF_Cut?7;9|")->move);
    EXPECT_FALSE(ClipboardList::parseClipboardText("DwF_Copy?7;9|")->move);
    EXPECT_EQ(ClipboardList::writeClipboardText("DwF_Copy", QStringLiteral("12C"), {"345P", "346P"}),
              "DwF_Copy?12;345|12;346|");
    EXPECT_EQ(ClipboardList::writeClipboardText("DwF_Cut", std::nullopt, {"345P"}), "DwF_Cut?");
    EXPECT_EQ(ClipboardList::writeClipboardText("DwF_Cut", QStringLiteral("12C"), {}), "DwF_Cut?");
}

// Random texts, and whole lists with a few characters changed, dropped or added, some of
// them very long.
QStringList fuzzTexts(int count)
{
    QRandomGenerator random(20261205);
    const QString alphabet = QStringLiteral("DwF_CopyCut?;|0123456789- \r\n") + QChar(0) + QChar(0xe9);
    QStringList texts;
    for (int i = 0; i < count; ++i) {
        const bool damage = i % 2;
        QString text = damage ? QStringLiteral("DwF_Cut?12;345|12;346|7;8|") : QString();
        for (int n = damage ? 1 + int(random.bounded(3)) : int(random.bounded(40)); n > 0; --n) {
            const int at = damage ? int(random.bounded(text.size())) : int(text.size());
            random.bounded(3) == 0 ? void(text.remove(at, 1))
                                   : void(text.insert(at, alphabet[int(random.bounded(alphabet.size()))]));
        }
        texts << (i % 250 < 2 ? text.repeated(20000) : text);
    }
    return texts;
}

// Stops the paste after `stopAfter` files and logs what it was told.
struct ScriptedProgress : PasteProgress {
    int stopAfter = -1;
    QStringList log;
    void start(int total, QWidget *) override { log << QStringLiteral("start %1").arg(total); }
    bool advance(int done) override { return log << QString::number(done), done != stopAfter; }
    void finish() override { log << QStringLiteral("finish"); }
};

// Location 12 ("Map") shows b.txt (2) and c.txt (3); pasted lists come from 5 and 12.
class PasteTest : public ControlFixture {
protected:
    void SetUp() override
    {
        ControlFixture::SetUp();
        addLocation(12, QStringLiteral("Map"));
        setFiles(12, {fileRow(2, QStringLiteral("b.txt")), fileRow(3, QStringLiteral("c.txt"))});
        session->on(QStringLiteral("GetProjectFileName"), [](const QVariantList &args) {
            return ScriptedSession::Reply(args[0].toInt() == 2 ? "b.txt" : "c.txt");
        });
        ASSERT_TRUE(control->ControlInSpecificLocationMode(12, QStringLiteral("Map"), true));
        selectRows(control->lvListView, {0});
        setPasteProgress(&progress);
    }
    void TearDown() override
    {
        setPasteProgress(nullptr);
        ControlFixture::TearDown();
    }

    // The store's changes, with the temporary copy's path left out; each fetched copy must
    // be gone afterwards.
    QString changes() const
    {
        QStringList out;
        for (const auto &call : session->calls()) {
            const QVariantList &a = call.args;
            if (call.name == QLatin1String("CopyProject"))
                out << QStringLiteral("Copy(%1,%2)").arg(a[0].toInt()).arg(a[1].toInt());
            else if (call.name == QLatin1String("DeleteProject"))
                out << QStringLiteral("Delete(%1)").arg(a[0].toInt());
            else if (call.name == QLatin1String("AddProject"))
                out << QStringLiteral("Add(%1,%2)").arg(a[1].toInt()).arg(a[2].toString());
            else if (call.name == QLatin1String("GetLocalCopy")) {
                out << QStringLiteral("Fetch(%1)").arg(a[1].toInt());
                EXPECT_FALSE(QFile::exists(a[2].toString()));
            }
        }
        return out.join(QLatin1Char(' '));
    }

    ScriptedProgress progress;
};

TEST_F(PasteTest, EveryRuleOfThePaste)
{
    struct Case {
        const char *name, *clipboard;
        bool nodeSelected;
        const char *answers; // the input boxes' answers in order ("~" Cancel), "!" a message box
        qint32 refusedCopy;  // the store refuses to copy this file; the one name it takes is "y.txt"
        const char *changes;
        const char *clipboardAfter; // null: left as it was
        bool refreshed;
        const char *messages;
    };
    const Case cases[] = {
        {"a damaged list", "DwF_Cut?5;1|5;x|", true, "", 0, "", nullptr, false, ""},
        {"no location selected", "DwF_Copy?5;1|", false, "", 0, "", nullptr, false, ""},
        {"a list without files", "DwF_Copy?", true, "", 0, "", "", false, ""},
        {"a copy from elsewhere", "DwF_Copy?5;1|5;4|", true, "", 0, "Copy(1,12) Copy(4,12)", "", true, ""},
        {"a cut, one copy refused", "DwF_Cut?5;1|5;4|", true, "", 1, "Copy(1,12) Copy(4,12) Delete(4)", "", true, ""},
        {"a cut whose original is in use: its copy is taken back", "DwF_Cut?5;7|5;4|", true, "!", 0,
         "Copy(7,12) Delete(7) Delete(107) Copy(4,12) Delete(4)", "", true,
         "Onderstaande bestanden zijn niet verplaatst, omdat het origineel niet verwijderd kan worden (het is in "
         "gebruik of u mag het niet verwijderen):\r\n\r\nc.txt"},
        {"several into their own location", "DwF_Copy?5;1|12;2|12;3|", true, "!", 0, "Copy(1,12)", "", true,
         "Doelbestanden bestaan reeds!"},
        {"a cut into its own location", "DwF_Cut?12;2|", true, "", 0, "", "", true, ""},
        {"one into its own location, cancelled", "DwF_Copy?12;2|", true, "~", 0, "", "", true, ""},
        {"one into its own location: same name, refused name, new name", "DwF_Copy?12;2|", true,
         "B.TXT|!|x.txt|y.txt", 0, "Fetch(2) Add(12,x.txt) Fetch(2) Add(12,y.txt)", "", true,
         "Naam van het doelbestand mag niet hetzelfde zijn als het origineel!"},
        {"one into its own location, fetch refused", "DwF_Copy?12;3|", true, "z.txt", 0, "Fetch(3)", "", true, ""},
    };
    session->on(QStringLiteral("AddProject"),
                [](const QVariantList &a) { return a[2].toString() == "y.txt" ? 9 : -1; });
    // File 7 is in use elsewhere: the store keeps it. The store cannot fetch a copy of c.txt.
    session->on(QStringLiteral("DeleteProject"), [](const QVariantList &a) { return a[0].toInt() != 7; });
    session->on(QStringLiteral("GetLocalCopy"), [](const QVariantList &a) { return a[1].toInt() != 3; });
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const qsizetype shown = prompts->messages().size();
        session->on(QStringLiteral("CopyProject"), [&](const QVariantList &a) {
            ScriptedSession::Reply copied(a[0].toInt() != c.refusedCopy);
            copied.outs = {100 + a[0].toInt()};
            return copied;
        });
        for (const QString &answer : QString::fromUtf8(c.answers).split(QLatin1Char('|'), Qt::SkipEmptyParts)) {
            answer == QLatin1String("!") ? prompts->expectMessage()
                                         : prompts->expectInput(answer == QLatin1String("~") ? std::nullopt
                                                                                              : std::optional(answer));
        }
        ASSERT_TRUE(control->ControlInSpecificLocationMode(12, QStringLiteral("Map"), true));
        if (!c.nodeSelected)
            control->tvTreeView->selectionModel()->clearCurrentIndex();
        selectRows(control->lvListView, {0});
        QGuiApplication::clipboard()->setText(QString::fromUtf8(c.clipboard));
        session->clearCalls();
        clipboardCommandsOf(*control).PasteProject();
        EXPECT_EQ(changes(), QString::fromUtf8(c.changes));
        EXPECT_EQ(clipboardText(), QString::fromUtf8(c.clipboardAfter ? c.clipboardAfter : c.clipboard));
        EXPECT_EQ(session->count(QStringLiteral("GetProjectsInLocation")) > 0, c.refreshed);
        EXPECT_EQ(prompts->messages().mid(shown).join(QLatin1Char('|')), QString::fromUtf8(c.messages));
        EXPECT_EQ(prompts->pending(), 0u);
    }
}

TEST_F(PasteTest, AStoppedPasteKeepsWhatWasPastedAndIsNotPastedAgain)
{
    session->answer(QStringLiteral("CopyProject"), true).answer(QStringLiteral("DeleteProject"), true);
    progress.stopAfter = 2;
    QGuiApplication::clipboard()->setText(QStringLiteral("DwF_Cut?5;1|5;2|5;3|5;4|"));
    clipboardCommandsOf(*control).PasteProject();
    EXPECT_EQ(changes(), "Copy(1,12) Delete(1) Copy(2,12) Delete(2)");
    EXPECT_EQ(progress.log, QStringList({"start 4", "1", "2", "finish"}));
    EXPECT_EQ(clipboardText(), QString());
}

// Every random or damaged text is pasted; what the store sees is decided by the list's
// format written here on its own, not by the parser: a mode word, "?", then entries of
// two decimal numbers with blanks around them, each closed by "|".
TEST_F(PasteTest, RandomAndDamagedTextsChangeTheStoreExactlyAsTheirListSays)
{
    session->answer(QStringLiteral("CopyProject"), true).answer(QStringLiteral("DeleteProject"), true);
    const QRegularExpression wholeList(QStringLiteral(R"(^DwF_Cut\?(\s*-?\d+\s*;\s*-?\d+\s*\|)*$)"));
    const QRegularExpression entry(QStringLiteral(R"(\s*(-?\d+)\s*;\s*(-?\d+)\s*\|)"));
    int pasted = 0;
    for (const QString &text : fuzzTexts(600)) {
        QStringList expected;
        const bool isList = wholeList.match(text).hasMatch();
        for (auto it = entry.globalMatch(text.mid(text.indexOf(QLatin1Char('?')) + 1)); isList && it.hasNext();) {
            const QRegularExpressionMatch m = it.next();
            // A file cut from the location it is pasted into stays where it is.
            if (m.captured(1) != QLatin1String("12"))
                expected << QStringLiteral("Copy(%1,12) Delete(%1)").arg(m.captured(2).toInt());
        }
        QGuiApplication::clipboard()->setText(text);
        session->clearCalls();
        clipboardCommandsOf(*control).PasteProject();
        ASSERT_EQ(changes(), expected.join(QLatin1Char(' '))) << text.left(80).toStdString();
        ASSERT_EQ(clipboardText(), isList ? QString() : text) << text.left(80).toStdString();
        pasted += isList;
    }
    // The damaged lists that stay whole (a digit or a blank more) are pasted too.
    EXPECT_EQ(pasted, 59);
}

} // namespace
