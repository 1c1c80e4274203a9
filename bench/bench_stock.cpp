#include "bench_stock.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include "store/engine.h"
#include "store/gear_table.h"

namespace zanfiro {

namespace {

int pgServer(const char* action, const std::filesystem::path& state) {
    const std::string command =
        std::string("bash '" ZANFIRO_PG_SERVER_SCRIPT "' ") + action + " '" + state.string() + "' >/dev/null";
    return std::system(command.c_str());
}

}  // namespace

BenchServer::BenchServer() {
    std::string pattern = (std::filesystem::temp_directory_path() / "zanfiro-bench-XXXXXX").string();
    if (!mkdtemp(pattern.data())) return;
    folder_ = pattern;
    if (pgServer("start", folder_ / "pg-server") != 0) {
        std::fprintf(stderr, "no PostgreSQL server could be started for the bench (apt-get install postgresql)\n");
        return;
    }
    // Read by TempDatabase, which makes the bench's server databases.
    setenv("ZANFIRO_TEST_PG_STATE", (folder_ / "pg-server").c_str(), 1);
    running_ = true;
}

BenchServer::~BenchServer() {
    if (folder_.empty()) return;
    pgServer("stop", folder_ / "pg-server");
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
}

void seedBenchStock(const std::filesystem::path& file, int count) {
    static constexpr const char* kModules[] = {"0.4", "0.6", "48", "64"};
    auto session = store::openDatabase(file);
    session->begin();
    for (int i = 0; i < count; ++i)
        store::insertGear(*session,
                          {store::Value(),
                           store::Value(std::int64_t{10 + (i * 7919) % 190}),
                           store::Value(std::string(kModules[i % 4])),
                           store::Value(std::string((i / 4) % 2 ? "P" : "C")),
                           store::Value(std::int64_t{i % 50})});
    session->commit();
}

}  // namespace zanfiro
