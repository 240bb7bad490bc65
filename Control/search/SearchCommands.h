#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

class QLineEdit;
class QTreeView;

namespace dwfm {

struct ControlState;
class LocationTree;

// What the search works with: the shared state (the search text), the location tree that
// shows the results' node, the search field and the two panes whose Escape key leaves the
// results, the number of rows the list shows, and the layout that shows or hides the field.
struct SearchContext {
    ControlState &state;
    LocationTree &tree;
    QLineEdit *field = nullptr;
    QTreeView *treeView = nullptr;
    QTreeView *listView = nullptr;
    std::function<int()> listedRows;
    std::function<void(bool shown)> showField;
};

// Finding files anywhere in the store. The search field above the list (Enter searches)
// and the control's SearchProjects show the results as a location of their own: a node
// "Zoekresultaten: <text>" after the tree's other top nodes, whose list has a column with
// each file's folder and answers every command as any location's list does, following
// changes of others. Escape (in the field, the list or the tree), clearing the field or a
// click on another node of the tree leaves the results; Escape returns to the node that
// was selected before the search. Only a store that offers ProjectSearch can search: for
// any other the field is hidden and SearchProjects answers False.
class SearchCommands : public QObject {
    Q_OBJECT
public:
    SearchCommands(SearchContext context, QObject *parent = nullptr);
    ~SearchCommands() override;

    // The process's session was (re)connected: the field shows when it can search.
    void sessionConnected();
    // Whether the connected store can search.
    bool offered() const;

    // Shows the files that strText finds as the results node, selects it and raises
    // SearchResultsShown. False (nothing changes) for a text without words, a store that
    // cannot search, or a failure (reported as "DwProjectFileManUISearchProjects").
    bool SearchProjects(const QString &strText);
    // Removes the results node and selects the node that was selected before the search.
    void leaveResults();
    bool resultsShown() const;

signals:
    // The results of strText are shown: lCount files.
    void SearchResultsShown(const QString &strText, qint32 lCount);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void locationChanged();

    SearchContext m_ctx;
    QPointer<QLineEdit> m_field;
    QPointer<QTreeView> m_treeView;
    QPointer<QTreeView> m_listView;
    // The key of the node selected before the results were shown.
    QString m_returnKey;
};

} // namespace dwfm
