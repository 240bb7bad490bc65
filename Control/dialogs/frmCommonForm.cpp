#include "frmCommonForm.h"

#include "DwError.h"
#include "platform/FileDialogs.h"
#include "platform/Prompts.h"
#include "platform/Twips.h"
#include "platform/WindowPlacement.h"

#include <QColorDialog>
#include <QPrintDialog>
#include <QPrinter>

namespace dwfm {

namespace {
QColor fromBgr(qint32 value) { return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF); }
qint32 toBgr(const QColor &color) { return color.red() | (color.green() << 8) | (color.blue() << 16); }
} // namespace

frmCommonForm::frmCommonForm(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmCommonForm"));
    CenterForm(*this);
}

frmCommonForm::~frmCommonForm() = default;

QPrinter &frmCommonForm::printer()
{
    if (!m_printer)
        m_printer = std::make_unique<QPrinter>();
    return *m_printer;
}

void frmCommonForm::moveTo(qint32 x, qint32 Y) { move(Twips::toPixelsX(x, this), Twips::toPixelsY(Y, this)); }

void frmCommonForm::ShowColor(qint32 x, qint32 Y)
{
    try {
        moveTo(x, Y);
        // Starts from the current colour; a cancel counts as such, not as a choice.
        QColorDialog dialog(fromBgr(m_color), this);
        dialog.setOption(QColorDialog::DontUseNativeDialog);
        dialog.move(pos());
        if (prompts().execDialog(dialog) != QDialog::Accepted)
            throw DwError(DwError::DialogCancelled, QStringLiteral("Annuleren gekozen."));
        m_color = toBgr(dialog.selectedColor());
        Confirmed = true;
    } catch (const DwError &error) {
        if (error.number() == DwError::DialogCancelled)
            Cancelled = true;
    } catch (...) {
    }
}

void frmCommonForm::ShowFileOpen(qint32 x, qint32 Y)
{
    try {
        if (x == 0 && Y == 0)
            CenterForm(*this);
        else
            moveTo(x, Y);
        Prompts::FileDialogRequest request;
        // The mask separates its pairs with "|" where the file dialogs use NULs.
        request.filter = ToQtFilter(QString(m_mask).replace(QLatin1Char('|'), QChar(0)));
        request.initialName = m_fileName;
        const QStringList chosen = prompts().fileDialog(request);
        if (chosen.isEmpty())
            throw DwError(DwError::DialogCancelled, QStringLiteral("Annuleren gekozen."));
        m_fileName = chosen.first();
        Confirmed = true;
    } catch (const DwError &error) {
        if (error.number() == DwError::DialogCancelled)
            Cancelled = true;
    } catch (...) {
    }
}

void frmCommonForm::ShowPrint(qint32 x, qint32 Y, bool vCenter)
{
    try {
        if (vCenter)
            CenterForm(*this);
        else
            moveTo(x, Y);
        // The printer dialog raises nothing on cancel, so it always ends normally here.
        QPrintDialog dialog(&printer(), this);
        dialog.move(pos());
        prompts().execDialog(dialog);
        Confirmed = true;
    } catch (...) {
    }
}

} // namespace dwfm
