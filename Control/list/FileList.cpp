#include "FileList.h"

#include "FileListModel.h"
#include "FileRowReader.h"
#include "ListGridDelegate.h"

#include "core/ControlState.h"
#include "core/Keys.h"
#include "core/SessionAccess.h"
#include "DwError.h"
#include "ProjectSearch.h"
#include "platform/ErrorTrap.h"
#include "platform/TextHelpers.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLocale>
#include <QTreeView>

#include <algorithm>
#include <utility>

namespace dwfm {

FileList::FileList(FileListContext context, QObject *parent) : QObject(parent), m_ctx(std::move(context))
{
    m_grid = new ListGridDelegate(m_ctx.view);
    m_ctx.view->setItemDelegate(m_grid);
    // The list sorts itself on a header click (the view's own sort indicator stays off:
    // the header pictures show the direction).
    m_ctx.view->setSortingEnabled(false);
    QHeaderView *header = m_ctx.view->header();
    header->setSectionsClickable(true);
    header->setSortIndicatorShown(false);
    connect(header, &QHeaderView::sectionClicked, this, &FileList::headerClicked);
    m_nextSlice.setSingleShot(true);
    m_nextSlice.setInterval(0);
    connect(&m_nextSlice, &QTimer::timeout, this, &FileList::continueLoad);
}

FileList::~FileList() = default;

QString FileList::titleText() const
{
    const SelectedLocation node = m_ctx.selectedLocation();
    if (!m_load)
        return node.fullPath;
    const QLocale dutch(QLocale::Dutch, QLocale::Netherlands);
    const qint64 expected = m_load->rowsExpected();
    const QString read = dutch.toString(m_load->rowsRead());
    return node.fullPath + (expected > 0 ? QStringLiteral("  (bezig met laden: %1 van %2)").arg(read, dutch.toString(expected))
                                         : QStringLiteral("  (bezig met laden: %1)").arg(read));
}

void FileList::updateTitle()
{
    if (m_ctx.selectedLocation().selected)
        m_ctx.title->setText(titleText());
}

void FileList::clear()
{
    abandonLoad();
    m_ctx.model->clear();
}

void FileList::abandonLoad()
{
    m_nextSlice.stop();
    m_pendingSelection.clear();
    if (m_load) {
        m_load.reset();
        m_ctx.showIdle();
    }
}

int FileList::selectedRow() const
{
    QItemSelectionModel *selection = m_ctx.view->selectionModel();
    if (!selection)
        return -1;
    const QModelIndex current = selection->currentIndex();
    if (current.isValid() && selection->isRowSelected(current.row(), QModelIndex()))
        return current.row();
    const QModelIndexList rows = selection->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void FileList::RefreshListView()
{
    TrapErrorsVoid(QStringLiteral("DwProjectFileManUIRefreshListView"), [&] {
        const SelectedLocation node = m_ctx.selectedLocation();
        if (!node.selected)
            return;
        // While the list loads, the row it is to select then is the one to keep.
        QString rememberedKey = m_pendingSelection;
        const int row = isLoading() ? -1 : selectedRow();
        if (row >= 0)
            rememberedKey = m_ctx.model->key(row);
        FillProjectList(node.key);
        if (m_ctx.previewFollowsSelection && m_ctx.previewFollowsSelection() && node.key.endsWith(QLatin1Char('C')) &&
            m_ctx.showLocationPage)
            m_ctx.showLocationPage(IdOfKey(node.key));
        if (!rememberedKey.isEmpty())
            SelectListItem(rememberedKey);
    });
}

namespace {
// Makes the folder column of search results as wide as the folders of its first rows. The
// view's own measure looks only at the rows it shows, which are none or few while the
// control has not been shown yet.
void fitFolderColumn(QTreeView &view, const FileListModel &model)
{
    constexpr int MeasuredRows = 1000, Widest = 400;
    const QFontMetrics metrics(view.font());
    int width = view.header()->sectionSizeHint(FileListModel::ColFolder);
    const int rows = std::min(model.rowCount(), MeasuredRows);
    for (int row = 0; row < rows; ++row) {
        const QString folder = model.index(row, FileListModel::ColFolder).data().toString();
        width = std::max(width, metrics.horizontalAdvance(folder) + 2 * metrics.averageCharWidth());
    }
    view.setColumnWidth(FileListModel::ColFolder, std::min(width, Widest));
}
} // namespace

void FileList::FillProjectList(const QString &strKey)
{
    abandonLoad();
    m_ctx.showBusy();
    RecordsetPtr rs;
    try {
        m_ctx.model->clear();
        updateTitle();
        if (strKey.size() >= 2) {
            const FileStoreSessionPtr store = RequireSession();
            const QChar kind = strKey.back();
            // Search results carry the path of each file's location in a column of its own.
            m_ctx.model->setFolderColumn(kind == QLatin1Char('S'));
            if (m_ctx.model->hasFolderColumn()) {
                // The folder stands beside the name, where it shows without scrolling
                // however wide the other columns were made.
                QHeaderView *header = m_ctx.view->header();
                if (const int at = header->visualIndex(FileListModel::ColFolder); at > 1)
                    header->moveSection(at, 1);
            }
            if (kind == QLatin1Char('U')) {
                store->Projects().GetProjectsOfUser(rs, StripLastChar(strKey), QVariant());
            } else if (kind == QLatin1Char('S')) {
                if (auto *search = dynamic_cast<ProjectSearch *>(&store->Projects()))
                    search->SearchProjects(rs, m_ctx.state.SearchText);
            } else if (kind == QLatin1Char('C')) {
                bool ok = false;
                const qint32 locationID = StripLastChar(strKey).toInt(&ok);
                if (!ok)
                    throw DwError(13, QStringLiteral("Type mismatch: ") + strKey);
                store->Projects().GetProjectsInLocation(rs, locationID);
            }
            m_ctx.view->setVisible(true);
            if (rs) {
                FileRowReader::Context context;
                context.currentUserID = store->CurrentUser().CurrentUserID();
                context.userMode = m_ctx.state.ControlMode == ControlState::ModeUser;
                context.shadow = m_ctx.view->palette().color(QPalette::Dark);
                // With a filter most files may not be listed: no room is made for all of them.
                m_load = std::make_unique<FileListLoad>(
                    std::exchange(rs, nullptr), context, [this](qint32 id) { return MayShowProject(id); },
                    !m_ctx.state.AcceptableProjects.has_value());
            }
        }
    } catch (const std::exception &error) {
        SkipOnError([&] {
            if (rs)
                rs->close();
        });
        finishLoad(&error);
        return;
    }
    continueLoad();
}

void FileList::continueLoad()
{
    try {
        if (m_load && !m_load->readSlice(m_pace)) {
            // The rest follows in the next turns of the event loop; meanwhile the title
            // tells how far the list got.
            SkipOnError([&] { updateTitle(); });
            m_nextSlice.start();
            return;
        }
    } catch (const std::exception &error) {
        finishLoad(&error);
        return;
    }
    finishLoad(nullptr);
}

void FileList::finishLoad(const std::exception *error)
{
    // The load is done with before anything that may show a message (and so run events
    // that start a new fill).
    std::unique_ptr<FileListLoad> load = std::move(m_load);
    m_nextSlice.stop();
    FileListRows rows;
    // On a failure the rows read so far stay in the list.
    SkipOnError([&] {
        if (load)
            rows = load->takeRows();
    });
    load.reset();
    SkipOnError([&] {
        m_ctx.model->setRows(std::move(rows));
        if (m_ctx.model->hasFolderColumn())
            fitFolderColumn(*m_ctx.view, *m_ctx.model);
        updateTitle();
    });
    if (error)
        ShowError(QStringLiteral("DwProjectFileManUIFillProjectList"), *error);
    m_ctx.showIdle();
    SkipOnError([&] {
        m_ctx.view->selectionModel()->clear();
    });
    if (!m_pendingSelection.isEmpty())
        SelectListItem(std::exchange(m_pendingSelection, QString()));
    emit loaded();
}

bool FileList::MayShowProject(qint32 lProjectID)
{
    return TrapErrors(
        QStringLiteral("DwProjectFileManUIMayShowProject"),
        [&] {
            const auto &accepted = m_ctx.state.AcceptableProjects;
            if (!accepted)
                return true;
            return std::find(accepted->begin(), accepted->end(), lProjectID) != accepted->end();
        },
        false);
}

void FileList::SelectListItem(const QString &strKey)
{
    if (isLoading()) {
        m_pendingSelection = strKey;
        return;
    }
    SkipOnError([&] {
        QItemSelectionModel *selection = m_ctx.view->selectionModel();
        selection->clearSelection();
        const int row = m_ctx.model->findKey(strKey);
        if (row < 0)
            return;
        const QModelIndex index = m_ctx.model->index(row, 0);
        selection->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        m_ctx.view->scrollTo(index);
        m_ctx.view->viewport()->update();
    });
}

void FileList::headerClicked(int column)
{
    FileListModel *model = m_ctx.model;
    model->clearHeaderImages();
    if (model->sortOrder() == Qt::AscendingOrder) {
        model->sort(column, Qt::DescendingOrder);
        model->setHeaderImage(column, FileListModel::HeaderImageDescending);
    } else {
        model->sort(column, Qt::AscendingOrder);
        model->setHeaderImage(column, FileListModel::HeaderImageAscending);
    }
    const int row = selectedRow();
    if (row >= 0)
        m_ctx.view->scrollTo(model->index(row, 0));
}

qint32 FileList::GetCurrentProjectID()
{
    return TrapErrors(
        QStringLiteral("DwProjectFileManUIGetCurrentProjectID"),
        [&] {
            const int row = selectedRow();
            return row < 0 ? qint32(-1) : m_ctx.model->id(row);
        },
        qint32(0));
}

QString FileList::GetCurrentProjectDescription()
{
    return TrapErrors(QStringLiteral("DwProjectFileManUIGetCurrentProjectDescription"), [&] {
        const int row = selectedRow();
        return row < 0 ? QString() : m_ctx.model->text(row);
    });
}

int FileList::countOfCurrentUsersRows() const
{
    const FileListModel &model = *m_ctx.model;
    int count = 0;
    for (int row = 0; row < model.rowCount(); ++row)
        count += (model.tag(row) & TagCurrentUser) != 0 ? 1 : 0;
    return count;
}

void FileList::ShowListViewGrid(bool vOn)
{
    SkipOnError([&] {
        m_grid->setGridShown(vOn);
        m_ctx.view->viewport()->update();
    });
}

bool FileList::gridShown() const { return m_grid->gridShown(); }

} // namespace dwfm
