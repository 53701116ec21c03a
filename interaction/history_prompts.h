#pragma once
// Walking the rename history: taking runs back, redoing them, and what start-up does with runs a
// crash left unfinished. The disk, not the journal, decides which renames of such a run were made.

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "core/history/journal.h"
#include "interaction/session.h"

namespace velmora {

class Window;

/// How many runs the history keeps; older ones go at start-up.
inline constexpr std::size_t kKeptRuns = 200;

/// Start-up: opens the history in folder (telling once when an unreadable one was moved aside),
/// keeps the newest kKeptRuns runs and recovers interrupted runs.
void openHistory(Window& window, Session& session, const std::string& folder);

/// Runs that a process left unfinished: a rename run with steps made asks whether to take them
/// back (OK) or keep them as a run in the history (Cancel); one without is closed silently, and an
/// interrupted undo or redo is closed as far as it got (a run with renames left to take back
/// stays on the undo side).
void recoverInterruptedRuns(Window& window, Session& session);

/// The renames an undo or redo made, in order, so the list view's rows can follow them.
struct MadeRenames {
    Text folder;
    RenameList renamed;  ///< (old name, new name)
};

/// 按钮_撤销, Ctrl+Z: asks, then takes back the newest run not yet taken back, whatever its
/// folder, newest rename first and never overwriting.
MadeRenames undoLastRun(Window& window, Session& session);

/// Ctrl+Shift+Z, Ctrl+Y: makes the renames of the run taken back last again, in their order.
MadeRenames redoLastRun(Window& window, Session& session);

/// The steps that moved one entry, in plan order, each starting under the name the one before it
/// gave: one step for most entries, two for an entry of a cycle (to a temporary name, then on).
using EntryPath = std::vector<std::size_t>;
/// Every entry's path through steps; an entry is known by its inode and the name it holds.
std::vector<EntryPath> entryPaths(const std::vector<JournalStep>& steps);
/// Entries of run with at least one step in state which: what a person counts as renamed.
std::size_t entriesIn(const JournalRun& run, StepState which);

/// Marks each step of run as the folder shows it now, entry by entry: an entry is where the last
/// made step of its path put it (for a run that stopped while renaming, undoing or redoing).
/// Where inode numbers say nothing (the disk does not keep them, or the folder is on another
/// device now), names decide, only where they can: the entries left as the history has them are
/// counted in the result.
std::size_t reconcileWithDisk(JournalRun& run);

/// The renames an undo of run will make, as it will make them: newest first, "new → old".
std::vector<Text> describeUndo(const JournalRun& run);

/// The rule and the time of run, as the undo question names it: "最前面加，12:03" (the date too
/// when it was not today).
Text runLabel(const JournalRun& run);

}  // namespace velmora
