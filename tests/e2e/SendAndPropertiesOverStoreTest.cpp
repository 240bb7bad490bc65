// Sending files out of the real embedded store (a chosen folder, an e-mail through a real
// process) and the properties dialog with a history written by two users.
#include "StoreControlFixture.h"

#include "SessionRegistry.h"
#include "properties/PropertiesCommand.h"
#include "properties/frmGeneralProjectProperties.h"
#include "sendto/SendToCommands.h"
#include "support/TestHelpers.h"
#include "core/FileManUIInternals.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTextBlock>
#include <QTextEdit>
#include <QTreeView>

using namespace dwfm;
using namespace dwfm::test;

namespace {

class SendAndPropertiesOverStoreTest : public StoreControlFixture {
protected:
    // bert at Brug Noord with Begroting and Notulen selected.
    void openBrugNoord(const QString &user = QStringLiteral("bert"))
    {
        control = connectControl(user);
        ASSERT_TRUE(control->ControlInRootMode());
        clickPath(*control, QStringLiteral("Applicaties/Projecten/Brug Noord"));
        selectRows(control->lvListView, {listRowOf(*control, QStringLiteral("Begroting.txt")),
                                         listRowOf(*control, QStringLiteral("Notulen.txt"))});
    }

    QTemporaryDir scratch;
};

TEST_F(SendAndPropertiesOverStoreTest, SendToAChosenFolderWritesTheCopies)
{
    openBrugNoord();
    const QString target = scratch.filePath(QStringLiteral("uit"));
    ASSERT_TRUE(QDir().mkpath(target));
    prompts->expectFolderDialog(target).expectMessage();
    sendToCommandsOf(*control).StuurNaarKiesEenFolder();
    EXPECT_EQ(prompts->messages().last(),
              QStringLiteral("De geselecteerde bestanden zijn gekopieerd naar '") + target + QStringLiteral("'!"));
    EXPECT_EQ(readFile(QDir(target).filePath(QStringLiteral("Begroting.txt"))), QByteArray("Post 1\n"));
    EXPECT_EQ(readFile(QDir(target).filePath(QStringLiteral("Notulen.txt"))), QByteArray("1. Opening\n"));

    // Cancelled in the folder dialog: nothing copied, nothing said.
    prompts->expectFolderDialog(std::nullopt);
    sendToCommandsOf(*control).StuurNaarKiesEenFolder();
    EXPECT_EQ(prompts->messages().size(), 1);
}

TEST_F(SendAndPropertiesOverStoreTest, EmailRunsXdgEmailWithOneAttachmentPerFile)
{
    // Our own xdg-email, first on PATH: it writes what it received and whether each
    // attachment was there when it ran.
    const QString bin = scratch.filePath(QStringLiteral("bin"));
    const QString log = scratch.filePath(QStringLiteral("mail.log"));
    ASSERT_TRUE(QDir().mkpath(bin));
    QFile script(QDir(bin).filePath(QStringLiteral("xdg-email")));
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write(QStringLiteral("#!/bin/sh\nfor a in \"$@\"; do\n  if [ -f \"$a\" ]; then echo \"$a = $(cat \"$a\")\"; "
                                "else echo \"$a\"; fi\ndone > '%1.tmp'\nmv '%1.tmp' '%1'\n")
                     .arg(log)
                     .toUtf8());
    script.close();
    script.setPermissions(script.permissions() | QFileDevice::ExeOwner);
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", bin.toUtf8() + ':' + path);

    openBrugNoord();
    const auto temporaryFolders = [] { return QDir::temp().entryList(QDir::Dirs | QDir::NoDotAndDotDot); };
    const QStringList foldersBefore = temporaryFolders();
    sendToCommandsOf(*control).StuurNaarEmail();
    QDeadlineTimer deadline(20000);
    while (!QFile::exists(log) && !deadline.hasExpired())
        QTest::qWait(20);
    qputenv("PATH", path);

    const QStringList lines = QString::fromUtf8(readFile(log)).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 4) << lines.join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(lines[0], QStringLiteral("--attach"));
    EXPECT_TRUE(lines[1].endsWith(QStringLiteral("/Begroting.txt = Post 1"))) << lines[1].toStdString();
    EXPECT_EQ(lines[2], QStringLiteral("--attach"));
    EXPECT_TRUE(lines[3].endsWith(QStringLiteral("/Notulen.txt = 1. Opening"))) << lines[3].toStdString();

    // The copies stay for the mail program while the control lives, and go with it.
    const QString copy = lines[1].section(QStringLiteral(" = "), 0, 0);
    EXPECT_TRUE(QFile::exists(copy));
    control.reset();
    EXPECT_FALSE(QFile::exists(copy));
    EXPECT_EQ(temporaryFolders(), foldersBefore);
}

TEST_F(SendAndPropertiesOverStoreTest, PropertiesShowTheHistoryOfTwoUsersAndLockInputForOthers)
{
    for (const QString user : {QStringLiteral("bert"), QStringLiteral("anna")}) {
        SCOPED_TRACE(user.toStdString());
        control = connectControl(user);
        const bool admin = user == QLatin1String("anna");
        prompts->expectDialog([&](QDialog &dialog) {
            auto &form = dynamic_cast<frmGeneralProjectProperties &>(dialog);
            EXPECT_EQ(form.windowTitle(), QStringLiteral("Offerte.txt Eigenschappen"));
            EXPECT_EQ(form.txtProjectCab->text(), QStringLiteral("Offerte.txt"));
            EXPECT_EQ(form.txtProjectID->text(), QString::number(offerte));
            EXPECT_EQ(form.txtProjectID->isVisibleTo(&form), admin);
            EXPECT_EQ(form.lblProjectID->isVisibleTo(&form), admin);
            // Typing changes the fields for the administrator only.
            QTest::keyClicks(form.txtProjectCab, QStringLiteral("x"));
            EXPECT_EQ(form.txtProjectCab->text(), QStringLiteral("Offerte.txt") + (admin ? "x" : ""));

            // Per row: a bold header naming the user, the memo when there is one, a blue
            // line of 120 hyphens; the text after it is black again.
            QStringList headers;
            const QString line(120, QLatin1Char('-'));
            for (QTextBlock block = form.rtHistory->document()->begin(); block.isValid(); block = block.next()) {
                if (block.text().isEmpty())
                    continue;
                const QTextCharFormat format = block.begin().fragment().charFormat();
                if (block.text() == line)
                    EXPECT_EQ(format.foreground().color(), QColor(0, 0, 255));
                else if (format.fontWeight() == QFont::Bold)
                    headers << block.text();
                else
                    EXPECT_EQ(format.foreground().color(), QColor(Qt::black)) << block.text().toStdString();
            }
            EXPECT_EQ(headers.size(), form.rtHistory->toPlainText().count(line));
            EXPECT_TRUE(headers.filter(QStringLiteral(" door anna.")).size() >= 1) << headers.join('|').toStdString();
            EXPECT_TRUE(headers.filter(QStringLiteral(" door bert.")).size() >= 1) << headers.join('|').toStdString();
            EXPECT_TRUE(form.rtHistory->toPlainText().contains(QStringLiteral("\nPrijzen bijwerken\n")));
            EXPECT_FALSE(form.Changed);
            return int(QDialog::Accepted);
        });
        propertiesCommandOf(*control).EigenschappenProject(offerte, QStringLiteral("Offerte.txt"));
        control.reset();
    }
}

} // namespace
