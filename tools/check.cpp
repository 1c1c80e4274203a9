#include "check.h"

#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <optional>
#include <set>

#include "backups.h"
#include "base/failure.h"
#include "base/text.h"
#include "sentence.h"
#include "store/connection_string.h"
#include "store/disk.h"
#include "store/engine.h"
#include "store/gear_history.h"
#include "store/gear_ids.h"
#include "store/gear_levels.h"
#include "store/gear_table.h"
#include "store/pg_session.h"
#include "store/server_link.h"

namespace zanfiro::tools {

namespace {

namespace fs = std::filesystem;
using store::kHighestPickableId;

// The next ID from which on the check warns that the ceiling is near.
constexpr std::int64_t kIdsRunningOut = 30000;
// A newest backup older than this is a warning, with the daily timer a
// day missed and made up.
constexpr auto kBackupTooOld = std::chrono::hours(48);
// A server slower than this to connect and answer is a warning.
constexpr auto kSlowServer = std::chrono::seconds(1);
// How many IDs a finding names before it counts the rest.
constexpr std::size_t kIdsNamed = 10;

// "12, 40, 77 and 3 more".
std::string idList(const std::vector<std::int64_t>& ids) {
    std::string list;
    for (std::size_t i = 0; i < ids.size() && i < kIdsNamed; ++i)
        list += concat({i == 0 ? "" : ", ", std::to_string(ids[i])});
    if (ids.size() > kIdsNamed) list += concat({" and ", std::to_string(ids.size() - kIdsNamed), " more"});
    return list;
}

std::string age(std::chrono::seconds seconds) {
    const auto minutes = std::chrono::duration_cast<std::chrono::minutes>(seconds).count();
    if (minutes < 1) return "less than a minute";
    if (minutes < 120) return counted(minutes, "minute", "minutes");
    if (minutes < 48 * 60) return counted(minutes / 60, "hour", "hours");
    return counted(minutes / (24 * 60), "day", "days");
}

bool sameValues(const store::GearRecord& a, const store::GearRecord& b) {
    return std::ranges::all_of(store::gearValueColumns(),
                               [&](const store::GearColumn* column) { return a.*column->field == b.*column->field; });
}

// Every gear's last recorded change leaves it as it is now, and a gear the
// history says is gone is not there.
Finding history(store::Session& session, const std::vector<store::GearRecord>& gears) {
    Finding finding{.check = "history"};
    if (!session.keepsHistory()) {
        finding.verdict = Verdict::Problem;
        finding.says =
            "changes are not recorded: the table GearsHistory or its triggers are missing (zanfiro-db upgrade puts "
            "them back)";
        return finding;
    }
    const auto changes = store::gearChanges(session);
    std::map<std::int64_t, std::optional<store::GearRecord>> recorded;  // nothing: the history says it is gone
    for (auto change = changes.rbegin(); change != changes.rend(); ++change) {
        switch (change->kind) {
        case store::ChangeKind::Delete: recorded[change->id].reset(); break;
        case store::ChangeKind::Renumber: recorded[change->before.ID.number()].reset(); [[fallthrough]];
        case store::ChangeKind::Insert:
        case store::ChangeKind::Update:
        case store::ChangeKind::Count:
        case store::ChangeKind::Levels: recorded[change->id] = change->after;
        }
    }
    std::vector<std::int64_t> differ;
    std::size_t before = 0;
    std::set<std::int64_t> present;
    for (const store::GearRecord& gear : gears) {
        if (!gear.ID.isNumber()) continue;
        present.insert(gear.ID.number());
        const auto last = recorded.find(gear.ID.number());
        if (last == recorded.end())
            ++before;
        else if (!last->second || !sameValues(*last->second, gear))
            differ.push_back(gear.ID.number());
    }
    for (const auto& [id, last] : recorded)
        if (last && !present.contains(id)) differ.push_back(id);
    std::ranges::sort(differ);
    finding.facts = {{"changes", static_cast<std::int64_t>(changes.size())},
                     {"gears_differing", static_cast<std::int64_t>(differ.size())},
                     {"gears_before_history", static_cast<std::int64_t>(before)}};
    if (!differ.empty()) {
        finding.verdict = Verdict::Problem;
        finding.says = sentence(plural(static_cast<long long>(differ.size()),
                                       "1 gear differs from the last change the history recorded (ID %2): changed "
                                       "while the history's triggers were off",
                                       "%1 gears differ from the last change the history recorded (ID %2): changed "
                                       "while the history's triggers were off"),
                                {std::to_string(differ.size()), idList(differ)});
        return finding;
    }
    finding.says = sentence(plural(static_cast<long long>(changes.size()),
                                   "1 change recorded; each gear's last change leaves it as it is",
                                   "%1 changes recorded; each gear's last change leaves it as it is"),
                            {std::to_string(changes.size())});
    if (before > 0)
        finding.says += sentence(plural(static_cast<long long>(before),
                                        " (1 gear is from before the history began)",
                                        " (%1 gears are from before the history began)"),
                                 {std::to_string(before)});
    return finding;
}

// On a server only the administrator, who owns the tables, may upgrade them.
std::string_view upgradeRun(bool server) {
    return server ? "the administrator's zanfiro-db upgrade" : "zanfiro-db upgrade";
}

// A history made before it signed its changes records them unsigned.
Finding signatures(store::Session& session, bool server) {
    Finding finding{.check = "signatures"};
    if (session.signsChanges()) {
        finding.says = "the history signs each change with who made it and from where";
        return finding;
    }
    finding.verdict = Verdict::Warning;
    finding.says = sentence(
        "the history does not sign its changes with who made them and from where: %1 makes it "
        "sign them from now on",
        {std::string(upgradeRun(server))});
    return finding;
}

Finding levels(store::Session& session, bool server) {
    Finding finding{.check = "levels"};
    if (!store::keepsLevels(session)) {
        finding.verdict = Verdict::Warning;
        finding.says = sentence("there is no table GearLevels for the gears' minimum and target levels: %1 adds it",
                                {std::string(upgradeRun(server))});
        return finding;
    }
    finding.says = "the table GearLevels keeps the gears' minimum and target levels";
    return finding;
}

Finding ids(store::Session& session, const std::vector<store::GearRecord>& gears) {
    Finding finding{.check = "ids"};
    // A login may read the gears but not the server's counter.
    std::optional<std::int64_t> counter;
    try {
        counter = session.nextId();
    } catch (const Failure&) {
    }
    std::int64_t highest = 0;
    std::set<std::int64_t> held;
    std::size_t above = 0;
    for (const store::GearRecord& gear : gears) {
        if (!gear.ID.isNumber()) continue;
        held.insert(gear.ID.number());
        highest = std::max(highest, gear.ID.number());
        above += gear.ID.number() > kHighestPickableId;
    }
    std::int64_t free = 0;
    for (std::int64_t id = 1; id <= kHighestPickableId; ++id) free += !held.contains(id);
    const std::int64_t next = counter.value_or(highest + 1);
    const std::string nextGets = sentence(
        counter ? "the next new gear gets ID %1" : "the next new gear gets ID at least %1", {std::to_string(next)});
    finding.facts = {{"next_id", next},
                     {"highest_id", highest},
                     {"above_32767", static_cast<std::int64_t>(above)},
                     {"free_below_32768", free}};
    const std::string ceiling = std::to_string(kHighestPickableId);
    if (above > 0) {
        finding.verdict = Verdict::Problem;
        finding.says = sentence(plural(static_cast<long long>(above),
                                       "1 gear has an ID above %2, which the window cannot pick: zanfiro-db renumber "
                                       "moves them to free IDs below (%3 free)",
                                       "%1 gears have IDs above %2, which the window cannot pick: zanfiro-db renumber "
                                       "moves them to free IDs below (%3 free)"),
                                {std::to_string(above), ceiling, std::to_string(free)});
    } else if (next > kHighestPickableId) {
        finding.verdict = Verdict::Warning;
        finding.says =
            sentence("%1, above %2, which the window cannot pick: run zanfiro-db renumber after adding gears",
                     {nextGets, ceiling});
    } else {
        finding.verdict = next >= kIdsRunningOut ? Verdict::Warning : Verdict::Ok;
        finding.says = sentence("%1; the window picks IDs up to %2, %3 more to go",
                                {nextGets, ceiling, std::to_string(kHighestPickableId - next + 1)});
    }
    return finding;
}

// What makes the window's pick of a gear fail: a missing value (error 94)
// or an ID that is no 16-bit whole number (13, 6); IDs above the ceiling
// are the check of IDs.
Finding values(const std::vector<store::GearRecord>& gears) {
    Finding finding{.check = "values"};
    std::vector<std::string> unpickable;
    for (const store::GearRecord& gear : gears) {
        std::vector<std::string> missing;
        for (const store::GearColumn* column : store::gearValueColumns())
            if ((gear.*column->field).isNull()) missing.emplace_back(column->name);
        const bool badId = !gear.ID.isNumber() || gear.ID.number() < -kHighestPickableId - 1;
        if (missing.empty() && !badId) continue;
        std::string why = badId ? "its ID is no whole number from -32768 to 32767" : "";
        for (const std::string& column : missing) why += concat({why.empty() ? "no " : ", no ", column});
        unpickable.push_back(concat({"ID ", gear.ID.isNull() ? "(none)" : gear.ID.textOrEmpty(), " (", why, ")"}));
    }
    finding.facts = {{"gears", static_cast<std::int64_t>(gears.size())},
                     {"unpickable", static_cast<std::int64_t>(unpickable.size())}};
    if (unpickable.empty()) {
        finding.says = sentence(plural(static_cast<long long>(gears.size()),
                                       "the window can pick the 1 gear",
                                       "the window can pick each of the %1 gears"),
                                {std::to_string(gears.size())});
        return finding;
    }
    finding.verdict = Verdict::Problem;
    std::string list;
    for (std::size_t i = 0; i < unpickable.size() && i < kIdsNamed; ++i)
        list += concat({i == 0 ? "" : "; ", unpickable[i]});
    if (unpickable.size() > kIdsNamed)
        list += concat({"; and ", std::to_string(unpickable.size() - kIdsNamed), " more"});
    finding.says = sentence(plural(static_cast<long long>(unpickable.size()),
                                   "1 gear the window cannot pick, its pick ending with an error: %2",
                                   "%1 gears the window cannot pick, its pick ending with an error: %2"),
                            {std::to_string(unpickable.size()), list});
    return finding;
}

Finding newestBackup(const fs::path& database) {
    Finding finding{.check = "backup"};
    const fs::path folder = backupFolder(database);
    const auto backups = backupsIn(folder, database);
    finding.facts = {{"backups", static_cast<std::int64_t>(backups.size())}};
    if (backups.empty()) {
        finding.verdict = Verdict::Warning;
        finding.says = sentence("there is no backup in %1 yet: zanfiro-db backup makes one", {folder.string()});
        return finding;
    }
    struct stat status {};
    const auto now = std::chrono::system_clock::now();
    auto made = now;
    if (::stat(backups.back().c_str(), &status) == 0) made = std::chrono::system_clock::from_time_t(status.st_mtime);
    const auto old = std::chrono::duration_cast<std::chrono::seconds>(now - made);
    finding.facts.emplace_back("newest_backup_age_s", old.count());
    finding.verdict = old > kBackupTooOld ? Verdict::Warning : Verdict::Ok;
    finding.says = sentence(plural(static_cast<long long>(backups.size()),
                                   "the newest backup, %1, is %2 old (1 backup kept)",
                                   "the newest backup, %1, is %2 old (%3 backups kept)"),
                            {backups.back().filename().string(), age(old), std::to_string(backups.size())});
    return finding;
}

// `systemctl --user enable` links the timer into timers.target.wants in the
// user's configuration; an administrator's `--global enable`, into /etc.
Finding backupTimer() {
    Finding finding{.check = "timer"};
    const char* config = std::getenv("XDG_CONFIG_HOME");
    const fs::path userConfig = config && *config ? fs::path(config) : store::userHome() / ".config";
    const fs::path wanted = fs::path("systemd/user/timers.target.wants/zanfiro-backup.timer");
    if (store::nameTaken(userConfig / wanted) || store::nameTaken(fs::path("/etc") / wanted)) {
        finding.says = "the daily backup timer is on";
        return finding;
    }
    finding.verdict = Verdict::Warning;
    finding.says = "the daily backup timer is off: systemctl --user enable --now zanfiro-backup.timer turns it on";
    return finding;
}

Finding fileIntegrity(const fs::path& database) {
    Finding finding{.check = "integrity"};
    store::checkDatabase(database);
    finding.says = sentence("SQLite's integrity check finds no damage; the table Gears has its columns %1",
                            {store::gearColumnList()});
    return finding;
}

Finding serverIntegrity(store::Session& session) {
    Finding finding{.check = "integrity", .verdict = Verdict::Problem};
    auto table = session.query("SELECT to_regclass('gears') IS NOT NULL");
    if (!table->next() || table->value(0).textOrEmpty() != "t") {
        finding.says = "the server has no table Gears: zanfiro-db init --server makes it";
        return finding;
    }
    std::set<std::string> columns;
    for (auto names = session.query("SELECT lower(attname::text) FROM pg_attribute WHERE attrelid = "
                                    "to_regclass('gears') AND attnum > 0 AND NOT attisdropped");
         names->next();)
        columns.insert(names->value(0).textOrEmpty());
    std::string missing;
    for (const store::GearColumn& column : store::kGearColumns)
        if (!columns.contains(lower(column.name))) missing += concat({missing.empty() ? "" : ", ", column.name});
    if (!missing.empty()) {
        finding.says = sentence("the table Gears lacks the columns %1", {missing});
        return finding;
    }
    auto identity = session.query(
        "SELECT attidentity::text <> '' OR pg_get_serial_sequence('gears', 'id') IS NOT NULL FROM pg_attribute "
        "WHERE attrelid = to_regclass('gears') AND attname = 'id'");
    if (!identity->next() || identity->value(0).textOrEmpty() != "t") {
        finding.says = "the column ID of Gears gives new gears no IDs by itself (it is no identity column)";
        return finding;
    }
    finding.verdict = Verdict::Ok;
    finding.says = sentence("the table Gears has its columns %1, and ID is an identity that never gives an ID twice",
                            {store::gearColumnList()});
    return finding;
}

// Who the login is to the stock: the administrator, who owns the tables
// and answers for the operators' rights, or else the rights it holds,
// asked of its current role whatever role it holds them through.
Finding rights(store::Session& session) {
    Finding finding{.check = "rights"};
    const store::ServerLogin login = store::serverLogin(session);
    const std::string group(store::kOperatorsRole);
    const store::StockRights& has = login.rights;
    finding.facts = {{"administrator", login.administrator},
                     {"operator", login.isOperator},
                     {"operators_have_their_rights", login.operators.all()},
                     {"read_gears", has.readGears},
                     {"write_gears", has.changeGears()},
                     {"read_history", has.readHistory},
                     {"levels", has.levels()}};
    if (login.administrator) {
        if (login.operators.all()) {
            finding.says = sentence(
                "the login %1 is the administrator, who owns the stock's tables; the operators (%2) "
                "may read and change gears and levels and read the history, and nothing else",
                {login.name, group});
            return finding;
        }
        finding.verdict = Verdict::Warning;
        finding.says = sentence(
            "the login %1 is the administrator, who owns the stock's tables; the operators' group "
            "%2 lacks its rights on them: zanfiro-db upgrade gives them",
            {login.name, group});
        return finding;
    }
    const std::string who =
        sentence(login.isOperator ? "the login %1 is one of the operators (%2)"
                                  : "the login %1 is neither the administrator nor one of the operators (%2)",
                 {login.name, group});
    if (!has.readGears) {
        finding.verdict = Verdict::Problem;
        finding.says = sentence("%1: it may not read the table Gears, and the window cannot list the stock", {who});
        return finding;
    }
    if (has.changeGears() && has.readHistory && has.levels()) {
        finding.says = sentence("%1: it may read and change gears and levels and read the history", {who});
        return finding;
    }
    std::string lacks;
    for (const auto& [held, what] :
         {std::pair{has.insertGears, "insert"}, {has.updateGears, "change"}, {has.deleteGears, "delete"}})
        if (!held) lacks += concat({lacks.empty() ? "" : ", ", what});
    finding.verdict = Verdict::Warning;
    finding.says = sentence("%1: it may read the gears", {who});
    if (!has.changeGears())
        finding.says += sentence(" but not %1 them: the window's SAVE or DELETE is refused", {lacks});
    if (!has.levels()) finding.says += "; it may not set their levels";
    if (!has.readHistory) finding.says += "; it may not read the history";
    return finding;
}

// A check that cannot run is a problem saying why.
template <typename Check>
void run(StockCheck& result, std::string_view name, Check&& check) {
    try {
        result.findings.push_back(check());
    } catch (const Failure& failure) {
        result.findings.push_back(
            {.check = std::string(name), .verdict = Verdict::Problem, .says = failure.description()});
    }
}

// A failure to read the gears is said once, not by each check that needs them.
void gearsUnread(StockCheck& result, const Failure& failure) {
    result.findings.push_back({.check = "gears",
                               .verdict = Verdict::Problem,
                               .says = sentence("cannot be read: %1", {failure.description()})});
}

void checkGears(StockCheck& result, store::Session& session, bool server) {
    std::vector<store::GearRecord> gears;
    try {
        gears = store::allGears(session);
    } catch (const Failure& failure) {
        return gearsUnread(result, failure);
    }
    run(result, "history", [&] { return history(session, gears); });
    // Without a history (its own line says so) there are no signatures to tell of.
    bool keepsHistory = false;
    try {
        keepsHistory = session.keepsHistory();
    } catch (const Failure&) {
    }
    if (keepsHistory) run(result, "signatures", [&] { return signatures(session, server); });
    run(result, "levels", [&] { return levels(session, server); });
    run(result, "ids", [&] { return ids(session, gears); });
    run(result, "values", [&] { return values(gears); });
}

std::string_view verdictName(Verdict verdict) {
    switch (verdict) {
    case Verdict::Ok: return "ok";
    case Verdict::Warning: return "warning";
    case Verdict::Problem: return "problem";
    }
    return {};
}

std::string json(std::string_view text) {
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            quoted += {'\\', c};
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", c);
            quoted += escape;
        } else {
            quoted += c;
        }
    }
    return quoted + "\"";
}

}  // namespace

