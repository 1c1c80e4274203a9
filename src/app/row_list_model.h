#pragma once

#include <QAbstractListModel>

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace zanfiro {

// The rows of one list control, held once, as the handlers appended them
// (UTF-8, back to back in blocks that never move). A row becomes a QString
// only when a view paints it or something reads it, and growing never
// copies the rows.
//
// A row's texts recur from row to row ("   -      Denti  40", "     Modulo
// 0.4", "Tipo  C", "    QTY   12"), so each is kept once, in a dictionary
// of the model's, and the row holds its number: 30,000 gears then take
// about 16 bytes a row instead of 70. The row's head, up to its first
// space (the ID), is kept as it is; the rest of the first field, and each
// field after a tab, is looked up.
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
    std::string row(int index) const;
    std::string_view stored(int index) const;
    void encode(std::string_view row);
    // Writes one of the row's texts at `out` as it is kept, and returns
    // where the next goes. `piece` counts the row's texts from 0, the head,
    // which is never a word.
    char* put(char* out, std::string_view text, std::size_t piece);
    std::size_t wordNumber(std::string_view text);
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
    // Texts that stand between tabs in many rows, each kept once.
    std::vector<std::string> words_;
    // An open-addressing table of (hash, number + 1) pairs over words_, at
    // least twice as large as the words: a std::unordered_map cost LOAD ALL
    // a quarter of its time.
    std::vector<std::pair<std::uint32_t, std::uint16_t>> wordTable_;
    // The word each piece of the last row was: in a list of one type and
    // module most pieces repeat from row to row, and one comparison with
    // that word costs less than the hash and the look-up.
    std::array<std::size_t, 8> lastWords_{};
    std::string encoded_;  // the row being appended
    int rowsShown_ = 0;    // the rows the views know of
    bool settling_ = false;
    bool settlePosted_ = false;
};

}  // namespace zanfiro
