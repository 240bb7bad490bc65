#include "frmSaveAsDialog.h"

#include "SaveAsLayout.h"

#include "core/FileManUI.h"
#include "platform/ErrorReport.h"
#include "platform/ErrorTrap.h"
#include "platform/TextHelpers.h"
#include "platform/Twips.h"
#include "platform/WindowPlacement.h"

#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace dwfm {

namespace {
// The designed label widths suit a smaller font than this platform's: a label whose text
// does not fit grows, and the field beside it starts that much later and is as much
// narrower, so the resize rules go on from the new left edge.
void fitLabel(QLabel *label, QLineEdit *field)
{
    const QRectF labelRect = Twips::rect(label);
    const double needed = Twips::toTwipsX(label->sizeHint().width(), label);
    const double gap = Twips::rect(field).left() - labelRect.right();
    if (needed <= labelRect.width())
        return;
    Twips::setWidth(label, needed);
    QRectF fieldRect = Twips::rect(field);
    fieldRect.setLeft(labelRect.left() + needed + gap);
    Twips::place(field, fieldRect);
}

// Puts the controls that follow the dialog's size at their rectangles.
void placeControls(frmSaveAsDialog *d, const SaveAsLayout::Rects &r)
{
    Twips::place(d->txtCurrentLocation, r.txtCurrentLocation);
    Twips::place(d->DwBestandsBeheer1, r.DwBestandsBeheer1);
    Twips::place(d->Label2, r.Label2);
    Twips::place(d->txtBestandsNaam, r.txtBestandsNaam);
    Twips::place(d->cmdOK, r.cmdOK);
    Twips::place(d->cmdAnnuleren, r.cmdAnnuleren);
}
} // namespace

QString frmSaveAsDialog::SettingsDescription() { return ApplicationTitle() + QStringLiteral("SaveFileAs"); }