Verdict StockCheck::verdict() const {
    Verdict worst = Verdict::Ok;
    for (const Finding& finding : findings) worst = std::max(worst, finding.verdict);
    return worst;
}

StockCheck checkStock(const fs::path& database) {
    StockCheck result{.database = database};
    if (!store::nameTaken(database)) {
        result.kind = "none";
        result.what = "no database";
        result.findings.push_back(
            {.check = "database",
             .verdict = Verdict::Problem,
             .says = sentence("there is no database at %1: zanfiro-db init makes one", {database.string()})});
        return result;
    }
    if (store::isServerLink(database)) {
        result.kind = "server";
        std::shared_ptr<store::Session> session;
        run(result, "server", [&] {
            const std::string conninfo = store::readServerLink(database);
            result.what = sentence("a link to the PostgreSQL server %1", {conninfo});
            const auto start = std::chrono::steady_clock::now();
            session = store::openServerDatabase(conninfo);
            auto version = session->query("SHOW server_version");
            version->next();
            const auto took =
                std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
            return Finding{.check = "server",
                           .verdict = took > kSlowServer ? Verdict::Warning : Verdict::Ok,
                           .says = sentence("PostgreSQL %1 answered in %2 ms",
                                            {version->value(0).textOrEmpty(), std::to_string(took.count())}),
                           .facts = {{"answer_ms", took.count()}}};
        });
        if (!session) return result;
        run(result, "integrity", [&] { return serverIntegrity(*session); });
        checkGears(result, *session, true);
        run(result, "rights", [&] { return rights(*session); });
        return result;
    }
    if (store::isAccessFile(database)) {
        result.kind = "access";
        result.what = "an Access file from the old Windows program";
        result.findings.push_back({.check = "database",
                                   .verdict = Verdict::Problem,
                                   .says = sentence("the window cannot open an Access file: zanfiro-db import %1 "
                                                    "brings its gears over",
                                                    {database.string()})});
        return result;
    }
    result.kind = "file";
    result.what = sentence("an SQLite database file of %1", {sizeOf(database)});
    run(result, "integrity", [&] { return fileIntegrity(database); });
    std::shared_ptr<store::Session> session;
    try {
        session = store::openDatabase(database);
    } catch (const Failure& failure) {
        gearsUnread(result, failure);
    }
    if (session) checkGears(result, *session, false);
    run(result, "backup", [&] { return newestBackup(database); });
    run(result, "timer", [&] { return backupTimer(); });
    return result;
}

