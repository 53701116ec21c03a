// A run's owner as another process reads it back: only this very process is alive under its
// identity, and anything else written in the owner column never is.
#include "core/history/process_identity.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <string>

namespace velmora {
namespace {

TEST(ProcessIdentity, onlyTheProcessItNamesIsAlive) {
    const std::string me = processIdentity();
    ASSERT_TRUE(processAlive(me)) << me;
    EXPECT_EQ(processIdentity(), me);
    const std::size_t a = me.find('/');
    const std::size_t b = me.find('/', a + 1);
    ASSERT_NE(b, std::string::npos) << me;
    const std::string boot = me.substr(0, a);
    const std::string pid = me.substr(a + 1, b - a - 1);
    const std::string start = me.substr(b + 1);
    EXPECT_EQ(pid, std::to_string(getpid()));
    EXPECT_FALSE(boot.empty());
    EXPECT_FALSE(start.empty());

    const struct {
        const char* what;
        std::string owner;
    } cases[] = {
        {"nobody", ""},
        {"no separators", "owner"},
        {"boot only", boot + "/"},
        {"no start time", boot + "/" + pid},
        {"empty start time", boot + "/" + pid + "/"},
        {"another start time", boot + "/" + pid + "/" + start + "0"},
        {"another boot", "x" + boot + "/" + pid + "/" + start},
        {"no such process", boot + "/999999999/" + start},
        {"not a process number", boot + "/abc/" + start},
        {"no process number", boot + "//" + start},
    };
    for (const auto& c : cases) EXPECT_FALSE(processAlive(c.owner)) << c.what << ": " << c.owner;
}

}  // namespace
}  // namespace velmora
