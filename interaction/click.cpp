#include "interaction/click.h"

#include <algorithm>
#include <cerrno>
#include <memory>
#include <new>
#include <stdexcept>
#include <unordered_map>
#include <unordered_set>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include "core/fs/file_system.h"
#include "core/fs/paths.h"
#include "core/history/journal.h"
#include "core/plan/apply.h"
#include "core/plan/plan.h"
#include "core/plan/rename_order.h"
#include "interaction/plan_lines.h"
#include "interaction/reasons.h"

namespace velmora {
namespace {

// What a large run freed goes back to the system rather than staying with the process.
void giveBackFreedMemory() {
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
}

int show(Window& window, const Message& m) { return window.showMessage(m.text, m.style, m.caption); }

void report(const RenameRule& rule, Window& window, const RunOutcome& outcome) {
    if (!rule.report) return;
    if (auto message = rule.report(outcome)) show(window, *message);
}

// The run's plan with the listing it was made over: the folder's entries as the run lists them.
struct ClickPlan {
    RunPlan plan;
    SharedListing listed;
    Text folder;
    bool files = true;
};

// The plan a click applies: the preview's, where the folder is as the preview read it (or listed
// alike), else one planned now over a fresh listing, which the window then shows before asking.
ClickPlan obtainPlan(const RenameRule& rule, const RunRequest& request, const RunPlan* previewed, Window& window,
                     Progress& progress) {
    ClickPlan click;
    click.folder = request.folder;
    const Kind kind = *request.kind;
    click.files = kind == Kind::Files;
    const EntryKind entries = click.files ? EntryKind::Files : EntryKind::Folders;
    const bool reusable = previewed && previewed->kind == kind && previewed->folder == click.folder &&
                          previewed->reach == request.reach && !previewed->abandoned && previewed->listing;
    if (reusable && previewed->asFound &&
        listsTheSame(click.folder, entries, *previewed->asFound, &progress, request.reach)) {
        // The folder is as the preview read it: its plan serves, over its listing, and no second
        // listing is made.
        click.plan = *previewed;
        click.listed = previewed->listing;
        window.pumpMessages();
    } else {
        click.listed = std::make_shared<const NameList>(enumerateEntries(
            click.folder, entries, listingOrder(rule, kind, request.reach), &progress, KeepNative::Yes, request.reach));
        window.pumpMessages();
        if (reusable && !previewed->asFound && *previewed->listing == *click.listed) {
            click.plan = *previewed;
            click.listed = previewed->listing;
        } else {
            click.plan = planRequest(rule, request, click.listed, &progress);
            // A rule may work on some of the listed entries only, in an order of its own.
            click.listed = click.plan.listing;
            // What the click does is what the window showed, or the window shows it first.
            if (previewed) window.showPlan(click.plan);
        }
    }
    if (!click.plan.disk) {
        const auto native = textToNative(click.folder);
        click.plan.disk = std::make_shared<const Disk>(diskOf(native ? *native : NativeName{}));
    }
    return click;
}

// The run's listing, which the session's entry list shares.
void shareListing(const RenameRule& rule, const ClickPlan& click, Session& session) {
    const bool fullPaths = click.files && rule.listing == Listing::FullPaths;
    EntryListing& target = click.files ? session.entryList : session.folderList;
    target.names = click.listed;
    target.folder = fullPaths ? click.folder : Text{};
}

// "old → new", with the reason on every line whose rename will fail: those first, then the
// renames in the order they will be made (chains and swaps with their temporary names).
std::unique_ptr<PlanLines> planLines(const ClickPlan& click) {
    const RunPlan& plan = click.plan;
    const std::size_t failing = plan.failing ? *plan.failing : 1;
    if (plan.reordersChains || failing > 0) {
        std::vector<Text> lines = describePlan(plan);
        const Text mark = failureMark();
        std::stable_partition(lines.begin(), lines.end(),
                              [&mark](const Text& line) { return findText(line, mark) != notFound; });
        return std::make_unique<PlanLines>(std::move(lines));
    }
    // Nothing fails: the lines are made as they are looked at, so a large plan shows at once.
    return std::make_unique<PlanLines>(
        click.folder, plan.steps.size(),
        [&click](std::size_t i) {
            const RunPlan& p = click.plan;
            const std::size_t entry = p.steps.entry(i);
            return PlanStep{click.listed->native(entry).value_or(NativeName{}), click.listed->text(entry),
                            click.listed->exact(entry), p.steps.newNames()->text(i), p.steps.refusal(i)};
        },
        plan.disk);
}

// The question of the rule's confirmation, where the rule asks it; false on Cancel.
bool confirmed(const RenameRule& rule, const ClickPlan& click, Window& window) {
    const RunPlan& plan = click.plan;
    Text question = rule.question;
    Text caption = "提示"_t;
    switch (rule.confirmation) {
    case Confirmation::None:
        return true;
    case Confirmation::Counted:
        question = "一共有"_t + toText(static_cast<long long>(*plan.counted)) + "个文件将被更名"_t;
        caption = "请确认"_t;
        break;
    case Confirmation::UpFront:
        break;
    case Confirmation::FirstEntryBeforeAnything:
        if (click.listed->empty()) return true;
        break;
    case Confirmation::FirstEntry:
        // Asked whenever something is to be renamed, whatever order the disk lists entries in.
        if (plan.steps.empty()) return true;
        break;
    }
    // Under the question, what the run will do as the status line says it; where nothing can
    // succeed, Enter cancels.
    std::size_t failing = 0;
    if (plan.failing)
        failing = *plan.failing;
    else
        for (StepFailure f : planFailures(plan, namesIn(click.folder, plan.reach))) failing += f != StepFailure::None;
    const std::size_t renames = plan.steps.size() - std::min(failing, plan.steps.size());
    Text summary = "将更名"_t + toText(static_cast<long long>(renames)) + "个"_t;
    if (failing > 0) summary += "，"_t + toText(static_cast<long long>(failing)) + "个无法更名"_t;
    return window.confirmWithPlan(
               question, style::okCancel, caption, [&click] { return planLines(click); }, summary, renames == 0) !=
           answerCancel;
}

// The renames as the history keeps them and as they are made.
struct HistorySteps {
    StepEncoder encoded;  ///< native names included
    /// Per plan step, its steps in the history: 0 when it is not tried, 2 through a temporary name.
    std::vector<std::uint8_t> legs;
    RenameOrder order;  ///< chains and swaps: the renames as they will be made
};

// Every step as the history keeps it, the native new names made once, here; renaming reads them
// back from it in plan order, so a run holds them only once. A step the plan knows will fail (its
// rule or the disk refuses the name, or the name has no native form) is not written and not
// tried; a change of case only, on a disk that ignores case, is two steps through a temporary
// name, so that the history can follow the entry if the run stops between them.
HistorySteps historySteps(const ClickPlan& click, Progress& progress) {
    HistorySteps steps;
    const RunPlan& plan = click.plan;
    const NameList& listed = *click.listed;
    const Disk* disk = plan.disk.get();
    if (plan.reordersChains) {
        // The history keeps the renames as they will be made, temporary names included, so
        // taking them back newest first undoes a swap exactly.
        // Below the folder, plan order keeps every folder after the entries inside it.
        const bool listingOrder = disk && disk->userSpaceDriver && plan.reach == Reach::Folder;
        steps.order = orderRenames(renameRequests(plan), namesIn(click.folder, plan.reach), disk,
                                   listingOrder ? MadeIn::ListingOrder : MadeIn::PlanOrder);
        for (const RenameOperation& op : steps.order.operations)
            steps.encoded.add(op.from, op.to, listed.inode(plan.steps.entry(op.step)));
        return steps;
    }
    const NameList& newNames = *plan.steps.newNames();
    // Room for the worst case, a name half as long again in UTF-8 and nothing shared with the old
    // name; pages never written cost no memory.
    steps.encoded.reserve((listed.textBytes() + newNames.textBytes()) * 3 / 2 + 24 * plan.steps.size());
    steps.legs.assign(plan.steps.size(), 0);
    const bool folding = disk && disk->ignoresCase;
    std::optional<NameSet> present;  ///< the folder's names, folded, once a temporary name is needed
    std::unordered_set<std::string> temporaries;
    unsigned nextTemporary = 1;
    ProgressThrottle throttle(&progress, plan.steps.size());
    for (std::size_t i = 0; i < plan.steps.size(); ++i) {
        throttle.tick(i + 1);
        const std::size_t entry = plan.steps.entry(i);
        const auto newNative = textToNative(newNames.text(i));
        // A name that could not be read exactly is never renamed: its new name would be built from
        // replacement characters, not from the name on disk.
        if (!listed.exact(entry) || !newNative || plan.steps.refusal(i) != StepFailure::None ||
            diskRefusal(*newNative, disk) != StepFailure::None)
            continue;
        const std::string_view newName(*newNative);
        const NativeName ownedOld = listed.keepsNatives() ? NativeName{} : listed.native(entry).value_or(NativeName{});
        // A run's listing keeps the native names: no copy of the old name.
        const std::string_view oldName = listed.keepsNatives() ? listed.nativeBytes(entry) : std::string_view(ownedOld);
        if (folding && sameButForCase(oldName, newName)) {
            if (!present)
                present = namesIn(click.folder, plan.reach).mapped([](std::string_view n) { return foldCase(n); });
            // In the entry's own folder, where it is below the listed one.
            const std::size_t slash = oldName.rfind('/');
            const std::string within(slash == std::string_view::npos ? std::string_view()
                                                                     : oldName.substr(0, slash + 1));
            NativeName temporary;
            do temporary = within + "改名中转-大小写" + std::to_string(nextTemporary++);
            while (present->contains(foldCase(temporary)) || !temporaries.insert(temporary).second);
            steps.encoded.add(oldName, temporary, listed.inode(entry));
            steps.encoded.add(temporary, newName, listed.inode(entry));
            steps.legs[i] = 2;
        } else {
            steps.encoded.add(oldName, newName, listed.inode(entry));
            steps.legs[i] = 1;
        }
    }
    return steps;
}

// The plan goes into the history on a thread of its own while the window keeps painting: a
// million steps take the disk a noticeable moment to sync. Nothing else reads or writes the
// history meanwhile, as the window takes no input while a run pumps it.
std::unique_ptr<RunRecorder> beginRecording(Journal& journal, const ClickPlan& click, const HistorySteps& steps,
                                            const Text& caption, Progress& progress) {
    std::unique_ptr<RunRecorder> recorder;
    const RunDisk disk{click.plan.disk->device, click.plan.disk->lastingInodes};
    runAside(&progress, [&] { recorder = journal.begin(click.folder, caption, steps.encoded, disk); });
    return recorder;
}

// The steps of a plan in plan order as operations: a step of two legs goes through its temporary
// name; a step not tried has none.
class PlanOperations final : public OperationSource {
public:
    PlanOperations(std::string_view blob, const std::vector<std::uint8_t>& legs) : encoded_(blob), legs_(legs) {
        for (std::uint8_t n : legs) size_ += n;
    }
    std::size_t size() const override { return size_; }
    bool next(RenameOperation& op) override {
        using Leg = RenameOperation::Leg;
        while (step_ < legs_.size() && legs_[step_] == 0) ++step_;
        if (step_ >= legs_.size() || !encoded_.next(decoded_)) return false;
        const Leg leg = legs_[step_] == 1 ? Leg::Whole : (secondLeg_ ? Leg::FromTemporary : Leg::ToTemporary);
        op.step = step_;
        op.leg = leg;
        op.from = std::move(decoded_.from);
        op.to = std::move(decoded_.to);
        if (leg == Leg::ToTemporary) {
            secondLeg_ = true;
        } else {
            secondLeg_ = false;
            ++step_;
        }
        return true;
    }

private:
    StepDecoder encoded_;
    const std::vector<std::uint8_t>& legs_;
    std::size_t size_ = 0;
    std::size_t step_ = 0;
    bool secondLeg_ = false;
    JournalStep decoded_;
};

// What the apply loop tells: progress to the window, each history step's fate to the recorder,
// the renames made to the rows, and why each step that failed did.
class Applying final : public ApplyListener {
public:
    Applying(const ClickPlan& click, RunRecorder* recorder, Progress& progress, std::size_t operations,
             RenameList& renamedRows)
        : click_(click), recorder_(recorder), throttle_(&progress, operations), rows_(renamedRows),
          names_(click.plan.reordersChains ? stepNames(click.plan) : decltype(names_){}),
          renamed(click.plan.steps.size(), false), errors(click.plan.steps.size(), 0) {}
    void progress(std::size_t done, std::size_t) override { throttle_.tick(done + 1); }
    void made(const RenameOperation& op) override {
        if (!click_.plan.reordersChains) {
            // Rows follow the names a step ends under; a temporary name is passed through.
            if (op.leg == RenameOperation::Leg::Whole || op.leg == RenameOperation::Leg::FromTemporary)
                rows_.add(static_cast<std::uint32_t>(click_.plan.steps.entry(op.step)),
                          static_cast<std::uint32_t>(op.step));
            return;
        }
        // Chains and swaps: every operation, temporary names included, so rows follow in order.
        auto [from, to] = operationText(op, names_.first, names_.second);
        rows_.emplace_back(from, to);
    }
    void settled(std::size_t k, bool made) override {
        if (recorder_) recorder_->step(k, made);
    }
    void stepEnded(std::size_t step, bool ended, int error) override {
        renamed[step] = ended;
        // A step whose temporary name was never reached is refused by the disk all the same.
        errors[step] = ended ? 0 : (error == 0 ? -1 : error);
    }

private:
    const ClickPlan& click_;
    RunRecorder* recorder_;
    ProgressThrottle throttle_;
    RenameList& rows_;
    std::pair<std::vector<Text>, std::vector<Text>> names_;  ///< chains and swaps: old and new, by step

public:
    std::vector<bool> renamed;  ///< per plan step: it reached its new name
    std::vector<int> errors;  ///< per plan step: why its rename failed; 0 when not tried
};

// Renames that failed, by reason in the order first met, with counts.
struct FailureTally {
    std::size_t count = 0;
    std::vector<std::pair<Text, std::size_t>> reasons;

