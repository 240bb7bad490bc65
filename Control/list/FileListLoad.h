#pragma once

#include "FileListRows.h"
#include "FileRowReader.h"
#include "Recordset.h"

#include <functional>
#include <optional>
#include <vector>

namespace dwfm {

class StoredFields;

// How a large list is read without keeping the window from answering: a slice reads rows
// until `sliceMs` has passed, looking at the clock every `rowsPerLook` rows.
struct LoadPace {
    int rowsPerLook = 256;
    int sliceMs = 40;
};

// The rows of one list query, read into list rows a slice at a time. A record set that
// may hand out its rows in the store's own order (which can be much quicker to read) is
// let do so; the rows are put back in the order of the query when they are taken.
class FileListLoad {
public:
    // `mayShow` decides whether a file is listed; `mostListed` says it lets most files
    // through, so that room for all is made at once. Throws DwError 3265 when the record
    // set lacks one of the file-row fields.
    FileListLoad(RecordsetPtr rs, const FileRowReader::Context &context, std::function<bool(qint32)> mayShow,
                 bool mostListed);
    ~FileListLoad();

    // Reads the next slice; answers true when no row is left.
    bool readSlice(const LoadPace &pace);
    int rowsRead() const { return m_rows.size(); }
    // About how many rows the query answers; -1 when the record set cannot say.
    qint64 rowsExpected() const { return m_reader ? m_reader->rowsHint() : -1; }
    // The rows read so far, in the order of the query; closes the record set.
    FileListRows takeRows();

private:
    RecordsetPtr m_rs;
    StoredFields *m_stored = nullptr;
    std::optional<FileRowReader> m_reader;
    std::function<bool(qint32)> m_mayShow;
    FileListRows m_rows;
    bool m_storeOrder = false;
    std::vector<qint64> m_places; // each row's place in the query's order, in store order
};

} // namespace dwfm
