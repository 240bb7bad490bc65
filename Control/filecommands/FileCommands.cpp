#include "FileCommands.h"

#include "core/Keys.h"
#include "core/SessionAccess.h"
#include "list/FileListModel.h"
#include "platform/ErrorReport.h"
#include "platform/ErrorTrap.h"
#include "platform/Prompts.h"

namespace dwfm {

namespace {
const QString kLineBreak = QStringLiteral("\r\n");
} // namespace

FileCommands::FileCommands(FileCommandsContext context, QObject *parent) : QObject(parent), m_ctx(std::move(context))
{
}

void FileCommands::NaamWijzigenProject()
{
    TrapErrorsVoid(QStringLiteral("DwProjectFileManUINaamWijzigenProject"), [&] {
        const int row = m_ctx.list.selectedRow();
        if (row < 0)
            return;
        const FileListRow item = m_ctx.list.row(row);
        const qint32 id = FileIdOfKey(item.key);
        QString proposed = item.text;
        for (;;) {
            const std::optional<QString> answer =
                prompts().input(QStringLiteral("Geef een nieuw bestandsnaam op:"), QStringLiteral("Naam Wijzigen"),
                                proposed);
            proposed = answer.value_or(QString());
            if (proposed.isEmpty())
                return;
            if (proposed.toUpper() == item.text.toUpper()) {
                ShowCriticalMessage(
                    QStringLiteral("Doelbestandsnaam mag niet hetzelfde zijn als de bronbestandsnaam!"));
                continue;
            }
            // A refused name is proposed again, without a word: the user tries another
            // name or cancels.
            if (RequireSession()->Projects().RenameProject(id, proposed)) {
                m_ctx.refreshListView();
                return;
            }
        }
    });
}

void FileCommands::VerwijderenProject()
{
    std::vector<int> rows;
    SkipOnError([&] { rows = m_ctx.list.selectedRows(); });
    if (rows.empty())
        return;
    QString names;
    QList<qint32> ids;
    for (const int row : rows) {
        SkipOnError([&] {
            const FileListRow &item = m_ctx.list.row(row);
            names += item.text + kLineBreak;
            ids << FileIdOfKey(item.key);
        });
    }
    Prompts::Answer answer = Prompts::Answer::No;
    SkipOnError([&] {
        answer = prompts().message(QStringLiteral("Wilt u onderstaande projecten verwijderen?") + kLineBreak +
                                       kLineBreak + names + kLineBreak +
                                       QStringLiteral("Deze actie kan niet ongedaan worden gemaakt!"),
                                   QStringLiteral("Verwijderen projecten"), Prompts::Icon::Question,
                                   Prompts::Buttons::YesNo, Prompts::Answer::Yes);
    });
    if (answer != Prompts::Answer::Yes)
        return;
    bool deleted = false;
    for (const qint32 id : ids)
        SkipOnError([&] { deleted = RequireSession()->Projects().DeleteProject(id) || deleted; });
    if (deleted)
        SkipOnError([&] { m_ctx.refreshListView(); });
}

void FileCommands::UndoCheckOutProject()
{
    bool nodeSelected = false;
    SkipOnError([&] { nodeSelected = m_ctx.list.selectedNodeKey().has_value(); });
    if (nodeSelected) {
        Prompts::Answer answer = Prompts::Answer::No;
        SkipOnError([&] {
            answer = prompts().message(
                QStringLiteral("Weet u zeker dat u de bestanden op de server wilt herstellen?") + kLineBreak +
                    QStringLiteral("Alle locale wijzigingen zullen verloren gaan."),
                ApplicationTitle(), Prompts::Icon::Question, Prompts::Buttons::YesNo, Prompts::Answer::Yes);
        });
        if (answer != Prompts::Answer::Yes)
            return;
        std::vector<int> rows;
        SkipOnError([&] { rows = m_ctx.list.selectedRows(); });
        for (const int row : rows) {
            SkipOnError([&] {
                RequireSession()->Projects().CancelCheckOut(IdOfKey(m_ctx.list.row(row).key), QString(), true);
            });
        }
    }
    SkipOnError([&] { m_ctx.refreshListView(); });
}

} // namespace dwfm