    void add(const Text& reason) {
        ++count;
        for (auto& [known, n] : reasons) {
            if (known == reason) {
                ++n;
                return;
            }
        }
        reasons.emplace_back(reason, 1);
    }

    // Whatever the rule reports, renames that failed are never passed over in silence.
    void report(Window& window) const {
        if (count == 0) return;
        Text text = toText(static_cast<long long>(count)) + "个无法更名："_t;
        for (std::size_t k = 0; k < reasons.size(); ++k) {
            if (k > 0) text += "，"_t;
            text += reasons[k].first;
            if (reasons.size() > 1) text += "（"_t + toText(static_cast<long long>(reasons[k].second)) + "个）"_t;
        }
        window.showMessage(text, style::information, "提示"_t);
    }
};

// Why step i, which the plan knows will fail, is not tried.
Text notTried(const ClickPlan& click, const HistorySteps& steps, std::size_t i) {
    const RunPlan& plan = click.plan;
    const Text newName = plan.steps.newNames()->text(i);
    if (plan.reordersChains && steps.order.failures[i] != StepFailure::None)
        return failureReason(steps.order.failures[i], newName);
    if (plan.steps.refusal(i) != StepFailure::None) return failureReason(plan.steps.refusal(i), newName);
    const auto native = textToNative(newName);
    if (!native || !click.listed->exact(plan.steps.entry(i))) return failureReason(StepFailure::Invalid);
    return failureReason(diskRefusal(*native, plan.disk.get()), newName);
}

// The renames of a plan in plan order and those of a rename order go through one loop; what
// differs is where they come from.
RunOutcome applySteps(const RenameRule& rule, const ClickPlan& click, const HistorySteps& steps, RunRecorder* recorder,
                      Progress& progress, RunResult& result, FailureTally& failures) {
    const RunPlan& plan = click.plan;
    const auto nativeFolder = textToNative(click.folder);
    const FolderHandle folder(nativeFolder ? *nativeFolder : NativeName{});
    std::unique_ptr<OperationSource> source;
    if (plan.reordersChains) {
        source = std::make_unique<OrderOperations>(steps.order);
    } else {
        result.renamed = RenameList(click.listed, plan.steps.newNames());
        source = std::make_unique<PlanOperations>(steps.encoded.blob(), steps.legs);
    }
    Applying applying(click, recorder, progress, source->size(), result.renamed);
    applyOperations(folder, *source, applying);
    if (recorder) recorder->finish();
    const Count mode = click.files ? rule.fileCount : rule.folderCount;
    RunOutcome outcome{plan.kind, 0, false};
    for (std::size_t i = 0; i < plan.steps.size(); ++i) {
        const bool renamed = applying.renamed[i];
        if (!renamed) {
            const int error = applying.errors[i];
            if (error == 0)
                failures.add(notTried(click, steps, i));
            else
                failures.add(folder.isOpen() ? renameFailureReason(error) : "找不到文件夹"_t);
        }
        if (mode == Count::Attempts || (mode == Count::Successes && renamed)) ++outcome.count;
    }
    return outcome;
}

// A click past its checks: the plan, the question with the plan to see, the history, renaming,
// the report. Message boxes are modal, so nothing the plan read changes before it is applied.
void click(const RenameRule& rule, const RunRequest& request, const RunPlan* previewed, Window& window,
           Session& session, const Text& caption, RunResult& result) {
    WindowProgress progress(window);
    const ClickPlan plan = obtainPlan(rule, request, previewed, window, progress);
    result.listed = true;
    shareListing(rule, plan, session);
    if (rule.confirmation == Confirmation::Counted && plan.plan.counted == 0u) {
        window.showMessage("找不到需要改的文件名"_t, style::ok, "提示"_t);
        return;
    }
    if (rule.checkPlan) {
        if (auto refusal = rule.checkPlan(request, plan.plan)) {
            show(window, refusal->message);
            return;
        }
    }
    if (!confirmed(rule, plan, window)) {
        // Counted and up-front confirmations end the run; the rule's report decides.
        report(rule, window, {plan.plan.kind, 0, true});
        return;
    }
    if (plan.files && request.refusalBeforeFileLoop) {
        show(window, *request.refusalBeforeFileLoop);
        return;
    }
    // The plan is in the history before the first rename, so a crash can be taken back.
    HistorySteps steps;
    std::unique_ptr<RunRecorder> recorder;
    if (!plan.plan.steps.empty()) {
        steps = historySteps(plan, progress);
        recorder = beginRecording(session.journal, plan, steps, caption, progress);
        if (!recorder &&
            window.showMessage("无法记录更名历史，仍然更名吗？"_t, style::okCancel, "提示"_t) == answerCancel)
            return;
    }
    FailureTally failures;
    report(rule, window, applySteps(rule, plan, steps, recorder.get(), progress, result, failures));
    failures.report(window);
}

}  // namespace

RunResult runRenameRule(const RenameRule& rule, Window& window, Session& session, const RunPlan* previewed,
                        const Text& caption) {
    RunResult result;
    session.entryList.clear();
    const RunRequest request = readRequest(rule, window);
    if (request.refusal) show(window, *request.refusal);
    if (!request.kind) return result;
    try {
        click(rule, request, previewed, window, session, caption, result);
    } catch (...) {
        // The history keeps the run as far as its recorder got: undo takes back what it recorded.
        window.showMessage("更名没有完成："_t + stoppedBecause(std::current_exception()), style::information, "提示"_t);
    }
    giveBackFreedMemory();
    return result;
}

Text stoppedBecause(const std::exception_ptr& error) {
    try {
        std::rethrow_exception(error);
    } catch (const std::length_error&) {
        return "文件名太多或太长，超出了一次能处理的范围"_t;
    } catch (const std::bad_alloc&) {
        return "内存不够"_t;
    } catch (...) {
        return "程序内部出错"_t;
    }
}

}  // namespace velmora
