#pragma once

#include <QObject>
#include <QString>

#include <functional>

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
class FileList : public QObject {
    Q_OBJECT
public:
    FileList(FileListContext context, QObject *parent = nullptr);

    // Refills the list for the selected tree node and selects the row that was selected
    // before, when it is still there. Does nothing when no node is selected.
    void RefreshListView();
    // Clears and refills the list for a tree-node key: "12C" the files of location 12,
    // "JANU" the files checked out by user JAN, "0S" the files the control's search text
    // finds (with the folder column); any other key lists nothing.
    void FillProjectList(const QString &strKey);
    // Whether the acceptable-files filter lets this file be listed.
    bool MayShowProject(qint32 lProjectID);
    // Selects only the row with this key and scrolls it into view.
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

private:
    FileListContext m_ctx;
    ListGridDelegate *m_grid = nullptr;
};

} // namespace dwfm
