#include "ui/options/ColourItemDelegate.h"

#include <QPainter>

namespace tavolin {

void ColourItemDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                               const QModelIndex& index) const {
    const bool selected = (option.state & QStyle::State_Selected) != 0;
    const QPalette& palette = option.palette;
    painter->fillRect(option.rect, selected ? palette.highlight() : palette.base());
    painter->setPen(selected ? palette.highlightedText().color() : palette.text().color());
    const QString text = index.data(Qt::DisplayRole).toString();
    const QRect r = option.rect;
    if (index.data(kOtherRole).toBool()) {
        painter->drawText(r.adjusted(1, 2, 0, 0), Qt::AlignLeft | Qt::AlignTop, text);
        return;
    }
    const QRect swatch(QPoint(r.left() + 1, r.top() + 1), QPoint(r.left() + 17, r.bottom() - 1));
    painter->save();
    painter->setPen(Qt::black);
    painter->setBrush(index.data(kColourRole).value<QColor>());
    painter->drawRect(swatch);
    painter->restore();
    painter->drawText(r.adjusted(20, 2, 0, 0), Qt::AlignLeft | Qt::AlignTop, text);
}

QSize ColourItemDelegate::sizeHint(const QStyleOptionViewItem& option,
                                   const QModelIndex& index) const {
    return {QStyledItemDelegate::sizeHint(option, index).width() + 20, 16};
}

QIcon ColourItemDelegate::Swatch(const QColor& colour) {
    QPixmap picture(16, 12);
    picture.fill(colour);
    QPainter painter(&picture);
    painter.setPen(Qt::black);
    painter.drawRect(0, 0, 15, 11);
    return QIcon(picture);
}

} // namespace tavolin
