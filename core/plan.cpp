#include "core/plan.h"

#include <dirent.h>

#include <cstring>
#include <unordered_set>

#include "core/file_system.h"
#include "core/paths.h"

namespace velmora {
namespace {

std::unordered_set<std::string> namesIn(const Text& folder) {
    std::unordered_set<std::string> names;
    const auto native = textToNative(folder);
    DIR* dir = native ? opendir(native->empty() ? "." : native->c_str()) : nullptr;
    if (!dir) return names;
    while (const dirent* e = readdir(dir))
        if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0) names.insert(e->d_name);
    closedir(dir);
    return names;
}

}  // namespace

Text failureMark() { return "  ✗ "_t; }

std::vector<Text> describePlan(const Text& folder, std::size_t steps, const std::function<PlanStep(std::size_t)>& stepAt) {
    std::unordered_set<std::string> taken = namesIn(folder);
    std::unordered_set<std::string> takenByRun;
    std::vector<Text> lines;
    lines.reserve(steps);
    const Text arrow = " → "_t;
    for (std::size_t i = 0; i < steps; ++i) {
        const PlanStep step = stepAt(i);
        const auto newNative = textToNative(step.newName);
        const char* reason = nullptr;
        if (!step.exact || !newNative) {
            reason = "名称无效";
        } else if (newNative->find(kSeparator) != std::string::npos || *newNative == "..") {
            reason = "会移出文件夹";
        } else if (!isValidEntryName(*newNative) || *newNative == step.oldNative) {
            reason = "名称无效";
        } else if (taken.count(*newNative)) {
            reason = takenByRun.count(*newNative) ? "本次前面的改名已占用这个名称" : "已有同名";
        } else {
            taken.erase(step.oldNative);
            taken.insert(*newNative);
            takenByRun.insert(*newNative);
        }
        Text line = step.oldName + arrow + step.newName;
        if (reason) line += failureMark() + Text::fromUtf8(reason);
        lines.push_back(std::move(line));
    }
    return lines;
}

}  // namespace velmora
