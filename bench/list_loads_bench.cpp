// How long the operator waits for the lists as the stock grows: the data
// side alone, then the real window (offscreen) doing start-up, LOAD ALL and
// the first opening of Combo1's drop-down. Counters give the cost per gear,
// so a run with 1,000 and 30,000 gears shows whether the cost stays linear.
#include <QApplication>
#include <QComboBox>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <string>

#include "app/main_window.h"
#include "editing/list_all.h"
#include "form/full_list.h"
#include "store/engine.h"
#include "store/sqlite.h"

namespace {

namespace fs = std::filesystem;
using namespace zanfiro;

// A database with `count` gears spread over the four modules and two types.
class BenchDatabase {
public:
    explicit BenchDatabase(int count) {
        std::string pattern = (fs::temp_directory_path() / "zanfiro-bench-XXXXXX").string();
        if (!mkdtemp(pattern.data())) std::abort();
        folder_ = pattern;
        store::createDatabase(path());
        store::sqlite::Database db(path(), store::sqlite::Database::Mode::OpenExisting);
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
    }
    ~BenchDatabase() { fs::remove_all(folder_); }
    fs::path path() const { return folder_ / "DB.mdb"; }
    std::string connectionString() const { return "driver={Microsoft Access Driver (*.mdb)};dbq=" + path().string(); }

private:
    fs::path folder_;
};

// Controls that keep nothing: the data side's own cost.
struct NullControls final : ComboBox, ListBox, TextBox, Label, OptionButton, Window {
    std::size_t bytes = 0;
    std::string text() const override { return {}; }
    void setText(const std::string&) override {}
    void addItem(const std::string& row) override { bytes += row.size(); }
    void clear() override {}
    void setFocus() override {}
    void setCaption(const std::string&) override {}
    bool value() const override { return false; }
    void select() override {}
    void unload() override {}
};

void perGear(benchmark::State& state) {
    state.counters["gears"] = static_cast<double>(state.range(0));
    state.counters["per_gear"] =
        benchmark::Counter(static_cast<double>(state.range(0)),
                           benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void DataSideFullListLoad(benchmark::State& state) {
    BenchDatabase db(static_cast<int>(state.range(0)));
    NullControls c;
    Form1 form{.window = c,
               .Combo1 = c,
               .List1 = c,
               .Text1 = c,
               .Text4 = c,
               .Option1 = c,
               .Option2 = c,
               .Option3 = c,
               .Option4 = c,
               .Option5 = c,
               .Option6 = c,
               .Combo2 = c,
               .Combo3 = c,
               .Label1 = c,
               .connectionString = db.connectionString()};
    for (auto _ : state) loadFullList(form, "SELECT ID, D, M, T, QTY FROM Gears ORDER BY M ASC");
    perGear(state);
}
BENCHMARK(DataSideFullListLoad)->Arg(1000)->Arg(30000)->Unit(benchmark::kMillisecond);

void WindowStartUp(benchmark::State& state) {
    BenchDatabase db(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        MainWindow window(db.connectionString());
        if (!window.load()) state.SkipWithError("start-up failed");
        window.show();
        QApplication::processEvents();  // the first paint, with the list laid out
    }
    perGear(state);
}
BENCHMARK(WindowStartUp)->Arg(1000)->Arg(30000)->Unit(benchmark::kMillisecond);

// LOAD ALL as the operator presses it, up to the repaint of the lists.
void pressLoadAll(MainWindow& window) {
    window.guard().run([&] { listAllGears(window.form()); });
    QApplication::processEvents();
}

void WindowLoadAll(benchmark::State& state) {
    BenchDatabase db(static_cast<int>(state.range(0)));
    MainWindow window(db.connectionString());
    window.load();
    window.show();
    for (auto _ : state) pressLoadAll(window);
    perGear(state);
}
BENCHMARK(WindowLoadAll)->Arg(1000)->Arg(30000)->Unit(benchmark::kMillisecond);

void ComboDropDownFirstOpening(benchmark::State& state) {
    BenchDatabase db(static_cast<int>(state.range(0)));
    MainWindow window(db.connectionString());
    window.load();
    window.show();
    auto* combo = qobject_cast<QComboBox*>(window.control("Combo1"));
    for (auto _ : state) {
        state.PauseTiming();
        pressLoadAll(window);  // a reload, so the view lays out anew
        state.ResumeTiming();
        combo->showPopup();
        QApplication::processEvents();
        combo->hidePopup();
    }
    perGear(state);
}
BENCHMARK(ComboDropDownFirstOpening)->Arg(1000)->Arg(30000)->Unit(benchmark::kMillisecond);

// Prints, after the table, how the cost per gear changes from the smallest
// to the largest stock of each benchmark: near 1 means linear.
class RatioReporter final : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            const auto perGear = run.counters.find("per_gear");
            if (perGear == run.counters.end() || run.error_occurred) continue;
            auto& [first, last] = perGearByBenchmark_[run.run_name.function_name];
            if (first == 0) first = perGear->second;
            last = perGear->second;
        }
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        std::printf("\ncost per gear, largest stock / smallest stock (1.0 = linear):\n");
        for (const auto& [name, costs] : perGearByBenchmark_)
            std::printf("  %-28s %5.2f\n", name.c_str(), costs.second / costs.first);
    }

private:
    std::map<std::string, std::pair<double, double>> perGearByBenchmark_;
};

// The offscreen platform warns at every popup that it cannot raise windows.
void quietOffscreenWarnings(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtWarningMsg && message.startsWith(QStringLiteral("This plugin does not support"))) return;
    std::fprintf(stderr, "%s\n", qPrintable(message));
}

}  // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(quietOffscreenWarnings);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
