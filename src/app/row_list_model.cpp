#include "app/row_list_model.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <new>

#include "app/qt_text.h"

namespace zanfiro {

namespace {

// Small enough for the heap to hand out and take back without the kernel,
// large enough that a row rarely needs a block of its own.
constexpr std::uint32_t kBlockSize = 1 << 16;

// How a row's texts are kept, one after another, joined by tabs when read:
// a byte below kLongText gives the length of the text that follows; then
// kLongText, four bytes of length and the text; a byte with the top bit set
// and the byte after it give the number of a text in the dictionary.
constexpr std::uint8_t kLongText = 0x7f;
constexpr std::uint8_t kWord = 0x80;
constexpr std::size_t kMostWords = 0x8000;
// Shorter texts (a number of teeth) cost no more kept as they are.
constexpr std::size_t kShortestWord = 4;

// Eight bytes at a time (a fixed-size copy is one load; byte by byte,
// hashing was a fifth of LOAD ALL).
std::uint32_t hashOf(std::string_view text) {
    std::uint64_t hash = text.size() * 0x9e3779b97f4a7c15u;
    const auto mix = [&hash](std::uint64_t word) {
        hash = (hash ^ word) * 0x9e3779b97f4a7c15u;
        hash ^= hash >> 29;
    };
    std::size_t at = 0;
    for (; at + 8 <= text.size(); at += 8) {
        std::uint64_t word;
        std::memcpy(&word, text.data() + at, 8);
        mix(word);
    }
    // Texts that differ in their last character (QTY 12, QTY 13) must differ
    // in the low bits, which pick the slot: MurmurHash3's finish spreads
    // every bit over all of them.
    const auto finish = [&hash] {
        hash ^= hash >> 33;
        hash *= 0xff51afd7ed558ccdu;
        hash ^= hash >> 33;
        hash *= 0xc4ceb9fe1a85ec53u;
        hash ^= hash >> 33;
        return static_cast<std::uint32_t>(hash);
    };
    if (at == text.size()) return finish();
    // The last bytes: the eight that end the text, where it has eight.
    std::uint64_t tail = 0;
    if (text.size() >= 8) {
        std::memcpy(&tail, text.data() + text.size() - 8, 8);
    } else {
        for (std::size_t shift = 0; at < text.size(); ++at, shift += 8)
            tail |= std::uint64_t{static_cast<std::uint8_t>(text[at])} << shift;
    }
    mix(tail);
    return finish();
}

}  // namespace

RowListModel::RowListModel(QObject* parent) : QAbstractListModel(parent) {}

void RowListModel::append(std::string_view text) {
    encode(text);
    const std::string_view row = encoded_;
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
    const bool shown = rowsShown_ > 0;
    // A reset costs the views nothing per row; removing rows would.
    if (shown) beginResetModel();
    blocks_.clear();
    starts_.clear();
    words_.clear();
    wordTable_.clear();

    rowsShown_ = 0;
    if (shown) endResetModel();
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

std::string_view RowListModel::stored(int index) const {
    const std::uint32_t start = starts_[index];
    const Block& block = blocks_[start >> 16];
    const std::uint32_t begin = start & 0xffff;
    const bool nextInBlock = index + 1 < rowsHeld() && starts_[index + 1] >> 16 == start >> 16;
    const std::uint32_t end = nextInBlock ? starts_[index + 1] & 0xffff : block.used;
    return {block.bytes.get() + begin, end - begin};
}

void RowListModel::encode(std::string_view row) {
    // Written into directly, since every row of a list passes through here.
    // Kept, a row is never much longer than it came: the tab before a text
    // pays for that text's length byte, and only the first two texts and
    // the long ones (four bytes more) need more room.
    encoded_.resize(row.size() + 10 + 4 * (row.size() / kLongText + 1));
    char* out = encoded_.data();
    // The head up to the first space of the first field, then the rest of
    // that field (perhaps empty), then each field after a tab.
    const std::size_t split = std::min(row.find(' '), row.find('\t'));
    out = put(out, row.substr(0, split), 0);
    if (split == std::string_view::npos) {
        out = put(out, {}, 0);
    } else {
        for (std::size_t start = split, piece = 1;; ++piece) {
            const std::size_t tab = row.find('\t', start);
            out = put(out, row.substr(start, tab - start), piece);
            if (tab == std::string_view::npos) break;
            start = tab + 1;
        }
    }
    encoded_.resize(static_cast<std::size_t>(out - encoded_.data()));
}

std::size_t RowListModel::wordNumber(std::string_view text) {
    const std::uint32_t hash = hashOf(text);
    if (wordTable_.size() < 2 * (words_.size() + 1)) {
        // Grown to at least four times the words (a power of two, so that a
        // mask finds the slot), every entry placed anew.
        std::vector<std::pair<std::uint32_t, std::uint16_t>> table(std::bit_ceil(4 * (words_.size() + 16)));
        for (const auto& entry : wordTable_) {
            if (entry.second == 0) continue;
            std::size_t slot = entry.first & (table.size() - 1);
            while (table[slot].second != 0) slot = (slot + 1) & (table.size() - 1);
            table[slot] = entry;
        }
        wordTable_ = std::move(table);
    }
    std::size_t slot = hash & (wordTable_.size() - 1);
    for (; wordTable_[slot].second != 0; slot = (slot + 1) & (wordTable_.size() - 1)) {
        const std::size_t number = wordTable_[slot].second - 1u;
        if (wordTable_[slot].first == hash && words_[number] == text) return number;
    }
    if (words_.size() >= kMostWords) return kMostWords;
    words_.emplace_back(text);
    wordTable_[slot] = {hash, static_cast<std::uint16_t>(words_.size())};
    return words_.size() - 1;
}

char* RowListModel::put(char* out, std::string_view text, std::size_t piece) {
    if (piece > 0 && text.size() >= kShortestWord && text.size() < kLongText) {
        std::size_t* last = piece <= lastWords_.size() ? &lastWords_[piece - 1] : nullptr;
        const bool again = last && *last < words_.size() && words_[*last] == text;
        if (const std::size_t number = again ? *last : wordNumber(text); number < kMostWords) {
            if (last) *last = number;
            *out++ = static_cast<char>(kWord | number >> 8);
            *out++ = static_cast<char>(number & 0xff);
            return out;
        }
    }
    if (text.size() < kLongText) {
        *out++ = static_cast<char>(text.size());
    } else {
        *out++ = static_cast<char>(kLongText);
        for (int shift = 0; shift < 32; shift += 8) *out++ = static_cast<char>(text.size() >> shift & 0xff);
    }
    return std::copy(text.begin(), text.end(), out);
}

std::string RowListModel::row(int index) const {
    const std::string_view bytes = stored(index);
    std::string text;
    // The head and the rest of the first field join with nothing, the
    // fields after it with a tab.
    for (std::size_t at = 0, piece = 0; at < bytes.size(); ++piece) {
        if (piece > 1) text += '\t';
        const auto tag = static_cast<std::uint8_t>(bytes[at++]);
        if (tag & kWord) {
            text += words_[(tag & ~kWord) << 8 | static_cast<std::uint8_t>(bytes[at++])];
            continue;
        }
        std::size_t length = tag;
        if (tag == kLongText) {
            length = 0;
            for (int shift = 0; shift < 32; shift += 8)
                length |= std::size_t{static_cast<std::uint8_t>(bytes[at++])} << shift;
        }
        text.append(bytes.substr(at, length));
        at += length;
    }
    return text;
}

}  // namespace zanfiro
