#pragma once
// The shared road of every renaming rule: checks, kind, a fresh listing, the transform,
// confirmation, renaming, counting and the report. A rule only declares what differs.

#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/fs/disk.h"
#include "core/fs/listing.h"
#include "core/names/name_list.h"
#include "core/plan/run_plan.h"
#include "core/text/text.h"
#include "interaction/session.h"
#include "interaction/window.h"

namespace velmora {

struct Message {
    Text text;
    MessageStyle style = style::information;
    std::optional<Text> caption;
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

/// What the transform of a file sees and returns.
enum class Subject {
    WholeName,  ///< the whole file name, extension included
    NamePart,  ///< the name without its extension; the pipeline puts the extension back
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

/// One entry as a transform sees it.
struct Entry {
    std::size_t index = 0;  ///< 1-based position in the listing
    const Text& name;  ///< file or folder name
    const Text& subject;  ///< what the transform edits (name or name part)
    std::size_t extensionLength = 0;  ///< files: bytes of extensionOf(name); folders: 0
    StepFailure* refusal = nullptr;  ///< where refuse() records its reason; set while planning

    /// Refuses to rename the entry: the plan keeps it under its own name, failing with why, and
    /// the run leaves it alone. The transform then returns nothing.
    void refuse(StepFailure why) const {
        if (refusal) *refusal = why;
    }

    /// Files: the name without extension; folders: the name.
    Text namePart() const { return leftText(name, name.length() - static_cast<int>(extensionLength)); }
    /// Files: extensionOf(name); folders: empty.
    Text extension() const { return rightText(name, static_cast<int>(extensionLength)); }
};

/// The transform of one pass: a new name (or name part) for an entry, or nothing to leave it.
using Transform = std::function<std::optional<Text>(const Entry&)>;
/// The counting condition of a counted confirmation.
using CountCondition = std::function<bool(const Entry&)>;

struct Pass {
    Transform transform;
    CountCondition counts;  ///< only for Confirmation::Counted
};

/// Makes the pass for one run of one kind; listSize is the number of listed entries. Per-run
/// state shared by the preview and the transform (positions kept from entry to entry, an opened
/// converter) lives in what it captures.
using PassFactory = std::function<Pass(const Window&, Kind, std::size_t listSize)>;

/// How a run ended, as far as the report is concerned.
struct RunOutcome {
    Kind kind;
    int count = 0;
    bool cancelled = false;
};
using Report = std::function<std::optional<Message>(const RunOutcome&)>;

/// A rule: what it checks, lists and asks, its transforms, how it counts and what it reports.
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
    PassFactory files;
    PassFactory folders;
    /// Renames in the order that lets chains and swaps succeed, through a temporary name where
    /// needed (core/plan/rename_order.h), instead of strictly in listing order.
    bool reordersChains = false;
    Count fileCount = Count::Successes;
    Count folderCount = Count::Successes;
    Report report;  ///< called after every pass that got past its checks; nothing when empty
};

/// Where a click stops before it lists anything: the checks in their order, then the kind boxes.
struct RunStart {
    std::optional<Message> refusal;  ///< the message of a refused click
    std::optional<Kind> kind;  ///< nothing when refused or when no kind box is checked
};
RunStart startRun(const RenameRule& rule, const Window& window);

/// The order in which a rule lists the entries of one kind.
ListingOrder listingOrder(const RenameRule& rule, Kind kind);

/// Plans a run of rule over listing. The window supplies the inputs and is kept painting during
/// long work; planning stops early when cancelled (polled now and then) returns true.
RunPlan planRun(const RenameRule& rule, Window& window, Kind kind, const Text& folder, SharedListing listing,
                const std::function<bool()>& cancelled = {});

/// The first refusal of checks, in their order.
std::optional<Message> firstRefusal(const std::vector<InputCheck>& checks, const Window& window);

/// The refusal a click shows after planning, before renaming: nothing to change for a counted
/// confirmation, then the rule's checks before the file loop.
std::optional<Message> refusalAfterPlanning(const RenameRule& rule, const Window& window, const RunPlan& plan);

/// Passes every entry through transform; the counting condition is unused.
inline PassFactory simplePass(std::function<std::optional<Text>(const Window&, const Entry&)> transform) {
    return [transform = std::move(transform)](const Window& window, Kind, std::size_t) {
        return Pass{[&window, transform](const Entry& e) { return transform(window, e); }, {}};
    };
}

}  // namespace velmora
