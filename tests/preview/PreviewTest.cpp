// The preview: its page texts, the pages a row click and a followed link show, the
// ProjectChanged event of the row click, and pictures drawn no wider than the pane.
#include "support/ControlFixture.h"

#include "list/ListRowClick.h"
#include "preview/PreviewBrowser.h"
#include "preview/PreviewPages.h"
#include "preview/PreviewPane.h"
#include "preview/PreviewTextBrowser.h"

#include <QFile>
#include <QImage>
#include <QItemSelectionModel>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>
#include <QUrl>

using namespace dwfm;
using namespace dwfm::test;
namespace Pages = dwfm::PreviewPages;

namespace {

TEST(PreviewPageRules, PicturesStorePathsAndFolderLinks)
{
    for (const char *name : {"a.png", "B.PnG", "c.JPG", "d.bmp", "e.gif", "map.d/f.Gif"})
        EXPECT_TRUE(Pages::isPictureFile(QString::fromUtf8(name))) << name;
    for (const char *name : {"a.jpeg", "png", "b.png.txt", "c.", "map.png/d", "e.tiff"})
        EXPECT_FALSE(Pages::isPictureFile(QString::fromUtf8(name))) << name;
    EXPECT_EQ(Pages::storePath("/srv", "P/B/", "x.txt"), "/srv/P/B/x.txt");
    EXPECT_EQ(Pages::storePath("/srv/", "P/", "x.txt"), "/srv/P/x.txt");
    EXPECT_EQ(Pages::storePath("", "P/", "x.txt"), "P/x.txt");
    EXPECT_EQ(Pages::folderLink(QStringLiteral("12C")),
              "<A href=#F12E# >Klik om alle bestanden in huidige folder te bekijken.</A>");
    EXPECT_EQ(Pages::folderLink(std::nullopt), QString());
    const std::pair<const char *, std::optional<qint32>> links[] = {
        {"#F12E#", 12},           {"file:///tmp/dw1.tmp#F7E#", 7}, {"#FJANE#", 0}, {"#F12x3E#", 12},
        {"#F99999999999E#", 0}, {"file:///tmp/dw1.tmp", std::nullopt}, {"about:blank", std::nullopt}};
    for (const auto &[address, location] : links)
        EXPECT_EQ(Pages::linkedLocation(QString::fromUtf8(address)), location) << address;
}

// Location 12 ("Map") in /srv/store/Map/ shows b.txt (2), c.txt (3) and p.PNG (4).
class PreviewTest : public ControlFixture {
protected:
    void SetUp() override
    {
        ControlFixture::SetUp();
        addLocation(12, QStringLiteral("Map"));
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
        const QString address = control->previewPane().browser().currentAddress();
        if (address != QUrl::fromLocalFile(control->state().PreviewPagePath).toString())
            return address;
        QFile page(control->state().PreviewPagePath);
        return page.open(QIODevice::ReadOnly) ? QString::fromUtf8(page.readAll()) : QStringLiteral("<gone>");
    }
};

TEST_F(PreviewTest, ARowClickTellsTheHostWhatIsSelectedAndShowsItsPage)
{
    const QString link = Pages::folderLink(QStringLiteral("12C"));
    const QString css = Pages::styleSheet();
    struct Case {
        const char *name;
        std::vector<int> rows;
        int clicked;
        bool pictures, node;
        const char *event;
        QString page;
    };
    const Case cases[] = {
        {"one file", {0}, 0, true, true, "b.txt|2|0|0",
         Pages::pageFileText(css + "<A href='file:/srv/store/Map/b.txt' target='_self'>Klik om 'b.txt' te "
                                   "bekijken.</A><BR>" + link)},
        {"a picture", {2}, 2, true, true, "p.PNG|4|0|0",
         Pages::pageFileText(Pages::picturePageBody("/srv/store/Map/p.PNG", link))},
        {"a picture without automatic previews", {2}, 2, false, true, "p.PNG|4|0|0",
         Pages::pageFileText(Pages::filePageBody("/srv/store/Map/p.PNG", "p.PNG", link))},
        {"two rows", {0, 1}, 1, true, true, "|-1|1|0", Pages::pageFileText(link)},
        {"the last row deselected", {}, 0, true, true, "|-1|1|0", Pages::pageFileText(link)},
        {"no row", {}, -1, true, true, "|-1|0|1", Pages::pageFileText(link)},
        {"two rows without a node", {0, 1}, 0, true, false, "|-1|1|0", "about:blank"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        control->FileInfoVisible = control->AutoShowPreview = c.pictures;
        if (!c.node)
            control->tvTreeView->selectionModel()->clearCurrentIndex();
        selectRows(control->lvListView, c.rows);
        QSignalSpy changed(control.get(), &FileManUI::ProjectChanged);
        control->rowClick().lvListView_ItemClick(c.clicked);
        ASSERT_EQ(changed.size(), 1);
        QStringList event;
        for (const QVariant &arg : changed[0])
            event << (arg.typeId() == QMetaType::Bool ? QString::number(arg.toBool()) : arg.toString());
        EXPECT_EQ(event.join(QLatin1Char('|')), QString::fromUtf8(c.event));
        EXPECT_EQ(shownPage(), c.page);
        EXPECT_EQ(control->previewPane().ownPageFlag(), false);
    }
}

TEST_F(PreviewTest, FollowedLinksShowALocationOrAViewCopyNeverTheStoredFile)
{
    QTemporaryDir dir;
    const QString copy = dir.filePath(QStringLiteral("b.txt"));
    QFile(copy).open(QIODevice::WriteOnly);
    ScriptedSession::Reply viewCopy(true);
    viewCopy.outs = {copy};
    session->answer(QStringLiteral("GetViewCopy"), viewCopy);
    QSignalSpy opened(control.get(), &FileManUI::FileOpen);

    PreviewBrowser &browser = control->previewPane().browser();
    browser.navigate(QStringLiteral("#F12E#"));
    EXPECT_EQ(shownPage(), Pages::pageFileText(Pages::locationPageBody(
                               {{"/srv/store/Map/b.txt", "b.txt"}, {"/srv/store/Map/c.txt", "c.txt"},
                                {"/srv/store/Map/p.PNG", "p.PNG"}})));
    const QString locationPage = shownPage();
    browser.navigate(QStringLiteral("file:/srv/store/Map/b.txt"));
    browser.navigate(QStringLiteral("/srv/store/Map/p.PNG"));
    EXPECT_EQ(session->argsOf(QStringLiteral("GetViewCopy")), QStringList({"2", "4"}));
    ASSERT_EQ(opened.size(), 2);
    EXPECT_EQ(opened[0], QVariantList({copy, 2}));
    EXPECT_EQ(shownPage(), locationPage);
    // A location without files shows a blank page.
    browser.navigate(QStringLiteral("#F77E#"));
    EXPECT_EQ(shownPage(), "about:blank");
}

TEST_F(PreviewTest, MouseClicksOnARowAndBesideTheRowsReachTheHost)
{
    ASSERT_TRUE(showUncovered(*control));
    QSignalSpy changed(control.get(), &FileManUI::ProjectChanged);
    QTreeView *list = control->lvListView;
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(control->listModel()->index(1, 0)).center());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, QPoint(5, list->viewport()->height() - 5));
    ASSERT_EQ(changed.size(), 2);
    EXPECT_EQ(changed[0], QVariantList({"c.txt", 3, false, false}));
    EXPECT_EQ(changed[1], QVariantList({"", -1, false, true}));
}

TEST(PreviewPictures, ArePaintedNoWiderThanThePaneAndTheStyleSheetAllow)
{
    QTemporaryDir dir;
    const QString wide = dir.filePath(QStringLiteral("wide.png")), small = dir.filePath(QStringLiteral("small.png"));
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
