#include "frmGeneralProjectProperties.h"

#include "VersionPanel.h"
#include "core/SessionAccess.h"
#include "platform/ErrorReport.h"
#include "platform/TextHelpers.h"
#include "platform/Twips.h"
#include "platform/WindowPlacement.h"

#include <QDateTime>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTextCursor>
#include <QTextEdit>

namespace dwfm {

namespace {
constexpr int kSeparatorLength = 120;

// Keys that only move, select or copy; they change nothing and always pass.
bool isHarmlessKey(const QKeyEvent &key)
{
    if (key.matches(QKeySequence::Copy) || key.matches(QKeySequence::SelectAll))
        return true;
    switch (key.key()) {
    case Qt::Key_Left: case Qt::Key_Right: case Qt::Key_Up: case Qt::Key_Down:
    case Qt::Key_Home: case Qt::Key_End: case Qt::Key_PageUp: case Qt::Key_PageDown:
    case Qt::Key_Tab: case Qt::Key_Backtab: case Qt::Key_Escape: case Qt::Key_Shift:
    case Qt::Key_Control: case Qt::Key_Alt: case Qt::Key_Meta:
        return true;
    default:
        return false;
    }
}

void insertText(QTextCursor &cursor, const QString &text, bool bold = false, const QColor &color = Qt::black)
{
    QTextCharFormat format;
    format.setFontWeight(bold ? QFont::Bold : QFont::Normal);
    format.setForeground(color);
    cursor.insertText(text, format);
}
} // namespace

frmGeneralProjectProperties::frmGeneralProjectProperties(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmGeneralProjectProperties"));
    setWindowTitle(QStringLiteral("Bestand eigenschappen"));
    setModal(true);

    SSTab1 = new QTabWidget(this);
    SSTab1->setObjectName(QStringLiteral("SSTab1"));
    auto *general = new QWidget;
    auto *log = new QWidget;
    SSTab1->addTab(general, QStringLiteral("Algemeen"));
    SSTab1->addTab(log, QStringLiteral("Logboek"));

    const auto lineEdit = [](const char *name, QWidget *parent) {
        auto *edit = new QLineEdit(parent);
        edit->setObjectName(QString::fromLatin1(name));
        return edit;
    };
    const auto label = [](const char *name, const char *text, QWidget *parent) {
        auto *l = new QLabel(QString::fromUtf8(text), parent);
        l->setObjectName(QString::fromLatin1(name));
        return l;
    };
    const auto frame = [](const char *name, const char *text, QWidget *parent) {
        auto *box = new QGroupBox(QString::fromUtf8(text), parent);
        box->setObjectName(QString::fromLatin1(name));
        return box;
    };

    // The tab pages start below the tab row, which the design counts in its positions.
    const double tabRow = 330;
    Frame3 = frame("Frame3", "Instellingen per gebruiker : ", general);
    Label2 = label("Label2", "Lokaal pad : ", Frame3);
    txtLokaalProject = lineEdit("txtLokaalProject", Frame3);
    Frame4 = frame("Frame4", "Server instellingen :", general);
    Label1 = label("Label1", "Server pad :", Frame4);
    txtLokatieOpServer = lineEdit("txtLokatieOpServer", Frame4);
    Label5 = label("Label5", "Bestandsnaam :", Frame4);
    txtProjectCab = lineEdit("txtProjectCab", Frame4);
    Frame5 = frame("Frame5", "Status :", general);
    rtStatus = new QTextEdit(Frame5);
    rtStatus->setObjectName(QStringLiteral("rtStatus"));
    rtHistory = new QTextEdit(log);
    rtHistory->setObjectName(QStringLiteral("rtHistory"));
    rtHistory->setLineWrapMode(QTextEdit::NoWrap);
    pnlVersies = new VersionPanel(log);
    pnlVersies->setVisible(false);
    lblProjectID = label("lblProjectID", "ProjectID:", this);
    txtProjectID = lineEdit("txtProjectID", this);
    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);

    Twips::place(this, {0, 0, 7155, 5115});
    Twips::place(SSTab1, {120, 90, 6900, 4485});
    Twips::place(Frame3, {120, 420 - tabRow, 6600, 810});
    Twips::place(Label2, {75, 345, 1100, 300});
    Twips::place(txtLokaalProject, {1260, 300, 5235, 315});
    Twips::place(Frame4, {120, 1290 - tabRow, 6630, 1065});
    Twips::place(Label1, {90, 330, 1100, 300});
    Twips::place(txtLokatieOpServer, {1260, 255, 5295, 315});
    Twips::place(Label5, {90, 705, 1150, 300});
    Twips::place(txtProjectCab, {1275, 630, 5295, 315});
    Twips::place(Frame5, {135, 2475 - tabRow, 6630, 1860});
    Twips::place(rtStatus, {120, 240, 6360, 1530});
    Twips::place(pnlVersies, {60, 60, 6720, 1500});
    placeHistory(false);
    Twips::place(lblProjectID, {120, 4740, 880, 300});
    Twips::place(txtProjectID, {1020, 4680, 1335, 315});
    Twips::place(cmdOK, {5805, 4665, 1200, 345});
    setFixedSize(size());

