#include "frmLocatie.h"

#include "platform/Twips.h"
#include "platform/WindowPlacement.h"

#include <QLineEdit>
#include <QPushButton>

namespace dwfm {

frmLocatie::frmLocatie(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmLocatie"));
    setWindowTitle(QStringLiteral("Locatie"));
    setModal(true);

    // One line is all a path needs; it stays selectable for copying.
    txtLocatie = new QLineEdit(this);
    txtLocatie->setObjectName(QStringLiteral("txtLocatie"));
    cmdSluiten = new QPushButton(QStringLiteral("&Sluiten"), this);
    cmdSluiten->setObjectName(QStringLiteral("cmdSluiten"));
    cmdSluiten->setDefault(true);

    Twips::place(this, {0, 0, 6990, 915});
    Twips::place(txtLocatie, {150, 180, 6735, 285});
    Twips::place(cmdSluiten, {5685, 540, 1200, 300});

    connect(cmdSluiten, &QPushButton::clicked, this, &QDialog::accept);
}

void frmLocatie::SetLocation(const QString &vLoc)
{
    txtLocatie->setText(vLoc);
    txtLocatie->setCursorPosition(0);
}

void frmLocatie::showEvent(QShowEvent *event)
{
    if (!m_centred) {
        m_centred = true;
        CenterForm(*this);
    }
    QDialog::showEvent(event);
}

} // namespace dwfm
