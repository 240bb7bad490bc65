#include "LocationTreeModel.h"

#include "TreeImages.h"
#include "DwError.h"
#include "platform/FoldedTexts.h"

#include <QSet>

#include <algorithm>

namespace dwfm {

namespace {
// The number the tree control always gave a key that is already in use.
constexpr qint32 kKeyNotUnique = 35602;

DwError keyNotUnique(const QString &key)
{
    return DwError(kKeyNotUnique, QStringLiteral("Key is not unique in collection: ") + key);
}
} // namespace

struct LocationTreeModel::Node {
    QString key;
    QString text;
    int image = 0;
    bool placeholder = false;
    Node *parent = nullptr;
    int row = 0;
    std::vector<std::unique_ptr<Node>> children;
};

QString LocationTreeModel::placeholderText() { return QStringLiteral("<DWO_EMPTY>"); }

LocationTreeModel::LocationTreeModel(QObject *parent)
    : QAbstractItemModel(parent), m_root(std::make_unique<Node>())
{
}

LocationTreeModel::~LocationTreeModel() = default;

bool LocationTreeModel::textLess(const QString &a, const QString &b)
{
    return compareFolded(a, b) < 0;
}

LocationTreeModel::Node *LocationTreeModel::nodeOf(const QModelIndex &index) const
{
    return index.isValid() ? static_cast<Node *>(index.internalPointer()) : m_root.get();
}

QModelIndex LocationTreeModel::indexOf(const Node *node) const
{
    if (!node || node == m_root.get())
        return QModelIndex();
    return createIndex(node->row, 0, const_cast<Node *>(node));
}

QModelIndex LocationTreeModel::index(int row, int column, const QModelIndex &parent) const
{
    if (column != 0 || row < 0 || (parent.isValid() && parent.model() != this))
        return QModelIndex();
    const Node *p = nodeOf(parent);
    if (std::size_t(row) >= p->children.size())
        return QModelIndex();
    return createIndex(row, 0, p->children[std::size_t(row)].get());
}

QModelIndex LocationTreeModel::parent(const QModelIndex &child) const
{
    if (!child.isValid())
        return QModelIndex();
    return indexOf(nodeOf(child)->parent);
}

int LocationTreeModel::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid() && parent.column() != 0)
        return 0;
    return int(nodeOf(parent)->children.size());
}

int LocationTreeModel::columnCount(const QModelIndex &) const { return 1; }

QVariant LocationTreeModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return QVariant();
    const Node *n = nodeOf(index);
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole: return n->text;
    case Qt::DecorationRole: return n->image > 0 ? QVariant(treeImage(n->image)) : QVariant();
    case KeyRole: return n->key;
    case ImageRole: return n->image;
    default: return QVariant();
    }
}

Qt::ItemFlags LocationTreeModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    // Only the folder commands open an editor, and only for the nodes they allow.
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}

std::unique_ptr<LocationTreeModel::Node> LocationTreeModel::makeNode(Node *parent, NewLocationNode newNode)
{
    auto node = std::make_unique<Node>();
    node->key = std::move(newNode.key);
    node->text = std::move(newNode.text);
    node->image = newNode.image;
    node->parent = parent;
    if (newNode.withPlaceholder) {
        auto placeholder = std::make_unique<Node>();
        placeholder->text = placeholderText();
        placeholder->placeholder = true;
        placeholder->parent = node.get();
        node->children.push_back(std::move(placeholder));
    }
    return node;
}

void LocationTreeModel::renumber(Node *parent, std::size_t from)
{
    for (std::size_t i = from; i < parent->children.size(); ++i)
        parent->children[i]->row = int(i);
}

