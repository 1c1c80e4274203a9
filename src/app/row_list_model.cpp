#include "app/row_list_model.h"

#include "app/qt_text.h"

namespace zanfiro {

RowListModel::RowListModel(QObject* parent) : QAbstractListModel(parent) {}

void RowListModel::append(std::string_view row) {
    bytes_ += row;
    ends_.push_back(static_cast<std::uint32_t>(bytes_.size()));
    if (settlePosted_) return;
    // Rows appended outside a handler still reach the views before the
    // next paint.
    settlePosted_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            settlePosted_ = false;
            settle();
        },
        Qt::QueuedConnection);
}

void RowListModel::clear() {
    if (rowsShown_ == 0) {
        bytes_.clear();
        ends_.clear();
        return;
    }
    // A reset costs the views nothing per row; removing rows would.
    beginResetModel();
    bytes_.clear();  // keeps its capacity for the reload that usually follows
    ends_.clear();
    rowsShown_ = 0;
    endResetModel();
}

void RowListModel::settle() {
    if (settling_ || rowsShown_ == rowsHeld()) return;
    settling_ = true;
    beginInsertRows({}, rowsShown_, rowsHeld() - 1);
    rowsShown_ = rowsHeld();
    endInsertRows();
    settling_ = false;
}

int RowListModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid()) return 0;
    // Whoever reads the rows sees every row appended so far.
    if (!settling_ && rowsShown_ != rowsHeld()) const_cast<RowListModel*>(this)->settle();
    return rowsShown_;
}

QVariant RowListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowsShown_) return {};
    // An editable combo box reads the chosen row's text as EditRole.
    if (role != Qt::DisplayRole && role != Qt::EditRole) return {};
    return qt(row(index.row()));
}

Qt::ItemFlags RowListModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren;
}

std::string_view RowListModel::row(int index) const {
    const std::uint32_t begin = index == 0 ? 0 : ends_[index - 1];
    return std::string_view(bytes_).substr(begin, ends_[index] - begin);
}

}  // namespace zanfiro
