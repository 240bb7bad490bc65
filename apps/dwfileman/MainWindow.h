#pragma once

#include <QMainWindow>

class QPlainTextEdit;

namespace dwfm {
class FileManUI;
}

// The host's main window: the file manager control and a log of the events it raises.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    MainWindow();

    dwfm::FileManUI *control() const { return m_control; }
    // Adds a line to the event log.
    void log(const QString &line);

private:
    void connectEvents();
    // Opens a file the control handed over with the desktop's default application.
    void openWorkingCopy(const QString &path);

    dwfm::FileManUI *m_control;
    QPlainTextEdit *m_log;
};
