#include "DemoStore.h"

#include "DwFileStoreSession.h"
#include "StoreFolders.h"
#include "admin/StoreAdmin.h"
#include "DwError.h"

#include <QColor>
#include <QDir>
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
    if (account.compare(QLatin1String("demo"), Qt::CaseInsensitive) != 0
        && account.compare(QLatin1String("collega"), Qt::CaseInsensitive) != 0) {
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

    add(s, file(QStringLiteral("Lees mij.txt")), projecten);
    const qint32 notulen = add(s, file(QStringLiteral("Notulen overleg.txt")), brug);
    const qint32 offerte = add(s, file(QStringLiteral("Offerte.txt")), brug);
    add(s, file(QStringLiteral("Situatie.png")), tekeningen);
    add(s, file(QStringLiteral("Gevel.png")), tekeningen);
    add(s, file(QStringLiteral("Telefoonlijst.txt")), kantoor);
    add(s, file(QStringLiteral("Jaarverslag 2019.txt")), archief);
    admin.setLocationKind(archief, 1);

    // The notes get a second version, as a check-out, an edit and a check-in make one.
    if (!s.Projects().CheckOutProject(notulen, QString()))
        throw DwError(DwError::DatabaseError, s.Database().LastError());
    const QString notes = QDir(s.Projects().GetProjectLocalFolder(notulen)).filePath(s.Projects().GetProjectFileName(notulen));
    writeText(notes, QStringLiteral("Notulen bouwoverleg Brug Noord\n\n1. Planning\n2. Fundering\n3. Rondvraag\n"
                                    "4. Afspraken: fundering klaar in week 12\n"));
    if (!s.Projects().CheckInProject(notulen, QStringLiteral("Afspraken toegevoegd"), true))
        throw DwError(DwError::DatabaseError, s.Database().LastError());

    const auto other = demoUser(server, QStringLiteral("collega"), catalogue);
    if (!other->Projects().CheckOutProject(offerte, QStringLiteral("Prijzen bijwerken")))
        throw DwError(DwError::DatabaseError, other->Database().LastError());
}
