#include "ErrorReport.h"

#include "Prompts.h"
#include "frmError.h"

#include "SessionRegistry.h"

#include <new>

namespace dwfm {

namespace {
const QString kCrLf = QStringLiteral("\r\n");
const QString kSupport =
    QStringLiteral("Noteer deze informatie of maak een schermafdruk als u contact opneemt met de support afdeling.");
} // namespace

QString ApplicationTitle() { return QStringLiteral("DwProjectFileManUI"); }

QString LibraryVersion()
{
    return QStringLiteral("%1.%2.%3").arg(DW_VERSION_MAJOR).arg(DW_VERSION_MINOR).arg(DW_VERSION_PATCH);
}

ErrorClassification ClassifyError(qint32 number, const QString &description, const QString &procedure)
{
    ErrorClassification c;
    const QString procedureLine = QStringLiteral("Procedure = ") + procedure;
    if (number == DwError::IntegrityViolation) {
        c.errorClass = ErrorClassification::Restriction;
        c.message = QStringLiteral("De huidige actie kan niet worden uitgevoerd wegens restricties in de database!") +
                    kCrLf +
                    QStringLiteral("Als u een onderdeel probeert te verwijderen dan lukt dit niet omdat het nog wordt "
                                   "gebruikt in een andere tabel.") +
                    kCrLf +
                    QStringLiteral("Als u een nieuw onderdeel probeert op te slaan dan lukt dit niet omdat er "
                                   "onderdelen niet zijn ingevuld.");
        c.details = procedureLine + kCrLf + QStringLiteral("Error = ") + description;
    } else if (number == DwError::DatabaseError) {
        c.errorClass = ErrorClassification::Database;
        c.message = QStringLiteral("Er is een Databasefout opgetreden!") + kCrLf + kSupport;
        c.details = procedureLine + kCrLf + QStringLiteral("Error = %1: ").arg(number) + description;
    } else if (number == DwError::InputError) {
        c.errorClass = ErrorClassification::Input;
        c.message = QStringLiteral("Invoer onjuist!") + kCrLf + description;
        c.icon = 3;
    } else if (number != 0) {
        c.errorClass = ErrorClassification::General;
        c.message = QStringLiteral("Er is een fout opgetreden!") + kCrLf + kSupport;
        c.details = QStringLiteral("Applicatie versie: ") + LibraryVersion() + kCrLf + procedureLine + kCrLf +
                    QStringLiteral("Error = %1: ").arg(number) + description;
    }
    return c;
}

void ShowError(const QString &procedure)
{
    // No error pending: the session knows what went wrong last. Before the first
    // connection there is no session to ask, and nothing is shown.
    try {
        if (FileStoreSessionPtr session = SessionRegistry::current())
            session->Database().ReportLastError();
    } catch (...) {
    }
}

void ShowError(const QString &procedure, const DwError &error)
{
    const ErrorClassification c = ClassifyError(error.number(), error.description(), procedure);
    if (c.errorClass == ErrorClassification::None) {
        ShowError(procedure);
        return;
    }
    try {
        frmError dialog;
        dialog.Form_Load();
        dialog.SetImage(c.errorClass == ErrorClassification::Input ? 3 : 1);
        dialog.setMessage(c.message);
        dialog.setDetails(c.details);
        dialog.Form_Activate();
        prompts().execDialog(dialog);
        dialog.Form_Unload();
    } catch (const std::exception &failure) {
        ShowCriticalMessage(QStringLiteral("Error in module modConstanten.ShowError: ") +
                            QString::fromLocal8Bit(failure.what()));
    }
}

void ShowError(const QString &procedure, const std::exception &error) { ShowError(procedure, ToDwError(error)); }

DwError ToDwError(const std::exception &error)
{
    if (const auto *own = dynamic_cast<const DwError *>(&error))
        return *own;
    if (dynamic_cast<const std::bad_alloc *>(&error))
        return DwError(7, QStringLiteral("Onvoldoende geheugen"));
    return DwError(DwError::InvalidProcedureCall, QString::fromLocal8Bit(error.what()));
}

void ShowCriticalMessage(const QString &text)
{
    try {
        prompts().message(text, ApplicationTitle(), Prompts::Icon::Critical, Prompts::Buttons::Ok,
                          Prompts::Answer::Ok);
    } catch (...) {
    }
}

} // namespace dwfm
