#pragma once

#include <QString>

namespace dwfm {

struct ControlState;
class FileList;
class LocationTree;

// The public fields of the control that the mode methods set.
struct ModeFields {
    bool &Initialized;
    bool &ReadOnly;
    bool &AllowPopupMenu;
};

// The control's five modes and the small public services around them: which locations
// the tree shows at the top, the acceptable-files filter, the count of files in use.
// Every public method traps its own failures and reports them under its public name.
class ControlModes {
public:
    ControlModes(ControlState &state, ModeFields fields, LocationTree &tree, FileList &list);

    bool ControlInRootMode();
    bool ControlInUserMode(const QString &strUserID, const QString &strUserDescription);
    bool ControlInSpecificLocationMode(qint32 lLocationID, const QString &strDescription, bool bNoInit);
    bool ControlInSaveFileMode(qint32 lLocationID, const QString &strDescription);
    bool ControlInSelectFileMode(qint32 lLocationID, const QString &strDescription);
    void AddAdditionalSpecificLocation(qint32 lLocationID, const QString &strDescription);
    void RefreshTreeView();
    void SetAcceptableProjects(const QString &strProjectList);
    qint32 CountOfProjectsInUseByUser();
    bool FileManSessionProjectsGetLocalCopy(qint32 hWnd, qint32 vProjectID, const QString &strTargetPath);

private:
    // The specific-location mode without a trap of its own, for the modes built on it.
    bool enterSpecificLocationMode(qint32 lLocationID, const QString &strDescription, bool bNoInit);

    ControlState &m_state;
    ModeFields m_fields;
    LocationTree &m_tree;
    FileList &m_list;
};

} // namespace dwfm
