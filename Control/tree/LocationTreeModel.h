#pragma once

#include <QAbstractItemModel>
#include <QHash>
#include <QString>

#include <memory>
#include <vector>

namespace dwfm {

// What a new node of the location tree carries: its key ("12C", "3P", "JANU"; empty for
// the root node of root mode and for the placeholder), its text and its image, and
// whether it gets the placeholder child that stands for sub-folders not loaded yet.
struct NewLocationNode {
    QString key;
    QString text;
    int image = 0;
    bool withPlaceholder = false;
};

// The location tree's nodes: keys, texts and images, the top nodes in the order they were
// added, each node's children kept sorted by text (without regard to case; equal texts
// keep the order they were added in), and a key
// index so that a node is found by its key in constant time. Keys are unique: adding a
// second node with a key already in the tree fails, as the tree always did. Nodes without
// a key are allowed any number of times.
//
// The model only holds nodes; loading them from the store is LocationTree's work.
class LocationTreeModel : public QAbstractItemModel {
    Q_OBJECT
public:
    // The images of the tree's image list.
    enum Image { NoImage = 0, ImageFolder = 1, ImageOpenFolder = 2, ImageNewFolder = 3, ImageSearchResults = 4 };
    enum Role { KeyRole = Qt::UserRole + 1, ImageRole };

    // The text of the child that stands in for children not loaded yet.
    static QString placeholderText();

    explicit LocationTreeModel(QObject *parent = nullptr);
    ~LocationTreeModel() override;

    QModelIndex index(int row, int column, const QModelIndex &parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex &child) const override;
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    // Adds one node under `parent` at its sorted place (a top node, `parent` invalid, after
    // the others). Throws DwError 35602 when the key is already in the tree; nothing is
    // added then.
    QModelIndex addNode(const QModelIndex &parent, const NewLocationNode &newNode);
    // What addNodes does with a node whose key is already in the tree or earlier in the
    // same batch: refuse the whole batch, or leave that one node out.
    enum class KnownKeys { Refuse, Skip };
    // Adds many children under `parent` in one go, each at its sorted place. With Refuse,
    // every key must be new and the keys must differ from each other (throws DwError 35602
    // before anything is added otherwise); with Skip, such a node is left out. Answers
    // how many nodes were added. A batch that comes already in order (as the store gives
    // it) is not sorted again.
    int addNodes(const QModelIndex &parent, std::vector<NewLocationNode> newNodes, KnownKeys known = KnownKeys::Refuse);
    void addPlaceholder(const QModelIndex &parent);
    // True when the node's first child is the placeholder.
    bool holdsPlaceholder(const QModelIndex &index) const;
    // Removes the node with all nodes below it.
    void removeNode(const QModelIndex &index);
    void clear();

    // The node with this key; invalid when there is none.
    QModelIndex findNode(const QString &key) const;
    QString key(const QModelIndex &index) const;
    QString text(const QModelIndex &index) const;
    int image(const QModelIndex &index) const;
    void setImage(const QModelIndex &index, int image);
    // The texts from the top node down to this one, joined by the path separator.
    QString fullPath(const QModelIndex &index) const;
    QString pathSeparator() const { return m_pathSeparator; }
    void setPathSeparator(const QString &separator) { m_pathSeparator = separator; }
    int nodeCount() const { return m_nodeCount; }

    // Whether `a` sorts before `b` among siblings.
    static bool textLess(const QString &a, const QString &b);

    // Gives the node a new text and moves it to its sorted place among its siblings.
    void setText(const QModelIndex &index, const QString &text);

private:
    struct Node;
    Node *nodeOf(const QModelIndex &index) const;
    QModelIndex indexOf(const Node *node) const;
    std::unique_ptr<Node> makeNode(Node *parent, NewLocationNode newNode);
    void requireNewKeys(const std::vector<NewLocationNode> &newNodes) const;
    int addToEmpty(Node *parent, const QModelIndex &parentIndex, std::vector<NewLocationNode> newNodes);
    static void putInOrder(std::vector<std::unique_ptr<Node>> &nodes);
    void insertSorted(Node *parent, std::unique_ptr<Node> node, const QModelIndex &parentIndex);
    void forget(Node *node);
    static void renumber(Node *parent, std::size_t from);

    std::unique_ptr<Node> m_root;
    QHash<QString, Node *> m_byKey;
    QString m_pathSeparator = QStringLiteral("\\");
    int m_nodeCount = 0;
};

} // namespace dwfm
