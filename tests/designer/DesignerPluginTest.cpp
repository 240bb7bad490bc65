// The Qt Designer plugin as Designer uses it: loaded from its file, asked for the widget,
// the widget's fields set by property name.
#include "core/FileManUI.h"

#include <QPluginLoader>
#include <QtUiPlugin/QDesignerCustomWidgetInterface>

#include <gtest/gtest.h>

#include <memory>

TEST(DesignerPluginTest, MakesTheControlAndSetsItsFieldsByPropertyName)
{
    QPluginLoader loader(QStringLiteral(DW_DESIGNER_PLUGIN));
    ASSERT_TRUE(loader.load()) << qPrintable(loader.errorString());
    auto *widgets = qobject_cast<QDesignerCustomWidgetInterface *>(loader.instance());
    ASSERT_NE(widgets, nullptr);
    EXPECT_EQ(widgets->name(), QStringLiteral("dwfm::FileManUI"));
    EXPECT_TRUE(widgets->domXml().contains(QStringLiteral("class=\"dwfm::FileManUI\"")));

    std::unique_ptr<QWidget> widget(widgets->createWidget(nullptr));
    auto *control = qobject_cast<dwfm::FileManUI *>(widget.get());
    ASSERT_NE(control, nullptr);
    for (const char *field : {"StatusBarVisible", "ReadOnly", "NoFileOpenOnDoubleClick"})
        ASSERT_TRUE(control->setProperty(field, true)) << field;
    EXPECT_TRUE(control->StatusBarVisible && control->ReadOnly && control->NoFileOpenOnDoubleClick);
    EXPECT_FALSE(control->ToolbarVisible);
    control->AllowPopupMenu = true;
    EXPECT_TRUE(control->property("AllowPopupMenu").toBool());
}
