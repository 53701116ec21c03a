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

// A click: checks, a fresh listing, the plan, the question with the plan to see, renaming in plan
// order, the report. Message boxes are modal, so nothing the plan read changes before it is applied.
class ClickRun {
public:
    ClickRun(const RenameRule& rule, Window& window, Session& session, const RunRequest& request, const Text& caption,
             RunResult& result)
        : rule_(rule), window_(window), session_(session), request_(request), kind_(*request.kind), caption_(caption),
          result_(result), files_(kind_ == Kind::Files), folder_(request.folder), progress_(window) {}

    void run(const RunPlan* previewed) {
        const bool reusable = previewed && previewed->kind == kind_ && previewed->folder == folder_ &&
                              !previewed->abandoned && previewed->listing;
        if (reusable && previewed->asFound &&
            listsTheSame(folder_, files_ ? EntryKind::Files : EntryKind::Folders, *previewed->asFound, &progress_)) {
            // The folder is as the preview read it: its plan serves, over its listing, and no
            // second listing is made.
            plan_ = *previewed;
            useListing(previewed->listing);
            window_.pumpMessages();
        } else {
            useListing(freshListing());
            window_.pumpMessages();
            if (reusable && !previewed->asFound && *previewed->listing == *listed_) {
                plan_ = *previewed;
                useListing(previewed->listing);
            } else {
                plan_ = planRequest(rule_, request_, listed_, &progress_);
                // What the click does is what the window showed, or the window shows it first.
                if (previewed) window_.showPlan(plan_);
            }
        }
        if (!plan_.disk) {
            const auto native = textToNative(folder_);
            plan_.disk = std::make_shared<const Disk>(diskOf(native ? *native : NativeName{}));
        }
        if (rule_.confirmation == Confirmation::Counted && plan_.counted == 0u) {
            window_.showMessage("找不到需要改的文件名"_t, style::ok, "提示"_t);
            return;
        }
        if (!confirmed()) {
            // Counted and up-front confirmations end the run; the rule's report decides.
            report(rule_, window_, {kind_, 0, true});
            return;
        }
        if (files_ && request_.refusalBeforeFileLoop) {
            show(window_, *request_.refusalBeforeFileLoop);
            return;
        }
        // The plan is in the history before the first rename, so a crash can be taken back.
        std::unique_ptr<RunRecorder> recorder;
        if (!plan_.steps.empty()) {
            encodeSteps();
            recorder = beginRecording();
            if (!recorder &&
                window_.showMessage("无法记录更名历史，仍然更名吗？"_t, style::okCancel, "提示"_t) == answerCancel)
                return;
        }
        report(rule_, window_, apply(recorder.get()));
        reportFailures();
    }

private:
    SharedListing freshListing() {
        return std::make_shared<const NameList>(enumerateEntries(
            folder_, files_ ? EntryKind::Files : EntryKind::Folders, listingOrder(rule_, kind_), &progress_));
    }

    // The run's listing, which the session's entry list shares.
    void useListing(SharedListing listing) {
        listed_ = std::move(listing);
        result_.listed = true;
        const bool fullPaths = files_ && rule_.listing == Listing::FullPaths;
        EntryListing& target = files_ ? session_.entryList : session_.folderList;
        target.names = listed_;
        target.folder = fullPaths ? folder_ : Text{};
    }

