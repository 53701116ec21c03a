#pragma once
// What a rule declares for the shared road of every renaming rule: its checks, which kinds it
// treats, how it lists, what it reads from the window, its transforms, its question, how it counts
// and what it reports. A click and the preview read a rule's request from the window once; from
// there on they work with values.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/fs/disk.h"
#include "core/fs/listing.h"
#include "core/names/name_list.h"
#include "core/plan/planning.h"
#include "core/plan/run_plan.h"
#include "core/text/text.h"
#include "interaction/session.h"
#include "interaction/window.h"

namespace velmora {

struct Message {
    Text text;
    MessageStyle style = style::information;
    std::optional<Text> caption;
    friend bool operator==(const Message& a, const Message& b) {
        return a.text == b.text && a.style == b.style && a.caption == b.caption;
    }
};

/// A refusal made on looking at a run's plan: the click's message, and the status line's shorter
/// words for it.
struct PlanRefusal {
    Message message;
    Text status;
};

/// An input check: a refusal message, or nothing when the input is acceptable.
using InputCheck = std::function<std::optional<Message>(const Window&)>;
/// Refuses with message when component's content is empty.
InputCheck requireContent(Component component, Message message);

/// Which kinds a rule treats.
enum class Kinds {
    FromBoxes,  ///< files when 选择框1 is checked, else folders when 选择框2 is, else nothing
    FilesOnly,  ///< files, whatever the boxes say
};

/// How the files are listed into the session's entry list.
enum class Listing { Names, FullPaths };

enum class ExtensionFilter {
    None,
    Standard,  ///< leave alone a file whose non-empty extension equals the text of 组合框2
    ChosenItem,  ///< the same, only while 组合框2 has an item chosen
};

/// Every question is asked once the run's plan is known, before anything is renamed.
enum class Confirmation {
    None,
    Counted,  ///< count the matching entries first, then "一共有N个文件将被更名"; none: nothing to change
    UpFront,  ///< always ask, whatever the listing holds
    FirstEntry,  ///< ask only when the first listed entry is to be renamed
    FirstEntryBeforeAnything,  ///< ask whenever the listing holds an entry, whatever the first one is
};

enum class Count { Successes, Attempts, None };

/// What a rule reads from the window for one run or one preview, kept apart from the window: a
/// plain value of the rule's own type (InputsOf).
class RuleInputs {
public:
    virtual ~RuleInputs() = default;
    /// True when other holds the same inputs of the same rule.
    virtual bool sameAs(const RuleInputs& other) const = 0;
};

template <typename T>
class InputsOf final : public RuleInputs {
public:
    explicit InputsOf(T value) : value(std::move(value)) {}
    bool sameAs(const RuleInputs& other) const override {
        const auto* o = dynamic_cast<const InputsOf*>(&other);
        return o && o->value == value;
    }
    const T value;
};

/// Reads a rule's inputs: the one place that names its widgets.
using ReadInputs = std::function<std::shared_ptr<const RuleInputs>(const Window&)>;
/// Makes the pass for one run of one kind from the inputs read for it; listSize is the number of
/// listed entries. Per-run state (positions kept from entry to entry, an opened converter) lives
/// in what the pass captures.
using PassFactory = std::function<Pass(const RuleInputs&, Kind, std::size_t listSize)>;

/// How a run ended, as far as the report is concerned.
struct RunOutcome {
    Kind kind;
    int count = 0;
    bool cancelled = false;
};
using Report = std::function<std::optional<Message>(const RunOutcome&)>;

struct RunRequest;

/// A rule: what it checks, lists, reads and asks, its transforms, how it counts and what it reports.
struct RenameRule {
    std::vector<InputCheck> checksFirst;  ///< before the folder checks
    std::vector<InputCheck> checksAfterEmpty;  ///< right after the empty-folder check
    std::vector<InputCheck> checksAfterFolder;  ///< after all three folder checks
    std::optional<Text> noFolderCaption;  ///< caption of "路径呢？"; the default when none
    Kinds kinds = Kinds::FromBoxes;
    Listing listing = Listing::Names;
    bool numberAwareOrder = false;  ///< files in number-aware order instead of as found
    bool naturalOrder = false;  ///< files and folders in natural order (core/text/natural_order.h)
    Subject subject = Subject::WholeName;
    ExtensionFilter filter = ExtensionFilter::None;
    Confirmation confirmation = Confirmation::None;
    Text question = "确定更名吗？"_t;
    /// Checked once before the file loop, after the confirmation; a refusal ends the run with its
    /// message and no report.
    std::vector<InputCheck> checksBeforeFileLoop;
    ReadInputs read;  ///< nothing to read when empty
    PassFactory files;
    PassFactory folders;
    /// Renames in the order that lets chains and swaps succeed, through a temporary name where
    /// needed (core/plan/rename_order.h), instead of strictly in listing order.
    bool reordersChains = false;
    Count fileCount = Count::Successes;
    Count folderCount = Count::Successes;
    Report report;  ///< called after every pass that got past its checks; nothing when empty
    /// The entries a run works on, in the order the rule pairs them with its inputs, taken from the
    /// listing; entries left out are no part of the run. The whole listing when empty.
    std::function<SharedListing(const RunRequest&, const SharedListing&)> arrange;
    /// Looks at the plan before the question: a refusal ends the click with its message, while
    /// the preview still shows the plan beside it.
    std::function<std::optional<PlanRefusal>(const RunRequest&, const RunPlan&)> checkPlan;
};

/// Everything a run of a rule takes from the window, read at one moment: a refusal, or the kind,
/// the folder, the skipped extension and the rule's inputs. The click and the preview read it
/// alike; two requests alike plan alike over the same folder.
struct RunRequest {
    std::optional<Message> refusal;  ///< the message of a refused click
    std::optional<Kind> kind;  ///< nothing when refused or when no kind box is checked
    Text folder;
    std::optional<SkippedExtension> skipped;
    SharedLeftOut leftOut;  ///< entries whose rows are unchecked or filtered out; null for none
    Reach reach = Reach::Folder;  ///< 选择框_包括子文件夹: the entries of every folder below too
    std::shared_ptr<const RuleInputs> inputs;  ///< null when the rule reads nothing
    /// What the rule's checks before the file loop say: shown after the question, files only.
    std::optional<Message> refusalBeforeFileLoop;

