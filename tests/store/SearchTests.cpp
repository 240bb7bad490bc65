// Finding files by name, remark, holder and text, on both stores.
#include "StoreFixture.h"

#include "DwError.h"
#include "HeldProjects.h"
#include "ProjectSearch.h"
#include "pg/PgAdmin.h"
#include "pg/PgConnection.h"
#include "pg/PgSession.h"
#include "search/ContentIndexer.h"
#include "support/StandInOffice.h"

#include "SessionChanges.h"

#include <QBuffer>
#include <QDateTime>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSignalSpy>
#include <QThread>
#include <QTemporaryDir>

using namespace dwfm;
using namespace dwfm::store;

namespace {
ProjectSearch &searchOf(DwFileStoreSession &session)
{
    auto *search = dynamic_cast<ProjectSearch *>(&session.Projects());
    if (!search)
        throw std::runtime_error("de store biedt geen zoeken");
    return *search;
}

HeldProjects &heldOf(DwFileStoreSession &session)
{
    auto *held = dynamic_cast<HeldProjects *>(&session.Projects());
    if (!held)
        throw std::runtime_error("de store somt niet op wat in gebruik is");
    return *held;
}

// The rows of a search or of the held files, each "name|location path".
QStringList rowsOf(const RecordsetPtr &rs)
{
    QStringList rows;
    for (; rs && !rs->isEof(); rs->moveNext())
        rows << rs->value("FileName").toString() + "|" + rs->value("LocationPath").toString();
    return rows;
}

QStringList found(DwFileStoreSession &session, const QString &text)
{
    RecordsetPtr rs;
    const bool any = searchOf(session).SearchProjects(rs, text);
    EXPECT_EQ(any, rs != nullptr) << text.toStdString();
    return rowsOf(rs);
}

// A PDF of one page that says `text`.
QByteArray pdfSaying(const QString &text)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setPageSize(QPageSize(QPageSize::A4));
    QPainter painter(&writer);
    painter.setFont(QFont(QStringLiteral("DejaVu Sans"), 24));
    painter.drawText(QRect(0, 0, writer.width(), writer.height() / 4), text);
    painter.end();
    return bytes;
}

class SearchTest : public StoreTest {
protected:
    void SetUp() override
    {
        StoreTest::SetUp();
        if (IsSkipped())
            return;
        // Both stores search: the control shows its search field only where this holds.
        ASSERT_NE(dynamic_cast<ProjectSearch *>(&bert->Projects()), nullptr);
    }
    void indexed(DwFileStoreSession &session) { ASSERT_TRUE(searchOf(session).FinishIndexing(30000)); }
};

const auto backendName = [](const auto &info) { return info.param == Backend::Embedded ? "Embedded" : "Server"; };
INSTANTIATE_TEST_SUITE_P(Backends, SearchTest, ::testing::Values(Backend::Embedded, Backend::Server), backendName);

class HeldTest : public StoreTest {};
INSTANTIATE_TEST_SUITE_P(Backends, HeldTest, ::testing::Values(Backend::Embedded, Backend::Server), backendName);
} // namespace

TEST_P(SearchTest, NamesAreFoundByAnyPartWithoutRegardToCaseOrAccents)
{
    addFile(*bert, "Offerte-Brug Noord.DOCX", "x", tekeningen);
    addFile(*bert, "Café.txt", "x", projecten);
    addFile(*bert, "Notulen 12.txt", "x", tekeningen);
    addFile(*anna, "Jaarverslag.txt", "x", makeLocation(*anna, "Intern", 0));
    const struct {
        const char *text;
        QStringList rows;
    } cases[] = {
        {"offerte", {"Offerte-Brug Noord.DOCX|Projecten/Tekeningen"}},
        {"BRUG  noord", {"Offerte-Brug Noord.DOCX|Projecten/Tekeningen"}}, // every word, anywhere
        {"brug zuid", {}},
        {"cafe", {"Café.txt|Projecten"}},
        {"CAFÉ", {"Café.txt|Projecten"}},
        {"12", {"Notulen 12.txt|Projecten/Tekeningen"}}, // shorter than the indexed parts
        {"verslag", {"Jaarverslag.txt|Intern"}},
        {".txt", {"Café.txt|Projecten", "Jaarverslag.txt|Intern", "Notulen 12.txt|Projecten/Tekeningen"}},
        {"   ", {}},
        {"\"", {}}, // the index's own syntax is only text here
    };
    for (const auto &c : cases)
        EXPECT_EQ(found(*bert, c.text), c.rows) << c.text;
}

