#pragma once

#include "view/ViewLayout.h"

#include <QObject>

#include <functional>

class QAction;
class QMenu;
class QWidget;

namespace dwfm {

// The view submenu "&Weergave": it switches the tree, the preview, the tool bar, the
// title row and the status bar on and off. Each entry toggles its check mark; the field
// changes, and the control is laid out anew, only when the field does not already hold
// the new value. "Bestanden" does nothing.
class ViewMenu : public QObject {
    Q_OBJECT
public:
    ViewMenu(const ViewFields &fields, std::function<void()> relayout, QWidget *menuParent);

    // The submenu, as the popup menu shows it.
    QMenu *menu() const { return m_menu; }
    // A menu for the host's menu bar with the five working entries; its check marks
    // follow the fields each time it opens.
    QMenu *createHostMenu(QWidget *parent);

    void mnuWeergaveMappen_Click(bool checked);
    void mnuWeergaveVoorbeeld_Click(bool checked);
    void mnuWeergaveKnoppenBalk_Click(bool checked);
    void mnuWeergaveKopTekst_Click(bool checked);
    void mnuWeergaveStatusBalk_Click(bool checked);

    QAction *mnuWeergaveMappen = nullptr;
    QAction *mnuWeergaveBestanden = nullptr;
    QAction *mnuWeergaveVoorbeeld = nullptr;
    QAction *mnuWeergaveKnoppenBalk = nullptr;
    QAction *mnuWeergaveKopTekst = nullptr;
    QAction *mnuWeergaveStatusBalk = nullptr;

private:
    void setField(bool &field, bool value);
    void syncChecks(QMenu *menu);

    ViewFields m_fields;
    std::function<void()> m_relayout;
    QMenu *m_menu = nullptr;
};

} // namespace dwfm
