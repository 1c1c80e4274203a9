// How long the operator waits for the lists as the stock grows. Each list
// operation runs twice at 1,000, 10,000 and 30,000 gears: in the real window
// (offscreen, up to the repaint), and on controls that keep nothing, which
// is the data side alone: the same query stepped and both rows built. The
// table at the end sets one beside the other; the ratio is what the window
// adds. Then the start-up list and LOAD ALL at 30,000 gears in the window
// with the stock on a PostgreSQL server on this machine, in turns with the
// same on a file, by the time the operator waits. Then the whole program:
// start-up to a mapped window under Xvfb and peak memory, against an empty
// Qt window (startup_figures.cpp).
#include <time.h>

#include <QApplication>
#include <QComboBox>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "bench_stock.h"
#include "editing/list_all.h"
#include "filters/find.h"
#include "filters/refresh.h"
#include "form/startup.h"
#include "startup_figures.h"
#include "store/engine.h"
#include "store/gear_table.h"
#include "temp_database.h"

namespace {

using namespace zanfiro;
using zanfiro::testing::Engine;
using zanfiro::testing::TempDatabase;

constexpr int kStocks[] = {1000, 10000, 30000};

// Databases with `count` gears spread over the four modules and two types,
// made once per size and engine for the whole run.
std::map<std::pair<int, Engine>, std::unique_ptr<TempDatabase>> stocks;

const TempDatabase& stockOf(int count, Engine engine = Engine::File) {
    auto& db = stocks[{count, engine}];
    if (!db) {
        db = std::make_unique<TempDatabase>(TempDatabase::Content::EmptyTable, engine);
        seedBenchStock(db->path(), count);
        // What the server's autovacuum does within a minute of the seeding:
        // the figures are those of a stock in use, not of one just filled.
        if (engine == Engine::Server) db->execute("VACUUM ANALYZE Gears");
    }
    return *db;
}

// Controls that keep nothing but what the handlers read back.
struct NullCombo final : ComboBox {
    std::string value;
    std::size_t bytes = 0;
    std::string text() const override { return value; }
    void setText(const std::string& text) override { value = text; }
    void addItem(const std::string& row) override { bytes += row.size(); }
    void clear() override { value.clear(); }
    void setFocus() override {}
};
struct NullList final : ListBox {
    std::size_t bytes = 0;
    void addItem(const std::string& row) override { bytes += row.size(); }
    void clear() override {}
};
struct NullText final : TextBox {
    std::string value;
    std::string text() const override { return value; }
    void setText(const std::string& text) override { value = text; }
    void setFocus() override {}
};
struct NullOption final : OptionButton {
    bool on = false;
    bool value() const override { return on; }
    void select() override { on = true; }
};
struct NullLabel final : Label {
    void setCaption(const std::string&) override {}
};
struct NullWindow final : Window {
    void unload() override {}
};

struct NullForm {
    explicit NullForm(const TempDatabase& db) : form(makeForm(db)) {}
    NullCombo combo1, combo2, combo3;
    NullList list1;
    NullText text1, text4;
    NullOption option1, option2, option3, option4, option5, option6;
    NullLabel label1;
    NullWindow window;
    Form1 form;

private:
    Form1 makeForm(const TempDatabase& db) {
        return Form1{.window = window,
                     .Combo1 = combo1,
                     .List1 = list1,
                     .Text1 = text1,
                     .Text4 = text4,
                     .Option1 = option1,
                     .Option2 = option2,
                     .Option3 = option3,
                     .Option4 = option4,
                     .Option5 = option5,
                     .Option6 = option6,
                     .Combo2 = combo2,
                     .Combo3 = combo3,
                     .Label1 = label1,
                     .connectionString = db.connectionString(),
                     .connection = {},
                     .recordset = {},
                     .splitRow = {}};
    }
};

// One handler run as the operator triggers it, then the repaint.
void press(MainWindow& window, void (*handler)(Form1&)) {
    if (!window.guard().run([&] { handler(window.form()); })) std::abort();
    QApplication::processEvents();
}

// FIND and the refresh list one type and module pair: the crown gears of
// module 48, an eighth of the stock.
void selectOnePair(Form1& form) {
    form.Option1.select();
    form.Option5.select();
}

struct Operation {
    const char* name;
    void (*handler)(Form1&);
    void (*before)(Form1&);  // run before each timed call, in both forms
};

void keepCrownType(Form1& form) { form.Combo2.setText("C"); }
void nothing(Form1&) {}

const Operation kOperations[] = {
    {"LOAD ALL", listAllGears, nothing},
    {"FIND (one pair)", findGears, nothing},
    {"refresh (one pair)", refreshFilteredList, keepCrownType},
};

void perGear(benchmark::State& state) { state.counters["gears"] = static_cast<double>(state.range(0)); }

void dataSide(benchmark::State& state, const Operation& op) {
    NullForm null(stockOf(static_cast<int>(state.range(0))));
    selectOnePair(null.form);
    for (auto _ : state) {
        op.before(null.form);
        op.handler(null.form);
    }
    perGear(state);
}

void inWindow(benchmark::State& state, const Operation& op) {
    MainWindow window(stockOf(static_cast<int>(state.range(0))).connectionString());
    window.load();
    window.show();
    QApplication::processEvents();
    selectOnePair(window.form());
    for (auto _ : state) {
        op.before(window.form());
        press(window, op.handler);
    }
    perGear(state);
}

// The Load handler of a window just built, up to its first paint, against
// the same handler on controls that keep nothing.
void startUpDataSide(benchmark::State& state) {
    NullForm null(stockOf(static_cast<int>(state.range(0))));
    for (auto _ : state) loadStartupList(null.form);
    perGear(state);
}

void startUpInWindow(benchmark::State& state) {
    const std::string connection = stockOf(static_cast<int>(state.range(0))).connectionString();
    for (auto _ : state) {
        state.PauseTiming();
        auto window = std::make_unique<MainWindow>(connection);
        state.ResumeTiming();
        if (!window->load()) std::abort();
        window->show();
        QApplication::processEvents();
        state.PauseTiming();
        window.reset();
        state.ResumeTiming();
    }
    perGear(state);
}

// Up to the drop-down painted; apart, so that a profiler can single it out.
[[gnu::noinline]] void openDropDown(QComboBox* combo) {
    combo->showPopup();
    QApplication::processEvents();
}

// The first opening of Combo1's drop-down after a reload: the view lays
// out the new rows then.
void comboDropDownFirstOpening(benchmark::State& state) {
    MainWindow window(stockOf(static_cast<int>(state.range(0))).connectionString());
    window.load();
    window.show();
    auto* combo = qobject_cast<QComboBox*>(window.control("Combo1"));
    for (auto _ : state) {
        state.PauseTiming();
        press(window, listAllGears);
        state.ResumeTiming();
        openDropDown(combo);
        state.PauseTiming();
        combo->hidePopup();
        QApplication::processEvents();
        state.ResumeTiming();
    }
    perGear(state);
}

void registerAll(int repetitions) {
    const auto add = [repetitions](const std::string& name, auto&& fn) {
        auto* b = benchmark::RegisterBenchmark(name.c_str(), fn);
        for (const int count : kStocks) b->Arg(count);
        b->Unit(benchmark::kMillisecond)->Repetitions(repetitions)->ReportAggregatesOnly(true);
    };
    add("start-up list/data side", startUpDataSide);
    add("start-up list/window", startUpInWindow);
    for (const Operation& op : kOperations) {
        add(std::string(op.name) + "/data side", [&op](benchmark::State& s) { dataSide(s, op); });
        add(std::string(op.name) + "/window", [&op](benchmark::State& s) { inWindow(s, op); });
    }
    add("Combo1 drop-down, first opening after a reload/window", comboDropDownFirstOpening);
}

// After Google Benchmark's own table: each operation in the window beside
// its data side, by medians of CPU time, and the ratio.
class RatioReporter final : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.error_occurred || run.run_type != Run::RT_Aggregate || run.aggregate_name != "median") continue;
            const std::string name = run.run_name.function_name;
            const auto slash = name.rfind('/');
            const int gears = std::atoi(run.run_name.args.c_str());
            auto& figures = table_[{name.substr(0, slash), gears}];
            const double ms = run.GetAdjustedCPUTime();
            (name.substr(slash + 1) == "window" ? figures.window : figures.floor) = ms;
        }
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        std::printf(
            "\n%-50s %7s %11s %11s %7s  %s\n", "list operation", "gears", "window ms", "data ms", "ratio", "target");
        for (const auto& [key, f] : table_) {
            std::printf("%-50s %7d %11.2f ", key.first.c_str(), key.second, f.window);
            if (f.floor > 0)
                std::printf("%11.2f %7.2f  %s\n", f.floor, f.window / f.floor, "<= 1.5 at 30000");
            else
                std::printf("%11s %7s  %s\n", "-", "-", key.first.starts_with("Combo1") ? "<= 5 ms at 30000" : "");
        }
    }

