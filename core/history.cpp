#include "core/history.h"

#include <dirent.h>

#include <cstring>
#include <memory>
#include <unordered_map>

#include "core/file_system.h"
#include "core/listing.h"
#include "core/paths.h"
#include "core/plan.h"
#include "core/window.h"

namespace velmora {
namespace {

// Every name of the folder with its inode, as readdir gives them (the same source as the listing
// that recorded the inodes; stat may differ from it on some file systems).
std::unordered_map<std::string, std::uint64_t> inodesIn(const Text& folder) {
    std::unordered_map<std::string, std::uint64_t> inodes;
    const auto native = textToNative(folder);
    DIR* dir = native ? opendir(native->empty() ? "." : native->c_str()) : nullptr;
    if (!dir) return inodes;
    while (const dirent* e = readdir(dir))
        if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0) inodes.emplace(e->d_name, e->d_ino);
    closedir(dir);
    return inodes;
}

std::size_t count(const std::vector<StepState>& states, StepState which) {
    std::size_t n = 0;
    for (StepState s : states) n += s == which;
    return n;
}

Text shownFolder(const Text& folder) {
    const Text separator = separatorText();
    if (folder.length() > separator.length() && rightText(folder, separator.length()) == separator)
        return leftText(folder, folder.length() - separator.length());
    return folder;
}

Text countReport(const char* done, std::size_t n, const char* failedSuffix, std::size_t failed) {
    Text report = Text::fromUtf8(done) + toText(static_cast<long long>(n)) + "个"_t;
    if (failed > 0) report += "，"_t + toText(static_cast<long long>(failed)) + Text::fromUtf8(failedSuffix);
    return report;
}

// Renames the made steps back, newest first, and settles the run as taken back. The run must be
// claimed (Undoing) by this process.
MadeRenames takeBack(Window& window, Session& session, JournalRun& run) {
    MadeRenames made{run.folder, {}};
    const auto native = textToNative(run.folder);
    const FolderHandle folder(native ? *native : NativeName{});
    std::size_t undone = 0;
    std::size_t failed = 0;
    PumpThrottle throttle(&window, run.steps.size());
    for (std::size_t k = run.steps.size(); k-- > 0;) {
        throttle.tick(run.steps.size() - k);
        if (run.states[k] != StepState::Made) continue;
        if (folder.rename(run.steps[k].to, run.steps[k].from)) {
            run.states[k] = StepState::TakenBack;
            made.renamed.emplace_back(nativeToText(run.steps[k].to).text, nativeToText(run.steps[k].from).text);
            ++undone;
        } else {
            ++failed;
        }
    }
    session.journal.settle(run.id, RunState::Undone, run.states);
    window.showMessage(countReport("撤销了", undone, "个无法撤销", failed), style::ok, "提示"_t);
    return made;
}

}  // namespace

void reconcileWithDisk(JournalRun& run) {
    const auto inodes = inodesIn(run.folder);
    const auto holds = [&](const NativeName& name, std::uint64_t inode) {
        const auto it = inodes.find(name);
        return it != inodes.end() && it->second == inode;
    };
    run.states.resize(run.steps.size(), StepState::NotMade);
    for (std::size_t i = 0; i < run.steps.size(); ++i) {
        const JournalStep& step = run.steps[i];
        switch (run.state) {
        case RunState::Running:
            // Each entry appears once in a plan and a rename never overwrites, so the new name
            // holds the entry's inode exactly when its step was made.
            run.states[i] = holds(step.to, step.inode) ? StepState::Made : StepState::NotMade;
            break;
        case RunState::Undoing:
            if (run.states[i] == StepState::Made && holds(step.from, step.inode)) run.states[i] = StepState::TakenBack;
            break;
        case RunState::Redoing:
            if (run.states[i] == StepState::TakenBack && holds(step.to, step.inode)) run.states[i] = StepState::Made;
            break;
        case RunState::Done:
        case RunState::Undone:
            break;
        }
    }
}

