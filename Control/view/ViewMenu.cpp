#include "ViewMenu.h"

#include "platform/ErrorTrap.h"

#include <QAction>
#include <QMenu>

namespace dwfm {

namespace {
QAction *addEntry(QMenu *menu, const char *name, const char *caption, bool checkable)
{
    QAction *action = menu->addAction(QString::fromUtf8(caption));
    action->setObjectName(QString::fromLatin1(name));
    action->setCheckable(checkable);
    return action;
}
} // namespace

ViewMenu::ViewMenu(const ViewFields &fields, std::function<void()> relayout, QWidget *menuParent)
    : QObject(menuParent), m_fields(fields), m_relayout(std::move(relayout))
{
    m_menu = new QMenu(QStringLiteral("&Weergave"), menuParent);
    m_menu->setObjectName(QStringLiteral("mnuWeergave"));
    m_menu->menuAction()->setObjectName(QStringLiteral("mnuWeergave"));

    mnuWeergaveMappen = addEntry(m_menu, "mnuWeergaveMappen", "Mappen", true);
    // "Bestanden" has no handler; it is not checkable so choosing it changes nothing.
    mnuWeergaveBestanden = addEntry(m_menu, "mnuWeergaveBestanden", "Bestanden", false);
    mnuWeergaveVoorbeeld = addEntry(m_menu, "mnuWeergaveVoorbeeld", "Voorbeeld", true);
    mnuWeergaveKnoppenBalk = addEntry(m_menu, "mnuWeergaveKnoppenBalk", "Knoppenbalk", true);
    mnuWeergaveKopTekst = addEntry(m_menu, "mnuWeergaveKopTekst", "Koptekst", true);
    mnuWeergaveStatusBalk = addEntry(m_menu, "mnuWeergaveStatusBalk", "Statusbalk", true);

    connect(mnuWeergaveMappen, &QAction::triggered, this, &ViewMenu::mnuWeergaveMappen_Click);
    connect(mnuWeergaveVoorbeeld, &QAction::triggered, this, &ViewMenu::mnuWeergaveVoorbeeld_Click);
    connect(mnuWeergaveKnoppenBalk, &QAction::triggered, this, &ViewMenu::mnuWeergaveKnoppenBalk_Click);
    connect(mnuWeergaveKopTekst, &QAction::triggered, this, &ViewMenu::mnuWeergaveKopTekst_Click);
    connect(mnuWeergaveStatusBalk, &QAction::triggered, this, &ViewMenu::mnuWeergaveStatusBalk_Click);
    // The host may have changed a field since the menu last opened.
    connect(m_menu, &QMenu::aboutToShow, this, [this] { syncChecks(m_menu); });
    syncChecks(m_menu);
}

void ViewMenu::setField(bool &field, bool value)
{
    if (field == value)
        return;
    field = value;
    SkipOnError([&] { m_relayout(); });
}

void ViewMenu::mnuWeergaveMappen_Click(bool checked) { setField(m_fields.HideLocations, !checked); }
void ViewMenu::mnuWeergaveVoorbeeld_Click(bool checked) { setField(m_fields.FileInfoVisible, checked); }
void ViewMenu::mnuWeergaveKnoppenBalk_Click(bool checked) { setField(m_fields.ToolbarVisible, checked); }
void ViewMenu::mnuWeergaveKopTekst_Click(bool checked) { setField(m_fields.HeaderLabelsVisible, checked); }
void ViewMenu::mnuWeergaveStatusBalk_Click(bool checked) { setField(m_fields.StatusBarVisible, checked); }

void ViewMenu::syncChecks(QMenu *menu)
{
    const auto check = [menu](const char *name, bool value) {
        if (QAction *action = menu->findChild<QAction *>(QString::fromLatin1(name)))
            action->setChecked(value);
    };
    check("mnuWeergaveMappen", !m_fields.HideLocations);
    check("mnuWeergaveVoorbeeld", m_fields.FileInfoVisible);
    check("mnuWeergaveKnoppenBalk", m_fields.ToolbarVisible);
    check("mnuWeergaveKopTekst", m_fields.HeaderLabelsVisible);
    check("mnuWeergaveStatusBalk", m_fields.StatusBarVisible);
}

QMenu *ViewMenu::createHostMenu(QWidget *parent)
{
    auto *menu = new QMenu(QStringLiteral("&Weergave"), parent);
    menu->setObjectName(QStringLiteral("hostWeergave"));
    const auto add = [&](const char *name, const char *caption, void (ViewMenu::*handler)(bool)) {
        QAction *action = addEntry(menu, name, caption, true);
        connect(action, &QAction::triggered, this, handler);
    };
    add("mnuWeergaveMappen", "Mappen", &ViewMenu::mnuWeergaveMappen_Click);
    add("mnuWeergaveVoorbeeld", "Voorbeeld", &ViewMenu::mnuWeergaveVoorbeeld_Click);
    add("mnuWeergaveKnoppenBalk", "Knoppenbalk", &ViewMenu::mnuWeergaveKnoppenBalk_Click);
    add("mnuWeergaveKopTekst", "Koptekst", &ViewMenu::mnuWeergaveKopTekst_Click);
    add("mnuWeergaveStatusBalk", "Statusbalk", &ViewMenu::mnuWeergaveStatusBalk_Click);
    connect(menu, &QMenu::aboutToShow, this, [this, menu] { syncChecks(menu); });
    syncChecks(menu);
    return menu;
}

} // namespace dwfm
