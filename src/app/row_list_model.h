#pragma once

#include <QAbstractListModel>

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

namespace zanfiro {

// The rows of one list control, held once, as the handlers appended them
// (UTF-8, back to back in blocks that never move). A row becomes a QString
// only when a view paints it or something reads it; tens of thousands of
// rows cost their bytes and four more each, and growing never copies them.
//
// Rows appended in a burst are gathered and reach the views as one
// insertion when they are settled: the binding settles them when the
// handler returns, anything that asks for the row count settles them
// first, and the event loop settles them before the window paints.
class RowListModel final : public QAbstractListModel {
public:
    explicit RowListModel(QObject* parent);

    void append(std::string_view row);
    void clear();
    // Hands the gathered rows to the views in one insertion.
    void settle();

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    std::string_view row(int index) const;
    int rowsHeld() const { return static_cast<int>(starts_.size()); }

    struct Block {
        std::unique_ptr<char[]> bytes;
        std::uint32_t used;
    };
    std::vector<Block> blocks_;
    // Where each row starts: its block in the high 16 bits, the offset in
    // the low 16. A row ends where the next one starts in the same block,
    // or where the block's used bytes end.
    std::vector<std::uint32_t> starts_;
    int rowsShown_ = 0;  // the rows the views know of
    bool settling_ = false;
    bool settlePosted_ = false;
};

}  // namespace zanfiro
