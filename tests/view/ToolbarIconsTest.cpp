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

#include <memory>

using namespace dwfm;

namespace {

// The icon at 16 pixels as an image, in one format for comparing.
QImage picture(const QImage &image) { return image.convertToFormat(QImage::Format_ARGB32_Premultiplied); }
QImage pictureOf(const QIcon &icon) { return picture(icon.pixmap(16, 16).toImage()); }

TEST(ToolbarIcons, EachButtonShowsTheIconOfItsOwnCommand)
{
    const std::pair<const char *, const char *> buttons[] = {
        {"nieuwproject", "document-new"}, {"bewerkenproject", "document-open"}, {"terugzettenproject", "document-save"},
        {"", "edit-cut"},                 {"Copy", "edit-copy"},             {"Paste", "edit-paste"},
        {"verwijderenprojecten", "edit-delete"}, {"eigenschappen", "document-properties"}};

    // A desktop theme that has a cut icon only: a plain red square.
    QTemporaryDir themes;
    const QString folder = themes.filePath(QStringLiteral("proef/16x16/actions"));
    ASSERT_TRUE(QDir().mkpath(folder));
    QFile index(themes.filePath(QStringLiteral("proef/index.theme")));
    ASSERT_TRUE(index.open(QIODevice::WriteOnly));
    index.write("[Icon Theme]\nName=proef\nDirectories=16x16/actions\n\n[16x16/actions]\nSize=16\nType=Fixed\n");
    index.close();
    QImage red(16, 16, QImage::Format_ARGB32);
    red.fill(Qt::red);
    ASSERT_TRUE(red.save(QDir(folder).filePath(QStringLiteral("edit-cut.png"))));

    const QStringList searchPaths = QIcon::themeSearchPaths();
    const QString theme = QIcon::themeName();
    for (const bool themed : {false, true}) {
        SCOPED_TRACE(themed ? "the desktop's theme" : "no theme");
        QIcon::setThemeSearchPaths(themed ? QStringList{themes.path()} : QStringList{});
        QIcon::setThemeName(themed ? QStringLiteral("proef") : QString());
        QWidget owner;
        QToolBar *toolbar = createFileToolbar(&owner);
        ASSERT_EQ(toolbar->actions().size(), int(std::size(buttons)));
        for (int i = 0; i < toolbar->actions().size(); ++i) {
            const QAction *button = toolbar->actions()[i];
            const auto [key, name] = buttons[i];
            SCOPED_TRACE(name);
            EXPECT_EQ(button->objectName(), QLatin1String(key));
            const bool fromTheme = themed && QLatin1String(name) == QLatin1String("edit-cut");
            const QImage expected =
                fromTheme ? red : QImage(QStringLiteral(":/dwfm/icons/16/%1.png").arg(QLatin1String(name)));
            ASSERT_FALSE(expected.isNull());
            EXPECT_TRUE(pictureOf(button->icon()) == picture(expected));
        }
    }
    QIcon::setThemeSearchPaths(searchPaths);
    QIcon::setThemeName(theme);
}

} // namespace
