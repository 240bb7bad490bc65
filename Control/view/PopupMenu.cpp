#include "PopupMenu.h"

#include "platform/ErrorTrap.h"

#include <QAction>
#include <QMenu>

namespace dwfm {

namespace {
using E = PopupEntry;

struct EntrySpec {
    PopupEntry entry;
    const char *caption; // null: a separator
};

// The top level of the menu, in order; the two submenus are added where they stand.
constexpr EntrySpec kTopLevel[] = {
    {E::MappenNieuweMap, "Nieuwe map"},
    {E::MappenNaamWijzigen, "Naam wijzigen"},
    {E::MappenVerwijderMap, "Verwijderen map"},
    {E::Cap36, nullptr},
    {E::MappenToevoegenProject, "Toevoegen Bestand(en)..."},
    {E::ProjectBekijken, "Bestand &Bekijken"},
    {E::Caption14, nullptr},
    {E::ProjectStuurNaar, "&Stuur naar"},
    {E::Caption11, nullptr},
    {E::ProjectOpenen, "Bestand &Openen"},
    {E::ProjectBewerken, "Bestand In Gebruik Nemen"},
    {E::ProjectTerugzetten, "Bestand Vrijgeven"},
    {E::UndoCheckOut, "Vrijgeven Ongedaan Maken"},
    {E::ProjectLaatWeten, "Laat weten wanneer vrij"},
    {E::Caption1, nullptr},
    {E::ProjectKnippen, "Bestand Knippen"},
    {E::ProjectKopieren, "Bestand Kopiëren"},
    {E::ProjectPlakken, "Bestand Plakken"},
    {E::Caption4, nullptr},
    {E::ProjectNaamWijzigen, "Naam &Wijzigen"},
    {E::ProjectVerwijderen, "Bestand &Verwijderen"},
    {E::Caption2, nullptr},
    {E::ProjectToevoegen, "Toevoegen Bestand(en)"},
    {E::Caption13, nullptr},
    {E::ProjectEigenschappen, "Eigenschappen"},
    {E::Caption100, nullptr},
    {E::Weergave, "&Weergave"},
};

constexpr EntrySpec kStuurNaar[] = {
    {E::StuurNaarA, "Floppy Drive (A)"},
    {E::StuurNaarEmail, "Email"},
    {E::StuurNaarMijnDoc, "Mijn Documenten"},
    {E::StuurNaarKiesEenFolder, "Kies een folder..."},
};
} // namespace

PopupMenu::PopupMenu(QMenu *viewMenu, QWidget *parent) : QObject(parent)
{
    m_menu = new QMenu(parent);
    m_menu->setObjectName(QStringLiteral("mnuPopUp"));

    for (const EntrySpec &def : kTopLevel) {
        QAction *action = nullptr;
        if (def.entry == E::ProjectStuurNaar) {
            QMenu *stuurNaar = m_menu->addMenu(QString::fromUtf8(def.caption));
            stuurNaar->setObjectName(popupEntryName(def.entry));
            for (const EntrySpec &sub : kStuurNaar) {
                QAction *subAction = stuurNaar->addAction(QString::fromUtf8(sub.caption));
                subAction->setObjectName(popupEntryName(sub.entry));
                m_actions[std::size_t(sub.entry)] = subAction;
            }
            action = stuurNaar->menuAction();
        } else if (def.entry == E::Weergave) {
            viewMenu->setParent(m_menu, viewMenu->windowFlags());
            action = m_menu->addMenu(viewMenu);
        } else if (!def.caption) {
            action = m_menu->addSeparator();
        } else {
            action = m_menu->addAction(QString::fromUtf8(def.caption));
        }
        action->setObjectName(popupEntryName(def.entry));
        // The wish to hear when a file is free shows a check mark while it waits.
        action->setCheckable(def.entry == E::ProjectLaatWeten);
        m_actions[std::size_t(def.entry)] = action;
    }
    for (int i = int(E::WeergaveMappen); i < PopupEntryCount; ++i)
        m_actions[std::size_t(i)] = viewMenu->findChild<QAction *>(popupEntryName(E(i)));
}

QAction *PopupMenu::action(const QString &name) const
{
    for (QAction *action : m_actions) {
        if (action && action->objectName() == name)
            return action;
    }
    return nullptr;
}

void PopupMenu::apply(const PopupMenuState &state)
{
    for (int i = 0; i < PopupEntryCount; ++i) {
        QAction *action = m_actions[std::size_t(i)];
        if (!action)
            continue;
        const PopupEntryState &entry = state[E(i)];
        SkipOnError([&] {
            action->setVisible(entry.visible);
            action->setEnabled(entry.enabled);
            if (action->isCheckable())
                action->setChecked(entry.checked);
        });
    }
}

PopupMenuState PopupMenu::current() const
{
    PopupMenuState state;
    for (int i = 0; i < PopupEntryCount; ++i) {
        if (const QAction *action = m_actions[std::size_t(i)])
            state[E(i)] = {action->isVisible(), action->isEnabled(), action->isChecked()};
    }
    return state;
}

} // namespace dwfm
