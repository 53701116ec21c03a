// The catalogue the window's bindings and the preview are made from.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string_view>

#include "rules/catalogue.h"

namespace velmora::testing {
namespace {

// The preview finds the rule of a focused or changed component by looking it up: a component in
// two groups would bring the wrong rule into view.
TEST(Catalogue, noComponentBelongsToTwoRules) {
    std::map<std::string_view, std::string_view> owner;  // component -> button of its rule
    for (const CataloguedRule& rule : ruleCatalogue()) {
        std::set<std::string_view> mine{rule.button.name};
        for (Component c : rule.inputs) mine.insert(c.name);
        for (const GroupHandler& h : rule.handlers) mine.insert(h.component.name);
        for (std::string_view c : mine) {
            const auto [at, fresh] = owner.emplace(c, rule.button.name);
            EXPECT_TRUE(fresh) << c << " is in the groups of " << at->second << " and " << rule.button.name;
        }
    }
}

// A button among its own inputs would bring its rule into view on every click; a handler of a box
// the preview does not follow would leave a stale preview behind.
TEST(Catalogue, handlersServeTheGroupsInputsAndButtonsAreNoInputs) {
    for (const CataloguedRule& rule : ruleCatalogue()) {
        const std::set<std::string_view> inputs = [&] {
            std::set<std::string_view> names;
            for (Component c : rule.inputs) names.insert(c.name);
            return names;
        }();
        EXPECT_FALSE(inputs.count(rule.button.name)) << rule.button.name;
        EXPECT_EQ(inputs.size(), rule.inputs.size()) << rule.button.name << ": an input listed twice";
        for (const GroupHandler& h : rule.handlers) {
            EXPECT_TRUE(inputs.count(h.component.name)) << rule.button.name << ": " << h.component.name;
            EXPECT_NE(h.handler, nullptr) << h.component.name;
        }
    }
}

// Each button runs a rule of its own, and the same one every time: the preview's plan of a rule is
// matched to the click by the rule's address.
TEST(Catalogue, everyButtonRunsItsOwnRuleEveryTime) {
    std::map<const RenameRule*, std::string_view> seen;
    for (const CataloguedRule& rule : ruleCatalogue()) {
        ASSERT_NE(rule.rule, nullptr) << rule.button.name;
        const RenameRule& made = rule.rule();
        EXPECT_EQ(&made, &rule.rule()) << rule.button.name;
        EXPECT_TRUE(made.files || made.folders) << rule.button.name << " renames nothing";
        const auto [at, fresh] = seen.emplace(&made, rule.button.name);
        EXPECT_TRUE(fresh) << at->second << " and " << rule.button.name << " run the same rule";
    }
    EXPECT_FALSE(seen.empty());
}

}  // namespace
}  // namespace velmora::testing