    // The question of the rule's confirmation, where the rule asks it; false on Cancel.
    bool confirmed() {
        Text question = rule_.question;
        Text caption = "提示"_t;
        switch (rule_.confirmation) {
        case Confirmation::None:
            return true;
        case Confirmation::Counted:
            question = "一共有"_t + toText(static_cast<long long>(*plan_.counted)) + "个文件将被更名"_t;
            caption = "请确认"_t;
            break;
        case Confirmation::UpFront:
            break;
        case Confirmation::FirstEntryBeforeAnything:
            if (listed_->empty()) return true;
            break;
        case Confirmation::FirstEntry:
            // Asked whenever something is to be renamed, whatever order the disk lists entries in.
            if (plan_.steps.empty()) return true;
            break;
        }
        // Under the question, what the run will do as the status line says it; where nothing can
        // succeed, Enter cancels.
        const std::size_t failing = plan_.failing ? *plan_.failing : countFailures();
        const std::size_t renames = plan_.steps.size() - std::min(failing, plan_.steps.size());
        Text summary = "将更名"_t + toText(static_cast<long long>(renames)) + "个"_t;
        if (failing > 0) summary += "，"_t + toText(static_cast<long long>(failing)) + "个无法更名"_t;
        return window_.confirmWithPlan(
                   question, style::okCancel, caption, [this] { return planLines(); }, summary, renames == 0) !=
               answerCancel;
    }

    std::size_t countFailures() const {
        std::size_t n = 0;
        for (StepFailure f : planFailures(plan_, namesIn(folder_))) n += f != StepFailure::None;
        return n;
    }

    // Every step as the history keeps it, the native new names made once, here; renaming reads them
    // back from it in plan order, so a run holds them only once. A step the plan knows will fail
    // (its rule or the disk refuses the name, or the name has no native form) is not written and
    // not tried; a change of case only, on a disk that ignores case, is two steps through a
    // temporary name, so that the history can follow the entry if the run stops between them.
    void encodeSteps() {
        const Disk* disk = plan_.disk.get();
        if (plan_.reordersChains) {
            // The history keeps the renames as they will be made, temporary names included, so
            // taking them back newest first undoes a swap exactly.
            order_ = orderRenames(renameRequests(plan_), namesIn(folder_), disk,
                                  disk && disk->userSpaceDriver ? MadeIn::ListingOrder : MadeIn::PlanOrder);
            for (const RenameOperation& op : order_.operations)
                steps_.add(op.from, op.to, listed_->inode(plan_.steps.entry(op.step)));
            return;
        }
        const NameList& newNames = *plan_.steps.newNames();
        // Room for the worst case, a name half as long again in UTF-8 and nothing shared with the
        // old name; pages never written cost no memory.
        steps_.reserve((listed_->textBytes() + newNames.textBytes()) * 3 / 2 + 24 * plan_.steps.size());
        legs_.assign(plan_.steps.size(), 0);
        const bool folding = disk && disk->ignoresCase;
        std::optional<NameSet> present;  ///< the folder's names, folded, once a temporary name is needed
        std::unordered_set<std::string> temporaries;
        unsigned nextTemporary = 1;
        ProgressThrottle throttle(&progress_, plan_.steps.size());
        for (std::size_t i = 0; i < plan_.steps.size(); ++i) {
            throttle.tick(i + 1);
            const std::size_t entry = plan_.steps.entry(i);
            const auto newNative = textToNative(newNames.text(i));
            // A name that could not be read exactly is never renamed: its new name would be built
            // from replacement characters, not from the name on disk.
            if (!listed_->exact(entry) || !newNative || plan_.steps.refusal(i) != StepFailure::None ||
                diskRefusal(*newNative, disk) != StepFailure::None)
                continue;
            const std::string_view newName(*newNative);
            const NativeName ownedOld =
                listed_->keepsNatives() ? NativeName{} : listed_->native(entry).value_or(NativeName{});
            // A run's listing keeps the native names: no copy of the old name.
            const std::string_view oldName =
                listed_->keepsNatives() ? listed_->nativeBytes(entry) : std::string_view(ownedOld);
            if (folding && sameButForCase(oldName, newName)) {
                if (!present) present = namesIn(folder_).mapped([](std::string_view n) { return foldCase(n); });
                NativeName temporary;
                do temporary = "改名中转-大小写" + std::to_string(nextTemporary++);
                while (present->contains(foldCase(temporary)) || !temporaries.insert(temporary).second);
                steps_.add(oldName, temporary, listed_->inode(entry));
                steps_.add(temporary, newName, listed_->inode(entry));
                legs_[i] = 2;
            } else {
                steps_.add(oldName, newName, listed_->inode(entry));
                legs_[i] = 1;
            }
        }
    }

