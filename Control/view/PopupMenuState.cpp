#include "PopupMenuState.h"

#include "clipboard/ClipboardList.h"

#include <QStringList>

namespace dwfm {

namespace {
constexpr const char *kNames[PopupEntryCount] = {
    "mnuPopupMappenNieuweMap",
    "mnuPopupMappenNaamWijzigen",
    "mnuPopupMappenVerwijderMap",
    "mnucap36",
    "mnuPopupMappenToevoegenProject",
    "mnuPopUpProjectBekijken",
    "mnuCaption14",
    "mnuPopUpProjectStuurNaar",
    "mnuCaption11",
    "mnuPopupProjectProjectOpenen",
    "mnuPopupProjectProjectBewerken",
    "mnuPopupProjectProjectTerugzetten",
    "mnuPopupProjectUndoCheckOut",
    "mnuPopUpProjectLaatWetenWanneerVrij",
    "mnuCaption1",
    "mnuPopUpProjectKnippen",
    "mnuPopUpProjectKopieren",
    "mnuPopUpProjectPlakken",
    "mnuCaption4",
    "mnuPopUpProjectNaamWijzigen",
    "mnuPopupProjectVerwijderen",
    "mnuCaption2",
    "mnuPopUpProjectToevoegen",
    "mnuCaption13",
    "mnuPopupProjectProjectEigenschappen",
    "mnuCaption100",
    "mnuWeergave",
    "mnuPopupProjectStuurNaarA",
    "mnuPopUpProjectStuurNaarEmail",
    "mnuPopUpProjectStuurNaarMijnDoc",
    "mnuPopUpProjectStuurNaarKiesEenFolder",
    "mnuWeergaveMappen",
    "mnuWeergaveBestanden",
    "mnuWeergaveVoorbeeld",
    "mnuWeergaveKnoppenBalk",
    "mnuWeergaveKopTekst",
    "mnuWeergaveStatusBalk",
};

using E = PopupEntry;
constexpr E kTreeEntries[] = {E::MappenNieuweMap, E::MappenNaamWijzigen, E::MappenVerwijderMap, E::Cap36,
                              E::MappenToevoegenProject};
constexpr E kViewEntries[] = {E::WeergaveMappen,      E::WeergaveBestanden, E::WeergaveVoorbeeld,
                              E::WeergaveKnoppenBalk, E::WeergaveKopTekst,  E::WeergaveStatusBalk};

bool isTreeEntry(E entry)
{
    for (E e : kTreeEntries)
        if (e == entry)
            return true;
    return false;
}

bool isViewEntry(E entry)
{
    return entry == E::Weergave || entry == E::Caption100 || entry >= E::WeergaveMappen;
}

// The enabled flags of the file entries that depend on the selected rows.
struct FileCommands {
    bool bekijken = false;
    bool stuurNaar = false;
    bool openen = false;
    bool bewerken = false;
    bool terugzetten = false;
    bool undo = false;
    bool verwijderen = false;
    bool toevoegen = false;
    bool eigenschappen = false;
    bool laatWeten = false;
};

FileCommands fileCommands(const PopupSelection &s)
{
    FileCommands c;
    const bool userMode = s.mode == 4;
    // Viewing and the properties act on one file, sending on all selected files; where a
    // case below says nothing else, that is what they follow.
    c.bekijken = s.oneRowSelected;
    c.eigenschappen = s.oneRowSelected;
    c.stuurNaar = s.itemSelected;
    c.toevoegen = !userMode;

    const bool own = s.tag & RowTag::OwnRow;
    const bool checkedOut = s.tag & RowTag::CheckedOut;
    const bool locked = s.tag & RowTag::Locked;
    if (!s.itemSelected) {
        c.bekijken = c.stuurNaar = c.eigenschappen = false;
    } else if (!s.oneRowSelected && !s.sameStatusSelection) {
        c.toevoegen = true;
    } else if (s.readOnly) {
        c.openen = own;
        c.toevoegen = false;
    } else if (s.mode == 0) {
        c.toevoegen = false;
    } else if (s.mode == 1 || s.mode == 2 || s.mode == 4 || s.mode == 5) {
        if (own) {
            c.openen = true;
            c.terugzetten = true;
            // The user may always take back an own check-out.
            c.undo = checkedOut;
            c.verwijderen = !userMode;
        } else if (checkedOut || locked) {
            c.undo = s.isAdministrator;
        } else {
            c.bekijken = c.stuurNaar = c.openen = c.bewerken = c.verwijderen = true;
        }
    } else if (s.mode == 3) {
        c.toevoegen = true;
    } else {
        c.toevoegen = false;
    }

    if (s.readOnlySession) {
        // Nothing that changes the store, the taking back of a check-out included.
        c.openen = c.bewerken = c.terugzetten = c.toevoegen = c.verwijderen = c.undo = false;
    }
    // Search results lie in many locations: there is no one location to add files to.
    if (s.searchResults)
        c.toevoegen = false;
    // Waiting for a file someone else has in use changes nothing in the store; a wish that
    // waits can always be taken back.
    c.laatWeten = s.freeNotices && s.oneRowSelected && ((checkedOut && !own) || s.awaitingFree);
    return c;
}

void setListEntries(PopupMenuState &state, const PopupSelection &s)
{
    for (int i = 0; i < PopupEntryCount; ++i) {
        const E entry = E(i);
        if (isViewEntry(entry))
            continue;
        state[entry].visible = !isTreeEntry(entry);
        state[entry].enabled = !isTreeEntry(entry);
    }
    const FileCommands c = fileCommands(s);
    state[E::ProjectBekijken].enabled = c.bekijken;
    state[E::ProjectStuurNaar].enabled = c.stuurNaar;
    state[E::ProjectOpenen].enabled = c.openen;
    state[E::ProjectBewerken].enabled = c.bewerken;
    state[E::ProjectTerugzetten].enabled = c.terugzetten;
    state[E::UndoCheckOut].enabled = c.undo;
    state[E::ProjectVerwijderen].enabled = c.verwijderen;
    state[E::ProjectToevoegen].enabled = c.toevoegen;
    state[E::ProjectEigenschappen].enabled = c.eigenschappen;
    state[E::ProjectLaatWeten].enabled = c.laatWeten;
    state[E::ProjectLaatWeten].checked = s.oneRowSelected && s.awaitingFree;

    const bool copyAllowed = s.mode != 4 && !s.readOnlySession && s.itemSelected;
    state[E::ProjectKopieren].enabled = copyAllowed;
    state[E::ProjectKnippen].enabled = copyAllowed;
    // Paste follows the clipboard alone (and the session), except in search results, which
    // are no location to paste into.
    state[E::ProjectPlakken].enabled = !s.readOnlySession && s.clipboardHoldsList && !s.searchResults;

    state[E::ProjectNaamWijzigen].enabled =
        !s.readOnlySession && s.oneRowSelected && s.mode != 4 && !(s.tag & RowTag::CheckedOut);
}

void setTreeEntries(PopupMenuState &state, const PopupSelection &s)
{
    for (int i = 0; i < PopupEntryCount; ++i) {
        const E entry = E(i);
        if (!isViewEntry(entry))
            state[entry] = PopupEntryState{};
    }
    for (E entry : {E::MappenNieuweMap, E::MappenNaamWijzigen, E::MappenVerwijderMap})
        state[entry].visible = true;
    state[E::MappenNieuweMap].enabled = s.locationNode;
    state[E::MappenNaamWijzigen].enabled = s.locationNode && s.nodeHasParent;
    state[E::MappenVerwijderMap].enabled = s.locationNode && s.nodeHasParent;
}

void setViewEntries(PopupMenuState &state, const PopupSelection &s)
{
    state[E::Caption100] = {true, true, false};
    state[E::Weergave] = {true, true, false};
    for (E entry : kViewEntries)
        state[entry] = {false, true, false};
    state[E::WeergaveMappen] = {true, true, !s.HideLocations};
    state[E::WeergaveVoorbeeld] = {true, true, s.FileInfoVisible};
    state[E::WeergaveStatusBalk] = {true, true, s.StatusBarVisible};
    state[E::WeergaveKopTekst].checked = s.HeaderLabelsVisible;
    state[E::WeergaveKnoppenBalk].checked = s.ToolbarVisible;
}
} // namespace

QString popupEntryName(PopupEntry entry)
{
    const int i = int(entry);
    return i >= 0 && i < PopupEntryCount ? QString::fromLatin1(kNames[i]) : QString();
}

bool isClipboardList(const QString &text)
{
    // Only a list that a paste would act on enables the entry.
    return ClipboardList::parseClipboardText(text).has_value();
}

PopupMenuState computePopupMenuState(const PopupSelection &s)
{
    PopupMenuState state;
    if (s.treeContext)
        setTreeEntries(state, s);
    else
        setListEntries(state, s);
    setViewEntries(state, s);
    return state;
}

} // namespace dwfm
