#include "app/row_delegate.h"

#include <QApplication>
#include <QPainter>
#include <QTextLayout>
#include <QTextOption>

namespace zanfiro {

void RowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
    QStyleOptionViewItem row = option;
    initStyleOption(&row, index);
    const QWidget* widget = row.widget;
    const QStyle* style = widget ? widget->style() : QApplication::style();
    painter->save();
    painter->setClipRect(row.rect);
    style->drawPrimitive(QStyle::PE_PanelItemViewItem, &row, painter, widget);

    QPalette::ColorGroup group = row.state & QStyle::State_Enabled ? QPalette::Normal : QPalette::Disabled;
    if (group == QPalette::Normal && !(row.state & QStyle::State_Active)) group = QPalette::Inactive;
    painter->setPen(
        row.palette.color(group, row.state & QStyle::State_Selected ? QPalette::HighlightedText : QPalette::Text));
    painter->setFont(row.font);
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
    // Laid out as the style lays out a row, tab stops every 80 pixels
    // included, and placed where it places it.
    const QRect textRect = row.rect.adjusted(margin, 0, -margin, 0);
    QTextLayout text(row.text, row.font);
    QTextOption layout(Qt::AlignLeft | Qt::AlignVCenter);
    layout.setWrapMode(QTextOption::ManualWrap);
    layout.setTextDirection(row.direction);
    text.setTextOption(layout);
    text.beginLayout();
    QTextLine line = text.createLine();
    line.setLineWidth(textRect.width());
    text.endLayout();
    const QRect placed = QStyle::alignedRect(
        row.direction, Qt::AlignLeft | Qt::AlignVCenter, QSize(textRect.width(), int(line.height())), textRect);
    text.draw(painter, placed.topLeft());

    if (row.state & QStyle::State_HasFocus) {
        QStyleOptionFocusRect focus;
        focus.QStyleOption::operator=(row);
        focus.rect = style->subElementRect(QStyle::SE_ItemViewItemFocusRect, &row, widget);
        focus.state |= QStyle::State_KeyboardFocusChange | QStyle::State_Item;
        focus.backgroundColor =
            row.palette.color(group == QPalette::Disabled ? QPalette::Disabled : QPalette::Normal,
                              row.state & QStyle::State_Selected ? QPalette::Highlight : QPalette::Window);
        style->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter, widget);
    }
    painter->restore();
}

}  // namespace zanfiro
