#include "ControlModes.h"

#include "ControlState.h"
#include "SessionAccess.h"

#include "list/FileList.h"
#include "DwError.h"
#include "platform/ErrorTrap.h"
#include "tree/LocationTree.h"

namespace dwfm {

ControlModes::ControlModes(ControlState &state, ModeFields fields, LocationTree &tree, FileList &list)
    : m_state(state), m_fields(fields), m_tree(tree), m_list(list)
{
}

bool ControlModes::ControlInRootMode()
{
    return TrapErrors(
        QStringLiteral("DwProjectFileManUIControlInRootMode"),
        [&] {
            m_state.ModeLocationID = -1;
            m_state.ModeDescription = QStringLiteral("Applicaties");
            m_state.ControlMode = ControlState::ModeRoot;
            m_fields.Initialized = m_tree.RefreshLists();
            return m_fields.Initialized;
        },
        false);
}

bool ControlModes::ControlInUserMode(const QString &strUserID, const QString &strUserDescription)
{
    return TrapErrors(
        QStringLiteral("DwProjectFileManUIControlInUserMode"),
        [&] {
            m_state.ModeLocationID = -2;
            m_state.ModeDescription = strUserDescription;
            m_state.ControlMode = ControlState::ModeUser;
            m_state.UserID = strUserID;
            m_fields.Initialized = m_tree.RefreshLists();
            return m_fields.Initialized;
        },
        false);
}

bool ControlModes::enterSpecificLocationMode(qint32 lLocationID, const QString &strDescription, bool bNoInit)
{
    m_state.ModeLocationID = lLocationID;
    m_state.ModeDescription = strDescription;
    m_state.ControlMode = ControlState::ModeSpecificLocation;
    m_state.AdditionalLocations.assign(1, AdditionalLocation{});
    // Without bNoInit the host adds its extra locations first and builds the tree with
    // RefreshTreeView.
    m_fields.Initialized = bNoInit ? m_tree.RefreshLists() : true;
    return m_fields.Initialized;
}

bool ControlModes::ControlInSpecificLocationMode(qint32 lLocationID, const QString &strDescription, bool bNoInit)
{
    return TrapErrors(
        QStringLiteral("DwProjectFileManUIControlInSpecificLocationMode"),
        [&] { return enterSpecificLocationMode(lLocationID, strDescription, bNoInit); }, false);
}

bool ControlModes::ControlInSaveFileMode(qint32 lLocationID, const QString &strDescription)
{
    return TrapErrors(
        QStringLiteral("DwProjectFileManUIControlInSaveFileMode"),
        [&] {
            const bool built = ControlInSpecificLocationMode(lLocationID, strDescription, true);
            m_state.ControlMode = built ? ControlState::ModeSaveFile : ControlState::ModeNone;
            return built;
        },
        false);
}

bool ControlModes::ControlInSelectFileMode(qint32 lLocationID, const QString &strDescription)
{
    return TrapErrors(
        QStringLiteral("DwProjectFileManUIControlInSelectFileMode"),
        [&] {
            const bool built = ControlInSpecificLocationMode(lLocationID, strDescription, true);
            if (built) {
                m_fields.ReadOnly = true;
                m_fields.AllowPopupMenu = false;
            }
            m_state.ControlMode = built ? ControlState::ModeSelectFile : ControlState::ModeNone;
            return built;
        },
        false);
}

void ControlModes::AddAdditionalSpecificLocation(qint32 lLocationID, const QString &strDescription)
{
    TrapErrorsVoid(QStringLiteral("DwProjectFileManUIAddAdditionalSpecificLocation"), [&] {
        // The list exists only once the specific-location mode has been chosen.
        if (m_state.AdditionalLocations.empty())
            throw DwError(9, QStringLiteral("Subscript out of range: kies eerst een specifieke locatie."));
        m_state.AdditionalLocations.push_back({lLocationID, strDescription});
    });
}

void ControlModes::RefreshTreeView() { m_tree.RefreshLists(); }

void ControlModes::SetAcceptableProjects(const QString &strProjectList)
{
    TrapErrorsVoid(QStringLiteral("DwProjectFileManUISetAcceptableProjects"), [&] {
        if (strProjectList.trimmed().isEmpty()) {
            m_state.AcceptableProjects.reset();
            return;
        }
        m_state.AcceptableProjects.emplace();
        for (const QString &piece : strProjectList.split(QLatin1Char('|'))) {
            bool ok = false;
            const qint32 id = piece.trimmed().toInt(&ok);
            if (!ok)
                throw DwError(13, QStringLiteral("Type mismatch: '%1' is geen bestandsnummer.").arg(piece));
            m_state.AcceptableProjects->push_back(id);
        }
    });
}

qint32 ControlModes::CountOfProjectsInUseByUser()
{
    return TrapErrors(
        QStringLiteral("DwProjectFileManUICountOfProjectsInUseByUser"),
        [&] {
            if (m_state.ControlMode != ControlState::ModeUser || !m_tree.RefreshLists())
                return qint32(-1);
            return qint32(m_list.countOfCurrentUsersRows());
        },
        qint32(0));
}

bool ControlModes::FileManSessionProjectsGetLocalCopy(qint32 hWnd, qint32 vProjectID, const QString &strTargetPath)
{
    return TrapErrors(
        QStringLiteral("DwProjectFileManUIFileManSessionProjectsGetLocalCopy"),
        [&] { return RequireSession()->Projects().GetLocalCopy(hWnd, vProjectID, strTargetPath); }, false);
}

} // namespace dwfm
