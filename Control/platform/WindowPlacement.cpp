#include "WindowPlacement.h"

#include "Settings.h"
#include "Twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace dwfm {

namespace {
QRect screenRect(const QWidget &form)
{
    QScreen *screen = form.screen() ? form.screen() : QGuiApplication::primaryScreen();
    return screen ? screen->geometry() : QRect(0, 0, 1024, 768);
}

qint16 stateNumber(const QWidget &form)
{
    if (form.windowState() & Qt::WindowMinimized)
        return 1;
    if (form.windowState() & Qt::WindowMaximized)
        return 2;
    return 0;
}
} // namespace

void CenterForm(QWidget &form)
{
    const QRect screen = screenRect(form);
    const double screenWidth = Twips::toTwipsX(screen.width(), &form);
    const double screenHeight = Twips::toTwipsY(screen.height(), &form);
    const double formWidth = Twips::toTwipsX(form.width(), &form);
    const double formHeight = Twips::toTwipsY(form.height(), &form);
    const double left = (screenWidth - formWidth) / 2;
    const double top = (screenHeight - formHeight) / 2;
    form.move(screen.left() + Twips::toPixelsX(left, &form), screen.top() + Twips::toPixelsY(top, &form));
}

bool RestoreWindowPosition(QWidget &form)
{
    const QString name = form.objectName();
    auto settings = UserSettings();
    settings->beginGroup(QStringLiteral("Windows"));
    const auto number = [&](const QString &key) { return settings->value(name + key, 0).toFloat(); };
    const float left = number(QStringLiteral("Left"));
    const float top = number(QStringLiteral("Top"));
    const float width = number(QStringLiteral("Width"));
    const float height = number(QStringLiteral("Heigth"));
    const qint16 state = qint16(settings->value(name + QStringLiteral("State"), 0).toInt());
    settings->endGroup();

    form.move(Twips::toPixelsX(left, &form), Twips::toPixelsY(top, &form));
    form.resize(Twips::toPixelsX(width, &form), Twips::toPixelsY(height, &form));
    switch (state) {
    case 1: form.setWindowState(Qt::WindowMinimized); break;
    case 2: form.setWindowState(Qt::WindowMaximized); break;
    default: form.setWindowState(Qt::WindowNoState); break;
    }
    return form.width() != 0 && form.height() != 0;
}

void SaveWindowPosition(QWidget &form)
{
    const QString name = form.objectName();
    auto settings = UserSettings();
    settings->beginGroup(QStringLiteral("Windows"));
    const qint16 state = stateNumber(form);
    if (state == 0) {
        const auto text = [](double twips) { return QString::number(float(twips)); };
        settings->setValue(name + QStringLiteral("Left"), text(Twips::toTwipsX(form.x(), &form)));
        settings->setValue(name + QStringLiteral("Top"), text(Twips::toTwipsY(form.y(), &form)));
        settings->setValue(name + QStringLiteral("Width"), text(Twips::toTwipsX(form.width(), &form)));
        settings->setValue(name + QStringLiteral("Heigth"), text(Twips::toTwipsY(form.height(), &form)));
    }
    settings->setValue(name + QStringLiteral("State"), QString::number(state));
    settings->endGroup();
}

void SetBusyPointer(QWidget &form) { form.setCursor(Qt::WaitCursor); }
void SetNormalPointer(QWidget &form) { form.unsetCursor(); }

} // namespace dwfm
