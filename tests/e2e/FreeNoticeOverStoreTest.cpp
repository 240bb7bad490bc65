// "Laat weten wanneer vrij" over the real embedded store: another program frees the file.
#include "StoreControlFixture.h"
#include "support/TestHelpers.h"

#include "SessionChanges.h"
#include "SessionRegistry.h"
#include "core/FileManUIInternals.h"
#include "notify/DesktopNotifier.h"
#include "notify/FreeWatch.h"
#include "notify/NoticeBanner.h"
#include "view/ControlView.h"
#include "view/PopupMenu.h"

#include <QAction>
#include <QMenu>
#include <QLabel>
#include <QTest>
#include <QTreeView>

using namespace dwfm;
using namespace dwfm::test;

namespace {
// A desktop that keeps what it is sent, with or without a notification service.
class RecordingDesktop : public DesktopNotifier {
public:
    quint32 notify(const QString &summary, const QString &body) override
    {
        sent << summary + QLatin1Char('|') + body;
        return service ? quint32(sent.size()) : 0;
    }
    QStringList sent;
    bool service = true;
};

class FreeNoticeOverStoreTest : public StoreControlFixture {
protected:
    void SetUp() override
    {
        StoreControlFixture::SetUp();
        setDesktopNotifier(&desktop);
        control = connectControl(QStringLiteral("anna"));
        control->AllowPopupMenu = true;
        ASSERT_TRUE(control->ControlInRootMode());
        ASSERT_TRUE(showUncovered(*control, 900, 600));
        freed = std::make_unique<QSignalSpy>(control.get(), &FileManUI::ProjectFreed);
    }
    void TearDown() override
    {
        freed.reset();
        StoreControlFixture::TearDown();
        setDesktopNotifier(nullptr);
    }
    // The entry on this file's row of Brug Noord, after a right-click on the row.
    QAction *entryOn(const QString &fileName)
    {
        clickPath(*control, QStringLiteral("Applicaties/Projecten/Brug Noord"));
        const QPoint at = control->lvListView->visualRect(listModelOf(*control)->index(listRowOf(*control, fileName), 0)).center();
        QTest::mouseClick(control->lvListView->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseClick(control->lvListView->viewport(), Qt::RightButton, {}, at);
        viewOf(*control).popupMenu().mnuPopUp()->hide();
        return viewOf(*control).popupMenu().action(PopupEntry::ProjectLaatWeten);
    }

    RecordingDesktop desktop;
    std::unique_ptr<QSignalSpy> freed;
};
} // namespace

TEST_F(FreeNoticeOverStoreTest, ACheckInElsewhereIsToldOnceAndTheNoticeSelectsTheFile)
{
    QAction *entry = entryOn(QStringLiteral("Offerte.txt"));
    EXPECT_EQ(entry->text(), QStringLiteral("Laat weten wanneer vrij"));
    ASSERT_TRUE(entry->isEnabled());
    EXPECT_FALSE(entry->isChecked());
    entry->trigger();
    EXPECT_TRUE(entryOn(QStringLiteral("Offerte.txt"))->isChecked()) << "a check mark while it waits";
    EXPECT_FALSE(entryOn(QStringLiteral("Notulen.txt"))->isEnabled()) << "a free file";
    clickPath(*control, QStringLiteral("Applicaties/Projecten/Kantoor"));

    actElsewhere(QStringLiteral("bert"), QStringLiteral("checkin"), offerte);
    ASSERT_TRUE(freed->wait(1000));
    EXPECT_EQ(freed->first(), (QVariantList{QStringLiteral("Offerte.txt"), offerte, QStringLiteral("bert")}));
    EXPECT_EQ(desktop.sent, QStringList{"Bestand vrij|'Offerte.txt' is vrijgegeven door bert."});

    // Taken and freed again: the wish was granted, nothing more is told.
    QSignalSpy changes(SessionRegistry::current()->Changes(), &SessionChanges::LocationsChanged);
    actElsewhere(QStringLiteral("bert"), QStringLiteral("checkout"), offerte);
    actElsewhere(QStringLiteral("bert"), QStringLiteral("checkin"), offerte);
    ASSERT_TRUE(changes.wait(1000));
    EXPECT_EQ(freed->count(), 1);

    // The notification's click shows the file in its location.
    emit desktop.clicked(1);
    EXPECT_EQ(control->GetCurrentLocationID(), brugNoord);
    EXPECT_EQ(control->GetCurrentProjectID(), offerte);
}

TEST_F(FreeNoticeOverStoreTest, AWishCanBeTakenBackAndWithoutANotificationServiceTheControlTells)
{
    desktop.service = false;
    actElsewhere(QStringLiteral("bert"), QStringLiteral("checkout"), notulen);
    entryOn(QStringLiteral("Notulen.txt"))->trigger();
    entryOn(QStringLiteral("Notulen.txt"))->trigger();
    EXPECT_FALSE(entryOn(QStringLiteral("Notulen.txt"))->isChecked()) << "switched off again";
    entryOn(QStringLiteral("Offerte.txt"))->trigger();
    clickPath(*control, QStringLiteral("Applicaties/Archief"));

    actElsewhere(QStringLiteral("bert"), QStringLiteral("checkin"), notulen);
    actElsewhere(QStringLiteral("bert"), QStringLiteral("checkin"), offerte);
    ASSERT_TRUE(freed->wait(1000));
    EXPECT_EQ(freed->count(), 1);
    EXPECT_EQ(freed->first().at(0).toString(), QStringLiteral("Offerte.txt")) << "Notulen.txt was not waited for";
    NoticeBanner *notice = freeWatchOf(*control).banner();
    EXPECT_TRUE(notice->isVisible());
    EXPECT_EQ(notice->text(), QStringLiteral("'Offerte.txt' is vrijgegeven door bert."));
    auto *show = notice->findChild<QLabel *>(QStringLiteral("lblMeldingTonen"));
    QTest::mouseClick(show, Qt::LeftButton, {}, show->rect().center());
    EXPECT_FALSE(notice->isVisible());
    EXPECT_EQ(control->GetCurrentProjectID(), offerte);
}
