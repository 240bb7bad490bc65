#include "LayoutSettings.h"

#include "list/FileListModel.h"
#include "platform/ErrorTrap.h"
#include "platform/Settings.h"
#include "platform/Twips.h"
#include "view/SplitterHandle.h"
#include "view/ViewLayout.h"

#include <QAbstractItemModel>
#include <QRegularExpression>
#include <QTreeView>

#include <algorithm>
#include <cmath>

namespace dwfm::LayoutSettings {

namespace {
const QString kGroup = QStringLiteral("Settings");
const QString kDefaultColumnWidth = QStringLiteral("1000");
// The widths in twips last given to the columns: a column still as wide in pixels is
// written back with its exact value, so a restore followed by a save changes nothing.
constexpr char kColumnTwipsProperty[] = "dwColumnTwips";

// The columns every list has: the folder column of search results is fitted to its rows
// each time they show, not kept.
int columnCount(const QTreeView *list)
{
    return list && list->model() ? std::min(list->model()->columnCount(), int(FileListModel::ColumnCount)) : 0;
}

QString numberText(double value)
{
    return QString::number(value, 'g', 15);
}
} // namespace

double leadingNumber(const QString &text)
{
    static const QRegularExpression number(
        QStringLiteral(R"(^\s*([+-]?(?:\d+\.?\d*|\.\d+)(?:[eE][+-]?\d+)?))"));
    const QRegularExpressionMatch match = number.match(text);
    if (!match.hasMatch())
        return 0;
    bool ok = false;
    const double value = match.captured(1).toDouble(&ok);
    return ok && std::isfinite(value) ? value : 0;
}

void RestoreSettings(ViewLayout &layout, QTreeView *list, const QString &vAppDescription)
{
    std::unique_ptr<QSettings> settings;
    SkipOnError([&] {
        settings = UserSettings();
        settings->beginGroup(kGroup);
    });
    const auto read = [&](const QString &key, const QString &fallback) {
        if (!settings)
            return leadingNumber(fallback);
        return leadingNumber(settings->value(vAppDescription + key, fallback).toString());
    };
    QWidget *control = layout.imgSplitter->parentWidget();

    SkipOnError([&] {
        const double half = Twips::toTwipsX(control->width(), control) / 2;
        layout.setVerticalSplit(read(QStringLiteral("PicHorLeft"), numberText(half)));
    });
    SkipOnError([&] {
        const double half = Twips::toTwipsY(control->height(), control) / 2;
        layout.setHorizontalSplit(read(QStringLiteral("PicVerTop"), numberText(half)));
    });
    SkipOnError([&] {
        double X = layout.barLeft();
        double Y = layout.barTop();
        layout.SizeControls(X, Y);
    });
    QVariantList widths;
    for (int n = 1; n <= columnCount(list); ++n) {
        const double width = read(QStringLiteral("ColWidth") + QString::number(n), kDefaultColumnWidth);
        widths << width;
        SkipOnError([&] { list->setColumnWidth(n - 1, Twips::toPixelsX(width, list)); });
    }
    if (list)
        list->setProperty(kColumnTwipsProperty, widths);
}

void SaveSettings(const ViewLayout &layout, const QTreeView *list, bool initialized, bool hideLocations,
                  const QString &vAppDescription)
{
    if (!initialized)
        return;
    SkipOnError([&] {
        std::unique_ptr<QSettings> settings = UserSettings();
        settings->beginGroup(kGroup);
        if (!hideLocations)
            settings->setValue(vAppDescription + QStringLiteral("PicHorLeft"), numberText(layout.barLeft()));
        settings->setValue(vAppDescription + QStringLiteral("PicVerTop"), numberText(layout.barTop()));
        const QVariantList restored = list ? list->property(kColumnTwipsProperty).toList() : QVariantList();
        for (int n = 1; n <= columnCount(list); ++n) {
            const int pixels = list->columnWidth(n - 1);
            double width = std::round(Twips::toTwipsX(pixels, list));
            if (n - 1 < restored.size() && Twips::toPixelsX(restored[n - 1].toDouble(), list) == pixels)
                width = restored[n - 1].toDouble();
            settings->setValue(vAppDescription + QStringLiteral("ColWidth") + QString::number(n), numberText(width));
        }
        settings->endGroup();
        settings->sync();
    });
}

} // namespace dwfm::LayoutSettings
