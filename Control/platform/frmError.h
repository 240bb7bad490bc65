#pragma once

#include <QDialog>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace dwfm {

// The error dialog: a symbol, the user message, OK, a details button that expands the
// technical details and a button that copies them to the clipboard. Its layout follows
// the designed sizes in twips. Whether the details were expanded is remembered for the
// next report of the process.
class frmError : public QDialog {
    Q_OBJECT
public:
    static constexpr double CollapsedHeight = 2860;
    static constexpr double ExpandedHeight = 5520;
    static constexpr double MinimumWidth = 5400;

    explicit frmError(QWidget *parent = nullptr);

    // Puts icon 1 (error), 2 (question), 3 (warning) or 4 (information) in the symbol;
    // any other value gives the error icon.
    void SetImage(qint32 lType);
    qint32 imageType() const { return m_imageType; }

    void setMessage(const QString &message);
    void setDetails(const QString &details);
    const QString &details() const { return m_details; }

    // The steps of the form's life, run by ShowError in order.
    void Form_Load();
    void Form_Activate();
    void Form_Unload();

    void cmdDetails_Click();
    void cmdCopyToClipboard_Click();

    // The dialog's outer size in twips; every change lays the buttons out anew.
    double widthTwips() const { return m_widthTwips; }
    double heightTwips() const { return m_heightTwips; }
    void setWidthTwips(double width);
    void setHeightTwips(double height);
    bool expanded() const { return m_expanded; }

    // Whether the details were expanded when the last error dialog closed.
    static bool DetailsShown();
    static void setDetailsShown(bool shown);

    QLabel *Image1;
    QLabel *lblMelding;
    QPushButton *cmdOK;
    QPushButton *cmdDetails;
    QPushButton *cmdCopyToClipboard;
    QPushButton *cmdCancel;
    QPlainTextEdit *txtDetails;

protected:
    // The user resizing the dialog lays it out again like any other change of its size.
    void resizeEvent(QResizeEvent *event) override;

private:
    void Form_Resize();
    double textWidthTwips(const QString &text) const;

    double m_widthTwips = 7920;
    double m_heightTwips = 5160;
    bool m_expanded = false;
    bool m_applyingSize = false;
    qint32 m_imageType = 1;
    // The detail text exactly as given (the text box shows it with plain line ends).
    QString m_details;
};

} // namespace dwfm
