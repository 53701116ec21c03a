#include "core/fs/user_folders.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

namespace velmora {
namespace {

struct Place {
    const char* variable;
    const char* inHome;  ///< null when the folder has no place there
};

Place placeOf(UserFolder kind) {
    switch (kind) {
    case UserFolder::Data:
        return {"XDG_DATA_HOME", ".local/share"};
    case UserFolder::State:
        return {"XDG_STATE_HOME", ".local/state"};
    case UserFolder::Cache:
        return {"XDG_CACHE_HOME", ".cache"};
    case UserFolder::Runtime:
        return {"XDG_RUNTIME_DIR", nullptr};
    }
    return {"", nullptr};
}

NativeName home(HomeFrom from) {
    const char* h = std::getenv("HOME");
    if (from == HomeFrom::AbsoluteHome) return h && h[0] == '/' ? h : "";
    if (h && *h) return h;
    // A process started without HOME (by a service, or env -i) still belongs to its user.
    const passwd* pw = getpwuid(getuid());
    return pw && pw->pw_dir ? pw->pw_dir : "";
}

}  // namespace

NativeName userFolder(UserFolder kind, HomeFrom from) {
    const Place place = placeOf(kind);
    if (const char* v = std::getenv(place.variable); v && v[0] == '/') return v;
    if (!place.inHome) return {};
    const NativeName h = home(from);
    if (h.empty()) return {};
    return h + (h.back() == '/' ? "" : "/") + place.inHome;
}

}  // namespace velmora
