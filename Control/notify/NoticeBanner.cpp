#include "NoticeBanner.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>

namespace dwfm {

NoticeBanner::NoticeBanner(QWidget *control) : QFrame(control), m_label(new QLabel(this))
{
    setObjectName(QStringLiteral("fraMelding"));
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::ToolTipBase);
    m_label->setObjectName(QStringLiteral("lblMelding"));
    m_label->setTextFormat(Qt::PlainText);
    auto *show = new QLabel(QStringLiteral("<a href=\"#tonen\">Tonen</a>"), this);
    show->setObjectName(QStringLiteral("lblMeldingTonen"));
    show->setTextFormat(Qt::RichText);
    connect(show, &QLabel::linkActivated, this, [this] { activate(); });
    auto *close = new QToolButton(this);
    close->setObjectName(QStringLiteral("cmdMeldingSluiten"));
    close->setText(QStringLiteral("×"));
    close->setToolTip(QStringLiteral("Sluiten"));
    close->setAutoRaise(true);
    connect(close, &QToolButton::clicked, this, &QWidget::hide);
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(6, 2, 2, 2);
    row->addWidget(m_label, 1);
    row->addWidget(show);
    row->addWidget(close);
    hide();
    control->installEventFilter(this);
}

NoticeBanner::~NoticeBanner()
{
    if (parentWidget())
        parentWidget()->removeEventFilter(this);
}

void NoticeBanner::showNotice(const QString &text, std::function<void()> action)
{
    m_label->setText(text);
    m_action = std::move(action);
    place();
    show();
    raise();
}

QString NoticeBanner::text() const { return isHidden() ? QString() : m_label->text(); }

void NoticeBanner::activate()
{
    hide();
    if (const auto action = m_action)
        action();
}

void NoticeBanner::place()
{
    const QWidget *control = parentWidget();
    const int height = sizeHint().height();
    setGeometry(0, control->height() - height, control->width(), height);
}

bool NoticeBanner::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == parentWidget() && event->type() == QEvent::Resize && !isHidden())
        place();
    return QFrame::eventFilter(watched, event);
}

} // namespace dwfm
