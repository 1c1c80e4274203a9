// What the operator waits for in zanfiro-db as the stock grows: a backup
// (SQLite's online backup, checked, synced and renamed into place) against
// a plain copy of the same file made and synced in the same run, and the
// printed sheets (the stock sheet, the reorder sheet, the count sheet and
// the bin labels, each read from the database and drawn) against the CSV
// export of the same gears. Counters give the size, the pages and the
// ratios to those floors.
#include <fcntl.h>
#include <unistd.h>

#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <fstream>

#include "bench_stock.h"
#include "counting.h"
#include "csv_export.h"
#include "labels.h"
#include "labels_pdf.h"
#include "levels.h"
#include "reorder.h"
#include "report.h"
#include "report_pdf.h"
#include "store/engine.h"
#include "store/gear_levels.h"
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

// Every gear gets a minimum of 25 and a target of 40: with quantities of 0
// to 49, half the stock is below its minimum, all on the reorder sheet.
void seedLevels(const fs::path& stock) {
    auto session = store::openDatabase(stock);
    session->begin();
    for (const store::GearRecord& gear : store::allGears(*session))
        store::setLevel(*session, {.id = gear.ID.number(), .minimum = 25, .target = 40});
    session->commit();
}

// A sheet made from the database at `stock` into `folder`; returns its pages.
using SheetMaker = std::size_t (*)(const fs::path& stock, const fs::path& folder);

// The sheet against the CSV export of the same stock, both timed in turns.
void measureSheet(benchmark::State& state, SheetMaker make, bool withLevels) {
    const TempDatabase db(TempDatabase::Content::EmptyTable, zanfiro::testing::Engine::File);
    const fs::path& stock = db.path();
    seedBenchStock(stock, static_cast<int>(state.range(0)));
    if (withLevels) seedLevels(stock);
    double sheet = 0, csv = 0;
    std::size_t pages = 0;
    for (auto _ : state) {
        auto start = Clock::now();
        pages = make(stock, db.folder());
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

std::size_t stockSheet(const fs::path& stock, const fs::path& folder) {
    auto session = store::openDatabase(stock);
    const tools::StockLevels levels = tools::stockLevels(*session);
    const auto sheet =
        tools::stockSheet(tools::stockSections(store::allGears(*session), {}), levels, "Magazzino", "01/01/2024");
    return tools::writeSheetPdf(sheet, folder / "stock.pdf");
}

std::size_t reorderSheet(const fs::path& stock, const fs::path& folder) {
    auto session = store::openDatabase(stock);
    const tools::StockLevels levels = tools::stockLevels(*session);
    const auto sheet =
        tools::reorderSheet(tools::reorderSections(store::allGears(*session), levels, {}), levels, {}, "01/01/2024");
    std::ofstream csv(folder / "reorder.csv");
    tools::writeReorderCsv(sheet.sections, levels, csv);
    return tools::writeSheetPdf(sheet, folder / "reorder.pdf");
}

std::size_t countSheet(const fs::path& stock, const fs::path& folder) {
    const auto sheet = tools::countSheet(
        tools::stockSections(store::allGears(*store::openDatabase(stock)), {}), "Inventario", "01/01/2024 08:00");
    std::ofstream csv(folder / "count.csv");
    tools::writeCountCsv(sheet.sections, csv);
    return tools::writeSheetPdf(sheet, folder / "count.pdf");
}

std::size_t labels(const fs::path& stock, const fs::path& folder) {
    const auto gears = tools::labelledGears(store::allGears(*store::openDatabase(stock)), {}, {});
    return tools::writeLabelsPdf(gears, tools::kLabelLayouts[0], folder / "labels.pdf");
}

void StockSheet(benchmark::State& state) { measureSheet(state, stockSheet, true); }
BENCHMARK(StockSheet)->Arg(300)->Arg(30000)->UseManualTime()->Unit(benchmark::kMillisecond);

void ReorderSheet(benchmark::State& state) { measureSheet(state, reorderSheet, true); }
BENCHMARK(ReorderSheet)->Arg(30000)->UseManualTime()->Unit(benchmark::kMillisecond);

void CountSheet(benchmark::State& state) { measureSheet(state, countSheet, false); }
BENCHMARK(CountSheet)->Arg(30000)->UseManualTime()->Unit(benchmark::kMillisecond);

void Labels(benchmark::State& state) { measureSheet(state, labels, false); }
BENCHMARK(Labels)->Arg(1000)->Arg(30000)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
