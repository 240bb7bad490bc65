#pragma once

#include "view/PopupMenuState.h"

#include <QObject>

#include <array>

class QAction;
class QMenu;
class QWidget;

namespace dwfm {

// The control's one popup menu `mnuPopUp`: the folder entries of the tree, the file
// entries of the list, the "&Stuur naar" submenu and the view submenu. Every entry is a
// QAction named after the entry ("mnuPopUpProjectKopieren"); the commands connect to
// their triggered() signals. The menu itself carries no logic.
class PopupMenu : public QObject {
    Q_OBJECT
public:
    // `viewMenu` becomes the "&Weergave" submenu.
    PopupMenu(QMenu *viewMenu, QWidget *parent);

    QMenu *mnuPopUp() const { return m_menu; }
    QAction *action(PopupEntry entry) const { return m_actions[std::size_t(entry)]; }
    // The entry with this name; null when there is none.
    QAction *action(const QString &name) const;

    // Sets every entry's visible, enabled and checked flags.
    void apply(const PopupMenuState &state);
    // The flags as the actions now carry them.
    PopupMenuState current() const;

private:
    QMenu *m_menu = nullptr;
    std::array<QAction *, PopupEntryCount> m_actions{};
};

} // namespace dwfm
