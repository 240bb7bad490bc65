#pragma once

#include "DwExport.h"

#include <QDialog>

class QLineEdit;
class QPushButton;

namespace dwfm {

// "Locatie": shows a location's path in a text field the user can select and copy from.
class DWFILEMANUI_EXPORT frmLocatie : public QDialog {
    Q_OBJECT
public:
    explicit frmLocatie(QWidget *parent = nullptr);

    // Puts the text into the field.
    void SetLocation(const QString &vLoc);

    QLineEdit *txtLocatie;
    QPushButton *cmdSluiten;

protected:
    void showEvent(QShowEvent *event) override;

private:
    bool m_centred = false;
};

} // namespace dwfm
