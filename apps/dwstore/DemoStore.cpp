#include "DemoStore.h"

#include "DwFileStoreSession.h"
#include "StoreFolders.h"
#include "admin/StoreAdmin.h"
#include "DwError.h"

#include <QColor>
#include <QFile>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QTemporaryDir>

using namespace dwfm;
using namespace dwfm::store;

namespace {

void writeText(const QString &path, const QString &text)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(text.toUtf8()) < 0)
        throw DwError(DwError::PathNotFound, QStringLiteral("Het bestand '%1' kan niet worden geschreven.").arg(path));
}

// A small picture drawn with shapes only (no fonts needed).
void writePicture(const QString &path, QColor sky, QColor ground, int houses)
{
    QImage image(320, 200, QImage::Format_RGB32);
    QPainter p(&image);
    QLinearGradient gradient(0, 0, 0, 200);
    gradient.setColorAt(0, sky.lighter(150));
    gradient.setColorAt(1, sky);
    p.fillRect(image.rect(), gradient);
    p.fillRect(0, 140, 320, 60, ground);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(QColor(255, 220, 80));
    p.setPen(Qt::NoPen);
    p.drawEllipse(250, 20, 40, 40);
    for (int i = 0; i < houses; ++i) {
        const int x = 20 + i * 70;
        p.setBrush(QColor(180 - i * 20, 90 + i * 25, 60));
        p.drawRect(x, 95, 50, 50);
        p.setBrush(QColor(120, 40, 30));
        p.drawPolygon(QPolygon({QPoint(x - 5, 95), QPoint(x + 25, 70), QPoint(x + 55, 95)}));
    }
    p.end();
    if (!image.save(path, "PNG"))
        throw DwError(DwError::PathNotFound, QStringLiteral("De afbeelding '%1' kan niet worden geschreven.").arg(path));
}

// A drawing of two pages as a PDF: a cross-section of the bridge with its title block, and
// a list of the materials. Written in PDF's own operators with the standard Helvetica font,
// so that the administration program needs no fonts and no display.
void writeDrawing(const QString &path)
{
    const QByteArray drawing =
        "1 w 20 20 802 555 re S\n"
        "0.8 g 80 330 680 30 re f\n"
        "0.6 g 250 150 30 180 re f 540 150 30 180 re f\n"
        "0.6 0.75 0.9 rg 80 100 680 50 re f\n"
        "0 G 2 w 265 360 m 265 470 555 470 555 360 c S\n"
        "0 g BT /F1 20 Tf 40 540 Td (Doorsnede Brug Noord, schaal 1:200) Tj ET\n"
        "1 w 560 30 250 70 re S\n"
        "BT /F1 10 Tf 570 85 Td (Tekening T-012, blad 1 van 2) Tj 0 -15 Td (Getekend: demo) Tj "
        "0 -15 Td (Datum: 7 maart 2024) Tj ET\n";
    const QByteArray materials = "0 g BT /F1 20 Tf 40 540 Td (Materiaallijst) Tj /F1 12 Tf "
                                 "0 -40 Td (Liggers HEA 600, S355, 4 stuks) Tj "
                                 "0 -20 Td (Dek: beton C35/45, 42 m\\263) Tj "
                                 "0 -20 Td (Leuningen: verzinkt staal, 2 \\327 38 m) Tj "
                                 "0 -20 Td (Pijlers: beton C30/37 op palen) Tj ET\n";
    const auto stream = [](const QByteArray &content) {
        return "<< /Length " + QByteArray::number(content.size()) + " >>\nstream\n" + content + "endstream";
    };
    const QByteArray page = "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 842 595] "
                            "/Resources << /Font << /F1 7 0 R >> >> /Contents ";
    const QByteArrayList objects = {
        "<< /Type /Catalog /Pages 2 0 R >>",
        "<< /Type /Pages /Kids [3 0 R 5 0 R] /Count 2 >>",
        page + "4 0 R >>",
        stream(drawing),
        page + "6 0 R >>",
        stream(materials),
        "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding >>",
    };
    QByteArray pdf = "%PDF-1.4\n";
    QByteArray xref = "xref\n0 " + QByteArray::number(objects.size() + 1) + "\n0000000000 65535 f \n";
    for (int i = 0; i < objects.size(); ++i) {
        xref += QByteArray::number(pdf.size()).rightJustified(10, '0') + " 00000 n \n";
        pdf += QByteArray::number(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
    }
    const qsizetype start = pdf.size();
    pdf += xref + "trailer\n<< /Size " + QByteArray::number(objects.size() + 1) + " /Root 1 0 R >>\nstartxref\n" +
           QByteArray::number(start) + "\n%%EOF\n";
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(pdf) != pdf.size())
        throw DwError(DwError::PathNotFound, QStringLiteral("De tekening '%1' kan niet worden geschreven.").arg(path));
}

qint32 location(FileStoreSession &s, const QString &name, qint32 parent)
{
    qint32 id = 0;
    if (!s.Locations().CreateLocation(name, QString(), parent, id))
        throw DwError(DwError::DatabaseError, s.Database().LastError());
    return id;
}

qint32 add(FileStoreSession &s, const QString &file, qint32 location)
{
    const qint32 id = s.Projects().AddProject(file, location, QVariant(), true, true);
    if (id < 0)
        throw DwError(DwError::DatabaseError, s.Database().LastError());
    return id;
}

} // namespace

