#include "core/pipeline.h"

#include <memory>

#include "core/file_system.h"
#include "core/journal.h"
#include "core/listing.h"
#include "core/paths.h"
#include "core/plan.h"

namespace velmora {
namespace {

using namespace component;

int show(Window& window, const Message& m) { return window.showMessage(m.text, m.style, m.caption); }

// Shows the first refusal of checks; true when one fired.
bool refused(const std::vector<InputCheck>& checks, Window& window) {
    for (const InputCheck& check : checks) {
        if (auto message = check(window)) {
            show(window, *message);
            return true;
        }
    }
    return false;
}

bool folderRefused(const RenameRule& rule, Window& window) {
    if (refused(rule.checksFirst, window)) return true;
    const Text folder = window.currentFolder();
    if (folder.empty()) {
        window.showMessage("路径呢？"_t, style::information, rule.noFolderCaption);
        return true;
    }
    if (refused(rule.checksAfterEmpty, window)) return true;
    if (findText(window.currentFolder(), "desktop"_t) != notFound) {
        window.showMessage("请不要把视频放在桌面"_t, style::information, "提示"_t);
        return true;
    }
    if (window.currentFolder() == separatorText()) {
        window.showMessage("什么都没有选择"_t, style::information, "提示"_t);
        return true;
    }
    return refused(rule.checksAfterFolder, window);
}

bool filteredOut(const RenameRule& rule, const Window& window, const Entry& e) {
    switch (rule.filter) {
    case ExtensionFilter::None:
        return false;
    case ExtensionFilter::Standard:
        return e.extensionLength != 0 && extensionIs(e.name, window.chosenText(组合框2));
    case ExtensionFilter::ChosenItem:
        return window.selection(组合框2) != -1 && extensionIs(e.name, window.chosenText(组合框2));
    }
    return false;
}

void report(const RenameRule& rule, Window& window, const RunOutcome& outcome) {
    if (!rule.report) return;
    if (auto message = rule.report(outcome)) show(window, *message);
}

class PassRunner {
public:
    PassRunner(const RenameRule& rule, Window& window, Session& session, Kind kind, const Text& caption, RunResult& result)
        : rule_(rule), window_(window), session_(session), kind_(kind), caption_(caption), result_(result),
          files_(kind == Kind::Files), folder_(window.currentFolder()) {}

    // List, plan every rename, confirm with the plan to see, then apply the plan. Message boxes
    // are modal, so nothing the plan read can change before it is applied.
    void run() {
        list();
        window_.pumpMessages();
        const Pass pass = (files_ ? rule_.files : rule_.folders)(window_, kind_, listed_.size());
        std::optional<std::size_t> counted;
        if (rule_.confirmation == Confirmation::Counted) {
            counted = countMatches(pass);
            if (*counted == 0) {
                window_.showMessage("找不到需要改的文件名"_t, style::ok, "提示"_t);
                return;
            }
        }
        plan(pass);
        if (!confirmed(counted)) {
            // Counted and up-front confirmations end the run; the rule's report decides.
            report(rule_, window_, {kind_, 0, true});
            return;
        }
        if (files_ && refused(rule_.checksBeforeFileLoop, window_)) return;
        // The plan is in the history before the first rename, so a crash can be taken back.
        std::unique_ptr<RunRecorder> recorder;
        if (!plan_.empty()) {
            recorder = session_.journal.begin(folder_, caption_, journalSteps());
            if (!recorder && window_.showMessage("无法记录更名历史，仍然更名吗？"_t, style::okCancel, "提示"_t) == answerCancel)
                return;
        }
        report(rule_, window_, apply(recorder.get()));
    }

private:
    struct Planned {
        std::size_t entry;  ///< index into listed_
        Text newName;
    };

    void list() {
        const bool numberAware = files_ && rule_.numberAwareOrder;
        listed_ = enumerateEntries(folder_, files_ ? EntryKind::Files : EntryKind::Folders,
                                   numberAware ? ListingOrder::NumberAware : ListingOrder::AsFound, &window_);
        result_.listed = true;
        std::vector<Text>& target = files_ ? session_.entryList : session_.folderList;
        target.clear();
        target.reserve(listed_.size());
        const bool fullPaths = files_ && rule_.listing == Listing::FullPaths;
        for (const ListedEntry& e : listed_) target.push_back(fullPaths ? folder_ + e.name : e.name);
    }

    template <typename Visit>
    void forEachEntry(Visit visit) const {
        PumpThrottle throttle(&window_, listed_.size());
        for (std::size_t i = 0; i < listed_.size(); ++i) {
            throttle.tick(i + 1);
            const Text& name = listed_[i].name;
            const std::size_t extensionLength = files_ ? velmora::extensionLength(name.bytes()) : 0;
            if (files_ && rule_.subject == Subject::NamePart) {
                const Text namePart = leftText(name, name.length() - static_cast<int>(extensionLength));
                visit(Entry{i + 1, name, namePart, extensionLength});
            } else {
                visit(Entry{i + 1, name, name, extensionLength});
            }
        }
    }

