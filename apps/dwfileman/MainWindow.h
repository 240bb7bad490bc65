#pragma once

#include "HostOptions.h"

#include <QMainWindow>

class QPlainTextEdit;

namespace dwfm {
class FileManUI;
}

// The host's main window: the file manager control and a log of the events it raises.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(const HostOptions &connection);

    dwfm::FileManUI *control() const { return m_control; }
    // Adds a line to the event log.
    void log(const QString &line);
    // Puts the control's splitters and columns back as the last run left them; called
    // once a mode has been chosen.
    void restoreLayout();

protected:
    // Keeps the control's layout for the next run.
    void closeEvent(QCloseEvent *event) override;
    // Files dragged from the desktop anywhere onto the window go to the selected location,
    // as they do when dropped on the control's list.
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void connectEvents();
    // Stores a first layout for this program when it has none yet.
    void storeFirstLayout();
    // Opens a file the control handed over with the desktop's default application.
    void openWorkingCopy(const QString &path);

    dwfm::FileManUI *m_control;
    QPlainTextEdit *m_log;
};
