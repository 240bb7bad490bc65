#pragma once

#include <QObject>
#include <QString>

#include <functional>

class QTreeView;

namespace dwfm {

class FileListModel;

// What a click in the file list drives: the preview of one file row, or of the folder
// link (a blank page without a selected node).
struct ListRowClickContext {
    QTreeView *view = nullptr;
    FileListModel *model = nullptr;
    std::function<void(qint32 projectID, const QString &rowText)> previewFile;
    std::function<void()> previewFolderOrBlank;
};

// The file list's row click: a click on a row (or a move of the current row by the
// keyboard) or on the empty part of the list tells the host what is selected through
// ProjectChanged, then shows the selection in the preview.
class ListRowClick : public QObject {
    Q_OBJECT
public:
    explicit ListRowClick(ListRowClickContext context, QObject *parent = nullptr);

    // The click, with the row it was on (-1: the notification carries no row). Reports a
    // failure as "DwProjectFileManUIlvListView_ItemClick".
    void lvListView_ItemClick(int clickedRow);

signals:
    void ProjectChanged(const QString &strProjectDescription, qint32 lProjectID, bool bMultipleSelected,
                        bool bNothingSelected);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    ListRowClickContext m_ctx;
};

} // namespace dwfm
