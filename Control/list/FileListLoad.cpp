#include "FileListLoad.h"

#include "StoredFields.h"

#include <QElapsedTimer>

#include <algorithm>
#include <numeric>

namespace dwfm {

FileListLoad::FileListLoad(RecordsetPtr rs, const FileRowReader::Context &context, std::function<bool(qint32)> mayShow,
                           bool mostListed)
    : m_rs(std::move(rs)), m_stored(dynamic_cast<StoredFields *>(m_rs.get())), m_mayShow(std::move(mayShow))
{
    // The list puts the rows in order itself, so the store may hand them out as it keeps them.
    m_storeOrder = m_stored && m_stored->allowStoreOrder();
    // A record set without rows is read as none: the store answers a query that finds
    // nothing either way.
    if (m_rs->isEof())
        return;
    m_reader.emplace(*m_rs, context);
    const qint64 expected = m_reader->rowsHint();
    if (expected > 0 && mostListed) {
        m_rows.reserve(std::size_t(expected));
        if (m_storeOrder)
            m_places.reserve(std::size_t(expected));
    }
}

FileListLoad::~FileListLoad()
{
    if (m_rs && !m_rs->isClosed()) {
        try {
            m_rs->close();
        } catch (...) {
        }
    }
}

bool FileListLoad::readSlice(const LoadPace &pace)
{
    QElapsedTimer clock;
    clock.start();
    const Recordset &rs = *m_rs;
    if (!m_reader)
        return true;
    for (;;) {
        for (int i = 0; i < pace.rowsPerLook; ++i) {
            if (m_rs->isEof())
                return true;
            if (m_mayShow(m_reader->projectID(rs))) {
                m_reader->append(rs, m_rows);
                if (m_storeOrder)
                    m_places.push_back(m_stored->placeAt());
            }
            m_rs->moveNext();
        }
        if (clock.elapsed() >= pace.sliceMs)
            return m_rs->isEof();
    }
}

FileListRows FileListLoad::takeRows()
{
    if (m_rs && !m_rs->isClosed())
        m_rs->close();
    if (m_storeOrder && m_rows.size() > 1) {
        // The places are all different: each row goes straight to its slot, and the rowAt
        // of files left out (by the filter, or not read after a failure) stay empty.
        const qint64 top = *std::max_element(m_places.begin(), m_places.end());
        std::vector<int> rowAt(std::size_t(std::max<qint64>(top, 0) + 1), -1);
        bool distinct = *std::min_element(m_places.begin(), m_places.end()) >= 0;
        for (std::size_t i = 0; distinct && i < m_places.size(); ++i) {
            int &slot = rowAt[std::size_t(m_places[i])];
            distinct = slot < 0;
            slot = int(i);
        }
        std::vector<int> order;
        order.reserve(m_places.size());
        if (distinct) {
            std::copy_if(rowAt.begin(), rowAt.end(), std::back_inserter(order), [](int row) { return row >= 0; });
        } else {
            // A store that broke its word: order by place all the same, rows without one last.
            order.resize(m_places.size());
            std::iota(order.begin(), order.end(), 0);
            std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
                const auto key = [&](int row) { return quint64(m_places[std::size_t(row)]); };
                return key(a) < key(b);
            });
        }
        m_rows.reorder(order);
    }
    m_places = {};
    return std::move(m_rows);
}

} // namespace dwfm
