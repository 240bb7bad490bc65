#include "LocationTree.h"

#include "LocationTreeModel.h"

#include "core/ControlState.h"
#include "core/Keys.h"
#include "core/SessionAccess.h"
#include "SessionChanges.h"
#include "DwError.h"
#include "platform/ErrorTrap.h"
#include "platform/TextHelpers.h"

#include <QApplication>
#include <QHash>
#include <QKeyEvent>
#include <QRegularExpression>
#include <QTreeView>

#include <algorithm>

namespace dwfm {

namespace {
qint32 toLocationID(const QVariant &value)
{
    bool ok = false;
    const qint32 id = value.toInt(&ok);
    if (!ok)
        throw DwError(13, QStringLiteral("Type mismatch: '%1' is geen locatienummer.").arg(NullToEmpty(value)));
    return id;
}

// The key of a child location's node: its ID with "C".
QString childKey(const QVariant &childID)
{
    if (childID.typeId() == QMetaType::Int)
        return QString::number(childID.toInt()) + QLatin1Char('C');
    return NullToEmpty(childID).trimmed() + QLatin1Char('C');
}

void closeQuietly(const RecordsetPtr &rs)
{
    if (rs)
        SkipOnError([&] { rs->close(); });
}
} // namespace

LocationTree::LocationTree(LocationTreeContext context, QObject *parent)
    : QObject(parent), m_ctx(std::move(context)), m_model(new LocationTreeModel(this))
{
    QTreeView *view = m_ctx.view;
    view->setModel(m_model);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->installEventFilter(this);
    connect(view, &QTreeView::expanded, this, &LocationTree::nodeExpanded);
    connect(view, &QTreeView::clicked, this, &LocationTree::onClicked);
    connect(view->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] { onSelectionChanged(); });
}

LocationTree::~LocationTree() = default;

bool LocationTree::RefreshLists()
{
    return TrapErrors(
        QStringLiteral("DwProjectFileManUIRefreshLists"),
        [&] {
            m_ctx.clearList();
            m_clickedNode = QPersistentModelIndex();
            m_clickedImage = 0;
            const QString key = m_model->key(selectedNode());
            m_model->clear();
            FillTreeViewLocations();
            if (!key.isEmpty())
                ReselectNode(key);
            return true;
        },
        false);
}

void LocationTree::FillTreeViewLocations()
{
    m_ctx.showBusy();
    TrapErrorsVoid(QStringLiteral("DwProjectFileManUIFillTreeViewLocations"), [&] {
        const FileStoreSessionPtr session = RequireSession();
        switch (m_ctx.state.ModeLocationID) {
        case -1: buildRootMode(*session); break;
        case -2: buildUserMode(); break;
        default: buildSpecificMode(*session); break;
        }
        // A build that shows nodes again takes away the cover that an unknown location
        // put over the control; the cover of a control without connection is not ours.
        if (m_coveredUnknownLocation && m_model->rowCount() > 0) {
            m_coveredUnknownLocation = false;
            m_ctx.hideOverlay();
        }
    });
    m_ctx.showIdle();
}

bool LocationTree::hasChildLocations(FileStoreSession &session, qint32 locationID)
{
    RecordsetPtr children;
    const bool has = session.Locations().GetChildLocations(children, locationID);
    closeQuietly(children);
    return has;
}

void LocationTree::buildRootMode(FileStoreSession &session)
{
    const QModelIndex root =
        m_model->addNode(QModelIndex(), {QString(), m_ctx.state.ModeDescription, LocationTreeModel::ImageFolder});
    RecordsetPtr roots;
    if (!session.CurrentUser().GetRoots(roots)) {
        closeQuietly(roots);
        return;
    }
    if (roots) {
        const int idField = roots->fieldIndex(QStringLiteral("RootID"));
        const int textField = roots->fieldIndex(QStringLiteral("Tekstnode"));
        while (!roots->isEof()) {
            const QVariant rootID = roots->value(idField);
            const qint32 id = toLocationID(rootID);
            const QModelIndex node = m_model->addNode(
                root, {QString::number(id) + QLatin1Char('P'), NullToEmpty(roots->value(textField)),
                       LocationTreeModel::ImageFolder});
            if (hasChildLocations(session, id))
                m_model->addPlaceholder(node);
            roots->moveNext();
        }
        roots->close();
    }
    m_ctx.view->expand(root);
    selectNode(root);
    nodeClick(selectedNode());
}

