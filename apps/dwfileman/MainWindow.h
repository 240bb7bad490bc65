#pragma once

#include "StoreConnection.h"

#include <QMainWindow>

class QAction;
class QDockWidget;
class QMenu;
class QPlainTextEdit;

namespace dwfm {
class FileManUI;
}

// The host's main window: the file manager control over the store the user connected
// to. The window's title names that store and the user. A developer view (off by
// default, remembered) adds a log of the control's events and a "Modus" menu that puts
// the control in its other modes.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    MainWindow();
    ~MainWindow() override;

    dwfm::FileManUI *control() const { return m_control; }
    // Adds a line to the event log.
    void log(const QString &line);

    // Connects the control and shows all of the user's locations; with `remember`, the
    // connection (without its password) is kept for the next start, the location last
    // opened in this store is opened again and every location opened from now on is
    // kept. Answers an empty text when connected, otherwise the store's reason (the
    // control then stays covered until a connection succeeds).
    QString openStore(const StoreConnection &connection, bool remember);
    // Shows the connection dialog filled with `initial`, and `reason` when an earlier
    // attempt was refused; each "Verbinden" tries openStore. True once connected, false
    // when the user gave up.
    bool askConnection(const StoreConnection &initial, const QString &reason, bool remember);
    // Opens a location by its path of names and clicks it; false when there is none.
    bool openLocation(const QString &path);
    bool isConnected() const { return m_connected; }
    // The connection in use (with its password, which stays in memory only).
    const StoreConnection &connection() const { return m_connection; }

    // Puts the control's splitters and columns back as the last run left them; called
    // once a mode has been chosen.
    void restoreLayout();

    QAction *developerAction() const { return m_developer; }

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
    void showDeveloperView(bool on);
    // "Bestand > Verbinden...": another store, or the same one as another user.
    void reconnect();
    void updateTitle();
    // Stores a first layout for this program when it has none yet.
    void storeFirstLayout();
    // Opens a file the control handed over with the desktop's default application.
    void openWorkingCopy(const QString &path);

    dwfm::FileManUI *m_control;
    QPlainTextEdit *m_log;
    QDockWidget *m_logDock;
    QMenu *m_modeMenu = nullptr;
    QAction *m_developer;
    StoreConnection m_connection;
    bool m_connected = false;
    // The locations opened are remembered for this connection.
    bool m_remember = false;
    QString m_rememberedPath;
};
