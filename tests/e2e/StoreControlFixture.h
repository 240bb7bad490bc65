#pragma once

#include "support/ScriptedPrompts.h"

#include "DwFileStoreSession.h"
#include "core/FileManUI.h"

#include <gtest/gtest.h>

#include <QModelIndex>
#include <QSignalSpy>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

namespace dwfm::test {

// A real embedded store (SQLite and its folder tree) in a temporary folder, registered as
// the process's store, and file manager controls connected to it.
//
// The store:
//   Projecten                  "Lees mij.txt"
//     Brug Noord               "Begroting.txt", "Notulen.txt", "Offerte.txt" (bert has it)
//       Tekeningen             "Situatie.png"
//     Kantoor                  "Telefoonlijst.txt"
//   Archief (takes no files)   "Jaarverslag.txt"
// Users anna (administrator) and bert, passwords their names, each with a working root in
// the temporary folder. Every file is a real file in the store's folder.
//
// Every prompt must be expected through `prompts`; both item models of each control are
// watched by QAbstractItemModelTester while the control lives.
class StoreControlFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // A control connected to the store as `user` (password: the user name), 900x600,
    // not shown. The process has one session: connecting makes it the session of every
    // control, so the control connected last decides as whom they all act.
    std::unique_ptr<FileManUI> connectControl(const QString &user);
    // A session of its own as `user`, beside the controls' one: another program on the
    // same store.
    std::unique_ptr<store::DwFileStoreSession> openSession(const QString &user);

    // Adds a file with this content to a location through `session`; its ID.
    qint32 addFile(FileStoreSession &session, qint32 location, const QString &name, const QByteArray &content);

    // Opens the path of node texts ("Applicaties/Projecten/Brug Noord") as a user expanding
    // the nodes would, and clicks its node (selects it, or handles it again when it is
    // selected already).
    static void clickPath(FileManUI &control, const QString &path);
    // The texts of the children of a node (invalid = the top nodes).
    static QStringList childTexts(const FileManUI &control, const QModelIndex &parent);
    // The rows of the file list, each as its cells joined by "|".
    static QStringList listCells(const FileManUI &control);
    // The file list's row showing this file name; -1 when none.
    static int listRowOf(const FileManUI &control, const QString &fileName);
    // The events LocationChanged raised, each as "path|ID".
    static QStringList locationEvents(const QSignalSpy &spy);
    // The file names `control` lists, in order.
    QStringList fileNames() const;
    // A file's content; "<ontbreekt>" when it cannot be read.
    static QByteArray readFile(const QString &path);
    // Another program on the same store: a process of its own connects as `user` and checks
    // `file` out ("checkout") or in ("checkin", with new content for its working copy).
    void actElsewhere(const QString &user, const QString &action, qint32 file);

    QString storeFolder() const { return m_dir.filePath(QStringLiteral("store")); }
    QString workingRoot(const QString &user) const { return m_dir.filePath(QStringLiteral("werk/") + user); }

    static const QString catalogue;

    std::unique_ptr<ScriptedPrompts> prompts;
    // The test's control and its LocationChanged spy, if it uses them; gone before the session.
    std::unique_ptr<FileManUI> control;
    std::unique_ptr<QSignalSpy> spy;
    qint32 projecten = 0, brugNoord = 0, tekeningen = 0, kantoor = 0, archief = 0;
    qint32 leesMij = 0, begroting = 0, notulen = 0, offerte = 0, situatie = 0, telefoonlijst = 0, jaarverslag = 0;

private:
    QTemporaryDir m_dir;
};

} // namespace dwfm::test
