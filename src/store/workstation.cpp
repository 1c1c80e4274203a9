#include "store/workstation.h"

#include <pwd.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <vector>

namespace zanfiro::store {

const std::string& operatorAccount() {
    // The real user, not $USER, which any program may set as it likes.
    static const std::string account = [] {
        std::vector<char> buffer(16384);
        passwd entry{};
        passwd* found = nullptr;
        const uid_t uid = getuid();
        if (getpwuid_r(uid, &entry, buffer.data(), buffer.size(), &found) == 0 && found && *found->pw_name)
            return std::string(found->pw_name);
        return "uid " + std::to_string(uid);
    }();
    return account;
}

const std::string& workstationName() {
    static const std::string name = [] {
        char host[HOST_NAME_MAX + 1] = {};
        if (gethostname(host, sizeof host - 1) != 0 || !*host) return std::string(program_invocation_short_name);
        return std::string(program_invocation_short_name) + "@" + host;
    }();
    return name;
}

}  // namespace zanfiro::store
