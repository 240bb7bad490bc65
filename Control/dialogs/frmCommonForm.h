#pragma once

#include "DwExport.h"

#include <QDialog>
#include <QString>

#include <memory>

class QPrinter;

namespace dwfm {

// Carries the system's colour, file-open and printer dialogs for a caller: the form itself
// is never shown; it keeps the last dialog's outcome. Cancelling is no error for the
// caller: it only sets Cancelled.
class DWFILEMANUI_EXPORT frmCommonForm : public QDialog {
    Q_OBJECT
public:
    explicit frmCommonForm(QWidget *parent = nullptr);
    ~frmCommonForm() override;

    // The user cancelled the last colour or file-open dialog.
    bool Cancelled = false;
    // The last dialog ended normally.
    bool Confirmed = false;

    // The colour dialog, at (x, Y) in twips, starting from the current colour.
    void ShowColor(qint32 x, qint32 Y);
    // The colour as 0x00BBGGRR.
    qint32 GetColor() const { return m_color; }
    void SetColor(qint32 vColor) { m_color = vColor; }
    // The file-open dialog; (0, 0) centres it on the screen, any other pair puts it at
    // (x, Y) in twips.
    void ShowFileOpen(qint32 x, qint32 Y);
    QString GetFileNaam() const { return m_fileName; }
    void SetFileNaam(const QString &vNaam) { m_fileName = vNaam; }
    // The file-open dialog's filter: description and pattern pairs separated by "|"
    // ("Tekst (*.txt)|*.txt|Alle bestanden (*.*)|*.*").
    void SetFileMask(const QString &vMask) { m_mask = vMask; }
    // The printer dialog, centred when vCenter is set, else at (x, Y) in twips. Its
    // cancel is not reported in Cancelled; the chosen settings are in printer().
    void ShowPrint(qint32 x, qint32 Y, bool vCenter);
    // The printer the printer dialog set up.
    QPrinter &printer();

private:
    void moveTo(qint32 x, qint32 Y);

    qint32 m_color = 0;
    QString m_fileName;
    QString m_mask;
    std::unique_ptr<QPrinter> m_printer;
};

} // namespace dwfm
