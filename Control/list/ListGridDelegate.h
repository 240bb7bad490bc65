#pragma once

#include <QStyledItemDelegate>

namespace dwfm {

// Draws the file list's cells and, when switched on, a thin line below and right of each
// cell, so that the report view shows grid lines like a table.
class ListGridDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    bool gridShown() const { return m_grid; }
    void setGridShown(bool on) { m_grid = on; }

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;

private:
    bool m_grid = false;
};

} // namespace dwfm
