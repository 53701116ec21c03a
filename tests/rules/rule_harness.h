#pragma once
// A real temp folder, a fake window pointing at it and a session: what every rule test needs.

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "interaction/click.h"
#include "interaction/rule.h"
#include "rules/catalogue.h"
#include "tests/support/fake_window.h"
#include "tests/support/temp_folder.h"

namespace velmora::testing {

using Names = std::set<std::string>;

class RuleTest : public ::testing::Test {
protected:
    RuleTest() { w.setFolder(f.path()); }

    RunResult run(const RenameRule& rule) { return runRenameRule(rule, w, s); }
    void files(std::initializer_list<const char*> names) {
        for (const char* n : names) f.file(n, std::string("token:") + n);
    }
    /// True when name matches pattern, where '#' stands for any digit.
    static bool matches(const std::string& name, const std::string& pattern) {
        if (name.size() != pattern.size()) return false;
        for (std::size_t i = 0; i < name.size(); ++i)
            if (pattern[i] == '#' ? !(name[i] >= '0' && name[i] <= '9') : name[i] != pattern[i]) return false;
        return true;
    }

    FakeWindow w;
    Session s;
    TempFolder f;
};

/// Every file of folder with the old name whose "token:" content (see RuleTest::files) it now holds.
inline std::map<std::string, std::string> whereTokensWent(const TempFolder& folder) {
    std::map<std::string, std::string> out;
    for (const std::string& name : folder.entries()) {
        if (name.back() == '/') continue;
        const std::string content = folder.read(name);
        out[name] = content.rfind("token:", 0) == 0 ? content.substr(6) : content;
    }
    return out;
}

}  // namespace velmora::testing
