#include "ui/options/ButtonRowModel.h"
#include "ui/QtText.h"

#include <array>

namespace tavolin {

namespace {

constexpr int kColumns = 6;

// The page and number columns are right-aligned, the others left-aligned.
QVariant AlignmentOf(int column) {
    return column == 1 || column == 2 ? QVariant(Qt::AlignRight | Qt::AlignVCenter)
                                      : QVariant(Qt::AlignLeft | Qt::AlignVCenter);
}

} // namespace

ButtonRowModel::ButtonRowModel(const options::ButtonList& list, QObject* parent)
    : QAbstractTableModel(parent), m_list(list) {}

int ButtonRowModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_list.Rows().size());
}

int ButtonRowModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumns;
}

QVariant ButtonRowModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid())
        return {};
    if (role == Qt::TextAlignmentRole)
        return AlignmentOf(index.column());
    if (role != Qt::DisplayRole)
        return {};
    const auto& row = m_list.Rows()[static_cast<std::size_t>(index.row())];
    if (row.IsCategory() && index.column() > 0)
        return QStringLiteral("--");
    switch (index.column()) {
    case 0:
        return Q(row.category);
    case 1:
        return Q(row.page);
    case 2:
        return Q(row.number);
    case 3:
        return Q(row.title);
    case 4:
        return Q(row.folder);
    default:
        return Q(row.file);
    }
}

QVariant ButtonRowModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal)
        return {};
    if (role == Qt::TextAlignmentRole)
        return AlignmentOf(section);
    if (role != Qt::DisplayRole)
        return {};
    static const std::array<const char*, kColumns> kHeaders{"カテゴリ", "Page", "No.",
                                                            "タイトル", "パス", "ファイル"};
    return QString::fromUtf8(kHeaders[static_cast<std::size_t>(section)]);
}

void ButtonRowModel::Reset() {
    beginResetModel();
    endResetModel();
}

void ButtonRowModel::RowChanged(int row) {
    emit dataChanged(index(row, 0), index(row, kColumns - 1));
}

} // namespace tavolin
