// The document below a file's link: the pages of a PDF, a text in its encoding, an office
// document through LibreOffice (a stand-in script, and the real one where it is installed),
// a copy from a store that keeps its files off the disk; and the link page alone for a
// damaged, locked or vanished file and a conversion that hangs. Clicks and keys go through
// the list as the user's do; the test waits on the pane's signal, never a fixed time.
#include "PreviewTexts.h"
#include "support/ControlFixture.h"
#include "support/StandInOffice.h"

#include "preview/PreviewBrowser.h"
#include "preview/PreviewLoader.h"
#include "preview/PreviewPane.h"
#include "preview/PreviewTextBrowser.h"
#include "ProjectVersions.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QPainter>
#include <QPdfWriter>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>
#include <QUrl>

using namespace dwfm;
using namespace dwfm::test;

namespace {

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// A PDF of `pages` A4 pages, each with its number in large letters.
QByteArray pdfOf(int pages)
{
    QBuffer bytes;
    bytes.open(QIODevice::WriteOnly);
    QPdfWriter writer(&bytes);
    writer.setPageSize(QPageSize(QPageSize::A4));
    QPainter painter(&writer);
    painter.setFont(QFont(QStringLiteral("DejaVu Sans"), 48));
    for (int page = 1; page <= pages; ++page) {
        if (page > 1)
            writer.newPage();
        painter.drawText(QRect(0, 0, writer.width(), writer.height() / 4), Qt::AlignCenter,
                         QStringLiteral("Pagina %1").arg(page));
    }
    painter.end();
    return bytes.data();
}

// Whether a drawn page shows anything dark inside its frame.
bool hasInk(const QImage &page)
{
    const QImage grey = page.convertToFormat(QImage::Format_Grayscale8);
    for (int y = 4; y < grey.height() - 4; ++y) {
        const uchar *line = grey.constScanLine(y);
        for (int x = 4; x < grey.width() - 4; ++x) {
            if (line[x] < 128)
                return true;
        }
    }
    return false;
}

// A one-page PDF that opens only with a password: its encryption dictionary matches no
// empty password.
QByteArray lockedPdf()
{
    QByteArray pdf = "%PDF-1.4\n";
    QList<qsizetype> offsets;
    const QByteArray key32 = QByteArray(32, '\x5a').toHex();
    const QByteArrayList objects = {
        "<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 200] >>",
        "<< /Filter /Standard /V 1 /R 2 /O <" + key32 + "> /U <" + key32 + "> /P -44 >>"};
    for (int i = 0; i < objects.size(); ++i) {
        offsets << pdf.size();
        pdf += QByteArray::number(i + 1) + " 0 obj " + objects[i] + " endobj\n";
    }
    const qsizetype xref = pdf.size();
    pdf += "xref\n0 5\n0000000000 65535 f \n";
    for (const qsizetype offset : offsets)
        pdf += QByteArray::number(offset).rightJustified(10, '0') + " 00000 n \n";
    const QByteArray id = QByteArray(16, '\x11').toHex();
    pdf += "trailer << /Size 5 /Root 1 0 R /Encrypt 4 0 R /ID [<" + id + "> <" + id + ">] >>\nstartxref\n" +
           QByteArray::number(xref) + "\n%%EOF\n";
    return pdf;
}

// A store that keeps versions: it tells a file's size, so the preview may fetch a copy of a
// file that lies on no disk.
class VersionedSession : public ScriptedSession, public ProjectVersions {
public:
    bool GetProjectVersions(RecordsetPtr &rs, qint32 id) override
    {
        return recordsetCall("GetProjectVersions", rs, {id});
    }
    bool GetVersionViewCopy(qint32, qint32, QString &) override { return false; }
    bool RestoreProjectVersion(qint32, qint32, const QString &) override { return false; }
};

// PATH with one folder put first, for as long as this lives.
using test::PathFirst;

// Location 12 ("Map") of a store whose root is a temporary folder: the test puts files in
// it with addFile. The control is shown and its preview follows the selection.
class PreviewDocumentTest : public ControlFixture {
protected:
    std::shared_ptr<ScriptedSession> newSession() override { return std::make_shared<VersionedSession>(); }

