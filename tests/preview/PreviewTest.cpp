// The preview: its page texts, the pages a row click and a followed link show, the
// ProjectChanged event of the row click, and pictures drawn no wider than the pane.
#include "PreviewTexts.h"
#include "support/ControlFixture.h"

#include "list/ListRowClick.h"
#include "preview/PreviewBrowser.h"
#include "preview/PreviewPages.h"
#include "preview/PreviewPane.h"
#include "preview/PreviewTextBrowser.h"
#include "core/FileManUIInternals.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QItemSelectionModel>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QTreeView>
#include <QUrl>

using namespace dwfm;
using namespace dwfm::test;
namespace Pages = dwfm::PreviewPages;

namespace {

// Location 12 ("Map", with the empty sub-location 13 "Leeg") in /srv/store/Map/ shows
// b.txt (2), c.txt (3) and p.PNG (4).
class PreviewTest : public ControlFixture {
protected:
    void SetUp() override
    {
        ControlFixture::SetUp();
        addLocation(12, QStringLiteral("Map"), {{13, QStringLiteral("Leeg")}});
        setFiles(12, {fileRow(2, QStringLiteral("b.txt")), fileRow(3, QStringLiteral("c.txt")),
                      fileRow(4, QStringLiteral("p.PNG"))});
        session->answer(QStringLiteral("GetServerRootFolder"), "/srv/store");
        session->answer(QStringLiteral("GetProjectLocationPath"), "Map/");
        session->on(QStringLiteral("GetProjectFileName"), [](const QVariantList &a) {
            return ScriptedSession::Reply(QStringList{"", "", "b.txt", "c.txt", "p.PNG"}.value(a[0].toInt()));
        });
        ASSERT_TRUE(control->ControlInSpecificLocationMode(12, QStringLiteral("Map"), true));
    }
    // "blank", or the text of the page file shown.
    QString shownPage() const
    {
        const QString address = previewPaneOf(*control).browser().currentAddress();
        if (address != QUrl::fromLocalFile(stateOf(*control).PreviewPagePath).toString())
            return address;
        QFile page(stateOf(*control).PreviewPagePath);
        return page.open(QIODevice::ReadOnly) ? QString::fromUtf8(page.readAll()) : QStringLiteral("<gone>");
    }
};

TEST_F(PreviewTest, ARowClickTellsTheHostWhatIsSelectedAndShowsItsPage)
{
    const QString png = QStringLiteral("/srv/store/Map/p.PNG");
    struct Case {
        const char *name;
        std::vector<int> rows;
        int clicked;
        bool pictures, node;
        QVariantList event;
        QString page;
    };
    const Case cases[] = {
        {"one file", {0}, 0, true, true, {"b.txt", 2, false, false},
         page(kStyle + "<A href='file:/srv/store/Map/b.txt' target='_self'>Klik om 'b.txt' te bekijken.</A><BR>" +
              kLink12)},
        {"a picture", {2}, 2, true, true, {"p.PNG", 4, false, false},
         page(kStyle + "<BR><a href='" + png + "' target='_self'><img class='my_img' src='" + png + "' alt='" + png +
              "' title='" + png + "'></a><br />" + kLink12)},
        {"a picture, no automatic previews", {2}, 2, false, true, {"p.PNG", 4, false, false},
         page(kStyle + "<A href='file:" + png + "' target='_self'>Klik om 'p.PNG' te bekijken.</A><BR>" + kLink12)},
        {"two rows", {0, 1}, 1, true, true, {"", -1, true, false}, page(kLink12)},
        {"the last row deselected", {}, 0, true, true, {"", -1, true, false}, page(kLink12)},
        {"no row", {}, -1, true, true, {"", -1, false, true}, page(kLink12)},
        {"two rows without a node", {0, 1}, 0, true, false, {"", -1, true, false}, "about:blank"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        control->FileInfoVisible = control->AutoShowPreview = c.pictures;
        if (!c.node)
            control->tvTreeView->selectionModel()->clearCurrentIndex();
        selectRows(control->lvListView, c.rows);
        QSignalSpy changed(control.get(), &FileManUI::ProjectChanged);
        rowClickOf(*control).lvListView_ItemClick(c.clicked);
        ASSERT_EQ(changed.size(), 1);
        EXPECT_EQ(changed[0], c.event);
        EXPECT_EQ(shownPage(), c.page);
    }
}

TEST_F(PreviewTest, FollowedLinksShowALocationOrAViewCopyNeverTheStoredFile)
{
    QTemporaryDir dir;
    const QString copy = dir.filePath("b.txt");
    QFile(copy).open(QIODevice::WriteOnly);
    session->on(QStringLiteral("GetViewCopy"), [&](const QVariantList &) {
        ScriptedSession::Reply reply(true);
        return reply.outs = {copy}, reply;
    });
    QSignalSpy opened(control.get(), &FileManUI::FileOpen);

    PreviewBrowser &browser = previewPaneOf(*control).browser();
    browser.navigate(QStringLiteral("#F12E#"));
    EXPECT_EQ(shownPage(), page(kStyle + "<A href='file:/srv/store/Map/b.txt' target='_self'>b.txt</A><br />"
                                         "<A href='file:/srv/store/Map/c.txt' target='_self'>c.txt</A><br />"
                                         "<BR><a href='/srv/store/Map/p.PNG' target='_self'><img class='my_img' "
                                         "src='/srv/store/Map/p.PNG' alt='p.PNG' title='p.PNG'></a><br />"));
    const QString locationPage = shownPage();
    // The stored files are never shown in the pane: each opens as a read-only copy.
    browser.navigate(QStringLiteral("file:/srv/store/Map/b.txt"));
    browser.navigate(QStringLiteral("/srv/store/Map/p.PNG"));
    EXPECT_EQ(session->argsOf(QStringLiteral("GetViewCopy")), QStringList({"2", "4"}));
    ASSERT_EQ(opened.size(), 2);
    EXPECT_EQ(opened[0], QVariantList({copy, 2}));
    EXPECT_EQ(shownPage(), locationPage);
    // A location without files shows a blank page, and the links of the page before are gone.
    browser.navigate(QStringLiteral("#F77E#"));
    EXPECT_EQ(shownPage(), "about:blank");
    browser.navigate(QStringLiteral("file:/srv/store/Map/b.txt"));
    EXPECT_EQ(session->count(QStringLiteral("GetViewCopy")), 2);
    EXPECT_FALSE(Pages::isPictureFile("Foto.jpeg")); // JPEG is not among the pictures
}

TEST_F(PreviewTest, APageOfAnotherLocationOrModeDoesNotStayNorDoItsLinks)
{
    for (const bool automatic : {false, true}) {
        SCOPED_TRACE(automatic ? "automatic previews" : "no automatic previews");
        control->FileInfoVisible = control->AutoShowPreview = automatic;
        clickNode(QStringLiteral("12C"));
        selectRows(control->lvListView, {0});
        rowClickOf(*control).lvListView_ItemClick(0);
        ASSERT_NE(shownPage(), "about:blank");
        // The empty sub-location: nothing of Map's page is left to show or to follow.
        clickNode(QStringLiteral("13C"));
        EXPECT_EQ(shownPage(), "about:blank");
        previewPaneOf(*control).browser().navigate(QStringLiteral("file:/srv/store/Map/b.txt"));
        EXPECT_EQ(session->count(QStringLiteral("GetViewCopy")), 0);
    }
    // A mode change starts the preview afresh too.
    clickNode(QStringLiteral("12C"));
    selectRows(control->lvListView, {1});
    rowClickOf(*control).lvListView_ItemClick(1);
    ASSERT_TRUE(control->ControlInUserMode(QStringLiteral("jan"), QStringLiteral("Jan")));
    EXPECT_EQ(shownPage(), "about:blank");
}

TEST_F(PreviewTest, MouseClicksOnARowAndBesideTheRowsReachTheHost)
{
    ASSERT_TRUE(showUncovered(*control));
    QSignalSpy changed(control.get(), &FileManUI::ProjectChanged);
    QTreeView *list = control->lvListView;
    const QPoint secondRow = list->visualRect(listModelOf(*control)->index(1, 0)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, secondRow);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, QPoint(5, list->viewport()->height() - 5));
    ASSERT_EQ(changed.size(), 2);
    EXPECT_EQ(changed[0], QVariantList({"c.txt", 3, false, false}));
    EXPECT_EQ(changed[1], QVariantList({"", -1, false, true}));
}

TEST_F(PreviewTest, ClickingThePictureOpensAViewCopyAsTheLinkDoes)
{
    QTemporaryDir store;
    ASSERT_TRUE(QDir(store.path()).mkpath("Map"));
    QImage picture(120, 80, QImage::Format_RGB32);
    picture.fill(Qt::darkGreen);
    ASSERT_TRUE(picture.save(store.filePath("Map/p.PNG")));
    session->answer(QStringLiteral("GetServerRootFolder"), store.path());
    session->on(QStringLiteral("GetViewCopy"), [&](const QVariantList &) {
        ScriptedSession::Reply reply(true);
        return reply.outs = {store.filePath("kopie.png")}, reply;
    });
    control->FileInfoVisible = control->AutoShowPreview = true;
    ASSERT_TRUE(showUncovered(*control));
    QSignalSpy opened(control.get(), &FileManUI::FileOpen);
    selectRows(control->lvListView, {2});
    rowClickOf(*control).lvListView_ItemClick(2);
    const QString picturePage = shownPage();
    ASSERT_TRUE(picturePage.contains("<img class='my_img'"));

    // The user clicks where the browser draws the picture.
    QTextBrowser *browser = control->WebBrowser;
    QPoint onPicture;
    for (int y = 2; y < browser->viewport()->height() && onPicture.isNull(); y += 4) {
        for (int x = 2; x < browser->viewport()->width() && onPicture.isNull(); x += 4) {
            if (browser->anchorAt(QPoint(x, y)) == store.filePath("Map/p.PNG"))
                onPicture = QPoint(x, y);
        }
    }
    ASSERT_FALSE(onPicture.isNull());
    QTest::mouseClick(browser->viewport(), Qt::LeftButton, {}, onPicture);
    ASSERT_EQ(opened.size(), 1);
    EXPECT_EQ(opened[0], QVariantList({store.filePath("kopie.png"), 4}));
    EXPECT_EQ(shownPage(), picturePage);
}

TEST(PreviewPictures, ArePaintedNoWiderThanThePaneAndTheStyleSheetAllow)
{
    QTemporaryDir dir;
    const QString wide = dir.filePath("wide.png"), small = dir.filePath("small.png");
    QImage(1600, 800, QImage::Format_RGB32).save(wide);
    QImage(60, 30, QImage::Format_RGB32).save(small);
    PreviewTextBrowser browser;
    browser.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&browser));
    const auto widthAt = [&](int paneWidth, const QString &file) {
        browser.resize(paneWidth, 300);
        return browser.loadResource(QTextDocument::ImageResource, QUrl::fromLocalFile(file)).value<QImage>().width();
    };
    const int narrow = widthAt(300, wide);
    EXPECT_EQ(narrow, browser.pictureWidthLimit());
    EXPECT_LT(narrow, 300);
    EXPECT_EQ(widthAt(2000, wide), PreviewTextBrowser::MaxPictureWidth);
    EXPECT_EQ(widthAt(300, small), 60);
}

} // namespace
