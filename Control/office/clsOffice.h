#pragma once

#include "DwExport.h"
#include "office/Automation.h"

#include <QString>

namespace dwfm {

// Drives the word processor ("Word.Application") and the spreadsheet
// ("Excel.Application") through their automation objects, by member names resolved at
// run time: attach to a running instance or start one, create a document from a template
// or an empty workbook, bring a named document to the front, and run a mail merge. No
// member throws; a failure gives an empty or False result and its text in LatestError.
// The servers come from automationServers(); this platform has none, so the references
// answer "Word niet geinstalleerd!" and "Excel niet geinstalleerd!".
class DWFILEMANUI_EXPORT clsOffice {
public:
    clsOffice() = default;
    clsOffice(const clsOffice &) = delete;
    clsOffice &operator=(const clsOffice &) = delete;

    // The last failure of this object; empty until one happens.
    QString LatestError() const { return m_latestError; }
    bool IsWordReferenced() const { return m_word != nullptr; }
    AutomationRef Word() const { return m_word; }
    bool IsExcelReferenced() const { return m_excel != nullptr; }
    AutomationRef Excel() const { return m_excel; }

    // Attaches to the running spreadsheet or starts one, and makes it visible. False, with
    // "Excel niet geinstalleerd!", when neither works.
    bool GetExcelReference();
    // The same for the word processor, with "Word niet geinstalleerd!".
    bool GetWordReference();
    // A new document from this template; the new document's name, or empty text.
    QString CreateDocument(const QString &strTemplatePath);
    // Activates the open document with exactly this name (case counts). False when none
    // has it.
    bool SetDocumentAsActive(const QString &sDocumentName);
    // A new empty workbook; its name, or empty text.
    QString CreateWorkBook();
    // Merges a new document from the template with the data file into a new document,
    // discards the document made from the template and answers the merged document's
    // name, or empty text.
    QString MergeDocument(const QString &strTemplatePath, const QString &strDataSourcePath);

private:
    bool getReference(AutomationRef &reference, const QString &className, const QString &notInstalled);

    AutomationRef m_word;
    AutomationRef m_excel;
    QString m_latestError;
};

} // namespace dwfm