    void SetUp() override
    {
        ControlFixture::SetUp();
        ASSERT_TRUE(QDir(root.path()).mkpath("Map"));
        session->answer(QStringLiteral("GetServerRootFolder"), root.path());
        session->answer(QStringLiteral("GetProjectLocationPath"), "Map/");
        session->on(QStringLiteral("GetProjectFileName"),
                    [this](const QVariantList &a) { return ScriptedSession::Reply(fileNames.value(a[0].toInt())); });
        addLocation(12, QStringLiteral("Map"));
        control->FileInfoVisible = control->AutoShowPreview = true;
        ASSERT_TRUE(showUncovered(*control));
        previewPaneOf(*control).loader().setConversionTimeLimit(20000);
    }

    // Lists a file in the location (on disk too, unless `bytes` is null) and shows the list.
    void addFile(const QString &name, const QByteArray &bytes)
    {
        const qint32 id = qint32(fileNames.size()) + 1;
        fileNames[id] = name;
        QList<QVariantList> rows = files.value(12);
        rows << fileRow(id, name);
        setFiles(12, rows);
        if (!bytes.isNull())
            writeBytes(stored(name), bytes);
        ASSERT_TRUE(control->ControlInSpecificLocationMode(12, QStringLiteral("Map"), true));
    }
    QString stored(const QString &name) const { return root.filePath("Map/" + name); }

    // Clicks the file's row with the mouse; answers the page shown at once.
    QString click(const QString &name)
    {
        const int row = listModelOf(*control)->findKey(QString::number(fileNames.key(name)) + 'P');
        QTreeView *list = control->lvListView;
        const QRect rect = list->visualRect(listModelOf(*control)->index(row, 0));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
        return shownPage();
    }
    // The page once the document part has settled.
    QString settled(int ms = 20000)
    {
        QSignalSpy shown(&previewPaneOf(*control), &PreviewPane::documentShown);
        EXPECT_TRUE(shown.wait(ms));
        return shownPage();
    }
    QString shownPage() const
    {
        const QString address = previewPaneOf(*control).browser().currentAddress();
        QFile page(QUrl(address).toLocalFile());
        return page.open(QIODevice::ReadOnly) ? QString::fromUtf8(page.readAll()) : address;
    }
    QString linkPage(const QString &name, const QString &document = QString()) const
    {
        return page(kStyle + "<A href='file:" + stored(name) + "' target='_self'>Klik om '" + name +
                    "' te bekijken.</A><BR>" + kLink12 + document);
    }
    // The drawn page as the browser shows it.
    QImage shownPicture(int page) const
    {
        return qobject_cast<PreviewTextBrowser *>(control->WebBrowser)
            ->loadResource(QTextDocument::ImageResource, QUrl(QStringLiteral("dwpage:%1").arg(page)))
            .value<QImage>();
    }

    QTemporaryDir root;
    QMap<qint32, QString> fileNames;
};

TEST_F(PreviewDocumentTest, AFileShowsItsDocumentBelowItsLinkOnceItIsReady)
{
    QString pages5;
    for (int page = 1; page <= 5; ++page)
        pages5 += QStringLiteral("<P><img src='dwpage:%1'></P>").arg(page);
    const QString pre = "<HR><PRE style='white-space: pre-wrap'>";
    struct Case {
        QString name;
        QByteArray bytes;
        QString document;
        int pictures;
    };
    const Case cases[] = {
        {"Rapport.pdf", pdfOf(7), "<HR><P>7 pagina's, de eerste 5 hieronder.</P>" + pages5, 5},
        {"Brief.PDF", pdfOf(1), "<HR><P>1 pagina.</P><P><img src='dwpage:1'></P>", 1},
        // A PDF by its content, whatever its name says.
        {"scan.dat", pdfOf(1), "<HR><P>1 pagina.</P><P><img src='dwpage:1'></P>", 1},
        {"Notitie.txt", "Één café — <b>vet</b>\r\nregel 2\n",
         pre + "Één café — &lt;b&gt;vet&lt;/b&gt;\r\nregel 2\n</PRE>", 0},
        {"Oud.txt", "Caf\xe9 \x80 5,-\n", pre + "Café € 5,-\n</PRE>", 0},
        {"LEESMIJ", "Tekst zonder extensie.\n", pre + "Tekst zonder extensie.\n</PRE>", 0},
        {"Lang.log", QByteArray(20000, 'x'), pre + QString(16384, 'x') +
                                                 "</PRE><P>(Het vervolg staat in het bestand zelf.)</P>", 0},
        // The link page and nothing else:
        {"Kapot.pdf", "%PDF-1.7\n1 0 obj << /Type /Catalog /Pages 9 0 R", QString(), 0},
        {"Geheim.pdf", lockedPdf(), QString(), 0},
        {"Data.bin", QByteArray("\x01\x02\x00\x7f binair", 11), QString(), 0},
        {"Weg.pdf", QByteArray(), QString(), 0}, // listed, but gone from the disk
    };
    for (const Case &c : cases)
        addFile(c.name, c.bytes);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name.toStdString());
        // The click does not wait for the document: its link page shows first.
        EXPECT_EQ(click(c.name), linkPage(c.name));
        EXPECT_EQ(settled(), linkPage(c.name, c.document));
        for (int page = 1; page <= c.pictures; ++page) {
            const QImage drawn = shownPicture(page);
            EXPECT_EQ(drawn.width(), qobject_cast<PreviewTextBrowser *>(control->WebBrowser)->documentWidthLimit());
            EXPECT_TRUE(hasInk(drawn)); // the page's number is drawn on it
        }
        EXPECT_TRUE(shownPicture(c.pictures + 1).isNull());
    }
}