void LocationTree::buildUserMode()
{
    const QModelIndex node =
        m_model->addNode(QModelIndex(), {m_ctx.state.UserID + QLatin1Char('U'), m_ctx.state.ModeDescription,
                                         LocationTreeModel::ImageFolder});
    selectNode(node);
    nodeClick(selectedNode());
}

void LocationTree::buildSpecificMode(FileStoreSession &session)
{
    const qint32 id = m_ctx.state.ModeLocationID;
    const QString description = session.Locations().GetLocationDescription(id);
    if (description.isEmpty()) {
        ShowCriticalMessage(QStringLiteral("Aangegeven RootID (") + QString::number(id) +
                            QStringLiteral(") bestaat niet!"));
        m_ctx.showOverlay();
        m_coveredUnknownLocation = true;
        return;
    }
    const QString text = m_ctx.state.ModeDescription.isEmpty() ? description : m_ctx.state.ModeDescription;
    const QModelIndex top =
        m_model->addNode(QModelIndex(), {QString::number(id) + QLatin1Char('C'), text, LocationTreeModel::ImageFolder});
    RecordsetPtr children;
    if (session.Locations().GetChildLocations(children, id))
        LoadChildLocations(top, children);
    else
        closeQuietly(children);

    for (const AdditionalLocation &extra : m_ctx.state.AdditionalLocations) {
        if (extra.LocationID == 0 || extra.Description.trimmed().isEmpty())
            continue;
        const QModelIndex node =
            m_model->addNode(QModelIndex(), {QString::number(extra.LocationID) + QLatin1Char('C'), extra.Description,
                                             LocationTreeModel::ImageFolder});
        if (hasChildLocations(session, extra.LocationID))
            m_model->addPlaceholder(node);
    }

    const QModelIndex built = m_model->findNode(QString::number(id) + QLatin1Char('C'));
    m_ctx.view->expand(built);
    selectNode(built);
    nodeClick(selectedNode());
}

void LocationTree::LoadChildLocations(const QModelIndex &parent, RecordsetPtr rs)
{
    if (!rs)
        return;
    const QPersistentModelIndex parentNode(parent);
    FileStoreSessionPtr session = SessionRegistry::current();
    // A store may tell with each row whether that location has sub-folders; the tree then
    // need not ask the store once per child.
    const int idField = rs->fieldIndex(QStringLiteral("ChildID"));
    const int textField = rs->fieldIndex(QStringLiteral("childpath"));
    const int hasChildrenField = rs->fieldIndex(QStringLiteral("HasChildren"));
    std::vector<NewLocationNode> children;
    for (;;) {
        bool atEnd = true;
        SkipOnError([&] { atEnd = rs->isEof(); });
        if (atEnd)
            break;
        SkipOnError([&] {
            const QVariant childID = rs->value(idField);
            NewLocationNode newNode{childKey(childID), NullToEmpty(rs->value(textField)), LocationTreeModel::ImageFolder};
            if (hasChildrenField >= 0) {
                SkipOnError([&] { newNode.withPlaceholder = rs->value(hasChildrenField).toBool(); });
            } else {
                // The store is asked about each child, but not about one the tree holds.
                if (m_model->findNode(newNode.key).isValid())
                    return;
                SkipOnError([&] { newNode.withPlaceholder = session && hasChildLocations(*session, toLocationID(childID)); });
            }
            children.push_back(std::move(newNode));
        });
        if (!SkipOnError([&] { rs->moveNext(); }))
            break;
    }
    closeQuietly(rs);
    // A row whose key the tree already holds (or that came twice) is left out.
    SkipOnError([&] { m_model->addNodes(parentNode, std::move(children), LocationTreeModel::KnownKeys::Skip); });
}

void LocationTree::ExpandLocation(const QModelIndex &node)
{
    const FileStoreSessionPtr session = RequireSession();
    RecordsetPtr children;
    if (session->Locations().GetChildLocations(children, IdOfKey(m_model->key(node))))
        LoadChildLocations(node, children);
    else
        closeQuietly(children);
}

