#pragma once

#include "TestHelpers.h"

#include "core/FileManUI.h"
#include "core/FileManUIInternals.h"
#include "tree/LocationTreeModel.h"

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QMap>
#include <QSignalSpy>

#include <memory>
#include <ostream>

namespace dwfm::test {

// A connected FileManUI over a scripted store of locations and files. The tests describe
// the store (locations with their sub-locations, files per location) and look at the
// control's models, its signals and the calls the store received. Both item models are
// watched by QAbstractItemModelTester for the whole test.
class ControlFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // The session the control connects to; a test may offer more of the contract.
    virtual std::shared_ptr<ScriptedSession> newSession() { return std::make_shared<ScriptedSession>(); }

    // A location with its name and its sub-locations (ID, name).
    void addLocation(qint32 id, const QString &name, const QList<QPair<qint32, QString>> &children = {});
    // The user's root locations of root mode (ID, text).
    void setRoots(const QList<QPair<qint32, QString>> &roots);
    // The file rows of a location, in the store's field order (see fileRowFields).
    void setFiles(qint32 locationID, const QList<QVariantList> &rows) { files[locationID] = rows; }
    void setUserFiles(const QString &userID, const QList<QVariantList> &rows) { userFiles[userID] = rows; }
    // Expects the error dialog for a failure reported by `procedure`.
    void expectError(const QString &procedure) { expectErrorReport(*prompts, procedure); }

    // The events LocationChanged raised so far, each as "path|ID".
    QStringList locationEvents() const;
    // The node with this key, as the view shows it.
    QModelIndex node(const QString &key) const { return treeModelOf(*control)->findNode(key); }
    // The texts of the children of a node (invalid = the top nodes).
    QStringList childTexts(const QModelIndex &parent) const;
    // Selects a node the way the user does, with the node-click handling.
    void clickNode(const QString &key);
    // The file list's rows, each as "key|text|tag".
    QStringList listRows() const;
    int callsFor(const QString &operation, const QVariant &firstArgument) const;

    std::shared_ptr<ScriptedSession> session;
    std::unique_ptr<ScriptedPrompts> prompts;
    std::unique_ptr<FileManUI> control;
    std::unique_ptr<QSignalSpy> locationSpy;
    std::unique_ptr<QAbstractItemModelTester> treeTester;
    std::unique_ptr<QAbstractItemModelTester> listTester;

    QMap<qint32, QString> names;
    QMap<qint32, QList<QVariantList>> children;
    QMap<qint32, QList<QVariantList>> files;
    QMap<QString, QList<QVariantList>> userFiles;
    // When set, child rows carry the HasChildren field.
    bool childRowsTellHasChildren = false;
};

// A file row: ID, name, checked out by (empty = free), remark.
QVariantList fileRow(qint32 id, const QString &name, const QString &user = QString(), const QString &remark = QString());

} // namespace dwfm::test
