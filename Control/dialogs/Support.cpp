#include "Support.h"

#include "frmSaveAsDialog.h"

#include "core/FileManUI.h"

#include "platform/ErrorTrap.h"
#include "platform/Prompts.h"

#include <memory>

namespace dwfm {

bool Support::ShowFileSaveAsDialog(const QString &strServer, const QString &strUser, const QString &strPassWord,
                                   const QString &strCatalog, bool bSQLSecurity, const QString &strFileName,
                                   qint32 lTargetLocationID, const QString &strTargetFriendlyDescription,
                                   bool bCreateEmptyFile, const QString &strEmptyFileExtentionName,
                                   qint32 &lSavedInLocationID, qint32 &lSavedFileID, QString &strSavedFileName)
{
    const auto nothingSaved = [&] {
        lSavedInLocationID = -1;
        lSavedFileID = -1;
        strSavedFileName.clear();
        return false;
    };
    std::unique_ptr<frmSaveAsDialog> dialog;
    // Unloading keeps the dialog's placement; its own failures do not count.
    const auto unload = [&] {
        if (dialog)
            dialog->Form_QueryUnload();
        dialog.reset();
    };
    try {
        dialog = std::make_unique<frmSaveAsDialog>();
        dialog->SetSourceFileLocation(strFileName);
        dialog->SetTargetLocationID(lTargetLocationID);
        dialog->setCreateEmptyFileOnServer(bCreateEmptyFile);
        dialog->setEmptyFileExtentionName(strEmptyFileExtentionName);
        dialog->SetTargetFriendlyDescription(strTargetFriendlyDescription);
        if (!dialog->DwBestandsBeheer1->SetupConnection(strServer, strUser, strPassWord, strCatalog, bSQLSecurity)) {
            unload();
            return nothingSaved();
        }
        prompts().execDialog(*dialog);
        bool saved = false;
        if (!dialog->Saved) {
            nothingSaved();
        } else {
            saved = true;
            lSavedInLocationID = dialog->SavedLocationID;
            strSavedFileName = dialog->SavedFileName;
            lSavedFileID = dialog->SavedFileID;
        }
        unload();
        return saved;
    } catch (const DwError &error) {
        ShowError(QStringLiteral("clsSupport.ShowSaveAsDialog"), error);
    } catch (const std::exception &error) {
        ShowError(QStringLiteral("clsSupport.ShowSaveAsDialog"), error);
    }
    SkipOnError(unload);
    return nothingSaved();
}

} // namespace dwfm
