#pragma once

#include <QFrame>

#include <functional>

class QLabel;

namespace dwfm {

// A notice inside the control, for when the desktop has no notification service: a bar
// along the bottom of the control with the message, a link "Tonen" that runs the notice's
// action, and a button that closes it. A new notice replaces the one shown.
class NoticeBanner : public QFrame {
    Q_OBJECT
public:
    explicit NoticeBanner(QWidget *control);
    ~NoticeBanner() override;

    void showNotice(const QString &text, std::function<void()> action);
    QString text() const;
    // What the link "Tonen" does: runs the action and closes the notice.
    void activate();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void place();

    QLabel *m_label;
    std::function<void()> m_action;
};

} // namespace dwfm