TEST_F(PreviewDocumentTest, GoingDownTheListWithTheArrowKeyDrawsOnlyWhereItStops)
{
    const QByteArray bytes = pdfOf(10);
    for (int i = 1; i <= 30; ++i)
        addFile(QStringLiteral("Deel %1.pdf").arg(i, 2, 10, QLatin1Char('0')), bytes);
    addFile("Slot.txt", "Einde.\n");
    click("Deel 01.pdf");
    QSignalSpy shown(&previewPaneOf(*control), &PreviewPane::documentShown);
    for (int i = 0; i < 30; ++i)
        QTest::keyClick(control->lvListView, Qt::Key_Down);
    // Thirty PDFs went by; the text where the key stopped is what the pane draws.
    ASSERT_TRUE(shown.wait(20000));
    EXPECT_EQ(shown.size(), 1);
    EXPECT_EQ(shownPage(), linkPage("Slot.txt", "<HR><PRE style='white-space: pre-wrap'>Einde.\n</PRE>"));
    EXPECT_FALSE(previewPaneOf(*control).loader().isBusy());
}

TEST_F(PreviewDocumentTest, OfficeDocumentsAreConvertedOnceByContentAndOnlyWhileLibreOfficeAnswers)
{
    QTemporaryDir bin;
    writeBytes(bin.filePath("made.pdf"), pdfOf(3));
    const QString log = bin.filePath("calls.log");
    ASSERT_TRUE(test::writeStandInOffice(bin.path(), log, bin.filePath("made.pdf")));
    const auto calls = [&] {
        QFile file(log);
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts)
                                              : QStringList();
    };
    const QString threePages = "<HR><P>3 pagina's.</P><P><img src='dwpage:1'></P><P><img src='dwpage:2'></P>"
                               "<P><img src='dwpage:3'></P>";
    addFile("Verslag.odt", "PK\x03\x04 verslag, eerste versie");
    addFile("Kopie.docx", "PK\x03\x04 verslag, eerste versie");
    addFile("Notitie.txt", "tekst\n");
    {
        PathFirst path(bin.path());
        EXPECT_EQ(click("Verslag.odt"), linkPage("Verslag.odt"));
        EXPECT_EQ(settled(), linkPage("Verslag.odt", threePages));
        ASSERT_EQ(calls().size(), 1);
        const QStringList args = calls()[0].split(' ');
        EXPECT_TRUE(args[0].startsWith("-env:UserInstallation=file:///")) << args[0].toStdString();
        EXPECT_EQ(args.mid(1, 5), QStringList({"--headless", "--norestore", "--nologo", "--convert-to", "pdf"}));
        // Another file, then the same content again, under its own name and under another:
        // the cache answers.
        click("Notitie.txt");
        settled();
        for (const char *name : {"Verslag.odt", "Kopie.docx"}) {
            click(name);
            EXPECT_EQ(settled(), linkPage(name, threePages));
        }
        EXPECT_EQ(calls().size(), 1);
        // Changed content is converted anew.
        writeBytes(stored("Verslag.odt"), "PK\x03\x04 verslag, tweede versie");
        click("Verslag.odt");
        EXPECT_EQ(settled(), linkPage("Verslag.odt", threePages));
        EXPECT_EQ(calls().size(), 2);
    }
    // Without LibreOffice a document not converted before shows its link alone.
    writeBytes(stored("Kopie.docx"), "PK\x03\x04 nog nooit omgezet");
    {
        PathFirst only(QDir(bin.path()).filePath("leeg"), true);
        click("Kopie.docx");
        EXPECT_EQ(settled(), linkPage("Kopie.docx"));
    }
    // A LibreOffice that hangs is stopped at the time limit, and the link shows alone again.
    writeBytes(bin.filePath("soffice"), QStringLiteral("#!/bin/sh\necho $$ > '%1'\nexec sleep 600\n")
                                            .arg(bin.filePath("pid"))
                                            .toUtf8());
    previewPaneOf(*control).loader().setConversionTimeLimit(1000);
    PathFirst path(bin.path());
    QSignalSpy shown(&previewPaneOf(*control), &PreviewPane::documentShown);
    click("Kopie.docx");
    // While LibreOffice works, the page says so.
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return shownPage() == linkPage("Kopie.docx", "<HR><P>Het voorbeeld wordt gemaakt...</P>"); }, 5000));
    ASSERT_TRUE(shown.wait(5000));
    EXPECT_EQ(shownPage(), linkPage("Kopie.docx"));
    QFile pid(bin.filePath("pid"));
    ASSERT_TRUE(pid.open(QIODevice::ReadOnly));
    const QString process = "/proc/" + QString::fromLatin1(pid.readAll().trimmed());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !QFileInfo::exists(process); }, 5000)) << process.toStdString();
}

