#pragma once

#include <filesystem>

namespace zanfiro {

// A PostgreSQL server of the bench's own on this machine, started as the
// tests start theirs (tests/support/pg_server.sh) and stopped with the
// object; TempDatabase makes its server databases there. running() is false
// when it could not start (no PostgreSQL installed), having said why.
class BenchServer {
public:
    BenchServer();
    ~BenchServer();
    BenchServer(const BenchServer&) = delete;
    BenchServer& operator=(const BenchServer&) = delete;
    bool running() const { return running_; }

private:
    std::filesystem::path folder_;
    bool running_ = false;
};

// Fills the empty Gears table of `file` (a database file, or a link to a
// server) with `count` gears spread over the four modules and two types, in
// one transaction: the stock every benchmark measures.
void seedBenchStock(const std::filesystem::path& file, int count);

}  // namespace zanfiro