TEST_P(SearchTest, RemarksAndHoldersFindTheirFiles)
{
    const qint32 rapport = addFile(*bert, "Rapport.txt", "x", tekeningen);
    const qint32 plan = addFile(*anna, "Plan.txt", "x", projecten);
    addFile(*anna, "Overig.txt", "x", projecten);
    ASSERT_TRUE(bert->Projects().CheckOutProject(rapport, "Prijzen bijwerken"));
    ASSERT_TRUE(anna->Projects().CheckOutProject(plan, ""));
    ASSERT_TRUE(anna->Projects().CheckInProject(plan, "Definitieve versie na overleg", false));

    EXPECT_EQ(found(*anna, "prijzen"), QStringList{"Rapport.txt|Projecten/Tekeningen"}) << "check-out remark";
    EXPECT_EQ(found(*anna, "rapport prijzen"), QStringList{}) << "one word in the name, the other in the remark";
    EXPECT_EQ(found(*anna, "bijwerken prijzen"), QStringList{"Rapport.txt|Projecten/Tekeningen"});
    EXPECT_EQ(found(*anna, "overleg definitieve"), QStringList{"Plan.txt|Projecten"}) << "remark in the history";
    EXPECT_EQ(found(*anna, "bert"), QStringList{"Rapport.txt|Projecten/Tekeningen"}) << "what bert holds";
    EXPECT_EQ(found(*anna, "BERT"), QStringList{"Rapport.txt|Projecten/Tekeningen"});

    // Once it is checked in, bert no longer holds it; its remarks stay in the history.
    ASSERT_TRUE(bert->Projects().CheckInProject(rapport, "", false));
    EXPECT_EQ(found(*anna, "bert"), QStringList{});
    EXPECT_EQ(found(*anna, "prijzen"), QStringList{"Rapport.txt|Projecten/Tekeningen"});
}

TEST_P(SearchTest, TextInsideDocumentsIsFoundOnceIndexed)
{
    const qint32 brief = addFile(*bert, "Brief.txt", "Geachte heer,\nde staalconstructie wordt geleverd.", tekeningen);
    addFile(*bert, "Tekening.pdf", pdfSaying("Fundering van beton"), tekeningen);
    addFile(*bert, "Latijn.txt", QByteArray("Caf\xe9 de Flore"), projecten); // Latin-1
    addFile(*bert, "Plaatje.png", QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16), projecten);
    indexed(*bert);

    EXPECT_EQ(found(*bert, "staalconstructie"), QStringList{"Brief.txt|Projecten/Tekeningen"});
    EXPECT_EQ(found(*bert, "staal geleverd"), QStringList{"Brief.txt|Projecten/Tekeningen"}) << "word beginnings";
    EXPECT_EQ(found(*bert, "fundering beton"), QStringList{"Tekening.pdf|Projecten/Tekeningen"});
    EXPECT_EQ(found(*bert, "flore cafe"), QStringList{"Latijn.txt|Projecten"});
    EXPECT_EQ(found(*bert, "ihdr"), QStringList{});

    // New text checked in is found right after indexing; the old text no longer.
    ASSERT_TRUE(bert->Projects().CheckOutProject(brief, ""));
    writeFile(localFile("bert", "Brief.txt"), "Wij bestellen houten balken.");
    ASSERT_TRUE(bert->Projects().CheckInProject(brief, "", false));
    indexed(*bert);
    EXPECT_EQ(found(*bert, "staalconstructie"), QStringList{});
    EXPECT_EQ(found(*anna, "houten balken"), QStringList{"Brief.txt|Projecten/Tekeningen"});
}

TEST_P(SearchTest, OfficeDocumentsAreFoundByTheirTextThroughTheConverter)
{
    QTemporaryDir bin;
    const QString pdf = bin.filePath("omgezet.pdf"), log = bin.filePath("aanroepen.log");
    writeFile(pdf, pdfSaying("Bestek voor de kademuur"));
    ASSERT_TRUE(test::writeStandInOffice(bin.path(), log, pdf));
    const test::PathFirst path(bin.path());
    addFile(*bert, "Bestek.odt", "PK\x03\x04 bestek", tekeningen);
    addFile(*bert, "Notitie.txt", "geen kademuur hier? toch wel: kademuur", projecten);
    indexed(*bert);
    EXPECT_EQ(found(*anna, "bestek kademuur"), QStringList{"Bestek.odt|Projecten/Tekeningen"});
    EXPECT_EQ(found(*anna, "kademuur"), (QStringList{"Bestek.odt|Projecten/Tekeningen", "Notitie.txt|Projecten"}));
    QFile calls(log);
    ASSERT_TRUE(calls.open(QIODevice::ReadOnly));
    EXPECT_EQ(calls.readAll().count("--convert-to pdf"), 1) << "only the office document is converted, once";
}

