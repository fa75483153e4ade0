#pragma once

#include <QIcon>
#include <QStyledItemDelegate>

namespace tavolin {

// The item data of a colour list: the colour of an item, and true for "その他 ...".
inline constexpr int kColourRole = Qt::UserRole + 1;
inline constexpr int kOtherRole = Qt::UserRole + 2;

// cbColorDrawItem: a colour list's item as a swatch with a black outline and the text beside
// it; "その他 ..." as text alone.
class ColourItemDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    // The swatch the closed list shows beside the chosen colour's text.
    static QIcon Swatch(const QColor& colour);
};

} // namespace tavolin