    // The plan goes into the history on a thread of its own while the window keeps painting: a
    // million steps take the disk a noticeable moment to sync. Nothing else reads or writes the
    // history meanwhile, as the window takes no input while a run pumps it.
    std::unique_ptr<RunRecorder> beginRecording() {
        std::unique_ptr<RunRecorder> recorder;
        const RunDisk disk{plan_.disk->device, plan_.disk->lastingInodes};
        runAside(&progress_, [&] { recorder = session_.journal.begin(folder_, caption_, steps_, disk); });
        return recorder;
    }

    // Needs encodeSteps() first, which makes the native new names. The renames of a plan in plan
    // order and those of a rename order go through one loop; what differs is where they come from.
    RunOutcome apply(RunRecorder* recorder) {
        const auto nativeFolder = textToNative(folder_);
        const FolderHandle folder(nativeFolder ? *nativeFolder : NativeName{});
        const Count mode = files_ ? rule_.fileCount : rule_.folderCount;
        std::unique_ptr<OperationSource> source;
        if (plan_.reordersChains) {
            source = std::make_unique<OrderOperations>(order_);
        } else {
            result_.renamed = RenameList(listed_, plan_.steps.newNames());
            source = std::make_unique<PlanOperations>(steps_.blob(), legs_);
        }
        Applying applying(*this, recorder, source->size());
        applyOperations(folder, *source, applying);
        if (recorder) recorder->finish();
        RunOutcome outcome{kind_, 0, false};
        for (std::size_t i = 0; i < plan_.steps.size(); ++i) {
            const bool renamed = applying.renamed[i];
            if (!renamed) {
                const int error = applying.errors[i];
                if (error == 0)
                    failed(notTried(i));
                else
                    failed(folder.isOpen() ? renameFailureReason(error) : "找不到文件夹"_t);
            }
            if (mode == Count::Attempts || (mode == Count::Successes && renamed)) ++outcome.count;
        }
        return outcome;
    }

    // The steps of a plan in plan order as operations: a step of two legs goes through its
    // temporary name; a step not tried has none.
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

    // What the loop tells: progress to the window, each history step's fate to the recorder, the
    // renames made to the rows, and why each step that failed did.
    class Applying final : public ApplyListener {
    public:
        Applying(ClickRun& run, RunRecorder* recorder, std::size_t operations)
            : run_(run), recorder_(recorder), throttle_(&run.progress_, operations),
              names_(run.plan_.reordersChains ? stepNames(run.plan_) : decltype(names_){}),
              renamed(run.plan_.steps.size(), false), errors(run.plan_.steps.size(), 0) {}
        void progress(std::size_t done, std::size_t) override { throttle_.tick(done + 1); }
        void made(const RenameOperation& op) override {
            if (!run_.plan_.reordersChains) {
                // Rows follow the names a step ends under; a temporary name is passed through.
                if (op.leg == RenameOperation::Leg::Whole || op.leg == RenameOperation::Leg::FromTemporary)
                    run_.result_.renamed.add(static_cast<std::uint32_t>(run_.plan_.steps.entry(op.step)),
                                             static_cast<std::uint32_t>(op.step));
                return;
            }
            // Chains and swaps: every operation, temporary names included, so rows follow in order.
            auto [from, to] = operationText(op, names_.first, names_.second);
            run_.result_.renamed.emplace_back(from, to);
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
        ClickRun& run_;
        RunRecorder* recorder_;
        ProgressThrottle throttle_;
        std::pair<std::vector<Text>, std::vector<Text>> names_;  ///< chains and swaps: old and new, by step

    public:
        std::vector<bool> renamed;  ///< per plan step: it reached its new name
        std::vector<int> errors;  ///< per plan step: why its rename failed; 0 when not tried
    };

