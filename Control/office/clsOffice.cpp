#include "clsOffice.h"

#include "DwError.h"
#include "platform/ErrorTrap.h"

namespace dwfm {

namespace {
AutomationObject &require(const AutomationRef &reference)
{
    if (!reference)
        throw DwError(DwError::ObjectNotSet, QStringLiteral("Objectvariabele is niet ingesteld."));
    return *reference;
}

QString descriptionOf(const std::exception &error)
{
    if (const auto *own = dynamic_cast<const DwError *>(&error))
        return own->description();
    return QString::fromLocal8Bit(error.what());
}
} // namespace

bool clsOffice::getReference(AutomationRef &reference, const QString &className, const QString &notInstalled)
{
    // Each step may fail on its own; a failed step falls through to the next one.
    if (!reference) {
        SkipOnError([&] { reference = automationServers().attach(className); });
        if (!reference)
            SkipOnError([&] { reference = automationServers().start(className); });
        if (!reference) {
            m_latestError = notInstalled;
            return false;
        }
    }
    SkipOnError([&] { require(require(reference).object(QStringLiteral("Application"))).set(QStringLiteral("Visible"), true); });
    return true;
}

bool clsOffice::GetExcelReference()
{
    return getReference(m_excel, QStringLiteral("Excel.Application"), QStringLiteral("Excel niet geinstalleerd!"));
}

bool clsOffice::GetWordReference()
{
    return getReference(m_word, QStringLiteral("Word.Application"), QStringLiteral("Word niet geinstalleerd!"));
}

QString clsOffice::CreateDocument(const QString &strTemplatePath)
{
    try {
        require(require(m_word).object(QStringLiteral("Documents")))
            .invoke(QStringLiteral("Add"), {{QStringLiteral("Template"), strTemplatePath},
                                            {QStringLiteral("NewTemplate"), false}});
        return require(m_word->object(QStringLiteral("Activedocument"))).get(QStringLiteral("Name")).toString();
    } catch (const std::exception &error) {
        m_latestError = descriptionOf(error);
        return QString();
    }
}

bool clsOffice::SetDocumentAsActive(const QString &sDocumentName)
{
    try {
        const AutomationRef documents = require(m_word).object(QStringLiteral("Documents"));
        const int count = require(documents).get(QStringLiteral("Count")).toInt();
        for (int i = 1; i <= count; ++i) {
            const AutomationRef document = documents->object(QStringLiteral("Item"), {i});
            if (require(document).get(QStringLiteral("Name")).toString() == sDocumentName) {
                document->invoke(QStringLiteral("Activate"));
                return true;
            }
        }
        return false;
    } catch (const std::exception &error) {
        m_latestError = descriptionOf(error);
        return false;
    }
}

QString clsOffice::CreateWorkBook()
{
    try {
        require(require(m_excel).object(QStringLiteral("workbooks"))).invoke(QStringLiteral("Add"));
        return require(m_excel->object(QStringLiteral("activeworkbook"))).get(QStringLiteral("Name")).toString();
    } catch (const std::exception &error) {
        m_latestError = descriptionOf(error);
        return QString();
    }
}

QString clsOffice::MergeDocument(const QString &strTemplatePath, const QString &strDataSourcePath)
{
    try {
        const QString main = CreateDocument(strTemplatePath);
        if (main.isEmpty())
            return QString();
        const AutomationRef mm = require(m_word->object(QStringLiteral("Activedocument"))).object(QStringLiteral("MailMerge"));
        const QString none;
        require(mm).invoke(QStringLiteral("OpenDataSource"),
                           {{QStringLiteral("Name"), strDataSourcePath},
                            {QStringLiteral("ConfirmConversions"), false},
                            {QStringLiteral("ReadOnly"), true},
                            {QStringLiteral("LinkToSource"), false},
                            {QStringLiteral("AddToRecentFiles"), false},
                            {QStringLiteral("PasswordDocument"), none},
                            {QStringLiteral("PasswordTemplate"), none},
                            {QStringLiteral("WritePasswordDocument"), none},
                            {QStringLiteral("WritePasswordTemplate"), none},
                            {QStringLiteral("Revert"), false},
                            {QStringLiteral("Format"), 0}, // automatic format detection
                            {QStringLiteral("Connection"), none},
                            {QStringLiteral("SQLStatement"), none},
                            {QStringLiteral("SQLStatement1"), none}});
        mm->set(QStringLiteral("Destination"), 0); // merge into a new document
        mm->invoke(QStringLiteral("Execute"), {{QStringLiteral("Pause"), true}});
        // The merge made a new document and activated it.
        const QString merged = require(m_word->object(QStringLiteral("Activedocument"))).get(QStringLiteral("Name")).toString();
        // The document made from the template has served its purpose.
        if (SetDocumentAsActive(main))
            require(m_word->object(QStringLiteral("Activedocument")))
                .invoke(QStringLiteral("Close"), {{QStringLiteral("SaveChanges"), false}});
        SetDocumentAsActive(merged);
        return merged;
    } catch (const std::exception &error) {
        m_latestError = descriptionOf(error);
        return QString();
    }
}

} // namespace dwfm