void printStockCheck(const StockCheck& check, std::ostream& out) {
    out << sentence("Checked %1: %2.", {check.database.string(), check.what}) << "\n";
    std::size_t warnings = 0, problems = 0;
    for (const Finding& finding : check.findings) {
        const std::string_view verdict = verdictName(finding.verdict);
        // One line each, whatever an engine's message holds.
        std::string says = finding.says;
        for (auto at = says.find('\n'); at != std::string::npos; at = says.find('\n', at)) says.replace(at, 1, "; ");
        out << verdict << std::string(9 - verdict.size(), ' ') << finding.check << ": " << says << "\n";
        warnings += finding.verdict == Verdict::Warning;
        problems += finding.verdict == Verdict::Problem;
    }
    const std::string problemsNeed = counted(static_cast<long long>(problems), "problem needs", "problems need"),
                      warningsAbove = counted(static_cast<long long>(warnings), "warning", "warnings");
    if (problems > 0 && warnings > 0)
        out << sentence("%1 attention now; %2.", {problemsNeed, warningsAbove}) << "\n";
    else if (problems > 0)
        out << sentence("%1 attention now.", {problemsNeed}) << "\n";
    else if (warnings > 0)
        out << sentence("The stock is sound; %1 above.", {warningsAbove}) << "\n";
    else
        out << "The stock is sound.\n";
}

void printStockCheckJson(const StockCheck& check, std::ostream& out) {
    out << "{\"database\":" << json(check.database.string()) << ",\"kind\":" << json(check.kind)
        << ",\"verdict\":" << json(verdictName(check.verdict())) << ",\"checks\":[";
    for (std::size_t i = 0; i < check.findings.size(); ++i) {
        const Finding& finding = check.findings[i];
        out << (i == 0 ? "" : ",") << "{\"check\":" << json(finding.check)
            << ",\"verdict\":" << json(verdictName(finding.verdict)) << ",\"says\":" << json(finding.says);
        for (const auto& [name, value] : finding.facts) out << "," << json(name) << ":" << value;
        out << "}";
    }
    out << "]}\n";
}

int exitStatus(Verdict verdict) {
    switch (verdict) {
    case Verdict::Ok: return 0;
    case Verdict::Warning: return 3;
    case Verdict::Problem: return 1;
    }
    return 1;
}

}  // namespace zanfiro::tools