void LocationTree::ReloadChildLocations(const QModelIndex &node)
{
    SkipOnError([&] {
        const QPersistentModelIndex parent(node);
        const QPersistentModelIndex selected(selectedNode());
        const bool hadSelection = selected.isValid();
        const qint32 id = IdOfKey(m_model->key(parent));
        const FileStoreSessionPtr session = RequireSession();
        RecordsetPtr rs;
        QHash<QString, QString> texts; // key: the child's text now
        if (session->Locations().GetChildLocations(rs, id)) {
            for (; !rs->isEof(); rs->moveNext())
                texts.insert(childKey(rs->value(QStringLiteral("ChildID"))), NullToEmpty(rs->value(QStringLiteral("childpath"))));
        }
        closeQuietly(rs);
        matchChildren(parent, texts);
        if (session->Locations().GetChildLocations(rs, id))
            LoadChildLocations(parent, rs);
        else
            closeQuietly(rs);
        if (!hadSelection || selected.isValid() || !parent.isValid())
            return;
        selectNode(parent);
        nodeClick(parent);
    });
}

void LocationTree::matchChildren(const QModelIndex &parent, const QHash<QString, QString> &texts)
{
    // A new text moves a node to its sorted place: the children are taken first.
    QList<QPersistentModelIndex> children;
    for (int row = 0; row < m_model->rowCount(parent); ++row)
        children << m_model->index(row, 0, parent);
    for (const QPersistentModelIndex &child : children) {
        const auto now = texts.constFind(m_model->key(child));
        if (now == texts.cend())
            m_model->removeNode(child);
        else if (m_model->text(child) != *now)
            m_model->setText(child, *now);
    }
}

void LocationTree::follow(SessionChanges *changes)
{
    if (m_changes)
        disconnect(m_changes, nullptr, this, nullptr);
    m_changes = changes;
    if (changes)
        connect(changes, &SessionChanges::LocationsChanged, this, &LocationTree::locationsChanged);
}

void LocationTree::locationsChanged(const QList<qint32> &locationIDs)
{
    // A name being edited in the tree or an open dialog keeps the tree as it is; the next
    // change or a refresh catches up.
    const QWidget *focus = QApplication::focusWidget();
    if ((focus && focus != m_ctx.view && m_ctx.view->isAncestorOf(focus)) || QApplication::activeModalWidget())
        return;
    // A top location tells the store's top (0) when it is made, renamed or deleted; a root
    // of the user's own that is renamed tells itself.
    if (m_ctx.state.ModeLocationID == -1 &&
        std::any_of(locationIDs.begin(), locationIDs.end(), [this](qint32 id) {
            return id == 0 || m_model->findNode(QString::number(id) + QLatin1Char('P')).isValid();
        }))
        ReloadRoots();
    for (qint32 id : locationIDs) {
        // A node that still holds its placeholder reads its children when it is opened.
        const QModelIndex node = locationNode(id);
        if (node.isValid() && !m_model->holdsPlaceholder(node))
            ReloadChildLocations(node);
    }
}

QModelIndex LocationTree::locationNode(qint32 id) const
{
    const QModelIndex node = m_model->findNode(QString::number(id) + QLatin1Char('C'));
    return node.isValid() ? node : m_model->findNode(QString::number(id) + QLatin1Char('P'));
}

void LocationTree::ReloadRoots()
{
    SkipOnError([&] {
        // The root node of root mode: the one top node without a key.
        QPersistentModelIndex root;
        for (int row = 0; row < m_model->rowCount() && !root.isValid(); ++row) {
            if (m_model->key(m_model->index(row, 0)).isEmpty())
                root = m_model->index(row, 0);
        }
        if (!root.isValid())
            return;
        const QPersistentModelIndex selected(selectedNode());
        const bool hadSelection = selected.isValid();
        const FileStoreSessionPtr session = RequireSession();
        RecordsetPtr rs;
        QHash<QString, QString> texts; // key: the root's text now
        std::vector<NewLocationNode> added;
        if (session->CurrentUser().GetRoots(rs) && rs) {
            for (; !rs->isEof(); rs->moveNext()) {
                const qint32 id = toLocationID(rs->value(QStringLiteral("RootID")));
                const QString key = QString::number(id) + QLatin1Char('P');
                texts.insert(key, NullToEmpty(rs->value(QStringLiteral("Tekstnode"))));
                if (!m_model->findNode(key).isValid())
                    added.push_back({key, texts.value(key), LocationTreeModel::ImageFolder,
                                     hasChildLocations(*session, id)});
            }
        }
        closeQuietly(rs);
        matchChildren(root, texts);
        m_model->addNodes(root, std::move(added), LocationTreeModel::KnownKeys::Skip);
        if (hadSelection && !selected.isValid()) {
            selectNode(root);
            nodeClick(root);
        }
    });
}

