#pragma once

#include <QString>

#include <array>

namespace dwfm {

// The entries of the popup menu, in menu order, followed by those of its two submenus.
enum class PopupEntry {
    MappenNieuweMap,
    MappenNaamWijzigen,
    MappenVerwijderMap,
    Cap36,
    MappenToevoegenProject,
    ProjectBekijken,
    Caption14,
    ProjectStuurNaar,
    Caption11,
    ProjectOpenen,
    ProjectBewerken,
    ProjectTerugzetten,
    UndoCheckOut,
    ProjectLaatWeten,
    Caption1,
    ProjectKnippen,
    ProjectKopieren,
    ProjectPlakken,
    Caption4,
    ProjectNaamWijzigen,
    ProjectVerwijderen,
    Caption2,
    ProjectToevoegen,
    Caption13,
    ProjectEigenschappen,
    Caption100,
    Weergave,
    // "&Stuur naar"
    StuurNaarA,
    StuurNaarEmail,
    StuurNaarMijnDoc,
    StuurNaarKiesEenFolder,
    // "&Weergave"
    WeergaveMappen,
    WeergaveBestanden,
    WeergaveVoorbeeld,
    WeergaveKnoppenBalk,
    WeergaveKopTekst,
    WeergaveStatusBalk,
    Count
};
constexpr int PopupEntryCount = int(PopupEntry::Count);

// The entry's name: the object name of its action ("mnuPopUpProjectKopieren").
QString popupEntryName(PopupEntry entry);

// Everything the menu's state depends on, read once from the control when a right-click
// opens the menu.
struct PopupSelection {
    bool treeContext = false;   // the click was in the tree
    bool itemSelected = false;  // the list has a selected row
    bool locationNode = false;  // the selected node is a location (key ends in "C")
    bool nodeHasParent = false; // the selected node is not a top node
    bool oneRowSelected = false;
    bool sameStatusSelection = true; // all selected rows carry the same tag
    qint32 tag = 0;                  // the tag of the list's selected row
    qint32 mode = 0;                 // the control mode
    bool readOnly = false;           // the control's ReadOnly field
    bool readOnlySession = false;
    bool isAdministrator = false;
    bool clipboardHoldsList = false; // the clipboard holds a cut or copy list
    bool searchResults = false;      // the list shows search results, not one location
    bool freeNotices = false;        // the store tells when others free a file
    bool awaitingFree = false;       // the user waits to hear when the selected file is free
    bool FileInfoVisible = false;
    bool StatusBarVisible = false;
    bool HideLocations = false;
    bool HeaderLabelsVisible = false;
    bool ToolbarVisible = false;
};

struct PopupEntryState {
    bool visible = false;
    bool enabled = false;
    bool checked = false;
};

// The state of every entry. Each update sets all of them, so an entry never keeps what
// an earlier right-click left.
class PopupMenuState {
public:
    PopupEntryState &operator[](PopupEntry entry) { return m_entries[std::size_t(entry)]; }
    const PopupEntryState &operator[](PopupEntry entry) const { return m_entries[std::size_t(entry)]; }

private:
    std::array<PopupEntryState, PopupEntryCount> m_entries{};
};

// Tag bits of a file row that decide the menu.
namespace RowTag {
constexpr qint32 OwnRow = 2;
constexpr qint32 CheckedOut = 4;
constexpr qint32 Locked = 8;
} // namespace RowTag

// True when `text` is a whole cut or copy list (see ClipboardList).
bool isClipboardList(const QString &text);

// Computes the whole menu from one summary of the selection.
PopupMenuState computePopupMenuState(const PopupSelection &s);

} // namespace dwfm
