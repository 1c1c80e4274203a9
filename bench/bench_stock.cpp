#include "bench_stock.h"

#include "store/engine.h"
#include "store/gear_table.h"

namespace zanfiro {

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
