#include "ControlFixture.h"

#include "list/FileListModel.h"
#include "tree/LocationTreeModel.h"
#include "core/FileManUIInternals.h"

#include <QDateTime>
#include <QTreeView>

namespace dwfm::test {

QVariantList fileRow(qint32 id, const QString &name, const QString &user, const QString &remark)
{
    const bool out = !user.isEmpty();
    return {id,
            name,
            out,
            out ? QVariant(user) : QVariant(),
            out ? QVariant(QDateTime(QDate(2024, 3, 7), QTime(9, 5))) : QVariant(),
            out ? QVariant(QStringLiteral("PC1")) : QVariant(),
            out ? QVariant(QStringLiteral("/home/w")) : QVariant(),
            remark,
            false,
            false};
}

void ControlFixture::SetUp()
{
    session = newSession();
    prompts = std::make_unique<ScriptedPrompts>();
    ScriptedSession::install(session);
    session->on(QStringLiteral("GetLocationDescription"),
                [this](const QVariantList &args) { return ScriptedSession::Reply(names.value(args[0].toInt())); });
    session->on(QStringLiteral("GetChildLocations"), [this](const QVariantList &args) {
        QStringList fields{QStringLiteral("ChildID"), QStringLiteral("childpath")};
        QList<QVariantList> rows = children.value(args[0].toInt());
        if (childRowsTellHasChildren) {
            fields << QStringLiteral("HasChildren");
            for (QVariantList &row : rows)
                row << !children.value(row[0].toInt()).isEmpty();
        }
        return ScriptedSession::rowsReply(fields, rows);
    });
    session->on(QStringLiteral("GetProjectsInLocation"), [this](const QVariantList &args) {
        return ScriptedSession::rowsReply(fileRowFields(), files.value(args[0].toInt()));
    });
    session->on(QStringLiteral("GetProjectsOfUser"), [this](const QVariantList &args) {
        return ScriptedSession::rowsReply(fileRowFields(), userFiles.value(args[0].toString()));
    });

    control = std::make_unique<FileManUI>();
    control->resize(900, 600);
    treeTester = std::make_unique<QAbstractItemModelTester>(treeModelOf(*control),
                                                            QAbstractItemModelTester::FailureReportingMode::Fatal);
    listTester = std::make_unique<QAbstractItemModelTester>(listModelOf(*control),
                                                            QAbstractItemModelTester::FailureReportingMode::Fatal);
    locationSpy = std::make_unique<QSignalSpy>(control.get(), &FileManUI::LocationChanged);
    ASSERT_TRUE(control->SetupConnection(QStringLiteral("srv"), QStringLiteral("jan"), QString(),
                                         QStringLiteral("docs"), true));
}

void ControlFixture::TearDown()
{
    treeTester.reset(); // the testers and the spy go before the control they watch
    listTester.reset();
    locationSpy.reset();
    control.reset();
    prompts.reset();
}

void ControlFixture::addLocation(qint32 id, const QString &name, const QList<QPair<qint32, QString>> &kids)
{
    names[id] = name;
    QList<QVariantList> rows;
    for (const auto &kid : kids) {
        rows << QVariantList{kid.first, kid.second};
        if (!names.contains(kid.first))
            names[kid.first] = kid.second;
    }
    children[id] = rows;
}

void ControlFixture::setRoots(const QList<QPair<qint32, QString>> &roots)
{
    QList<QVariantList> rows;
    for (const auto &root : roots)
        rows << QVariantList{root.first, root.second};
    session->answerRows(QStringLiteral("GetRoots"), {QStringLiteral("RootID"), QStringLiteral("Tekstnode")}, rows);
}


QStringList ControlFixture::locationEvents() const
{
    QStringList events;
    for (const QList<QVariant> &args : *locationSpy)
        events << args[0].toString() + QLatin1Char('|') + args[1].toString();
    return events;
}

QStringList ControlFixture::childTexts(const QModelIndex &parent) const
{
    QStringList texts;
    const LocationTreeModel *model = treeModelOf(*control);
    for (int row = 0; row < model->rowCount(parent); ++row)
        texts << model->text(model->index(row, 0, parent));
    return texts;
}

void ControlFixture::clickNode(const QString &key)
{
    const QModelIndex index = node(key);
    ASSERT_TRUE(index.isValid()) << key.toStdString();
    control->tvTreeView->setCurrentIndex(index);
}

QStringList ControlFixture::listRows() const
{
    QStringList rows;
    for (const FileListRow &row : listModelOf(*control)->rows())
        rows << QStringLiteral("%1|%2|%3").arg(row.key, row.text).arg(row.tag);
    return rows;
}

int ControlFixture::callsFor(const QString &operation, const QVariant &firstArgument) const
{
    int count = 0;
    for (const auto &call : session->callsOf(operation))
        count += (!call.args.isEmpty() && call.args.first() == firstArgument) ? 1 : 0;
    return count;
}

} // namespace dwfm::test
