#pragma once

#include "core/options/ButtonList.h"

#include <QAbstractTableModel>

namespace tavolin {

// The list "lvBtn": a table over the core's rows, one row per category or button, with no
// object per row. Category rows show "--" in every column but the first.
class ButtonRowModel : public QAbstractTableModel {
public:
    ButtonRowModel(const options::ButtonList& list, QObject* parent);

    int rowCount(const QModelIndex& parent) const override;
    int columnCount(const QModelIndex& parent) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // The rows were read again or changed in number: the view shows them anew.
    void Reset();
    // The row's texts changed in place.
    void RowChanged(int row);

private:
    const options::ButtonList& m_list;
};

} // namespace tavolin