    lblProjectID->setVisible(false);
    txtProjectID->setVisible(false);
    for (QWidget *field : {static_cast<QWidget *>(txtLokaalProject), static_cast<QWidget *>(txtLokatieOpServer),
                           static_cast<QWidget *>(txtProjectCab), rtStatus->viewport(), rtHistory->viewport(),
                           static_cast<QWidget *>(rtStatus), static_cast<QWidget *>(rtHistory)})
        field->installEventFilter(this);

    connect(cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
    // A restored version is a new version with a history row: both are read again, and the
    // file list wants a refill afterwards.
    connect(pnlVersies, &VersionPanel::restored, this, [this] {
        Changed = true;
        rtHistory->clear();
        fillHistory(mProjectID);
    });
}

frmGeneralProjectProperties::~frmGeneralProjectProperties() = default;

void frmGeneralProjectProperties::placeHistory(bool belowVersions)
{
    const double tabPage = 4485 - 330;
    const double top = belowVersions ? 1620 : 60;
    Twips::place(rtHistory, {60, top, 6720, tabPage - 60 - top});
}

void frmGeneralProjectProperties::Form_Load()
{
    if (RequireSession()->CurrentUser().IsAdministrator()) {
        lblProjectID->setVisible(true);
        txtProjectID->setVisible(true);
        m_inputLocked = false;
    } else {
        m_inputLocked = true;
    }
    // Nothing the locked user could do changes a field, dropped text included.
    for (QWidget *field : {static_cast<QWidget *>(txtLokaalProject), static_cast<QWidget *>(txtLokatieOpServer),
                           static_cast<QWidget *>(txtProjectCab), static_cast<QWidget *>(rtStatus),
                           static_cast<QWidget *>(rtHistory)})
        field->setAcceptDrops(!m_inputLocked);
    CenterForm(*this);
}

bool frmGeneralProjectProperties::eventFilter(QObject *watched, QEvent *event)
{
    if (m_inputLocked) {
        switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::ShortcutOverride:
            if (!isHarmlessKey(*static_cast<QKeyEvent *>(event))) {
                event->accept();
                return true;
            }
            break;
        case QEvent::InputMethod:
        case QEvent::ContextMenu:
            return true;
        default:
            break;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void frmGeneralProjectProperties::FillInfo()
{
    const FileStoreSessionPtr session = RequireSession();
    RecordsetPtr info;
    if (!session->Projects().GetProjectInfo(info, mProjectID) || !info) {
        ShowCriticalMessage(QStringLiteral("Geen eigenschappen gevonden!"));
        // The list shows a file the store does not know (any more).
        Changed = true;
        return;
    }
    setWindowTitle(NullToEmpty(info->value(QStringLiteral("Workname"))) + QStringLiteral(" Eigenschappen"));
    txtLokatieOpServer->setText(AddBackslash(session->Locations().GetServerRootFolder()) +
                                session->Projects().GetProjectLocationPath(mProjectID));
    txtLokaalProject->setText(session->Projects().GetProjectLocalFolder(mProjectID));
    const QString fileName = session->Projects().GetProjectFileName(mProjectID);
    txtProjectCab->setText(fileName);
    if (!ListedFileName.isEmpty() && fileName != ListedFileName)
        Changed = true;
    QTextCursor status = rtStatus->textCursor();
    insertText(status, QStringLiteral("Geen bijzonderheden.\n"));
    txtProjectID->setText(QString::number(mProjectID));
    fillHistory(info->value(QStringLiteral("Projectid")).toInt());
    const bool held = info->hasField(QStringLiteral("CheckedOut")) && info->value(QStringLiteral("CheckedOut")).toBool();
    const QString holder = held && info->hasField(QStringLiteral("UserID")) ? NullToEmpty(info->value(QStringLiteral("UserID")))
                                                                          : QString();
    const bool versions = pnlVersies->fill(mProjectID, fileName, holder);
    pnlVersies->setVisible(versions);
    placeHistory(versions);
}

void frmGeneralProjectProperties::fillHistory(qint32 projectID)
{
    QTextCursor cursor = rtHistory->textCursor();
    RecordsetPtr history;
    if (!RequireSession()->Projects().GetProjectHistory(history, projectID) || !history) {
        insertText(cursor, QStringLiteral("Geen historische gegevens beschikbaar!"));
        return;
    }
    do {
        const QVariant user = history->value(QStringLiteral("UserName"));
        const QVariant memo = history->value(QStringLiteral("Memo"));
        const QString header = NullToEmpty(history->value(QStringLiteral("Description"))) + QStringLiteral(" op ") +
                               history->value(QStringLiteral("ActionDate")).toDate().toString(QStringLiteral("dd-MM-yy")) +
                               QStringLiteral(" om ") +
                               history->value(QStringLiteral("ActionTime")).toTime().toString(QStringLiteral("HH:mm")) +
                               QStringLiteral(" door ") + (user.isNull() ? QStringLiteral("Onbekend!") : user.toString()) +
                               QStringLiteral(".");
        insertText(cursor, header, true);
        insertText(cursor, QStringLiteral("\n"));
        if (!memo.isNull())
            insertText(cursor, memo.toString() + QStringLiteral("\n"));
        insertText(cursor, QString(kSeparatorLength, QLatin1Char('-')) + QStringLiteral("\n"), false, QColor(0, 0, 255));
        history->moveNext();
    } while (!history->isEof());
    history->close();
}

void frmGeneralProjectProperties::cmdOK_Click() { accept(); }

} // namespace dwfm
