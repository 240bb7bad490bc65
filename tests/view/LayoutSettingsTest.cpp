// The layout kept per user and per host: the keys written and read back.
#include "core/FileManUI.h"
#include "core/FileManUIInternals.h"
#include "platform/Settings.h"
#include "platform/Twips.h"
#include "view/ControlView.h"
#include "view/LayoutSettings.h"
#include "view/SplitterHandle.h"

#include <gtest/gtest.h>

#include <QTreeView>

using namespace dwfm;

namespace {
class LayoutSettingsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::unique_ptr<QSettings> settings = UserSettings();
        settings->remove(QStringLiteral("Settings"));
        control.resize(800, 600);
        control.HideOverlay();
    }

    static QMap<QString, QString> stored()
    {
        std::unique_ptr<QSettings> settings = UserSettings();
        settings->beginGroup(QStringLiteral("Settings"));
        QMap<QString, QString> values;
        for (const QString &key : settings->allKeys())
            values[key] = settings->value(key).toString();
        return values;
    }

    static void store(const QString &key, const QString &value)
    {
        std::unique_ptr<QSettings> settings = UserSettings();
        settings->setValue(QStringLiteral("Settings/") + key, value);
    }

    // Puts the splitters at x and y (twips), lays out and saves as after a successful mode.
    static void saveLayout(FileManUI &target, double x, double y, const QString &host)
    {
        viewOf(target).layout().setVerticalSplit(x);
        viewOf(target).layout().setHorizontalSplit(y);
        viewOf(target).layout().UserControl_Resize();
        target.Initialized = true;
        target.SaveSettings(host);
    }

    double splitLeft() { return Twips::rect(viewOf(control).layout().imgSplitter).left(); }
    double splitTop() { return Twips::rect(viewOf(control).layout().imgSplitterVertical).top(); }
    double W() { return Twips::toTwipsX(control.width(), &control); }
    double H() { return Twips::toTwipsY(control.height(), &control); }

    FileManUI control;
};
} // namespace

TEST(LeadingNumber, ReadsTheNumberAtTheStartOfTheText)
{
    const std::pair<const char *, double> texts[] = {{"3600", 3600}, {"3600 twips", 3600}, {"  1234.5x", 1234.5},
                                                     {"-20", -20},    {"1e3", 1000},         {"breed", 0}, {"", 0}};
    for (const auto &[text, number] : texts)
        EXPECT_EQ(LayoutSettings::leadingNumber(QString::fromLatin1(text)), number) << text;
}

TEST_F(LayoutSettingsTest, NothingIsWrittenBeforeAModeSucceeded)
{
    control.SaveSettings(QStringLiteral("Host"));
    EXPECT_TRUE(stored().isEmpty());
}

TEST_F(LayoutSettingsTest, FirstRestorePutsTheSplittersInTheMiddle)
{
    control.RestoreSettings(QStringLiteral("NieuweHost"));
    EXPECT_EQ(splitLeft(), W() / 2);
    EXPECT_EQ(splitTop(), H() / 2);
    for (int column = 0; column < 5; ++column)
        EXPECT_EQ(control.lvListView->columnWidth(column), Twips::toPixelsX(1000, control.lvListView));
    // Restoring reads only.
    EXPECT_TRUE(stored().isEmpty());

    // Saved again, every column comes back as exactly 1000.
    control.Initialized = true;
    control.SaveSettings(QStringLiteral("NieuweHost"));
    EXPECT_EQ(stored().value("NieuweHostColWidth3"), QStringLiteral("1000"));
}

TEST_F(LayoutSettingsTest, StoredValuesComeBackClampedAndPerHost)
{
    store(QStringLiteral("HostAPicHorLeft"), QStringLiteral("3600 twips"));
    store(QStringLiteral("HostAPicVerTop"), QStringLiteral("500"));
    store(QStringLiteral("HostAColWidth2"), QStringLiteral("2400"));
    store(QStringLiteral("HostBPicHorLeft"), QStringLiteral("onzin"));

    control.RestoreSettings(QStringLiteral("HostA"));
    EXPECT_EQ(splitLeft(), 3600);
    EXPECT_EQ(splitTop(), 2000);
    EXPECT_EQ(control.lvListView->columnWidth(1), Twips::toPixelsX(2400, control.lvListView));
    EXPECT_EQ(control.lvListView->columnWidth(0), Twips::toPixelsX(1000, control.lvListView));

    // A text that is no number reads as 0, which the layout raises to the minimum.
    control.RestoreSettings(QStringLiteral("HostB"));
    EXPECT_EQ(splitLeft(), 1500);
}

TEST_F(LayoutSettingsTest, HiddenLocationsLeaveTheStoredVerticalSplitAlone)
{
    store(QStringLiteral("HostPicHorLeft"), QStringLiteral("4321"));
    control.HideLocations = true;
    saveLayout(control, 3000, 3300, QStringLiteral("Host"));

    const QMap<QString, QString> values = stored();
    EXPECT_EQ(values.value("HostPicHorLeft"), QStringLiteral("4321"));
    EXPECT_EQ(values.value("HostPicVerTop"), QStringLiteral("3300"));
    EXPECT_TRUE(values.contains("HostColWidth5"));
}

// An empty description gives the plain keys; a new control reads back what the last one saved.
TEST_F(LayoutSettingsTest, EmptyDescriptionGivesThePlainKeysAndTheLayoutSurvivesARestart)
{
    {
        FileManUI first;
        first.resize(800, 600);
        first.HideOverlay();
        first.lvListView->setColumnWidth(2, 150);
        saveLayout(first, 4200, 3900, QString());
    }
    const QMap<QString, QString> values = stored();
    EXPECT_EQ(values.keys(), (QStringList{"ColWidth1", "ColWidth2", "ColWidth3", "ColWidth4", "ColWidth5",
                                          "PicHorLeft", "PicVerTop"}));
    EXPECT_EQ(values.value("PicHorLeft"), QStringLiteral("4200"));
    EXPECT_EQ(values.value("PicVerTop"), QStringLiteral("3900"));
    EXPECT_EQ(values.value("ColWidth3"), QString::number(std::round(Twips::toTwipsX(150, control.lvListView))));

    control.RestoreSettings(QString());
    EXPECT_EQ(splitLeft(), 4200);
    EXPECT_EQ(splitTop(), 3900);
    EXPECT_EQ(control.lvListView->columnWidth(2), 150);
}