    std::size_t countMatches(const Pass& pass) const {
        std::size_t n = 0;
        forEachEntry([&](const Entry& e) {
            if (pass.counts(e)) ++n;
        });
        return n;
    }

    void plan(const Pass& pass) {
        forEachEntry([&](const Entry& e) {
            if (files_ && filteredOut(rule_, window_, e)) return;
            std::optional<Text> changed = pass.transform(e);
            if (!changed || changed->empty()) return;
            if (files_ && rule_.subject == Subject::NamePart) *changed += e.extension();
            plan_.push_back({e.index - 1, std::move(*changed)});
        });
    }

    // The question of the rule's confirmation, where the rule asks it; false on Cancel.
    bool confirmed(std::optional<std::size_t> counted) {
        Text question = rule_.question;
        Text caption = "提示"_t;
        switch (rule_.confirmation) {
        case Confirmation::None:
            return true;
        case Confirmation::Counted:
            question = "一共有"_t + toText(static_cast<long long>(*counted)) + "个文件将被更名"_t;
            caption = "请确认"_t;
            break;
        case Confirmation::UpFront:
            break;
        case Confirmation::FirstEntryBeforeAnything:
            if (listed_.empty()) return true;
            break;
        case Confirmation::FirstEntry:
            // Asked only when the first listed entry is about to be renamed.
            if (plan_.empty() || plan_.front().entry != 0) return true;
            break;
        }
        return window_.confirmWithPlan(question, style::okCancel, caption, [this] { return planLines(); }) != answerCancel;
    }

    // Every step as the history keeps it; the native new names are made once, here.
    std::vector<JournalStep> journalSteps() {
        std::vector<JournalStep> steps;
        steps.reserve(plan_.size());
        newNatives_.reserve(plan_.size());
        for (const Planned& p : plan_) {
            const ListedEntry& entry = listed_[p.entry];
            newNatives_.push_back(textToNative(p.newName));
            steps.push_back({entry.native, newNatives_.back().value_or(NativeName{}), entry.inode});
        }
        return steps;
    }

    // Needs journalSteps() first, which makes the native new names.
    RunOutcome apply(RunRecorder* recorder) {
        RunOutcome outcome{kind_, 0, false};
        const auto nativeFolder = textToNative(folder_);
        const FolderHandle folder(nativeFolder ? *nativeFolder : NativeName{});
        const Count mode = files_ ? rule_.fileCount : rule_.folderCount;
        PumpThrottle throttle(&window_, plan_.size());
        for (std::size_t i = 0; i < plan_.size(); ++i) {
            throttle.tick(i + 1);
            const ListedEntry& entry = listed_[plan_[i].entry];
            const bool renamed = rename(folder, entry, newNatives_[i]);
            if (recorder) recorder->step(i, renamed);
            if (renamed) result_.renamed.emplace_back(entry.name, plan_[i].newName);
            if (mode == Count::Attempts || (mode == Count::Successes && renamed)) ++outcome.count;
        }
        if (recorder) recorder->finish();
        return outcome;
    }

    // A name that could not be read exactly is never renamed: its new name would be built from
    // replacement characters, not from the name on disk.
    static bool rename(const FolderHandle& folder, const ListedEntry& entry, const std::optional<NativeName>& newName) {
        return entry.exact && newName && folder.rename(entry.native, *newName);
    }

    // "old → new", in order, with the reason on every line whose rename will fail.
    std::vector<Text> planLines() const {
        return describePlan(folder_, plan_.size(), [this](std::size_t i) {
            const ListedEntry& e = listed_[plan_[i].entry];
            return PlanStep{e.native, e.name, e.exact, plan_[i].newName};
        });
    }

    const RenameRule& rule_;
    Window& window_;
    Session& session_;
    const Kind kind_;
    const Text caption_;
    RunResult& result_;
    const bool files_;
    const Text folder_;
    std::vector<ListedEntry> listed_;
    std::vector<Planned> plan_;
    std::vector<std::optional<NativeName>> newNatives_;
};

}  // namespace

InputCheck requireContent(Component component, Message message) {
    return [component, message](const Window& window) -> std::optional<Message> {
        if (window.content(component).empty()) return message;
        return std::nullopt;
    };
}

RunResult runRenameRule(const RenameRule& rule, Window& window, Session& session, const Text& caption) {
    RunResult result;
    session.entryList.clear();
    if (folderRefused(rule, window)) return result;
    Kind kind = Kind::Files;
    if (rule.kinds == Kinds::FromBoxes) {
        if (window.checked(选择框1))
            kind = Kind::Files;
        else if (window.checked(选择框2))
            kind = Kind::Folders;
        else
            return result;
    }
    PassRunner(rule, window, session, kind, caption, result).run();
    return result;
}

}  // namespace velmora