    bool sameAs(const RunRequest& other) const;
};

/// Reads rule's request: the checks in their order, then the kind boxes, then the inputs.
RunRequest readRequest(const RenameRule& rule, const Window& window);

/// The order in which a rule lists the entries of one kind; below the folder, as found or in
/// natural order of the paths.
ListingOrder listingOrder(const RenameRule& rule, Kind kind, Reach reach = Reach::Folder);

/// Plans a run of rule over listing as request asks (request.kind set); progress hears how far it
/// came (reading, where given, how far reading what the files hold came), and planning stops early
/// when cancelled (polled now and then) returns true.
RunPlan planRequest(const RenameRule& rule, const RunRequest& request, SharedListing listing,
                    Progress* progress = nullptr, const std::function<bool()>& cancelled = {},
                    Progress* reading = nullptr);

/// The first refusal of checks, in their order.
std::optional<Message> firstRefusal(const std::vector<InputCheck>& checks, const Window& window);

/// The refusal a click shows after planning, before renaming: nothing to change for a counted
/// confirmation, then the rule's checks before the file loop.
std::optional<Message> refusalAfterPlanning(const RenameRule& rule, const RunRequest& request, const RunPlan& plan);

/// Reads the inputs of a rule with read; the inputs' type needs ==.
template <typename Inputs>
ReadInputs reads(Inputs (*read)(const Window&)) {
    return [read](const Window& window) -> std::shared_ptr<const RuleInputs> {
        return std::make_shared<const InputsOf<Inputs>>(read(window));
    };
}

/// A pass factory over the typed inputs of a rule that reads them with reads<Inputs>.
template <typename Inputs>
PassFactory passOf(std::function<Pass(const Inputs&, Kind, std::size_t)> make) {
    return [make = std::move(make)](const RuleInputs& inputs, Kind kind, std::size_t listSize) {
        return make(static_cast<const InputsOf<Inputs>&>(inputs).value, kind, listSize);
    };
}

/// Passes every entry through transform with a copy of the inputs; the counting condition is unused.
template <typename Inputs>
PassFactory simplePass(std::function<std::optional<Text>(const Inputs&, const Entry&)> transform) {
    return [transform = std::move(transform)](const RuleInputs& inputs, Kind, std::size_t) {
        return Pass{[in = static_cast<const InputsOf<Inputs>&>(inputs).value, transform](const Entry& e) {
                        return transform(in, e);
                    },
                    {}};
    };
}

/// A rule that reads nothing but the entry: its transform alone.
PassFactory entryPass(std::function<std::optional<Text>(const Entry&)> transform);

}  // namespace velmora
