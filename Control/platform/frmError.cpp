#include "frmError.h"

#include "ErrorReport.h"
#include "ErrorTrap.h"
#include "Prompts.h"
#include "ThemeIcons.h"
#include "Twips.h"

#include <QApplication>
#include <QClipboard>
#include <QFontMetrics>
#include <QIcon>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>

#include <algorithm>

namespace dwfm {

namespace {
bool g_detailsShown = false;

const QString kCrLf = QStringLiteral("\r\n");

QIcon iconFor(qint32 type)
{
    QStyle *style = QApplication::style();
    switch (type) {
    case 2: return style->standardIcon(QStyle::SP_MessageBoxQuestion);
    case 3: return style->standardIcon(QStyle::SP_MessageBoxWarning);
    case 4: return style->standardIcon(QStyle::SP_MessageBoxInformation);
    default: return style->standardIcon(QStyle::SP_MessageBoxCritical);
    }
}
} // namespace

bool frmError::DetailsShown() { return g_detailsShown; }
void frmError::setDetailsShown(bool shown) { g_detailsShown = shown; }

frmError::frmError(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmError"));
    setWindowTitle(QStringLiteral("Foutmelding"));
    setModal(true);

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    lblMelding = new QLabel(this);
    lblMelding->setObjectName(QStringLiteral("lblMelding"));
    lblMelding->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblMelding->setTextFormat(Qt::PlainText);
    cmdOK = new QPushButton(QStringLiteral("&OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    cmdDetails = new QPushButton(QStringLiteral("Details >>"), this);
    cmdDetails->setObjectName(QStringLiteral("cmdDetails"));
    cmdCopyToClipboard = new QPushButton(this);
    cmdCopyToClipboard->setObjectName(QStringLiteral("cmdCopyToClipboard"));
    cmdCopyToClipboard->setToolTip(QStringLiteral("Kopieer details naar het klembord"));
    cmdCopyToClipboard->setIcon(ThemeIcon(QStringLiteral("edit-copy")));
    cmdCancel = new QPushButton(QStringLiteral("Annuleren"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    cmdCancel->setVisible(false);
    txtDetails = new QPlainTextEdit(this);
    txtDetails->setObjectName(QStringLiteral("txtDetails"));
    txtDetails->setReadOnly(true);
    txtDetails->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    Twips::place(Image1, {120, 180, 615, 735});
    Twips::place(lblMelding, {780, 120, 7035, 1755});
    Twips::place(cmdOK, {3120, 2100, 1275, 315});
    Twips::place(cmdDetails, {4440, 2100, 1335, 315});
    Twips::place(cmdCopyToClipboard, {5820, 2100, 420, 315});
    Twips::place(cmdCancel, {240, 1980, 1155, 315});
    Twips::place(txtDetails, {60, 2580, 7815, 2535});
    setWidthTwips(7920);
    setHeightTwips(5160);

    connect(cmdOK, &QPushButton::clicked, this, [this] { SkipOnError([this] { hide(); }); accept(); });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { reject(); });
    connect(cmdDetails, &QPushButton::clicked, this, [this] { cmdDetails_Click(); });
    connect(cmdCopyToClipboard, &QPushButton::clicked, this, [this] { cmdCopyToClipboard_Click(); });
}

void frmError::SetImage(qint32 lType)
{
    SkipOnError([&] {
        m_imageType = (lType >= 1 && lType <= 4) ? lType : 1;
        Image1->setPixmap(iconFor(m_imageType).pixmap(32, 32));
    });
}

void frmError::setMessage(const QString &message) { lblMelding->setText(message); }
void frmError::setDetails(const QString &details)
{
    m_details = details;
    txtDetails->setPlainText(details);
}

void frmError::Form_Load()
{
    SkipOnError([&] { m_expanded = g_detailsShown; });
    SkipOnError([&] { setHeightTwips(CollapsedHeight); });
    SkipOnError([&] { prompts().beep(); });
    SkipOnError([&] { setWindowTitle(ApplicationTitle()); });
}

void frmError::Form_Activate()
{
    const bool noDetails = m_details.isEmpty();
    SkipOnError([&] {
        cmdDetails->setVisible(!noDetails);
        txtDetails->setVisible(!noDetails);
        cmdCopyToClipboard->setVisible(!noDetails);
        if (!noDetails) {
            lblMelding->setText(lblMelding->text() + kCrLf + kCrLf +
                                QStringLiteral("Klik op de knop details voor meer informatie."));
        }
    });
    SkipOnError([&] {
        const double w = textWidthTwips(lblMelding->text());
        setWidthTwips(Twips::rect(lblMelding).left() + w + 300);
        Twips::setWidth(lblMelding, w + 120);
    });
    SkipOnError([&] {
        if (noDetails) {
            setHeightTwips(CollapsedHeight);
        } else if (m_expanded) {
            setHeightTwips(ExpandedHeight);
            cmdDetails->setText(QStringLiteral("<< Details"));
        } else {
            cmdDetails->setText(QStringLiteral("Details >>"));
            m_expanded = false;
        }
    });
}

void frmError::Form_Unload() { g_detailsShown = m_expanded; }

void frmError::cmdDetails_Click()
{
    SkipOnError([&] {
        if (m_expanded) {
            setHeightTwips(CollapsedHeight);
            cmdDetails->setText(QStringLiteral("Details >>"));
            m_expanded = false;
        } else {
            setHeightTwips(ExpandedHeight);
            cmdDetails->setText(QStringLiteral("<< Details"));
            m_expanded = true;
        }
    });
}

void frmError::cmdCopyToClipboard_Click()
{
    SkipOnError([&] {
        QClipboard *clipboard = QGuiApplication::clipboard();
        clipboard->clear();
        clipboard->setText(m_details);
    });
}

void frmError::setWidthTwips(double width)
{
    m_widthTwips = width;
    Form_Resize();
}

void frmError::setHeightTwips(double height)
{
    m_heightTwips = height;
    Form_Resize();
}

void frmError::Form_Resize()
{
    SkipOnError([&] {
        if (m_widthTwips < MinimumWidth)
            m_widthTwips = MinimumWidth;
        m_applyingSize = true;
        resize(Twips::toPixelsX(m_widthTwips, this), Twips::toPixelsY(m_heightTwips, this));
        m_applyingSize = false;
    });
    const double margin = Twips::rect(txtDetails).left();
    const double formWidth = m_widthTwips;
    SkipOnError([&] {
        const QRectF ok = Twips::rect(cmdOK);
        if (!cmdDetails->isHidden()) {
            const double okLeft = formWidth / 2 - ok.width() - margin / 2;
            Twips::setLeft(cmdOK, okLeft);
            const double detailsLeft = okLeft + ok.width() + margin;
            Twips::setLeft(cmdDetails, detailsLeft);
            Twips::setLeft(cmdCopyToClipboard, detailsLeft + Twips::rect(cmdDetails).width() + margin);
        } else {
            Twips::setLeft(cmdOK, formWidth / 2 - ok.width() / 2);
        }
    });
    SkipOnError([&] { Twips::setWidth(txtDetails, formWidth - 2 * margin); });
}

void frmError::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    if (m_applyingSize)
        return;
    // Only a size that differs from the one in twips is taken over, so that a size set in
    // twips keeps its exact figure through the rounding to pixels.
    const QSize fromTwips(Twips::toPixelsX(m_widthTwips, this), Twips::toPixelsY(m_heightTwips, this));
    if (width() != fromTwips.width())
        m_widthTwips = Twips::toTwipsX(width(), this);
    if (height() != fromTwips.height())
        m_heightTwips = Twips::toTwipsY(height(), this);
    Form_Resize();
}

double frmError::textWidthTwips(const QString &text) const
{
    const QFontMetrics metrics(font());
    int widest = 0;
    const QStringList lines = QString(text).replace(kCrLf, QStringLiteral("\n")).split(QLatin1Char('\n'));
    for (const QString &line : lines)
        widest = std::max(widest, metrics.horizontalAdvance(line));
    return Twips::toTwipsX(widest, this);
}

} // namespace dwfm
