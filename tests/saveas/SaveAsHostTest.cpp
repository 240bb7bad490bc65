// The save-as service as a host program uses it: only the libraries a host links and the
// headers they install, over a real embedded store that the administration program made.
#include "DwFileStore.h"
#include "core/FileManUI.h"
#include "SessionRegistry.h"
#include "dialogs/Support.h"
#include "dialogs/frmSaveAsDialog.h"
#include "platform/Prompts.h"

#include <gtest/gtest.h>

#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <functional>

using namespace dwfm;

namespace {
// The host's prompts: messages are recorded and answered with their default button; the
// save-as dialog runs for real, and `user` acts in it once it is shown.
struct HostPrompts : QtPrompts {
    QStringList messages;
    std::function<void(frmSaveAsDialog &)> user;

    Answer message(const QString &text, const QString &, Icon, Buttons, Answer defaultButton) override
    {
        messages << text;
        return defaultButton;
    }
    int execDialog(QDialog &dialog) override
    {
        QTimer::singleShot(0, &dialog, [&] { user(static_cast<frmSaveAsDialog &>(dialog)); });
        return dialog.exec();
    }
};

struct Outcome {
    bool stored;
    qint32 location, file;
    QString name;
};
} // namespace

class SaveAsHost : public ::testing::Test {
protected:
    void SetUp() override
    {
        QProcess dwstore;
        dwstore.start(QStringLiteral(DWSTORE_PROGRAM), {"--store", store(), "demo"});
        ASSERT_TRUE(dwstore.waitForFinished(60000) && dwstore.exitCode() == 0) << dwstore.readAllStandardError().data();
        store::registerDwFileStore();
        setPrompts(&prompts);
        FileStoreSessionPtr session = SessionRegistry::createSession();
        ASSERT_TRUE(session->Connect(store(), "demo", "demo", "Demo", true));
        for (brugNoord = 1; brugNoord < 10; ++brugNoord)
            if (session->Locations().GetLocationDescription(brugNoord) == QLatin1String("Brug Noord"))
                break;
        ASSERT_LT(brugNoord, 10);
    }
    void TearDown() override { setPrompts(nullptr); }

    QString store() const { return m_dir.filePath(QStringLiteral("store")); }
    // One call of the service as the demo user, the user doing `user` in the dialog.
    Outcome save(const QString &file, bool emptyFile, std::function<void(frmSaveAsDialog &)> user)
    {
        prompts.user = std::move(user);
        Outcome o{false, 0, 0, QStringLiteral("niet gezet")};
        o.stored = Support::ShowFileSaveAsDialog(store(), "demo", "demo", "Demo", true, file, brugNoord,
                                                 QStringLiteral("Brug Noord"), emptyFile, QStringLiteral("txt"),
                                                 o.location, o.file, o.name);
        return o;
    }
    // The stored file's content, read from the store's folder.
    static QByteArray stored(qint32 file)
    {
        ProjectsService &projects = SessionRegistry::current()->Projects();
        QFile f(QDir(SessionRegistry::current()->Locations().GetServerRootFolder())
                    .filePath(projects.GetProjectLocationPath(file) + '/' + projects.GetProjectFileName(file)));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("ontbreekt");
    }

    QTemporaryDir m_dir;
    HostPrompts prompts;
    qint32 brugNoord = 0;
};

TEST_F(SaveAsHost, AddsAFileOrCreatesAnEmptyOne)
{
    const QString source = m_dir.filePath(QStringLiteral("Rapport.txt"));
    QFile f(source);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.write("Inhoud\n") == 7);
    f.close();
    // Adding shows the source path read-only and answers no name; an empty file gets the
    // typed name with the extension.
    const std::tuple<bool, QString, QString, QByteArray> cases[] = {
        {false, source, QString(), "Inhoud\n"},
        {true, QStringLiteral("Verslag"), QStringLiteral("Verslag.txt"), "FileManager TempFile"},
    };
    for (const auto &[emptyFile, typed, name, content] : cases) {
        const Outcome o = save(emptyFile ? QString() : source, emptyFile, [&](frmSaveAsDialog &d) {
            EXPECT_EQ(d.txtBestandsNaam->isReadOnly(), !emptyFile);
            d.txtBestandsNaam->setText(typed);
            d.cmdOK->click();
        });
        EXPECT_TRUE(o.stored);
        EXPECT_EQ(o.location, brugNoord);
        EXPECT_EQ(o.name, name);
        EXPECT_EQ(stored(o.file), content) << name.toStdString();
    }
    EXPECT_EQ(prompts.messages, QStringList());
}

TEST_F(SaveAsHost, RefusalsKeepItOpenWaysOutAnswerFalseAndTheNextRunOpensWhereThisClosed)
{
    // A first run opens 10000 x 4000 twips at the top-left corner. A refused name, then a
    // name the location already has: the dialog stays open each time.
    QRect first;
    double perTwip = 0;
    Outcome o = save(QString(), true, [&](frmSaveAsDialog &d) {
        first = QRect(d.pos(), d.size());
        perTwip = d.logicalDpiX() / 1440.0;
        d.move(120, 80);
        d.resize(700, 420);
        d.txtBestandsNaam->setText(QStringLiteral("a<b"));
        d.cmdOK->click();
        EXPECT_EQ(prompts.messages, QStringList{QStringLiteral("Bestandsnaam bevat ongeldige karakters!\r\n\r\na<b")});
        EXPECT_TRUE(d.isVisible());
        d.txtBestandsNaam->setText(QStringLiteral("Offerte"));
        d.cmdOK->click();
        EXPECT_EQ(prompts.messages.size(), 2);
        EXPECT_TRUE(d.isVisible());
        d.cmdAnnuleren->click();
    });
    EXPECT_EQ(first.topLeft(), QPoint(0, 0));
    EXPECT_NEAR(first.width(), 10000 * perTwip, 1);
    EXPECT_NEAR(first.height(), 4000 * perTwip, 1);
    EXPECT_FALSE(o.stored);
    EXPECT_EQ(o.location, -1);
    EXPECT_EQ(o.file, -1);
    EXPECT_EQ(o.name, QString());

    // Where the first run closed; a file whose name the location already has is refused;
    // then the window's close button.
    const QString offerte = m_dir.filePath(QStringLiteral("Offerte.txt"));
    QFile f(offerte);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    o = save(offerte, false, [](frmSaveAsDialog &d) {
        EXPECT_EQ(QRect(d.pos(), d.size()), QRect(120, 80, 700, 420));
        d.cmdOK->click();
        EXPECT_TRUE(d.isVisible());
        EXPECT_TRUE(d.Failed);
        d.close();
    });
    EXPECT_FALSE(o.stored);
    EXPECT_EQ(o.file, -1);
}
