#include "PropertiesCommand.h"

#include "VersionPanel.h"
#include "frmGeneralProjectProperties.h"

#include "platform/ErrorTrap.h"
#include "platform/Prompts.h"

#include <memory>

namespace dwfm {

PropertiesCommand::PropertiesCommand(Context context, QObject *parent) : QObject(parent), m_ctx(std::move(context))
{
}

void PropertiesCommand::EigenschappenProject(qint32 lProjectID, const QString &listedName)
{
    std::unique_ptr<frmGeneralProjectProperties> dialog;
    SkipOnError([&] {
        dialog = std::make_unique<frmGeneralProjectProperties>(m_ctx.owner);
        dialog->Form_Load();
    });
    if (!dialog)
        return;
    SkipOnError([&] {
        dialog->mProjectID = lProjectID;
        dialog->ListedFileName = listedName;
        dialog->pnlVersies->viewVersion = m_ctx.viewVersion;
    });
    SkipOnError([&] { dialog->FillInfo(); });
    SkipOnError([&] { prompts().execDialog(*dialog); });
    SkipOnError([&] {
        if (dialog->Changed && m_ctx.treeNodeSelected && m_ctx.treeNodeSelected() && m_ctx.refreshListView)
            m_ctx.refreshListView();
    });
}

} // namespace dwfm
