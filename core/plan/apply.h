#pragma once
// Carrying out a run's renames, one operation at a time, whatever made them: a plan's steps in
// plan order (a change of case on a disk that ignores case as two legs through a temporary name),
// or a rename order's chains and cycles. One loop, so both take back a step that cannot reach its
// new name from its temporary one, and tell of every operation the same way.

#include <cstddef>
#include <functional>
#include <vector>

#include "core/plan/rename_order.h"

namespace velmora {

class FolderHandle;

/// The operations of a run in the order they are to be made. Operation k is step k of the run's
/// history.
class OperationSource {
public:
    virtual ~OperationSource() = default;
    virtual std::size_t size() const = 0;
    /// The next operation into op; false when there is none left.
    virtual bool next(RenameOperation& op) = 0;
};

/// A rename order's operations as a source.
class OrderOperations final : public OperationSource {
public:
    explicit OrderOperations(const RenameOrder& order) : order_(order) {}
    std::size_t size() const override { return order_.operations.size(); }
    bool next(RenameOperation& op) override;

private:
    const RenameOrder& order_;
    std::size_t next_ = 0;
};

/// What happened to the operations of a run, told as it goes.
class ApplyListener {
public:
    virtual ~ApplyListener() = default;
    /// Before each operation: done of total passed so far.
    virtual void progress(std::size_t done, std::size_t total) { (void)done, (void)total; }
    /// An operation was made on disk, in the order made; a step taken back from its temporary
    /// name is told as one more operation (Leg::TakenBack).
    virtual void made(const RenameOperation& op) { (void)op; }
    /// History step k ended made or not: told once per step, when its fate is known. A move to a
    /// temporary name counts as not made when the step was taken back.
    virtual void settled(std::size_t k, bool made) = 0;
    /// Planned step ended under its new name (renamed) or not, told once for every step the
    /// source holds; error is the errno of the operation that failed.
    virtual void stepEnded(std::size_t step, bool renamed, int error) = 0;
};

/// Carries out the operations of source in folder, in order, telling listener. A step that went
/// to its temporary name and cannot reach its new name goes back to its old one, so at worst (a
/// crash) an entry stays under the temporary name that the plan showed.
void applyOperations(const FolderHandle& folder, OperationSource& source, ApplyListener& listener);

/// What carrying out an order did.
struct AppliedOrder {
    std::vector<RenameOperation> made;  ///< the operations that succeeded, in order
    std::vector<bool> renamed;  ///< per planned rename: it reached its new name
};

/// Carries out order in folder through applyOperations. progress, where given, is told before
/// each operation how many of the order were passed so far.
AppliedOrder applyOrder(const FolderHandle& folder, const RenameOrder& order,
                        const std::function<void(std::size_t done)>& progress = {});

}  // namespace velmora