QString LocationTree::searchNodeKey() { return QStringLiteral("0S"); }

void LocationTree::showSearchNode(const QString &text)
{
    QModelIndex node = m_model->findNode(searchNodeKey());
    if (!node.isValid())
        node = m_model->addNode(QModelIndex(), {searchNodeKey(), text, LocationTreeModel::ImageSearchResults});
    else if (m_model->text(node) != text)
        m_model->setText(node, text);
    selectNode(node);
    m_ctx.view->scrollTo(node);
    nodeClick(node);
}

void LocationTree::removeSearchNode(const QString &returnKey)
{
    const QPersistentModelIndex node = m_model->findNode(searchNodeKey());
    if (!node.isValid())
        return;
    // The node to go back to is selected first, quietly: removing the selected node would
    // make the view select another one in the middle of the removal.
    const bool wasSelected = node == selectedNode() || node == m_ctx.view->currentIndex();
    QPersistentModelIndex back;
    if (wasSelected) {
        back = FindNode(returnKey);
        if (!back.isValid() && m_model->rowCount() > 0 && m_model->index(0, 0) != node)
            back = m_model->index(0, 0);
        if (back.isValid())
            selectNode(back);
        else
            m_ctx.view->selectionModel()->clear();
    }
    m_model->removeNode(node);
    if (!back.isValid())
        return;
    m_ctx.view->scrollTo(back);
    nodeClick(back);
}

void LocationTree::nodeExpanded(const QModelIndex &node)
{
    m_ctx.showBusy();
    TrapErrorsVoid(QStringLiteral("DwProjectFileManUItvTreeView_Expand"), [&] {
        if (!m_model->holdsPlaceholder(node))
            return;
        const QPersistentModelIndex expanding(node);
        m_model->removeNode(m_model->index(0, 0, node));
        m_ctx.view->viewport()->update();
        ExpandLocation(expanding);
    });
    m_ctx.showIdle();
}

void LocationTree::ReselectNode(const QString &key)
{
    SkipOnError([&] {
        const QModelIndex node = FindNode(key);
        if (!node.isValid())
            throw DwError(35601, QStringLiteral("Element not found: ") + key);
        selectNode(node);
        m_ctx.view->scrollTo(node);
        m_ctx.view->viewport()->update();
    });
    const QModelIndex selected = selectedNode();
    if (selected.isValid())
        nodeClick(selected);
}

QModelIndex LocationTree::FindNode(const QString &key) const { return m_model->findNode(key); }

void LocationTree::nodeClick(const QModelIndex &clicked)
{
    if (!clicked.isValid()) {
        SkipOnError([&] { m_ctx.refreshListView(); });
        return;
    }
    const QPersistentModelIndex node(clicked);
    SkipOnError([&] {
        if (m_clickedNode.isValid())
            m_model->setImage(m_clickedNode, m_clickedImage);
    });
    m_clickedNode = node;
    m_clickedImage = m_model->image(node);
    const QModelIndex selected = selectedNode();
    const QString path = m_model->fullPath(selected);
    const QString key = m_model->key(selected);
    SkipOnError([&] { emit LocationChanged(path, IdOfKey(key)); });
    SkipOnError([&] { m_ctx.refreshListView(); });
    SkipOnError([&] {
        if (m_model->key(selectedNode()).endsWith(QLatin1Char('C')) && node.isValid())
            m_model->setImage(node, LocationTreeModel::ImageOpenFolder);
    });
}

QModelIndex LocationTree::childWithText(const QModelIndex &parent, const QString &text) const
{
    for (int row = 0; row < m_model->rowCount(parent); ++row) {
        const QModelIndex child = m_model->index(row, 0, parent);
        if (m_model->text(child).compare(text, Qt::CaseInsensitive) == 0)
            return child;
    }
    return {};
}

