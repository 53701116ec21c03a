// The user's folders follow the XDG rules: an absolute variable wins, anything else falls back to
// the home folder, each kind in its own place there.
#include "core/fs/user_folders.h"

#include <gtest/gtest.h>

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "tests/support/scoped_variable.h"

namespace velmora {
namespace {

using Variable = testing::ScopedVariable;

TEST(UserFolders, theVariableWinsThenHome) {
    const struct {
        UserFolder kind;
        const char* variable;
        const char* value;
        const char* home;
        const char* expected;
    } cases[] = {
        {UserFolder::Data, "XDG_DATA_HOME", "/data/me", "/home/me", "/data/me"},
        {UserFolder::Data, "XDG_DATA_HOME", "/data/me/", "/home/me", "/data/me/"},
        {UserFolder::Data, "XDG_DATA_HOME", nullptr, "/home/me", "/home/me/.local/share"},
        {UserFolder::Data, "XDG_DATA_HOME", "", "/home/me/", "/home/me/.local/share"},
        {UserFolder::Data, "XDG_DATA_HOME", "relative", "/home/我", "/home/我/.local/share"},
        {UserFolder::Data, "XDG_DATA_HOME", nullptr, nullptr, ""},
        {UserFolder::Data, "XDG_DATA_HOME", nullptr, "relative", ""},
        {UserFolder::Data, "XDG_DATA_HOME", "/data/me", nullptr, "/data/me"},
        {UserFolder::State, "XDG_STATE_HOME", "/state", "/home/me", "/state"},
        {UserFolder::State, "XDG_STATE_HOME", "state", "/home/me", "/home/me/.local/state"},
        {UserFolder::Cache, "XDG_CACHE_HOME", "/cache", "/home/me", "/cache"},
        {UserFolder::Cache, "XDG_CACHE_HOME", nullptr, "/home/me", "/home/me/.cache"},
        {UserFolder::Runtime, "XDG_RUNTIME_DIR", "/run/user/1000", "/home/me", "/run/user/1000"},
        {UserFolder::Runtime, "XDG_RUNTIME_DIR", nullptr, "/home/me", ""},
        {UserFolder::Runtime, "XDG_RUNTIME_DIR", "run", "/home/me", ""},
    };
    for (const auto& c : cases) {
        const Variable variable(c.variable, c.value);
        const Variable home("HOME", c.home);
        EXPECT_EQ(userFolder(c.kind), c.expected)
            << c.variable << "=" << (c.value ? c.value : "(unset)") << " HOME=" << (c.home ? c.home : "(unset)");
    }
}

// What the history asks for: a process started without HOME still finds its user's home.
TEST(UserFolders, homeOrAccountFallsBackToThePasswordDatabase) {
    const Variable state("XDG_STATE_HOME", nullptr);
    const passwd* pw = getpwuid(getuid());
    ASSERT_TRUE(pw && pw->pw_dir);
    const std::string account = pw->pw_dir;
    const struct {
        const char* home;
        std::string expected;
    } cases[] = {
        {"/home/me", "/home/me/.local/state"},
        {"relative", "relative/.local/state"},
        {nullptr, account + (account.back() == '/' ? "" : "/") + ".local/state"},
        {"", account + (account.back() == '/' ? "" : "/") + ".local/state"},
    };
    for (const auto& c : cases) {
        const Variable home("HOME", c.home);
        EXPECT_EQ(userFolder(UserFolder::State, HomeFrom::HomeOrAccount), c.expected) << (c.home ? c.home : "(unset)");
    }
}

}  // namespace
}  // namespace velmora
