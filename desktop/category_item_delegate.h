// How the category lists draw their items: white lines, 13 pixels high or as high as the font needs, with the
// text at their top-left corner.
#pragma once

#include <QStyledItemDelegate>

class CategoryItemDelegate : public QStyledItemDelegate {
public:
    static constexpr int kItemHeight = 13;

    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};
