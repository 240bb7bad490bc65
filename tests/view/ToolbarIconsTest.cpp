// The tool bar's pictures: the desktop theme's icon of each button's name, else the
// library's own picture of that name.
#include "view/FileToolbar.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QFile>
#include <QIcon>
#include <QImage>
#include <QTemporaryDir>
#include <QToolBar>

namespace {

QImage picture(const QImage &image) { return image.convertToFormat(QImage::Format_ARGB32_Premultiplied); }

TEST(ToolbarIcons, EachButtonShowsTheIconOfItsOwnCommand)
{
    const char *names[] = {"document-new", "document-open", "document-save", "edit-cut",
                           "edit-copy",    "edit-paste",    "edit-delete",   "document-properties"};
    // Without a desktop theme each button shows the bundled picture of its command's name.
    QIcon::setThemeSearchPaths({});
    QWidget owner;
    const QList<QAction *> buttons = dwfm::createFileToolbar(&owner)->actions();
    ASSERT_EQ(buttons.size(), int(std::size(names)));
    for (int i = 0; i < buttons.size(); ++i) {
        const QImage bundled(QStringLiteral(":/dwfm/icons/16/%1.png").arg(QLatin1String(names[i])));
        ASSERT_FALSE(bundled.isNull()) << names[i];
        EXPECT_TRUE(picture(buttons[i]->icon().pixmap(16, 16).toImage()) == picture(bundled)) << names[i];
    }
    // A desktop theme's icon comes first.
    QTemporaryDir themes;
    ASSERT_TRUE(QDir().mkpath(themes.filePath("proef/16")));
    QFile index(themes.filePath("proef/index.theme"));
    ASSERT_TRUE(index.open(QIODevice::WriteOnly));
    index.write("[Icon Theme]\nName=proef\nDirectories=16\n\n[16]\nSize=16\nType=Fixed\n");
    index.close();
    QImage red(16, 16, QImage::Format_ARGB32);
    red.fill(Qt::red);
    ASSERT_TRUE(red.save(themes.filePath("proef/16/edit-cut.png")));
    QIcon::setThemeSearchPaths({themes.path()});
    QIcon::setThemeName(QStringLiteral("proef"));
    EXPECT_TRUE(picture(dwfm::createFileToolbar(&owner)->actions()[3]->icon().pixmap(16, 16).toImage()) == picture(red));
    QIcon::setThemeName(QString());
}

} // namespace
