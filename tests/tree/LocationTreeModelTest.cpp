// The tree model on its own: sorted children, the placeholder, unique keys and the key
// index after inserts, moves and removals.
#include "DwError.h"
#include "tree/LocationTreeModel.h"

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>

using dwfm::DwError;
using dwfm::LocationTreeModel;
using dwfm::NewLocationNode;

namespace {

NewLocationNode n(const QString &key, const QString &text, bool withPlaceholder = false)
{
    return {key, text, 1, withPlaceholder};
}

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
            if (!model.key(child).isEmpty())
                EXPECT_EQ(model.findNode(model.key(child)), child) << model.key(child).toStdString();
            expectIndexConsistent(child);
        }
    }

    LocationTreeModel model;
    QAbstractItemModelTester tester{&model, QAbstractItemModelTester::FailureReportingMode::Fatal};
};

TEST_F(TreeModelTest, ChildrenStaySortedWithoutRegardToCaseOneByOneOrInABatch)
{
    const QModelIndex top = model.addNode({}, n("1C", "Top"));
    model.addPlaceholder(top);
    for (const auto &[key, text] : {std::pair{"2C", "beta"}, {"3C", "Alpha"}, {"4C", "2024"}, {"5C", "Gamma"}})
        model.addNode(top, n(key, text));
    EXPECT_EQ(texts(top), (QStringList{LocationTreeModel::placeholderText(), "2024", "Alpha", "beta", "Gamma"}));
    EXPECT_TRUE(model.holdsPlaceholder(top));
    // A batch into a node that already has children goes to the sorted places too.
    model.addNodes(top, {n("6C", "delta"), n("7C", "ant")});
    EXPECT_EQ(texts(top).mid(1), (QStringList{"2024", "Alpha", "ant", "beta", "delta", "Gamma"}));
    expectIndexConsistent();

    // Texts that differ only in case or accents: a batch ends in the order of nodes added
    // one by one, and equal texts ("map", "MAP") keep the order they came in.
    const QStringList given = {"map", "Zoë", "Émile", "zoe", "MAP", "emile", "Ärger", "2024", "map 2", "Ölkanne", "_oud", "Map1"};
    const QModelIndex oneByOne = model.addNode({}, n({}, "los"));
    const QModelIndex batch = model.addNode({}, n({}, "samen"));
    std::vector<NewLocationNode> newNodes;
    for (int i = 0; i < given.size(); ++i) {
        model.addNode(oneByOne, n(QStringLiteral("%1L").arg(i), given[i]));
        newNodes.push_back(n(QStringLiteral("%1B").arg(i), given[i]));
    }
    model.addNodes(batch, newNodes);
    const QStringList sorted = texts(batch);
    EXPECT_EQ(texts(oneByOne), sorted);
    EXPECT_LT(sorted.indexOf("map"), sorted.indexOf("MAP"));
    for (int i = 1; i < sorted.size(); ++i)
        EXPECT_FALSE(LocationTreeModel::textLess(sorted[i], sorted[i - 1])) << sorted[i].toStdString();
    // Top nodes keep the order they were added in.
    EXPECT_EQ(texts(), (QStringList{"Top", "los", "samen"}));
}

TEST_F(TreeModelTest, ADuplicateKeyIsRefusedAndAddsNothing)
{
    const QModelIndex top = model.addNode({}, n("1C", "Top"));
    model.addNode(top, n("2C", "a"));
    try {
        model.addNode({}, n("2C", "again"));
        FAIL() << "a second node with key 2C was added";
    } catch (const DwError &error) {
        EXPECT_EQ(error.number(), 35602);
    }
    // A batch with one known key, or one key twice, adds none of its nodes.
    EXPECT_THROW(model.addNodes(top, {n("3C", "b"), n("1C", "c")}), DwError);
    EXPECT_THROW(model.addNodes(top, {n("4C", "b"), n("4C", "c")}), DwError);
    EXPECT_EQ(model.nodeCount(), 2);
    EXPECT_FALSE(model.findNode("3C").isValid());
    // Nodes without a key may repeat.
    model.addNode({}, n({}, "x"));
    model.addNode({}, n({}, "x"));
    EXPECT_EQ(model.rowCount(), 3);
}

TEST_F(TreeModelTest, ABatchThatSkipsKnownKeysKeepsTheFirstOfEachAndTheNodesAlreadyThere)
{
    const QModelIndex other = model.addNode({}, n("9C", "Elders"));
    const QModelIndex top = model.addNode({}, n("1C", "Top"));
    const int added = model.addNodes(top,
                                     {n("3C", "beta"), n("9C", "al in de boom"), n("4C", "Alpha"), n("3C", "nog eens"),
                                      n("5C", "alpha", true)},
                                     LocationTreeModel::KnownKeys::Skip);
    EXPECT_EQ(added, 3);
    EXPECT_EQ(texts(top), (QStringList{"Alpha", "alpha", "beta"}));
    EXPECT_EQ(model.findNode("9C"), other);
    EXPECT_EQ(model.text(model.findNode("3C")), "beta");
    EXPECT_EQ(model.nodeCount(), 2 + 3 + 1);

    // Into a node that has children already, known keys are skipped the same way.
    EXPECT_EQ(model.addNodes(top, {n("4C", "x"), n("6C", "Gamma")}, LocationTreeModel::KnownKeys::Skip), 1);
    EXPECT_EQ(texts(top).last(), "Gamma");
    expectIndexConsistent();
}

TEST_F(TreeModelTest, RemovingANodeForgetsTheKeysBelowItAndANewTextMovesANode)
{
    const QModelIndex top = model.addNode({}, n("1C", "Top"));
    model.addNodes(top, {n("2C", "a", true), n("3C", "b"), n("4C", "c")});
    model.addNode(model.findNode("3C"), n("5C", "deep"));
    EXPECT_EQ(model.nodeCount(), 6); // four with keys, the placeholder under 2C, 5C

    model.removeNode(model.findNode("3C"));
    EXPECT_FALSE(model.findNode("3C").isValid());
    EXPECT_FALSE(model.findNode("5C").isValid());
    EXPECT_EQ(model.findNode("4C").row(), 1);
    EXPECT_EQ(model.nodeCount(), 4);
    // The key of a removed node can be used again.
    model.addNode(top, n("3C", "m"));
    expectIndexConsistent();

    // a, c, m: a new text moves the node down, or up, to its sorted place.
    model.setText(model.findNode("2C"), "q");
    EXPECT_EQ(texts(top), (QStringList{"c", "m", "q"}));
    model.setText(model.findNode("3C"), "b");
    EXPECT_EQ(texts(top), (QStringList{"b", "c", "q"}));
    expectIndexConsistent();
}

} // namespace