TEST_P(SearchTest, RenamedAndDeletedFilesAreFoundAccordinglyAtOnce)
{
    const qint32 id = addFile(*bert, "Concept.txt", "inhoud van het stuk", tekeningen);
    indexed(*bert);
    EXPECT_EQ(found(*anna, "eindversie"), QStringList{});
    ASSERT_TRUE(bert->Projects().RenameProject(id, "Eindversie.txt"));
    EXPECT_EQ(found(*anna, "eindversie"), QStringList{"Eindversie.txt|Projecten/Tekeningen"});
    EXPECT_EQ(found(*anna, "inhoud"), QStringList{"Eindversie.txt|Projecten/Tekeningen"});
    // The old name is only in the history's remark of the renaming now.
    EXPECT_EQ(found(*anna, "concept.txt"), QStringList{"Eindversie.txt|Projecten/Tekeningen"});
    ASSERT_TRUE(bert->Projects().DeleteProject(id));
    EXPECT_EQ(found(*anna, "eindversie"), QStringList{});
    EXPECT_EQ(found(*anna, "inhoud"), QStringList{});
}

TEST_P(SearchTest, FilesOutsideTheUsersRootsNeverAppear)
{
    addFile(*anna, "Geheim jaarverslag.txt", "omzet en winst", makeLocation(*anna, "Intern", 0));
    addFile(*anna, "Openbaar jaarverslag.txt", "omzet", projecten);
    UserChange roots;
    roots.roots = QList<qint32>{projecten};
    admin().changeUser("bert", roots);
    auto rooted = connect("bert");
    indexed(*rooted);
    EXPECT_EQ(found(*rooted, "jaarverslag"), QStringList{"Openbaar jaarverslag.txt|Projecten"});
    EXPECT_EQ(found(*rooted, "winst"), QStringList{});
    EXPECT_EQ(found(*anna, "jaarverslag").size(), 2);
    RecordsetPtr held;
    EXPECT_FALSE(heldOf(*rooted).GetHeldProjects(held, QString(), 0));
}

TEST_P(HeldTest, HeldFilesAreListedLongestHeldFirst)
{
    const qint32 oud = addFile(*anna, "Oud.txt", "x", projecten);
    const qint32 nieuw = addFile(*anna, "Nieuw.txt", "x", tekeningen);
    addFile(*anna, "Vrij.txt", "x", tekeningen);
    ASSERT_TRUE(bert->Projects().CheckOutProject(nieuw, ""));
    ASSERT_TRUE(anna->Projects().CheckOutProject(oud, ""));
    const qint64 twelveDaysAgo = QDateTime::currentMSecsSinceEpoch() - 12LL * 86'400'000;
    execAsOwner(QStringLiteral("UPDATE %1projects SET checkout_at = %2 WHERE project_id = %3")
                    .arg(embedded() ? "" : "dw.")
                    .arg(twelveDaysAgo)
                    .arg(oud)
                    .toUtf8());
    const auto heldBy = [&](DwFileStoreSession &s, const QString &user, int days) {
        RecordsetPtr rs;
        heldOf(s).GetHeldProjects(rs, user, days);
        return rowsOf(rs);
    };
    EXPECT_EQ(heldBy(*anna, "", 0), (QStringList{"Oud.txt|Projecten", "Nieuw.txt|Projecten/Tekeningen"}));
    EXPECT_EQ(heldBy(*anna, "", 10), QStringList{"Oud.txt|Projecten"});
    EXPECT_EQ(heldBy(*anna, "", 13), QStringList{});
    EXPECT_EQ(heldBy(*anna, "BERT", 0), QStringList{"Nieuw.txt|Projecten/Tekeningen"});
    EXPECT_EQ(heldBy(*bert, "anna", 0), QStringList{"Oud.txt|Projecten"}) << "below bert's roots too";
}

TEST_P(SearchTest, TextStoredWhileNoSessionIndexedIsCaughtUpInTheBackground)
{
    // Every session ends, and the one that stores the text does not index it.
    anna.reset();
    bert.reset();
    lezer.reset();
    ContentIndexer::setEnabled(false);
    auto writer = connect("bert");
    addFile(*writer, "Notitie.txt", "zonnepanelen op het dak", tekeningen);
    writer.reset();
    ContentIndexer::setEnabled(true);
    // The next session reads what waited in the background and tells searches that the text
    // changed, but no list of a location: none of their files changed.
    auto reader = connect("anna");
    QSignalSpy text(reader->Changes(), &SessionChanges::SearchTextChanged);
    QSignalSpy locations(reader->Changes(), &SessionChanges::LocationsChanged);
    QStringList rows;
    while (rows.isEmpty() && text.wait(10000)) // taking the file to read is told too
        rows = found(*reader, "zonnepanelen");
    EXPECT_EQ(rows, QStringList{"Notitie.txt|Projecten/Tekeningen"});
    EXPECT_EQ(locations.count(), 0);
}