TEST_F(PreviewDocumentTest, RealLibreOfficeConvertsWhereItIsInstalled)
{
    if (QStandardPaths::findExecutable(QStringLiteral("soffice")).isEmpty())
        GTEST_SKIP() << "LibreOffice is not installed";
    previewPaneOf(*control).loader().setConversionTimeLimit(95000);
    addFile("Brief.rtf", "{\\rtf1\\ansi\\deff0 {\\fonttbl {\\f0 Times New Roman;}}\\f0\\fs48 Hallo wereld\\par}");
    click("Brief.rtf");
    EXPECT_EQ(settled(100000), linkPage("Brief.rtf", "<HR><P>1 pagina.</P><P><img src='dwpage:1'></P>"));
    EXPECT_TRUE(hasInk(shownPicture(1)));
}

TEST_F(PreviewDocumentTest, AFileOnNoDiskIsReadFromACopyOnlyWhenTheStoreSaysItIsSmall)
{
    QTemporaryDir copies;
    session->on(QStringLiteral("GetViewCopy"), [&](const QVariantList &args) {
        const QString copy = copies.filePath(QStringLiteral("kopie-%1.txt").arg(args[0].toInt()));
        writeBytes(copy, "Uit de database.\n");
        QFile::setPermissions(copy, QFile::ReadOwner);
        ScriptedSession::Reply reply(true);
        return reply.outs = {copy}, reply;
    });
    session->on(QStringLiteral("GetProjectVersions"), [&](const QVariantList &args) {
        const qint64 size = args[0].toInt() == 1 ? 17 : PreviewPane::ViewCopyLimit + 1;
        return ScriptedSession::rowsReply({"Version", "Hash", "Size", "UserName", "VersionDate", "Remark", "IsCurrent"},
                                          {{2, "ab", size, "jan", QDateTime(), "", true},
                                           {1, "cd", 5, "jan", QDateTime(), "", false}});
    });
    addFile("Klein.txt", QByteArray());
    addFile("Groot.txt", QByteArray());
    click("Klein.txt");
    EXPECT_EQ(settled(), linkPage("Klein.txt", "<HR><PRE style='white-space: pre-wrap'>Uit de database.\n</PRE>"));
    // The copy goes once the preview has read it.
    EXPECT_TRUE(QTest::qWaitFor([&] { return !QFileInfo::exists(copies.filePath("kopie-1.txt")); }, 5000));
    click("Groot.txt");
    EXPECT_EQ(settled(), linkPage("Groot.txt"));
    EXPECT_EQ(session->argsOf(QStringLiteral("GetViewCopy")), QStringList({"1"}));
}

} // namespace