frmSaveAsDialog::frmSaveAsDialog(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmSaveAsDialog"));
    setWindowTitle(QStringLiteral("Documenten opslaan"));
    setModal(true);

    Label1 = new QLabel(QStringLiteral("Document opslaan in :"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    txtCurrentLocation = new QLineEdit(this);
    txtCurrentLocation->setObjectName(QStringLiteral("txtCurrentLocation"));
    txtCurrentLocation->setReadOnly(true);
    DwBestandsBeheer1 = new FileManUI(this);
    DwBestandsBeheer1->setObjectName(QStringLiteral("DwBestandsBeheer1"));
    Label2 = new QLabel(QStringLiteral("Bronbestand:"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    txtBestandsNaam = new QLineEdit(this);
    txtBestandsNaam->setObjectName(QStringLiteral("txtBestandsNaam"));
    cmdOK = new QPushButton(QStringLiteral("Save"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    cmdAnnuleren = new QPushButton(QStringLiteral("Annuleren"), this);
    cmdAnnuleren->setObjectName(QStringLiteral("cmdAnnuleren"));

    const SaveAsLayout::Rects r = SaveAsLayout::designed();
    Twips::place(this, {0, 0, 8940, 4230});
    Twips::place(Label1, {60, 120, 1875, 195});
    placeControls(this, r);
    fitLabel(Label1, txtCurrentLocation);

    connect(DwBestandsBeheer1, &FileManUI::LocationChanged, this,
            [this](const QString &strLocationPath, qint32) { txtCurrentLocation->setText(strLocationPath); });
    connect(cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
    connect(cmdAnnuleren, &QPushButton::clicked, this, [this] { cmdAnnuleren_Click(); });

    Form_Load();
}

frmSaveAsDialog::~frmSaveAsDialog() = default;

void frmSaveAsDialog::SetSourceFileLocation(const QString &strFileName) { txtBestandsNaam->setText(strFileName); }

void frmSaveAsDialog::Form_Load()
{
    SkipOnError([this] { RestoreWindowPosition(*this); });
    // Nothing stored yet (or a size too small to use): a first size of 10000 x 4000.
    if (Twips::toTwipsX(width(), this) < 1000)
        resize(Twips::toPixelsX(10000, this), height());
    if (Twips::toTwipsY(height(), this) < 1000)
        resize(width(), Twips::toPixelsY(4000, this));
}

void frmSaveAsDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!Activated)
        Form_Activate();
}

void frmSaveAsDialog::Form_Activate()
{
    if (Activated)
        return;
    Activated = true;
    SkipOnError([this] {
        FileManUI &c = *DwBestandsBeheer1;
        c.RestoreSettings(SettingsDescription());
        c.StatusBarVisible = false;
        c.HeaderLabelsVisible = false;
        c.FileInfoVisible = false;
        c.ToolbarVisible = false;
        c.AllowPopupMenu = true;
        c.ReadOnly = false;
        c.ShowListViewGrid(false);
        if (!c.ControlInSaveFileMode(TargetLocationID, TargetFriendlyDescription)) {
            Saved = false;
            Failed = true;
            // Closing now would end the show that is only starting: close as soon as it runs.
            QMetaObject::invokeMethod(this, [this] { closeDialog(); }, Qt::QueuedConnection);
            return;
        }
        txtBestandsNaam->setReadOnly(!m_createEmptyFile);
        Label2->setText(m_createEmptyFile ? QStringLiteral("Bestandsnaam:") : QStringLiteral("Bronbestand:"));
        fitLabel(Label2, txtBestandsNaam);
        Form_Resize();
        if (m_createEmptyFile)
            txtBestandsNaam->setFocus();
    });
}

void frmSaveAsDialog::cmdOK_Click()
{
    TrapErrorsVoid(QStringLiteral("frmSaveAsDialog.cmdOK_Click"), [this] {
        FileManUI &c = *DwBestandsBeheer1;
        if (!m_createEmptyFile) {
            if (c.AddFileToCurrentLocation(txtBestandsNaam->text(), true)) {
                SavedLocationID = c.GetCurrentLocationID();
                SavedFileID = c.LastSavedProjectID();
                Saved = true;
                Failed = false;
                closeDialog();
            } else {
                // The user may pick another location, or cancel.
                SavedFileID = -1;
                SavedLocationID = -1;
                Saved = false;
                Failed = true;
            }
            return;
        }
        // The name is checked trimmed but created as typed; a refused name or a failed
        // creation (the control says why) leaves the dialog open for another try.
        if (!FileNameValid(txtBestandsNaam->text().trimmed()))
            return;
        if (c.CreateEmptyFileInCurrentLocation(txtBestandsNaam->text(), m_extension)) {
            SavedLocationID = c.GetCurrentLocationID();
            SavedFileID = c.LastSavedProjectID();
            SavedFileName = c.LastSavedFileName();
            Saved = true;
            Failed = false;
            closeDialog();
        }
    });
}

void frmSaveAsDialog::cmdAnnuleren_Click()
{
    Saved = false;
    Failed = false;
    CancelPressed = true;
    closeDialog();
}

void frmSaveAsDialog::closeDialog()
{
    SkipOnError([this] { DwBestandsBeheer1->SaveSettings(SettingsDescription()); });
    hide();
}

void frmSaveAsDialog::Form_QueryUnload()
{
    SkipOnError([this] { SaveWindowPosition(*this); });
}

void frmSaveAsDialog::closeEvent(QCloseEvent *event)
{
    // The window's close button: nothing is saved, and the host hears False.
    Form_QueryUnload();
    QDialog::closeEvent(event);
}

void frmSaveAsDialog::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    Form_Resize();
}

void frmSaveAsDialog::Form_Resize()
{
    SkipOnError([this] {
        const SaveAsLayout::Rects now{Twips::rect(txtCurrentLocation), Twips::rect(DwBestandsBeheer1),
                                      Twips::rect(Label2),             Twips::rect(txtBestandsNaam),
                                      Twips::rect(cmdOK),              Twips::rect(cmdAnnuleren)};
        placeControls(this, SaveAsLayout::arrange(now, Twips::toTwipsX(width(), this), Twips::toTwipsY(height(), this)));
    });
}

} // namespace dwfm
