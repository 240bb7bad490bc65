#pragma once

#include <QString>

#include <optional>
#include <vector>

namespace dwfm {

// An extra top location of the specific-location mode.
struct AdditionalLocation {
    qint32 LocationID = 0;
    QString Description;
};

// The control's private state, shared by its subsystems (modes, tree, list, preview).
struct ControlState {
    enum Mode : qint32 { ModeNone = 0, ModeRoot = 1, ModeSaveFile = 2, ModeSelectFile = 3, ModeUser = 4,
                         ModeSpecificLocation = 5 };

    qint32 ControlMode = ModeNone;
    // -1 in root mode, -2 in user mode, else the location given to the mode method.
    qint32 ModeLocationID = 0;
    // The text of the tree's top node.
    QString ModeDescription;
    // The user of user mode.
    QString UserID;
    // Extra top locations of the specific-location mode; empty until that mode resets it
    // to one empty record.
    std::vector<AdditionalLocation> AdditionalLocations;
    // The files the list may show; no filter when absent.
    std::optional<std::vector<qint32>> AcceptableProjects;
    qint32 LastSavedProjectID = 0;
    QString LastSavedFileName;
    // The temporary HTML page that the preview shows.
    QString PreviewPagePath;
    // What the search results node of the tree shows the files for; empty without one.
    QString SearchText;
};

} // namespace dwfm
