#include "access_table.h"

// mdbtools.h pulls in glib inside its own extern "C" block, which C++
// glib headers refuse; including glib first keeps them outside it.
#include <glib.h>
#include <mdbtools.h>

#include <cstdlib>
#include <fstream>
#include <vector>

#include "base/failure.h"
#include "store/engine.h"

namespace zanfiro::tools {

namespace {

// mdbtools keeps the flags of a row in the top bits of its page offset.
constexpr int kRowOffsetMask = 0x1fff;

AccessKind kindOf(int type) {
    switch (type) {
    case MDB_BYTE:
    case MDB_INT:
    case MDB_LONGINT: return AccessKind::WholeNumber;
    case MDB_MONEY:
    case MDB_FLOAT:
    case MDB_DOUBLE:
    case MDB_NUMERIC: return AccessKind::Decimal;
    case MDB_TEXT:
    case MDB_MEMO: return AccessKind::Text;
    default: return AccessKind::Other;
    }
}

std::string typeNameOf(int type) {
    switch (type) {
    case MDB_BOOL: return "Yes/No";
    case MDB_BYTE: return "Byte";
    case MDB_INT: return "Integer";
    case MDB_LONGINT: return "Long Integer";
    case MDB_MONEY: return "Currency";
    case MDB_FLOAT: return "Single";
    case MDB_DOUBLE: return "Double";
    case MDB_DATETIME: return "Date/Time";
    case MDB_BINARY: return "Binary";
    case MDB_TEXT: return "Text";
    case MDB_OLE: return "OLE Object";
    case MDB_MEMO: return "Memo";
    case MDB_REPID: return "Replication ID";
    case MDB_NUMERIC: return "Decimal";
    default: return "type " + std::to_string(type);
    }
}

[[noreturn]] void unrecognized(const std::filesystem::path& file, const std::string& why) {
    throw Failure(failure::kUnrecognizedFormat, why + ": " + file.string());
}

}  // namespace

struct AccessGearsTable::Handles {
    MdbHandle* mdb = nullptr;
    MdbTableDef* table = nullptr;
    // Column positions in the table (0-based), in kGearColumns order.
    std::array<int, store::kGearColumns.size()> position{};
    std::array<std::vector<char>, store::kGearColumns.size()> bound;
    std::vector<MdbField> fields;

    ~Handles() {
        if (table) mdb_free_tabledef(table);
        if (mdb) mdb_close(mdb);
    }
};

AccessGearsTable::AccessGearsTable(const std::filesystem::path& file) : handles_(std::make_unique<Handles>()) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(file, error))
        throw Failure(failure::kUnrecognizedFormat, "there is no file " + file.string());
    // mdbtools reads anything it is given; the first bytes decide first,
    // so a wrong file gets a plain answer and not a parser's complaint.
    if (!store::isAccessFile(file)) {
        std::ifstream in(file, std::ios::binary);
        std::string head(16, '\0');
        in.read(head.data(), static_cast<std::streamsize>(head.size()));
        if (in && head == std::string("SQLite format 3", 16))
            unrecognized(file, "this is an SQLite database, such as this program's own, not an Access file");
        unrecognized(file, "not an Access database (its first bytes are not those of a Jet or ACE file)");
    }

    // Texts come out of mdbtools in the charset MDBICONV names; the
    // database holds UTF-8 whatever the operator's environment says.
    setenv("MDBICONV", "UTF-8", 1);
    Handles& h = *handles_;
    h.mdb = mdb_open(file.c_str(), MDB_NOFLAGS);
    if (!h.mdb) unrecognized(file, "mdbtools cannot read this Access database");

    GPtrArray* catalog = mdb_read_catalog(h.mdb, MDB_TABLE);
    if (!catalog) unrecognized(file, "mdbtools cannot read the list of tables of this Access database");
    MdbCatalogEntry* entry = nullptr;
    for (guint i = 0; i < catalog->len && !entry; ++i) {
        auto* candidate = static_cast<MdbCatalogEntry*>(g_ptr_array_index(catalog, i));
        if (candidate->object_type == MDB_TABLE && g_ascii_strcasecmp(candidate->object_name, "Gears") == 0)
            entry = candidate;
    }
    if (!entry) throw Failure(failure::kNoSuchTable, "the Access database has no table Gears: " + file.string());
    h.table = mdb_read_table(entry);
    if (!h.table || !mdb_read_columns(h.table))
        unrecognized(file, "mdbtools cannot read the table Gears of this Access database");

    for (std::size_t wanted = 0; wanted < store::kGearColumns.size(); ++wanted) {
        const std::string name(store::kGearColumns[wanted].name);
        int found = -1;
        for (guint i = 0; i < h.table->num_cols; ++i) {
            auto* column = static_cast<MdbColumn*>(g_ptr_array_index(h.table->columns, i));
            if (g_ascii_strcasecmp(column->name, name.c_str()) == 0) {
                found = static_cast<int>(i);
                columns_[wanted] = {column->name, typeNameOf(column->col_type), kindOf(column->col_type)};
                break;
            }
        }
        if (found < 0)
            throw Failure(failure::kUnknownColumn, "the table Gears has no column " + name + ": " + file.string());
        h.position[wanted] = found;
        h.bound[wanted].assign(h.mdb->bind_size + 1, '\0');
        mdb_bind_column(h.table, found + 1, h.bound[wanted].data(), nullptr);
    }
    h.fields.resize(h.table->num_cols);
    mdb_rewind_table(h.table);
}

AccessGearsTable::~AccessGearsTable() = default;

std::size_t AccessGearsTable::rows() const { return handles_->table->num_rows; }

std::string AccessGearsTable::format() const {
    switch (handles_->mdb->f->jet_version) {
    case MDB_VER_JET3: return "Jet 3";
    case MDB_VER_JET4: return "Jet 4";
    default: return "ACE";
    }
}

bool AccessGearsTable::next(AccessRecord& record) {
    Handles& h = *handles_;
    if (!mdb_fetch_row(h.table)) return false;
    // The bound buffers hold "" both for a missing value and for an empty
    // text. The row's null mask, still on the current page, tells which.
    int start = 0;
    std::size_t size = 0;
    int cracked = 0;
    if (mdb_find_row(h.mdb, static_cast<int>(h.table->cur_row) - 1, &start, &size) != 0 ||
        (cracked = mdb_crack_row(h.table, start & kRowOffsetMask, size, h.fields.data())) < 0)
        throw Failure(failure::kUnrecognizedFormat, "mdbtools cannot read a row of the table Gears");
    std::vector<bool> missing(h.table->num_cols, true);
    for (int i = 0; i < cracked && i < static_cast<int>(h.fields.size()); ++i) {
        const MdbField& field = h.fields[static_cast<std::size_t>(i)];
        if (field.colnum >= 0 && field.colnum < static_cast<int>(missing.size()))
            missing[static_cast<std::size_t>(field.colnum)] = field.is_null != 0;
    }
    for (std::size_t i = 0; i < store::kGearColumns.size(); ++i) {
        if (missing[static_cast<std::size_t>(h.position[i])])
            record[i].reset();
        else
            record[i] = std::string(h.bound[i].data());
    }
    return true;
}

}  // namespace zanfiro::tools
