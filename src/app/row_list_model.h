#pragma once

#include <QAbstractListModel>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zanfiro {

// The rows of one list control, held once, as the handlers appended them
// (UTF-8, back to back in one buffer). A row becomes a QString only when a
// view paints it or something reads it; tens of thousands of rows cost
// their bytes and one offset each.
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
    int rowsHeld() const { return static_cast<int>(ends_.size()); }

    std::string bytes_;
    std::vector<std::uint32_t> ends_;  // where each row ends in bytes_
    int rowsShown_ = 0;                // the rows the views know of
    bool settling_ = false;
    bool settlePosted_ = false;
};

}  // namespace zanfiro