    // Why step i, which the plan knows will fail, is not tried.
    Text notTried(std::size_t i) const {
        const Text newName = plan_.steps.newNames()->text(i);
        if (plan_.reordersChains && order_.failures[i] != StepFailure::None)
            return failureReason(order_.failures[i], newName);
        if (plan_.steps.refusal(i) != StepFailure::None) return failureReason(plan_.steps.refusal(i), newName);
        const auto native = textToNative(newName);
        if (!native || !listed_->exact(plan_.steps.entry(i))) return failureReason(StepFailure::Invalid);
        return failureReason(diskRefusal(*native, plan_.disk.get()), newName);
    }

    void failed(const Text& reason) {
        ++failures_;
        for (auto& [known, n] : reasons_) {
            if (known == reason) {
                ++n;
                return;
            }
        }
        reasons_.emplace_back(reason, 1);
    }

    // Whatever the rule reports, renames that failed are never passed over in silence.
    void reportFailures() {
        if (failures_ == 0) return;
        Text text = toText(static_cast<long long>(failures_)) + "个无法更名："_t;
        for (std::size_t k = 0; k < reasons_.size(); ++k) {
            if (k > 0) text += "，"_t;
            text += reasons_[k].first;
            if (reasons_.size() > 1) text += "（"_t + toText(static_cast<long long>(reasons_[k].second)) + "个）"_t;
        }
        window_.showMessage(text, style::information, "提示"_t);
    }

    // "old → new", with the reason on every line whose rename will fail: those first, then the
    // renames in the order they will be made (chains and swaps with their temporary names).
    std::unique_ptr<PlanLines> planLines() const {
        const std::size_t failing = plan_.failing ? *plan_.failing : 1;
        if (plan_.reordersChains || failing > 0) {
            std::vector<Text> lines = describePlan(plan_);
            const Text mark = failureMark();
            std::stable_partition(lines.begin(), lines.end(),
                                  [&mark](const Text& line) { return findText(line, mark) != notFound; });
            return std::make_unique<PlanLines>(std::move(lines));
        }
        // Nothing fails: the lines are made as they are looked at, so a large plan shows at once.
        return std::make_unique<PlanLines>(
            folder_, plan_.steps.size(),
            [this](std::size_t i) {
                const std::size_t entry = plan_.steps.entry(i);
                return PlanStep{listed_->native(entry).value_or(NativeName{}), listed_->text(entry),
                                listed_->exact(entry), plan_.steps.newNames()->text(i), plan_.steps.refusal(i)};
            },
            plan_.disk);
    }

    const RenameRule& rule_;
    Window& window_;
    Session& session_;
    const RunRequest& request_;
    const Kind kind_;
    const Text caption_;
    RunResult& result_;
    const bool files_;
    const Text folder_;
    SharedListing listed_;
    RunPlan plan_;
    StepEncoder steps_;  ///< the plan as the history keeps it, native names included
    /// Per plan step, its steps in the history: 0 when it is not tried, 2 through a temporary name.
    std::vector<std::uint8_t> legs_;
    std::size_t failures_ = 0;  ///< renames of the run that failed
    std::vector<std::pair<Text, std::size_t>> reasons_;  ///< why, in the order first met, with counts
    RenameOrder order_;  ///< chains and swaps: the renames as they will be made
    WindowProgress progress_;  ///< long work keeps the window painting
};

}  // namespace

RunResult runRenameRule(const RenameRule& rule, Window& window, Session& session, const RunPlan* previewed,
                        const Text& caption) {
    RunResult result;
    session.entryList.clear();
    const RunRequest request = readRequest(rule, window);
    if (request.refusal) show(window, *request.refusal);
    if (!request.kind) return result;
    try {
        ClickRun(rule, window, session, request, caption, result).run(previewed);
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