TEST_P(ServerStoreTest, EachContentIsReadByOneClientThatMayReadIt)
{
    // No session indexes in the background: the claims here are the only ones.
    anna.reset();
    bert.reset();
    lezer.reset();
    ContentIndexer::setEnabled(false);
    auto writer = connect("anna");
    ContentIndexer::setEnabled(true);
    addFile(*writer, "Geheim.txt", "geheime cijfers", makeLocation(*writer, "Intern", 0));
    addFile(*writer, "Open.txt", "openbare cijfers", projecten);
    UserChange roots;
    roots.roots = QList<qint32>{projecten};
    admin().changeUser("bert", roots);
    const auto login = [&](const char *user) {
        return std::make_unique<pg::PgConnection>(pg::PgSession::conninfo(m_server, m_catalogue, user, user));
    };
    auto first = login("bert"), second = login("bert"), reader = login("lezer");
    const auto claim = [](pg::PgConnection &c) {
        const pg::PgResult r = c.exec("SELECT content_id, file_name FROM dw.claim_text()");
        return r.isNull(0, 0) ? std::pair<qint64, QString>{0, QString()} : std::pair{r.int64(0, 0), r.text(0, 1)};
    };
    const auto [open, name] = claim(*first);
    EXPECT_EQ(name, "Open.txt") << "Geheim.txt lies outside bert's roots";
    EXPECT_EQ(claim(*second).first, 0) << "Open.txt is the first connection's";
    EXPECT_EQ(claim(*reader).first, 0) << "a read-only user reads nothing for the index";
    EXPECT_THROW(second->exec("SELECT dw.store_text(?, 'nep')", {open}), DwError) << "not its claim";

    // A claim ends with its connection: the next client takes the content over.
    first.reset();
    std::pair<qint64, QString> taken;
    for (int i = 0; i < 300 && !taken.first; ++i, QThread::msleep(50))
        taken = claim(*second);
    EXPECT_EQ(taken.second, "Open.txt");
    second->exec("SELECT dw.store_text(?, 'openbare cijfers')", {taken.first});
    EXPECT_EQ(found(*writer, "cijfers"), QStringList{"Open.txt|Projecten"});
    ASSERT_TRUE(searchOf(*writer).FinishIndexing(30000));
    EXPECT_EQ(found(*writer, "cijfers"), (QStringList{"Geheim.txt|Intern", "Open.txt|Projecten"}));
}

TEST_P(ServerStoreTest, AStoreMadeBeforeItCouldSearchGetsItsSearchFromItsAdministration)
{
    addFile(*anna, "Oud.txt", "een oude notitie", projecten);
    execAsOwner("DROP SCHEMA dw_search CASCADE; DROP TABLE dw.search_text, dw.search_queue CASCADE; "
                "DROP FUNCTION dw.search_projects(text), dw.claim_text(), dw.release_text(bigint), "
                "dw.store_text(bigint, text)");
    RecordsetPtr rs;
    EXPECT_FALSE(searchOf(*anna).SearchProjects(rs, "oud"));
    EXPECT_EQ(anna->Database().LastError(),
              "Deze store kan nog niet zoeken: een beheerder werkt hem bij met dwstore --server ... check.");
    EXPECT_TRUE(searchOf(*anna).FinishIndexing(1000)) << "no text to wait for";

    // Any work of the administration brings it; the content kept before is read then.
    pg::PgAdmin(m_server, m_catalogue).users();
    EXPECT_EQ(found(*anna, "oud"), QStringList{"Oud.txt|Projecten"});
    ASSERT_TRUE(searchOf(*anna).FinishIndexing(30000));
    EXPECT_EQ(found(*anna, "notitie"), QStringList{"Oud.txt|Projecten"});

    // A search made before the names were kept folded gets them from the administration too.
    execAsOwner("ALTER TABLE dw.projects DROP COLUMN name_folded");
    pg::PgAdmin(m_server, m_catalogue).users();
    EXPECT_EQ(found(*anna, "OUD"), QStringList{"Oud.txt|Projecten"});
}
