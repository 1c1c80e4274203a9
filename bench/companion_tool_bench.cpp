// What the operator waits for in zanfiro-db as the stock grows: a backup
// (SQLite's online backup, checked, synced and renamed into place) against
// a plain copy of the same file made and synced in the same run, and the
// stock sheet's PDF against the CSV export of the same gears. Counters give
// the size, the pages and the ratios to those floors.
#include <fcntl.h>
#include <unistd.h>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "csv_export.h"
#include "report.h"
#include "report_pdf.h"
#include "store/engine.h"
#include "store/gear_table.h"
#include "store/sqlite.h"

namespace {

namespace fs = std::filesystem;
using namespace zanfiro;
using Clock = std::chrono::steady_clock;

class Folder {
public:
    Folder() {
        std::string pattern = (fs::temp_directory_path() / "zanfiro-bench-XXXXXX").string();
        if (!mkdtemp(pattern.data())) std::abort();
        path_ = pattern;
    }
    ~Folder() { fs::remove_all(path_); }
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

// A gear database of `count` gears over the four modules and two types.
fs::path makeStock(const Folder& folder, int count) {
    const fs::path file = folder.path() / "DB.mdb";
    store::createDatabase(file);
    store::sqlite::Database db(file, store::sqlite::Database::Mode::OpenExisting);
    db.exec("BEGIN");
    store::sqlite::Statement insert(db, "INSERT INTO Gears (D, M, T, QTY) VALUES (?, ?, ?, ?)");
    static constexpr const char* kModules[] = {"0.4", "0.6", "48", "64"};
    for (int i = 0; i < count; ++i) {
        insert.bind(1, std::int64_t{10 + (i * 7919) % 190});
        insert.bind(2, kModules[i % 4]);
        insert.bind(3, (i / 4) % 2 ? "P" : "C");
        insert.bind(4, std::int64_t{i % 50});
        insert.step();
        insert.reset();
    }
    db.exec("COMMIT");
    return file;
}

double seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

void syncFile(const fs::path& file) {
    const int fd = ::open(file.c_str(), O_RDONLY);
    ::fsync(fd);
    ::close(fd);
}

void Backup(benchmark::State& state) {
    Folder folder;
    const fs::path stock = makeStock(folder, static_cast<int>(state.range(0)));
    double backup = 0, copy = 0;
    for (auto _ : state) {
        const fs::path to = folder.path() / "backup.mdb", plain = folder.path() / "copy.mdb";
        auto start = Clock::now();
        store::backupDatabase(stock, to);
        backup += seconds(Clock::now() - start);
        state.SetIterationTime(seconds(Clock::now() - start));
        start = Clock::now();
        fs::copy_file(stock, plain);
        syncFile(plain);
        copy += seconds(Clock::now() - start);
        fs::remove(to);
        fs::remove(plain);
    }
    state.counters["MiB"] = static_cast<double>(fs::file_size(stock)) / (1024 * 1024);
    state.counters["x_file_copy"] = backup / copy;
}
BENCHMARK(Backup)->Arg(1000)->Arg(30000)->UseManualTime()->Unit(benchmark::kMillisecond);

void StockSheet(benchmark::State& state) {
    Folder folder;
    const fs::path stock = makeStock(folder, static_cast<int>(state.range(0)));
    double sheet = 0, csv = 0;
    std::size_t pages = 0;
    for (auto _ : state) {
        auto start = Clock::now();
        const auto sections = tools::stockSections(store::allGears(*store::openDatabase(stock)), {});
        pages = tools::writeReportPdf(sections, "Magazzino ingranaggi", "01/01/2024", folder.path() / "stock.pdf");
        sheet += seconds(Clock::now() - start);
        state.SetIterationTime(seconds(Clock::now() - start));
        start = Clock::now();
        std::ofstream out(folder.path() / "stock.csv");
        tools::exportGearsCsv(stock, out);
        out.close();
        csv += seconds(Clock::now() - start);
    }
    state.counters["pages"] = static_cast<double>(pages);
    state.counters["x_csv_export"] = sheet / csv;
}
BENCHMARK(StockSheet)->Arg(300)->Arg(30000)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
