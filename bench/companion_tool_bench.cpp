// What the operator waits for in zanfiro-db as the stock grows: a backup
// (SQLite's online backup, checked, synced and renamed into place) against
// a plain copy of the same file made and synced in the same run, and the
// stock sheet's PDF against the CSV export of the same gears. Counters give
// the size, the pages and the ratios to those floors.
#include <fcntl.h>
#include <unistd.h>

#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <fstream>

#include "bench_stock.h"
#include "csv_export.h"
#include "report.h"
#include "report_pdf.h"
#include "store/engine.h"
#include "store/gear_table.h"
#include "temp_database.h"

namespace {

namespace fs = std::filesystem;
using namespace zanfiro;
using Clock = std::chrono::steady_clock;
using zanfiro::testing::TempDatabase;

double seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

void syncFile(const fs::path& file) {
    const int fd = ::open(file.c_str(), O_RDONLY);
    ::fsync(fd);
    ::close(fd);
}

void Backup(benchmark::State& state) {
    const TempDatabase db(TempDatabase::Content::EmptyTable, zanfiro::testing::Engine::File);
    const fs::path& stock = db.path();
    seedBenchStock(stock, static_cast<int>(state.range(0)));
    double backup = 0, copy = 0;
    for (auto _ : state) {
        const fs::path to = db.folder() / "backup.mdb", plain = db.folder() / "copy.mdb";
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
    const TempDatabase db(TempDatabase::Content::EmptyTable, zanfiro::testing::Engine::File);
    const fs::path& stock = db.path();
    seedBenchStock(stock, static_cast<int>(state.range(0)));
    double sheet = 0, csv = 0;
    std::size_t pages = 0;
    for (auto _ : state) {
        auto start = Clock::now();
        const auto sections = tools::stockSections(store::allGears(*store::openDatabase(stock)), {});
        pages = tools::writeReportPdf(sections, "Magazzino ingranaggi", "01/01/2024", db.folder() / "stock.pdf");
        sheet += seconds(Clock::now() - start);
        state.SetIterationTime(seconds(Clock::now() - start));
        start = Clock::now();
        std::ofstream out(db.folder() / "stock.csv");
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