private:
    struct Figures {
        double window = 0, floor = 0;
    };
    std::map<std::pair<std::string, int>, Figures> table_;
};

// The server's start-up list and LOAD ALL beside the file's.
constexpr int kServerStock = 30000;

// Wall-clock and CPU ms of one run of `work`: the operator waits for the
// server's work too, which is no CPU time of the program's.
struct Took {
    double wallMs, cpuMs;
};

template <class Work>
Took timed(Work&& work) {
    const auto cpuMs = [] {
        timespec now{};
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
        return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
    };
    const auto wall = std::chrono::steady_clock::now();
    const double cpu = cpuMs();
    work();
    return {std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - wall).count(), cpuMs() - cpu};
}

Took startUpOnce(const std::string& connection) {
    MainWindow window(connection);
    return timed([&] {
        if (!window.load()) std::abort();
        window.show();
        QApplication::processEvents();
    });
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// Each list operation `runs` times on the server and on the file in turns,
// each taking the first place every other run, so that what else the
// machine does weighs on both alike; medians, and the server's wall clock
// over the file's.
void printServerBesideFile(int runs) {
    const std::string onFile = stockOf(kServerStock, Engine::File).connectionString();
    const std::string onServer = stockOf(kServerStock, Engine::Server).connectionString();
    MainWindow fileWindow(onFile), serverWindow(onServer);
    for (MainWindow* window : {&fileWindow, &serverWindow}) {
        if (!window->load()) std::abort();
        window->show();
        QApplication::processEvents();
    }
    struct Figures {
        std::vector<double> wall, cpu;
        void add(Took took) { wall.push_back(took.wallMs), cpu.push_back(took.cpuMs); }
    };
    Figures startUp[2], loadAll[2];  // [0] the file, [1] the server
    startUpOnce(onServer);           // libpq is loaded at the first link opened, once
    for (int run = 0; run < runs; ++run)
        for (const int engine : {run % 2, 1 - run % 2}) {
            startUp[engine].add(startUpOnce(engine ? onServer : onFile));
            MainWindow& window = engine ? serverWindow : fileWindow;
            loadAll[engine].add(timed([&] { press(window, listAllGears); }));
        }

    std::printf(
        "\nthe stock on a PostgreSQL server on this machine beside a file, in the window; medians of %d runs "
        "in turns\n",
        runs);
    std::printf("%-34s %7s %15s %13s %7s %15s %13s  %s\n",
                "list operation",
                "gears",
                "server wall ms",
                "file wall ms",
                "ratio",
                "server CPU ms",
                "file CPU ms",
                "target");
    const std::pair<const char*, Figures*> table[] = {{"start-up list (Load, first paint)", startUp},
                                                      {"LOAD ALL", loadAll}};
    for (const auto& [name, figures] : table) {
        const double server = median(figures[1].wall), file = median(figures[0].wall);
        std::printf("%-34s %7d %15.2f %13.2f %7.2f %15.2f %13.2f  %s\n",
                    name,
                    kServerStock,
                    server,
                    file,
                    server / file,
                    median(figures[1].cpu),
                    median(figures[0].cpu),
                    "<= 1.5");
    }
}

// The offscreen platform warns at every popup that it cannot raise windows.
void quietOffscreenWarnings(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtWarningMsg && message.startsWith(QStringLiteral("This plugin does not support"))) return;
    if (message.startsWith(QStringLiteral("QStandardPaths: XDG_RUNTIME_DIR not set"))) return;
    std::fprintf(stderr, "%s\n", qPrintable(message));
}

// --name=value among the arguments Google Benchmark left.
int intFlag(int argc, char* argv[], const char* name, int fallback) {
    const std::string prefix = std::string("--") + name + "=";
    for (int i = 1; i < argc; ++i)
        if (std::strncmp(argv[i], prefix.c_str(), prefix.size()) == 0) return std::atoi(argv[i] + prefix.size());
    return fallback;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(quietOffscreenWarnings);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    const int repetitions = intFlag(argc, argv, "list_repetitions", 7);
    const int startupRuns = intFlag(argc, argv, "startup_runs", 9);
    const int serverRuns = intFlag(argc, argv, "server_runs", 21);
    if (repetitions > 0) {
        registerAll(repetitions);
        RatioReporter reporter;
        benchmark::RunSpecifiedBenchmarks(&reporter);
    }
    benchmark::Shutdown();
    if (serverRuns > 0) {
        const BenchServer server;
        if (server.running()) printServerBesideFile(serverRuns);
        stocks.clear();  // the server's databases go before the server
    }
    if (startupRuns > 0) return printStartupFigures(startupRuns);
    return 0;
}
