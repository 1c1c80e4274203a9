#include "store/connection_string.h"

#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>

#include "base/failure.h"
#include "base/text.h"

namespace zanfiro::store {

namespace {

// Spaces and tabs around keys and values do not count.
constexpr std::string_view kBlanks = " \t";

[[noreturn]] void reject(const std::string& why) { throw Failure(failure::kBadConnectionString, why); }

std::filesystem::path mapDatabasePath(const std::string& dbq, const std::filesystem::path& home) {
    if (!dbq.empty() && dbq.front() == '/') return dbq;
    const bool hasDrive = dbq.size() >= 2 && std::isalpha(static_cast<unsigned char>(dbq[0])) && dbq[1] == ':';
    if (!hasDrive) reject("the database path is not absolute: " + dbq);
    if (std::toupper(static_cast<unsigned char>(dbq[0])) != 'C')
        reject("drive " + dbq.substr(0, 2) + " does not exist here; C: is the home folder: " + dbq);
    std::string rest = dbq.substr(2);
    std::ranges::replace(rest, '\\', '/');
    if (rest.empty() || rest.front() != '/') reject("the database path is not absolute: " + dbq);
    return (home / rest.substr(1)).lexically_normal();
}

}  // namespace

std::map<std::string, std::string> readConnectionString(std::string_view text) {
    std::map<std::string, std::string> attributes;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const auto equals = text.find('=', pos);
        const auto semicolon = text.find(';', pos);
        if (equals == std::string_view::npos || equals > semicolon) {
            // A stray piece without '=': only blanks are allowed there.
            if (!trimmed(text.substr(pos, semicolon - pos), kBlanks).empty())
                reject("no '=' in attribute: " + std::string(text.substr(pos, semicolon - pos)));
            if (semicolon == std::string_view::npos) break;
            pos = semicolon + 1;
            continue;
        }
        const std::string key = lower(trimmed(text.substr(pos, equals - pos), kBlanks));
        if (key.empty()) reject("an attribute has no name: " + std::string(text));
        std::size_t valueStart = equals + 1;
        while (valueStart < text.size() && text[valueStart] == ' ') ++valueStart;
        std::string value;
        if (valueStart < text.size() && text[valueStart] == '{') {
            std::size_t i = valueStart + 1;
            for (;; ++i) {
                if (i >= text.size()) reject("unclosed '{' in: " + std::string(text));
                if (text[i] == '}') {
                    if (i + 1 < text.size() && text[i + 1] == '}') {
                        value += '}';
                        ++i;
                        continue;
                    }
                    break;
                }
                value += text[i];
            }
            const auto end = text.find(';', i + 1);
            if (!trimmed(text.substr(i + 1, end - (i + 1)), kBlanks).empty())
                reject("text after '}' in: " + std::string(text));
            pos = end == std::string_view::npos ? text.size() : end + 1;
        } else {
            const auto end = text.find(';', valueStart);
            value = std::string(trimmed(text.substr(valueStart, end - valueStart), kBlanks));
            pos = end == std::string_view::npos ? text.size() : end + 1;
        }
        attributes.try_emplace(key, std::move(value));  // the first mention of a key counts
    }
    return attributes;
}

DataSource dataSourceFor(std::string_view connectionString, const std::filesystem::path& home) {
    const auto attributes = readConnectionString(connectionString);
    const auto driver = attributes.find("driver");
    if (driver == attributes.end()) reject("no driver named in: " + std::string(connectionString));
    if (lower(driver->second) != lower(kAccessDriver))
        throw Failure(failure::kUnknownDriver, "driver not found: " + driver->second);
    const auto dbq = attributes.find("dbq");
    if (dbq == attributes.end() || dbq->second.empty())
        reject("no database file (dbq) named in: " + std::string(connectionString));
    return {driver->second, mapDatabasePath(dbq->second, home)};
}

std::filesystem::path userHome() {
    if (const char* home = std::getenv("HOME"); home && *home) return home;
    if (const passwd* entry = getpwuid(getuid()); entry && entry->pw_dir) return entry->pw_dir;
    throw Failure(failure::kBadConnectionString, "the home folder (drive C:) is unknown: HOME is not set");
}

std::string connectionStringFor(const std::filesystem::path& file) {
    return concat({"driver={", kAccessDriver, "};dbq=", file.string()});
}

std::filesystem::path programDatabasePath() { return dataSourceFor(kConnectionString, userHome()).database; }

}  // namespace zanfiro::store
