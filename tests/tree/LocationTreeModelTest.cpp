// The tree model on its own: sorted children, the placeholder, unique keys and the key
// index after inserts, moves and removals.
#include "platform/DwError.h"
#include "tree/LocationTreeModel.h"

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QSignalSpy>

using dwfm::DwError;
using dwfm::NewLocationNode;
using dwfm::LocationTreeModel;

namespace {

class TreeModelTest : public ::testing::Test {
protected:
    QStringList texts(const QModelIndex &parent = QModelIndex()) const
    {
        QStringList out;
        for (int row = 0; row < model.rowCount(parent); ++row)
            out << model.text(model.index(row, 0, parent));
        return out;
    }
    // Every key must lead back to a node that carries it, at the row the model reports.
    void expectIndexConsistent(const QModelIndex &parent = QModelIndex())
    {
        for (int row = 0; row < model.rowCount(parent); ++row) {
            const QModelIndex child = model.index(row, 0, parent);
            const QString key = model.key(child);
            if (!key.isEmpty()) {
                EXPECT_EQ(model.findNode(key), child) << key.toStdString();
            }
            expectIndexConsistent(child);
        }
    }

    LocationTreeModel model;
    QAbstractItemModelTester tester{&model, QAbstractItemModelTester::FailureReportingMode::Fatal};
};

TEST_F(TreeModelTest, ChildrenStaySortedByTextWithoutRegardToCaseAndThePlaceholderStaysFirst)
{
    const QModelIndex top = model.addNode({}, {QStringLiteral("1C"), QStringLiteral("Top"), 1});
    model.addPlaceholder(top);
    for (const auto &[key, text] : {std::pair{"2C", "beta"}, {"3C", "Alpha"}, {"4C", "2024"}, {"5C", "Gamma"}})
        model.addNode(top, {QString::fromLatin1(key), QString::fromLatin1(text), 1});
    EXPECT_EQ(texts(top), (QStringList{LocationTreeModel::placeholderText(), QStringLiteral("2024"),
                                       QStringLiteral("Alpha"), QStringLiteral("beta"), QStringLiteral("Gamma")}));
    EXPECT_TRUE(model.holdsPlaceholder(top));
    expectIndexConsistent();

    // A batch into a node that already has children goes to the sorted places too.
    model.addNodes(top, {{QStringLiteral("6C"), QStringLiteral("delta"), 1}, {QStringLiteral("7C"), QStringLiteral("ant"), 1}});
    EXPECT_EQ(texts(top).mid(1), (QStringList{QStringLiteral("2024"), QStringLiteral("Alpha"), QStringLiteral("ant"),
                                              QStringLiteral("beta"), QStringLiteral("delta"), QStringLiteral("Gamma")}));
    expectIndexConsistent();
}

TEST_F(TreeModelTest, ADuplicateKeyIsRefusedAndAddsNothing)
{
    const QModelIndex top = model.addNode({}, {QStringLiteral("1C"), QStringLiteral("Top"), 1});
    model.addNode(top, {QStringLiteral("2C"), QStringLiteral("a"), 1});
    try {
        model.addNode({}, {QStringLiteral("2C"), QStringLiteral("again"), 1});
        FAIL() << "a second node with key 2C was added";
    } catch (const DwError &error) {
        EXPECT_EQ(error.number(), 35602);
    }
    // A batch with one known key adds none of its nodes.
    EXPECT_THROW(model.addNodes(top, {{QStringLiteral("3C"), QStringLiteral("b"), 1},
                                      {QStringLiteral("1C"), QStringLiteral("c"), 1}}),
                 DwError);
    EXPECT_THROW(model.addNodes(top, {{QStringLiteral("4C"), QStringLiteral("b"), 1},
                                      {QStringLiteral("4C"), QStringLiteral("c"), 1}}),
                 DwError);
    EXPECT_EQ(model.nodeCount(), 2);
    EXPECT_FALSE(model.findNode(QStringLiteral("3C")).isValid());
    // Nodes without a key may repeat.
    model.addNode({}, {QString(), QStringLiteral("x"), 1});
    model.addNode({}, {QString(), QStringLiteral("x"), 1});
    EXPECT_EQ(model.rowCount(), 3);
}

TEST_F(TreeModelTest, ABatchThatSkipsKnownKeysKeepsTheFirstOfEachAndTheNodesAlreadyThere)
{
    const QModelIndex other = model.addNode({}, {QStringLiteral("9C"), QStringLiteral("Elders"), 1});
    const QModelIndex top = model.addNode({}, {QStringLiteral("1C"), QStringLiteral("Top"), 1});
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    const int added = model.addNodes(top,
                                     {{QStringLiteral("3C"), QStringLiteral("beta"), 1},
                                      {QStringLiteral("9C"), QStringLiteral("al in de boom"), 1},
                                      {QStringLiteral("4C"), QStringLiteral("Alpha"), 1},
                                      {QStringLiteral("3C"), QStringLiteral("nog eens"), 1},
                                      {QStringLiteral("5C"), QStringLiteral("alpha"), 1, true}},
                                     LocationTreeModel::KnownKeys::Skip);
    EXPECT_EQ(added, 3);
    EXPECT_EQ(texts(top), (QStringList{QStringLiteral("Alpha"), QStringLiteral("alpha"), QStringLiteral("beta")}));
    // One insertion for the whole batch.
    ASSERT_EQ(inserted.size(), 1);
    EXPECT_EQ(inserted[0][1].toInt(), 0);
    EXPECT_EQ(inserted[0][2].toInt(), 2);
    EXPECT_EQ(model.findNode(QStringLiteral("9C")), other);
    EXPECT_EQ(model.text(model.findNode(QStringLiteral("3C"))), QStringLiteral("beta"));
    EXPECT_EQ(model.nodeCount(), 2 + 3 + 1);
    expectIndexConsistent();

    // Into a node that has children already, known keys are skipped the same way.
    EXPECT_EQ(model.addNodes(top, {{QStringLiteral("4C"), QStringLiteral("x"), 1}, {QStringLiteral("6C"), QStringLiteral("Gamma"), 1}},
                             LocationTreeModel::KnownKeys::Skip),
              1);
    EXPECT_EQ(texts(top).last(), QStringLiteral("Gamma"));
    expectIndexConsistent();
}

TEST_F(TreeModelTest, ABatchAndNodesAddedOneByOneEndInTheSameOrder)
{
    // Texts that differ only in case or accents, in no particular order; equal texts (here
    // "map" and "MAP") keep the order they came in.
    const QStringList given = {QStringLiteral("map"),     QStringLiteral("Zoë"),   QStringLiteral("Émile"),
                               QStringLiteral("zoe"),     QStringLiteral("MAP"),   QStringLiteral("emile"),
                               QStringLiteral("Ärger"),   QStringLiteral("2024"),  QStringLiteral("map 2"),
                               QStringLiteral("Ölkanne"), QStringLiteral("_oud"),  QStringLiteral("Map1")};
    const QModelIndex oneByOne = model.addNode({}, {QString(), QStringLiteral("los"), 1});
    const QModelIndex batch = model.addNode({}, {QString(), QStringLiteral("samen"), 1});
    std::vector<NewLocationNode> newNodes;
    for (int i = 0; i < given.size(); ++i) {
        model.addNode(oneByOne, {QStringLiteral("%1L").arg(i), given[i], 1});
        newNodes.push_back({QStringLiteral("%1C").arg(i), given[i], 1});
    }
    model.addNodes(batch, newNodes);
    const QStringList sorted = texts(batch);
    EXPECT_EQ(texts(oneByOne), sorted);
    EXPECT_LT(sorted.indexOf(QStringLiteral("map")), sorted.indexOf(QStringLiteral("MAP")));
    for (int i = 1; i < sorted.size(); ++i)
        EXPECT_FALSE(LocationTreeModel::textLess(sorted[i], sorted[i - 1])) << sorted[i].toStdString();

    // A batch already in order stays exactly as it came.
    const QModelIndex ordered = model.addNode({}, {QString(), QStringLiteral("op volgorde"), 1});
    std::vector<NewLocationNode> inOrder;
    for (int i = 0; i < sorted.size(); ++i)
        inOrder.push_back({QStringLiteral("%1O").arg(i), sorted[i], 1});
    model.addNodes(ordered, inOrder);
    EXPECT_EQ(texts(ordered), sorted);
}

TEST_F(TreeModelTest, RemovingANodeForgetsTheKeysBelowItAndRenumbersItsSiblings)
{
    const QModelIndex top = model.addNode({}, {QStringLiteral("1C"), QStringLiteral("Top"), 1});
    model.addNodes(top, {{QStringLiteral("2C"), QStringLiteral("a"), 1, true},
                         {QStringLiteral("3C"), QStringLiteral("b"), 1},
                         {QStringLiteral("4C"), QStringLiteral("c"), 1}});
    model.addNode(model.findNode(QStringLiteral("3C")), {QStringLiteral("5C"), QStringLiteral("deep"), 1});
    EXPECT_EQ(model.nodeCount(), 6); // four with keys, the placeholder under 2C, 5C

    model.removeNode(model.findNode(QStringLiteral("3C")));
    EXPECT_FALSE(model.findNode(QStringLiteral("3C")).isValid());
    EXPECT_FALSE(model.findNode(QStringLiteral("5C")).isValid());
    EXPECT_EQ(model.findNode(QStringLiteral("4C")).row(), 1);
    EXPECT_EQ(model.nodeCount(), 4);
    // The key of a removed node can be used again.
    model.addNode(top, {QStringLiteral("3C"), QStringLiteral("b2"), 1});
    expectIndexConsistent();
}

TEST_F(TreeModelTest, ANewTextMovesTheNodeToItsSortedPlace)
{
    const QModelIndex top = model.addNode({}, {QStringLiteral("1C"), QStringLiteral("Top"), 1});
    model.addNodes(top, {{QStringLiteral("2C"), QStringLiteral("a"), 1},
                         {QStringLiteral("3C"), QStringLiteral("m"), 1},
                         {QStringLiteral("4C"), QStringLiteral("z"), 1}});
    model.setText(model.findNode(QStringLiteral("2C")), QStringLiteral("q"));
    EXPECT_EQ(texts(top), (QStringList{QStringLiteral("m"), QStringLiteral("q"), QStringLiteral("z")}));
    model.setText(model.findNode(QStringLiteral("4C")), QStringLiteral("b"));
    EXPECT_EQ(texts(top), (QStringList{QStringLiteral("b"), QStringLiteral("m"), QStringLiteral("q")}));
    expectIndexConsistent();
}

TEST_F(TreeModelTest, FullPathJoinsTheTextsFromTheTopWithTheSeparator)
{
    const QModelIndex top = model.addNode({}, {QString(), QStringLiteral("Applicaties"), 1});
    const QModelIndex root = model.addNode(top, {QStringLiteral("7P"), QStringLiteral("Projecten"), 1});
    const QModelIndex sub = model.addNode(root, {QStringLiteral("8C"), QStringLiteral("2024"), 1});
    EXPECT_EQ(model.fullPath(sub), QStringLiteral("Applicaties\\Projecten\\2024"));
    EXPECT_EQ(model.fullPath(QModelIndex()), QString());
    EXPECT_EQ(model.data(sub, LocationTreeModel::KeyRole).toString(), QStringLiteral("8C"));
}

} // namespace
