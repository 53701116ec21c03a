// Where the history lives: the state folder the environment names, made private to the user.
#include "core/history/journal.h"

#include <gtest/gtest.h>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "tests/support/scoped_variable.h"
#include "tests/support/temp_folder.h"

namespace velmora {
namespace {

using Variable = testing::ScopedVariable;

TEST(JournalFolder, followsTheProgramsVariableThenXdgStateHomeThenHome) {
    const passwd* pw = getpwuid(getuid());
    ASSERT_TRUE(pw && pw->pw_dir);
    const std::string account = std::string(pw->pw_dir) + (std::string(pw->pw_dir).back() == '/' ? "" : "/");
    const struct {
        const char* own;
        const char* xdg;
        const char* home;
        std::string expected;
    } cases[] = {
        {"/tmp/state", "/state", "/home/me", "/tmp/state"},
        {"relative", "/state", "/home/me", "relative"},
        {"", "/state", "/home/me", "/state/velmora"},
        {nullptr, "/state/", "/home/me", "/state//velmora"},
        {nullptr, "state", "/home/me", "/home/me/.local/state/velmora"},
        {nullptr, nullptr, "/home/我", "/home/我/.local/state/velmora"},
        {nullptr, nullptr, nullptr, account + ".local/state/velmora"},
    };
    for (const auto& c : cases) {
        const Variable own("VELMORA_STATE_DIR", c.own);
        const Variable xdg("XDG_STATE_HOME", c.xdg);
        const Variable home("HOME", c.home);
        EXPECT_EQ(Journal::defaultFolder(), c.expected)
            << (c.own ? c.own : "(unset)") << " " << (c.xdg ? c.xdg : "(unset)") << " "
            << (c.home ? c.home : "(unset)");
    }
}

// The history holds the names of the user's files: its folders are the user's alone, however
// many of them were missing.
TEST(JournalFolder, isMadeForTheUserAlone) {
    testing::TempFolder f;
    const mode_t previous = umask(022);
    Journal journal;
    const Journal::Opened opened = journal.open(f.path() + "a/b/velmora");
    umask(previous);
    ASSERT_EQ(opened, Journal::Opened::Ok);
    for (const char* folder : {"a", "a/b", "a/b/velmora"}) {
        struct stat st {};
        ASSERT_EQ(stat((f.path() + folder).c_str(), &st), 0) << folder;
        EXPECT_EQ(st.st_mode & 0777, 0700u) << folder;
    }
    EXPECT_TRUE(f.exists(std::string("a/b/velmora/") + Journal::kFileName));
    journal.close();
    f.file("file");
    EXPECT_EQ(journal.open(f.path() + "file/velmora"), Journal::Opened::Failed);
    EXPECT_FALSE(journal.isOpen());
}

}  // namespace
}  // namespace velmora