void LocationTreeModel::insertSorted(Node *parent, std::unique_ptr<Node> node, const QModelIndex &parentIndex)
{
    auto &kids = parent->children;
    // The placeholder stays the first child whatever the texts beside it, so that the
    // expand handling always finds it there.
    auto first = kids.begin();
    if (first != kids.end() && (*first)->placeholder)
        ++first;
    // Top nodes stay in the order they were added: the mode's own location first, then
    // the host's extra locations in the host's order.
    const auto at = parent == m_root.get()
                        ? kids.end()
                        : std::upper_bound(first, kids.end(), node->text,
                                           [](const QString &t, const std::unique_ptr<Node> &n) {
                                               return textLess(t, n->text);
                                           });
    const int row = int(at - kids.begin());
    beginInsertRows(parentIndex, row, row);
    if (!node->key.isEmpty())
        m_byKey.insert(node->key, node.get());
    m_nodeCount += node->children.empty() ? 1 : 2;
    kids.insert(at, std::move(node));
    renumber(parent, std::size_t(row));
    endInsertRows();
}

QModelIndex LocationTreeModel::addNode(const QModelIndex &parent, const NewLocationNode &newNode)
{
    if (!newNode.key.isEmpty() && m_byKey.contains(newNode.key))
        throw keyNotUnique(newNode.key);
    Node *p = nodeOf(parent);
    auto node = makeNode(p, newNode);
    Node *raw = node.get();
    insertSorted(p, std::move(node), parent);
    return indexOf(raw);
}

void LocationTreeModel::requireNewKeys(const std::vector<NewLocationNode> &newNodes) const
{
    QSet<QString> seen;
    seen.reserve(qsizetype(newNodes.size()));
    for (const NewLocationNode &newNode : newNodes) {
        if (newNode.key.isEmpty())
            continue;
        if (m_byKey.contains(newNode.key) || seen.contains(newNode.key))
            throw keyNotUnique(newNode.key);
        seen.insert(newNode.key);
    }
}

int LocationTreeModel::addNodes(const QModelIndex &parent, std::vector<NewLocationNode> newNodes, KnownKeys known)
{
    if (known == KnownKeys::Refuse)
        requireNewKeys(newNodes);
    if (newNodes.empty())
        return 0;
    Node *p = nodeOf(parent);
    if (p->children.empty())
        return addToEmpty(p, parent, std::move(newNodes));
    int added = 0;
    for (NewLocationNode &newNode : newNodes) {
        if (!newNode.key.isEmpty() && m_byKey.contains(newNode.key))
            continue;
        insertSorted(p, makeNode(p, std::move(newNode)), parent);
        ++added;
    }
    return added;
}

// A node without children (the usual case: its placeholder was just taken away) gets all
// of them at once, already in order: one insertion for the views instead of one per node.
int LocationTreeModel::addToEmpty(Node *parent, const QModelIndex &parentIndex, std::vector<NewLocationNode> newNodes)
{
    std::vector<std::unique_ptr<Node>> nodes;
    nodes.reserve(newNodes.size());
    m_byKey.reserve(m_byKey.size() + qsizetype(newNodes.size()));
    try {
        for (NewLocationNode &newNode : newNodes) {
            auto node = makeNode(parent, std::move(newNode));
            if (!node->key.isEmpty()) {
                // One look-up both finds a key already used and claims a new one.
                Node *&slot = m_byKey[node->key];
                if (slot)
                    continue;
                slot = node.get();
            }
            nodes.push_back(std::move(node));
        }
    } catch (...) {
        for (const auto &node : nodes) {
            if (!node->key.isEmpty())
                m_byKey.remove(node->key);
        }
        throw;
    }
    if (nodes.empty())
        return 0;
    if (parent != m_root.get())
        putInOrder(nodes);
    int count = 0;
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        nodes[i]->row = int(i);
        count += nodes[i]->children.empty() ? 1 : 2;
    }
    beginInsertRows(parentIndex, 0, int(nodes.size()) - 1);
    parent->children = std::move(nodes);
    m_nodeCount += count;
    endInsertRows();
    return int(parent->children.size());
}

void LocationTreeModel::putInOrder(std::vector<std::unique_ptr<Node>> &nodes)
{
    // The store answers sub-folders in this order already; checking that costs one
    // comparison per node, sorting many more.
    bool inOrder = true;
    for (std::size_t i = 1; i < nodes.size() && inOrder; ++i)
        inOrder = !textLess(nodes[i]->text, nodes[i - 1]->text);
    if (inOrder)
        return;
    // Each text is folded once; equal texts keep the order they came in.
    FoldedTexts folded;
    std::size_t units = 0;
    for (const auto &node : nodes)
        units += std::size_t(node->text.size());
    folded.reserve(nodes.size(), units);
    for (const auto &node : nodes)
        folded.add(node->text);
    std::vector<std::unique_ptr<Node>> sorted;
    sorted.reserve(nodes.size());
    for (int from : folded.sortedOrder())
        sorted.push_back(std::move(nodes[std::size_t(from)]));
    nodes = std::move(sorted);
}

