#include "category_item_delegate.h"

#include <QPainter>

#include <algorithm>

void CategoryItemDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                 const QModelIndex& index) const {
    painter->save();
    painter->fillRect(option.rect, Qt::white);
    const QString text = index.data(Qt::DisplayRole).toString();
    const bool selected = (option.state & QStyle::State_Selected) != 0;
    // A chosen line keeps its white ground; only its text stands on the highlight.
    if (selected && !text.isEmpty()) {
        const QRect textRect(option.rect.topLeft(),
                             QSize(option.fontMetrics.horizontalAdvance(text), option.rect.height()));
        painter->fillRect(textRect & option.rect, option.palette.highlight());
    }
    painter->setPen(selected ? option.palette.highlightedText().color() : option.palette.text().color());
    painter->setFont(option.font);
    painter->drawText(option.rect, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
    painter->restore();
}

// The lines are 13 pixels high unless the font needs more: a shorter line would cut the descenders off.
QSize CategoryItemDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
    return {QStyledItemDelegate::sizeHint(option, index).width(),
            std::max(kItemHeight, option.fontMetrics.height())};
}