// Connects as a demo user, as a client would.
static std::unique_ptr<DwFileStoreSession> demoUser(const QString &server, const QString &user, const QString &catalogue)
{
    auto s = std::make_unique<DwFileStoreSession>();
    if (!s->Connect(server, user, user, catalogue, true))
        throw DwError(DwError::DatabaseError, s->Database().LastError());
    return s;
}

QStringList demoUsers()
{
    return {QStringLiteral("demo"), QStringLiteral("collega")};
}

void fillDemoStore(StoreAdministration &admin, const QString &server, const QString &catalogue)
{
    UserChange demo;
    demo.name = QStringLiteral("Demogebruiker");
    demo.password = QStringLiteral("demo");
    demo.admin = true;
    admin.addUser(QStringLiteral("demo"), demo);
    UserChange collega;
    collega.name = QStringLiteral("Collega");
    collega.password = QStringLiteral("collega");
    admin.addUser(QStringLiteral("collega"), collega);
    const QString account = StoreFolders::osAccount();
    if (!demoUsers().contains(account, Qt::CaseInsensitive) && !admin.nameTaken(account)) {
        UserChange me;
        me.admin = true;
        admin.addUser(account, me);
    }
    const auto session = demoUser(server, QStringLiteral("demo"), catalogue);
    FileStoreSession &s = *session;

    const qint32 projecten = location(s, QStringLiteral("Projecten"), 0);
    const qint32 brug = location(s, QStringLiteral("Brug Noord"), projecten);
    const qint32 tekeningen = location(s, QStringLiteral("Tekeningen"), brug);
    const qint32 kantoor = location(s, QStringLiteral("Kantoor"), projecten);
    const qint32 archief = location(s, QStringLiteral("Archief"), 0);

    QTemporaryDir work;
    if (!work.isValid())
        throw DwError(DwError::PathNotFound, QStringLiteral("Er kan geen tijdelijke map worden gemaakt."));
    auto file = [&](const QString &name) { return work.filePath(name); };

    writeText(file(QStringLiteral("Lees mij.txt")),
              QStringLiteral("Welkom in de demostore.\n\nNeem een bestand in gebruik, wijzig het en geef het weer vrij.\n"));
    writeText(file(QStringLiteral("Notulen overleg.txt")),
              QStringLiteral("Notulen bouwoverleg Brug Noord\n\n1. Planning\n2. Fundering\n3. Rondvraag\n"));
    writeText(file(QStringLiteral("Offerte.txt")), QStringLiteral("Offerte staalwerk\n\nPost 1: liggers\nPost 2: leuningen\n"));
    writeText(file(QStringLiteral("Telefoonlijst.txt")), QStringLiteral("Receptie 100\nTekenkamer 120\nDirectie 130\n"));
    writeText(file(QStringLiteral("Jaarverslag 2019.txt")), QStringLiteral("Jaarverslag 2019 (gearchiveerd)\n"));
    writePicture(file(QStringLiteral("Situatie.png")), QColor(90, 150, 220), QColor(70, 140, 60), 3);
    writePicture(file(QStringLiteral("Gevel.png")), QColor(200, 120, 80), QColor(110, 110, 110), 1);
    writeDrawing(file(QStringLiteral("Doorsnede.pdf")));
    // A letter as a word processor saves it: the preview shows it through LibreOffice.
    writeText(file(QStringLiteral("Brief gemeente.rtf")),
              QStringLiteral("{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 DejaVu Sans;}}\\f0\\fs22 "
                             "{\\b\\fs28 Ingenieursbureau Demo}\\par\\par Aan de gemeente Noord\\par "
                             "Afdeling Openbare Werken\\par\\par Betreft: {\\i vergunning Brug Noord}\\par\\par "
                             "Geachte heer, mevrouw,\\par\\par Hierbij zenden wij u de tekeningen en de "
                             "berekeningen van de nieuwe brug. Wij verzoeken u de vergunning v\\'f3\\'f3r 1 mei te "
                             "verlenen, zodat het werk in de zomer kan beginnen.\\par\\par Met vriendelijke "
                             "groet,\\par\\par Demogebruiker\\par}"));

    add(s, file(QStringLiteral("Lees mij.txt")), projecten);
    add(s, file(QStringLiteral("Notulen overleg.txt")), brug);
    const qint32 offerte = add(s, file(QStringLiteral("Offerte.txt")), brug);
    add(s, file(QStringLiteral("Situatie.png")), tekeningen);
    add(s, file(QStringLiteral("Gevel.png")), tekeningen);
    add(s, file(QStringLiteral("Doorsnede.pdf")), tekeningen);
    add(s, file(QStringLiteral("Brief gemeente.rtf")), kantoor);
    add(s, file(QStringLiteral("Telefoonlijst.txt")), kantoor);
    add(s, file(QStringLiteral("Jaarverslag 2019.txt")), archief);
    admin.setLocationKind(archief, 1);

    const auto other = demoUser(server, QStringLiteral("collega"), catalogue);
    if (!other->Projects().CheckOutProject(offerte, QStringLiteral("Prijzen bijwerken")))
        throw DwError(DwError::DatabaseError, other->Database().LastError());
}