void LocationTreeModel::addPlaceholder(const QModelIndex &parent)
{
    Node *p = nodeOf(parent);
    auto node = makeNode(p, {QString(), placeholderText(), NoImage});
    node->placeholder = true;
    beginInsertRows(parent, 0, 0);
    p->children.insert(p->children.begin(), std::move(node));
    ++m_nodeCount;
    renumber(p, 0);
    endInsertRows();
}

bool LocationTreeModel::holdsPlaceholder(const QModelIndex &index) const
{
    const Node *n = nodeOf(index);
    return !n->children.empty() && n->children.front()->text == placeholderText();
}

void LocationTreeModel::forget(Node *node)
{
    if (!node->key.isEmpty())
        m_byKey.remove(node->key);
    --m_nodeCount;
    for (auto &child : node->children)
        forget(child.get());
}

void LocationTreeModel::removeNode(const QModelIndex &index)
{
    if (!index.isValid() || index.model() != this)
        return;
    Node *n = nodeOf(index);
    Node *p = n->parent;
    const int row = n->row;
    beginRemoveRows(indexOf(p), row, row);
    forget(n);
    p->children.erase(p->children.begin() + row);
    renumber(p, std::size_t(row));
    endRemoveRows();
}

void LocationTreeModel::clear()
{
    beginResetModel();
    m_root->children.clear();
    m_byKey.clear();
    m_nodeCount = 0;
    endResetModel();
}

QModelIndex LocationTreeModel::findNode(const QString &key) const
{
    if (key.isEmpty())
        return QModelIndex();
    return indexOf(m_byKey.value(key, nullptr));
}

QString LocationTreeModel::key(const QModelIndex &index) const { return index.isValid() ? nodeOf(index)->key : QString(); }

QString LocationTreeModel::text(const QModelIndex &index) const
{
    return index.isValid() ? nodeOf(index)->text : QString();
}

int LocationTreeModel::image(const QModelIndex &index) const { return index.isValid() ? nodeOf(index)->image : 0; }

void LocationTreeModel::setImage(const QModelIndex &index, int image)
{
    if (!index.isValid())
        return;
    nodeOf(index)->image = image;
    emit dataChanged(index, index, {Qt::DecorationRole, ImageRole});
}

void LocationTreeModel::setText(const QModelIndex &index, const QString &text)
{
    if (!index.isValid())
        return;
    Node *n = nodeOf(index);
    Node *p = n->parent;
    n->text = text;
    emit dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole});
    if (p == m_root.get())
        return;

    // Find the node's sorted place among the others and move it there.
    const int old = n->row;
    auto &kids = p->children;
    int target = (!kids.empty() && kids.front()->placeholder) ? 1 : 0;
    for (int i = target; i < int(kids.size()); ++i) {
        if (i != old && !textLess(text, kids[std::size_t(i)]->text))
            target = i + 1;
    }
    // `target` counts positions in the list as it is now, the node itself included.
    if (target == old || target == old + 1)
        return;
    const QModelIndex parentIndex = indexOf(p);
    beginMoveRows(parentIndex, old, old, parentIndex, target);
    auto moving = std::move(kids[std::size_t(old)]);
    kids.erase(kids.begin() + old);
    kids.insert(kids.begin() + (target > old ? target - 1 : target), std::move(moving));
    renumber(p, 0);
    endMoveRows();
}

QString LocationTreeModel::fullPath(const QModelIndex &index) const
{
    QStringList parts;
    for (const Node *n = index.isValid() ? nodeOf(index) : nullptr; n && n != m_root.get(); n = n->parent)
        parts.prepend(n->text);
    return parts.join(m_pathSeparator);
}

} // namespace dwfm