QModelIndex LocationTree::openPath(const QString &path)
{
    QStringList texts;
    for (const QString &piece : path.split(QRegularExpression(QStringLiteral("[/\\\\]")), Qt::SkipEmptyParts)) {
        if (!piece.trimmed().isEmpty())
            texts << piece.trimmed();
    }
    if (texts.isEmpty())
        return {};
    QModelIndex node;
    if (!childWithText(QModelIndex(), texts.first()).isValid() && m_model->rowCount() > 0)
        node = m_model->index(0, 0);
    for (const QString &text : texts) {
        // Expanding loads the sub-folders of a node that still holds the placeholder.
        if (node.isValid())
            m_ctx.view->expand(node);
        node = childWithText(node, text);
        if (!node.isValid())
            return {};
    }
    return node;
}

bool LocationTree::selectPath(const QString &path)
{
    return showNode(openPath(path));
}

bool LocationTree::selectLocation(qint32 locationID)
{
    QModelIndex node = locationNode(locationID);
    if (!node.isValid()) {
        // The tree's top may be any location on the path (a root of the user, the mode's
        // location): the longest end of the path that leads to this location is opened.
        const FileStoreSessionPtr session = RequireSession();
        const QStringList parts =
            session->Locations().GetLocationPath(locationID).split(QLatin1Char('/'), Qt::SkipEmptyParts);
        for (qsizetype from = 0; from < parts.size() && !node.isValid(); ++from) {
            const QModelIndex candidate = openPath(parts.mid(from).join(QLatin1Char('/')));
            if (candidate.isValid() && IdOfKey(m_model->key(candidate)) == locationID)
                node = candidate;
        }
    }
    return showNode(node);
}

bool LocationTree::showNode(const QModelIndex &node)
{
    if (!node.isValid())
        return false;
    selectNode(node);
    m_ctx.view->scrollTo(node);
    nodeClick(node);
    return true;
}

QModelIndex LocationTree::selectedNode() const
{
    // The current node counts only while it is selected: the view makes a node current
    // without selecting it when it takes the focus, and that is no choice of the user.
    const QItemSelectionModel *selection = m_ctx.view->selectionModel();
    if (!selection)
        return {};
    const QModelIndex current = selection->currentIndex();
    return current.isValid() && selection->isSelected(current) ? current : QModelIndex();
}

void LocationTree::selectNode(const QModelIndex &node)
{
    m_selectingQuietly = true;
    m_ctx.view->selectionModel()->setCurrentIndex(node, QItemSelectionModel::ClearAndSelect);
    m_selectingQuietly = false;
}

void LocationTree::onSelectionChanged()
{
    m_pressHandled = QPersistentModelIndex();
    const QModelIndex selected = selectedNode();
    if (m_selectingQuietly || !selected.isValid())
        return;
    // The user selected a node (mouse or keyboard): that is a node click. A mouse click
    // emits `clicked` afterwards, which must not handle the node again.
    if (QApplication::mouseButtons() != Qt::NoButton)
        m_pressHandled = selected;
    nodeClick(selected);
}

void LocationTree::onClicked(const QModelIndex &index)
{
    if (m_pressHandled.isValid() && m_pressHandled == index) {
        m_pressHandled = QPersistentModelIndex();
        return;
    }
    m_pressHandled = QPersistentModelIndex();
    // A click on the node that is already selected refreshes it.
    if (index == selectedNode())
        nodeClick(index);
}

bool LocationTree::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_ctx.view && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent *>(event)->key() == Qt::Key_F5) {
        RefreshLists();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

qint32 LocationTree::GetCurrentLocationID()
{
    return TrapErrors(
        QStringLiteral("DwProjectFileManUIGetCurrentLocationID (Property get)"),
        [&] {
            const QModelIndex node = selectedNode();
            return node.isValid() ? IdOfKey(m_model->key(node)) : qint32(-1);
        },
        qint32(0));
}

QString LocationTree::GetCurrentLocationDescription()
{
    return TrapErrors(QStringLiteral("DwProjectFileManUIGetCurrentLocationDescription"),
                      [&] { return m_model->text(selectedNode()); });
}

} // namespace dwfm
