#pragma once

#include "FileListLoad.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>
#include <memory>

class QLabel;
class QTreeView;

namespace dwfm {

struct ControlState;
class FileListModel;
class ListGridDelegate;

// What the file list needs to know of the location tree: whether a node is selected, and
// its key and full path.
struct SelectedLocation {
    bool selected = false;
    QString key;
    QString fullPath;
};

// What the file list works with: the shared state, its view, model and title label, the
// tree's selection, the busy pointer, and the preview's location page.
struct FileListContext {
    ControlState &state;
    QTreeView *view = nullptr;
    FileListModel *model = nullptr;
    QLabel *title = nullptr;
    std::function<SelectedLocation()> selectedLocation;
    std::function<void()> showBusy;
    std::function<void()> showIdle;
    // True when the host wants the preview to follow the selection (FileInfoVisible and
    // AutoShowPreview).
    std::function<bool()> previewFollowsSelection;
    // Shows the page of a location in the preview; may be empty.
    std::function<void(qint32 locationID)> showLocationPage;
};

// The file list of the control: fills the list for the selected location (or user) from
// the store, keeps the selected row across refills, filters on the acceptable files and
// sorts on a header click.
//
// A list that takes longer than a slice of time to read is read over several turns of the
// event loop, so the window keeps answering however many files a location holds. While it
// loads the list stays empty and its title says how far it got; the rows appear at once,
// in their order, when all are read. A header click meanwhile sets the order they appear
// in, a row to select (RefreshListView, SelectListItem) is selected once the rows are in,
// and a new fill abandons the load.
class FileList : public QObject {
    Q_OBJECT
public:
    FileList(FileListContext context, QObject *parent = nullptr);
    ~FileList() override;

    // Refills the list for the selected tree node and selects the row that was selected
    // before, when it is still there. Does nothing when no node is selected.
    void RefreshListView();
    // Clears and refills the list for a tree-node key: "12C" the files of location 12,
    // "JANU" the files checked out by user JAN, "0S" the files the control's search text
    // finds (with the folder column); any other key lists nothing.
    void FillProjectList(const QString &strKey);
    // Whether the acceptable-files filter lets this file be listed.
    bool MayShowProject(qint32 lProjectID);
    // Selects only the row with this key and scrolls it into view; while the list loads,
    // once the rows are in.
    void SelectListItem(const QString &strKey);
    // A click on a column header: sorts by that column, alternating the direction.
    void headerClicked(int column);
    void clear();
    // Shows the selected node's full path above the list; also when a node on that path
    // was renamed.
    void updateTitle();

    // The list's selected row; -1 when none.
    int selectedRow() const;
    qint32 GetCurrentProjectID();
    QString GetCurrentProjectDescription();
    // The number of rows whose file the current user has (tag bit 2).
    int countOfCurrentUsersRows() const;
    void ShowListViewGrid(bool vOn);
    bool gridShown() const;

    // Whether rows are still being read into the list.
    bool isLoading() const { return bool(m_load); }
    void setLoadPace(const LoadPace &pace) { m_pace = pace; }

signals:
    // A fill has put its rows in the list (also after a failure, with the rows read so far).
    void loaded();

private:
    void continueLoad();
    // Puts the rows read in the list and ends the fill; `error` reports why it ended early.
    void finishLoad(const std::exception *error);
    void abandonLoad();
    QString titleText() const;

    FileListContext m_ctx;
    ListGridDelegate *m_grid = nullptr;
    LoadPace m_pace;
    std::unique_ptr<FileListLoad> m_load;
    QTimer m_nextSlice;
    QString m_pendingSelection;
};

} // namespace dwfm
