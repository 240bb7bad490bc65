#pragma once

#include "DwSessionExport.h"

#include <QString>
#include <QtGlobal>

namespace dwfm {

// What a record set may offer beside the Recordset contract: the current row's fields as
// the store keeps them, read without making a QVariant of each field. A reader of many
// rows (the file list) asks for it with dynamic_cast and reads value() when a set does not
// offer it, so record sets that leave it out (the scripted session's) list the same rows.
class DWSESSION_EXPORT StoredFields {
public:
    virtual ~StoredFields();

    virtual bool isNullAt(int index) const = 0;
    // The field as a whole number: 0 for NULL, 1 for true, and a moment as milliseconds
    // since the epoch (UTC).
    virtual qint64 integerAt(int index) const = 0;
    // The field as text; an empty string for NULL.
    virtual QString textAt(int index) const = 0;
    // About how many rows the set holds, so that a reader can make room for them at once;
    // -1 when not known. Only a hint: the rows may have changed since it was counted.
    virtual qint64 rowsHint() const { return -1; }

    // Lets the set hand out its rows in the order the store keeps them, which may be much
    // quicker to read than the order its query promises; each row then tells its place in
    // the promised order (placeAt). Only before the first row is read (before isEof, value,
    // moveNext). Answers whether the set does so; one that answers false keeps the promised
    // order.
    virtual bool allowStoreOrder() { return false; }
    // After allowStoreOrder answered true: the current row's place in the promised order,
    // counted from 0. The places of a set's rows are all different.
    virtual qint64 placeAt() const { return -1; }
};

} // namespace dwfm
