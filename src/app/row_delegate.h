#pragma once

#include <QStyledItemDelegate>

namespace zanfiro {

// Paints a list row as the style does, text after tabs included, but lays
// the text out once: the style's own item painting measures and shapes it
// three times to place and elide it, which made painting the sixteen rows
// of a drop-down most of the time of its opening.
class RowDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};

}  // namespace zanfiro
