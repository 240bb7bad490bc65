#include "SearchCommands.h"

#include "ProjectSearch.h"
#include "SessionRegistry.h"
#include "core/ControlState.h"
#include "platform/ErrorTrap.h"
#include "tree/LocationTree.h"
#include "tree/LocationTreeModel.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QTreeView>

namespace dwfm {

namespace {
bool hasWords(const QString &text) { return !text.trimmed().isEmpty(); }
} // namespace

SearchCommands::SearchCommands(SearchContext context, QObject *parent)
    : QObject(parent), m_ctx(std::move(context)), m_field(m_ctx.field), m_treeView(m_ctx.treeView),
      m_listView(m_ctx.listView)
{
    if (m_field) {
        m_field->setPlaceholderText(QStringLiteral("Zoeken op naam, opmerking, gebruiker of inhoud"));
        m_field->setClearButtonEnabled(true);
        m_field->installEventFilter(this);
        connect(m_field, &QLineEdit::returnPressed, this, [this] {
            if (hasWords(m_field->text()))
                SearchProjects(m_field->text());
        });
        // Clearing the field (its clear button) leaves the results.
        connect(m_field, &QLineEdit::textChanged, this, [this](const QString &text) {
            if (text.isEmpty() && resultsShown())
                leaveResults();
        });
    }
    for (QTreeView *view : {m_treeView.data(), m_listView.data()}) {
        if (view)
            view->installEventFilter(this);
    }
    connect(&m_ctx.tree, &LocationTree::LocationChanged, this, &SearchCommands::locationChanged);
}

SearchCommands::~SearchCommands()
{
    for (QObject *watched : {static_cast<QObject *>(m_field.data()), static_cast<QObject *>(m_treeView.data()),
                             static_cast<QObject *>(m_listView.data())}) {
        if (watched)
            watched->removeEventFilter(this);
    }
}

bool SearchCommands::offered() const
{
    const FileStoreSessionPtr session = SessionRegistry::current();
    bool can = false;
    SkipOnError([&] { can = session && dynamic_cast<ProjectSearch *>(&session->Projects()); });
    return can;
}

void SearchCommands::sessionConnected()
{
    const bool can = offered();
    if (m_ctx.showField)
        m_ctx.showField(can);
    if (m_field)
        m_field->setEnabled(can);
}

bool SearchCommands::resultsShown() const
{
    return m_ctx.tree.FindNode(LocationTree::searchNodeKey()).isValid();
}

bool SearchCommands::SearchProjects(const QString &strText)
{
    return TrapErrors(
        QStringLiteral("DwProjectFileManUISearchProjects"),
        [&] {
            if (!hasWords(strText) || !offered())
                return false;
            const QString text = strText.trimmed();
            if (!resultsShown()) {
                const QModelIndex node = m_ctx.tree.selectedNode();
                m_returnKey = node.isValid() ? m_ctx.tree.model()->key(node) : QString();
            }
            m_ctx.state.SearchText = text;
            if (m_field && m_field->text() != strText)
                m_field->setText(text);
            m_ctx.tree.showSearchNode(QStringLiteral("Zoekresultaten: ") + text);
            emit SearchResultsShown(text, m_ctx.listedRows ? m_ctx.listedRows() : 0);
            return true;
        },
        false);
}

void SearchCommands::leaveResults()
{
    SkipOnError([&] {
        m_ctx.state.SearchText.clear();
        m_ctx.tree.removeSearchNode(m_returnKey);
    });
}

void SearchCommands::locationChanged()
{
    // A click on another node of the tree leaves the results.
    const QModelIndex selected = m_ctx.tree.selectedNode();
    if (resultsShown() && (!selected.isValid() || m_ctx.tree.model()->key(selected) != LocationTree::searchNodeKey())) {
        m_ctx.state.SearchText.clear();
        m_ctx.tree.removeSearchNode(QString());
    }
}

bool SearchCommands::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape &&
        (watched == m_field || watched == m_treeView || watched == m_listView)) {
        if (watched == m_field && m_field)
            m_field->clear();
        if (resultsShown()) {
            leaveResults();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace dwfm