std::vector<Text> describeRun(const JournalRun& run, StepState which) {
    std::vector<Text> lines;
    const Text arrow = " → "_t;
    for (std::size_t i = 0; i < run.steps.size(); ++i)
        if (run.states[i] == which)
            lines.push_back(nativeToText(run.steps[i].from).text + arrow + nativeToText(run.steps[i].to).text);
    return lines;
}

void openHistory(Window& window, Session& session, const std::string& folder) {
    if (session.journal.open(folder) == Journal::Opened::MovedAside) {
        const std::string& aside = session.journal.movedAsideTo();
        const Text name = nativeToText(aside.substr(aside.rfind('/') + 1)).text;
        window.showMessage("更名历史无法读取，已把它另存为“"_t + name + "”，从现在起重新记录。"_t, style::information,
                           "提示"_t);
    }
    session.journal.prune(kKeptRuns);
    recoverInterruptedRuns(window, session);
}

void recoverInterruptedRuns(Window& window, Session& session) {
    Journal& journal = session.journal;
    for (JournalRun& run : journal.orphaned()) {
        // Another Velmora starting at the same moment may take it first.
        if (!journal.claim(run.id, run.state, run.state, run.owner)) continue;
        reconcileWithDisk(run);
        if (run.state == RunState::Undoing) {
            // What is left can still be taken back with the undo button.
            journal.settle(run.id, count(run.states, StepState::Made) > 0 ? RunState::Done : RunState::Undone,
                           run.states);
            continue;
        }
        if (run.state == RunState::Redoing) {
            journal.settle(run.id, RunState::Done, run.states);
            continue;
        }
        const std::size_t made = count(run.states, StepState::Made);
        if (made == 0) {
            journal.remove(run.id);
            continue;
        }
        const Text n = toText(static_cast<long long>(made));
        const Text question = "上次更名没有完成（已更名"_t + n + "个），撤销这"_t + n + "个吗？"_t;
        if (window.showMessage(question, style::okCancel, "提示"_t) == answerCancel) {
            journal.settle(run.id, RunState::Done, run.states);
            journal.endRedo();  // as a run that ends does
            continue;
        }
        if (journal.claim(run.id, RunState::Running, RunState::Undoing)) takeBack(window, session, run);
    }
}

MadeRenames undoLastRun(Window& window, Session& session) {
    std::optional<JournalRun> run = session.journal.newestDone();
    if (!run) return {};
    const std::size_t made = count(run->states, StepState::Made);
    const Text question = "撤销上次更名？\n“"_t + shownFolder(run->folder) + "”中的"_t +
                          toText(static_cast<long long>(made)) + "个更名"_t;
    const JournalRun& shown = *run;
    if (window.confirmWithPlan(question, style::okCancel, "提示"_t, [&shown] {
            return std::make_unique<PlanLines>(describeRun(shown, StepState::Made));
        }) == answerCancel)
        return {};
    // Another window may have taken it back while the question was open.
    if (!session.journal.claim(run->id, RunState::Done, RunState::Undoing)) return {};
    return takeBack(window, session, *run);
}

MadeRenames redoLastRun(Window& window, Session& session) {
    std::optional<JournalRun> run = session.journal.lastUndone();
    if (!run || !session.journal.claim(run->id, RunState::Undone, RunState::Redoing)) return {};
    MadeRenames made{run->folder, {}};
    const auto native = textToNative(run->folder);
    const FolderHandle folder(native ? *native : NativeName{});
    std::size_t redone = 0;
    std::size_t failed = 0;
    PumpThrottle throttle(&window, run->steps.size());
    for (std::size_t i = 0; i < run->steps.size(); ++i) {
        throttle.tick(i + 1);
        if (run->states[i] != StepState::TakenBack) continue;
        if (folder.rename(run->steps[i].from, run->steps[i].to)) {
            run->states[i] = StepState::Made;
            made.renamed.emplace_back(nativeToText(run->steps[i].from).text, nativeToText(run->steps[i].to).text);
            ++redone;
        } else {
            ++failed;
        }
    }
    session.journal.settle(run->id, RunState::Done, run->states);
    window.showMessage(countReport("重做了", redone, "个无法重做", failed), style::ok, "提示"_t);
    return made;
}

}  // namespace velmora
