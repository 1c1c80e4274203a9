#include "app/row_list_model.h"

#include <algorithm>
#include <new>

#include "app/qt_text.h"

namespace zanfiro {

namespace {

// Small enough for the heap to hand out and take back without the kernel,
// large enough that a row rarely needs a block of its own.
constexpr std::uint32_t kBlockSize = 1 << 16;

}  // namespace

RowListModel::RowListModel(QObject* parent) : QAbstractListModel(parent) {}

void RowListModel::append(std::string_view row) {
    // Every row starts below kBlockSize in its block, so that its offset fits
    // in 16 bits.
    if (blocks_.empty() || blocks_.back().used + row.size() >= kBlockSize) {
        if (blocks_.size() >= kBlockSize) throw std::bad_alloc();
        // A row longer than a block gets one of its own size.
        const std::size_t size = std::max<std::size_t>(kBlockSize, row.size());
        blocks_.push_back({std::make_unique_for_overwrite<char[]>(size), 0});
    }
    Block& block = blocks_.back();
    starts_.push_back(static_cast<std::uint32_t>((blocks_.size() - 1) << 16 | block.used));
    std::copy(row.begin(), row.end(), block.bytes.get() + block.used);
    block.used += static_cast<std::uint32_t>(row.size());
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
        blocks_.clear();
        starts_.clear();
        return;
    }
    // A reset costs the views nothing per row; removing rows would.
    beginResetModel();
    blocks_.clear();
    starts_.clear();
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
    const std::uint32_t start = starts_[index];
    const Block& block = blocks_[start >> 16];
    const std::uint32_t begin = start & 0xffff;
    const bool nextInBlock = index + 1 < rowsHeld() && starts_[index + 1] >> 16 == start >> 16;
    const std::uint32_t end = nextInBlock ? starts_[index + 1] & 0xffff : block.used;
    return {block.bytes.get() + begin, end - begin};
}

}  // namespace zanfiro
