#include "core/history/process_identity.h"

#include <unistd.h>

#include <fstream>
#include <optional>
#include <sstream>
#include <utility>

namespace velmora {
namespace {

std::string readFirstLine(const std::string& path) {
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);
    return line;
}

// The process's start time since boot (field 22 of /proc/<pid>/stat) and whether it is a zombie.
std::optional<std::pair<std::string, bool>> processStart(const std::string& pid) {
    const std::string stat = readFirstLine("/proc/" + pid + "/stat");
    const std::size_t close = stat.rfind(')');
    if (close == std::string::npos) return std::nullopt;
    std::istringstream fields(stat.substr(close + 2));
    std::string field;
    std::string state;
    for (int i = 3; i <= 22 && fields >> field; ++i) {
        if (i == 3) state = field;
        if (i == 22) return std::make_pair(field, state == "Z" || state == "X");
    }
    return std::nullopt;
}

std::string bootId() { return readFirstLine("/proc/sys/kernel/random/boot_id"); }

std::string identityOf(const std::string& pid) {
    const auto start = processStart(pid);
    return bootId() + "/" + pid + "/" + (start ? start->first : std::string());
}

}  // namespace

std::string processIdentity() {
    static const std::string me = identityOf(std::to_string(getpid()));
    // A forked child is another process: it must not look like its parent.
    if (me.find("/" + std::to_string(getpid()) + "/") == std::string::npos) return identityOf(std::to_string(getpid()));
    return me;
}

bool processAlive(const std::string& identity) {
    const std::size_t a = identity.find('/');
    const std::size_t b = a == std::string::npos ? a : identity.find('/', a + 1);
    if (b == std::string::npos) return false;
    if (identity.substr(0, a) != bootId()) return false;
    const auto start = processStart(identity.substr(a + 1, b - a - 1));
    return start && !start->second && start->first == identity.substr(b + 1);
}

}  // namespace velmora
