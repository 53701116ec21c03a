#include "core/plan/apply.h"

#include <cerrno>
#include <unordered_map>
#include <utility>

#include "core/fs/file_system.h"

namespace velmora {

bool OrderOperations::next(RenameOperation& op) {
    if (next_ >= order_.operations.size()) return false;
    op = order_.operations[next_++];
    return true;
}

void applyOperations(const FolderHandle& folder, OperationSource& source, ApplyListener& listener) {
    using Leg = RenameOperation::Leg;
    struct Parked {
        std::size_t k;  ///< the history step of the move to the temporary name
        NativeName old;
    };
    std::unordered_map<std::size_t, Parked> parked;  // step -> where it came from, while under a temporary name
    std::unordered_map<std::size_t, int> stuck;  // step -> why its move to a temporary name failed
    const std::size_t total = source.size();
    RenameOperation op;
    for (std::size_t k = 0; source.next(op); ++k) {
        listener.progress(k, total);
        if (op.leg == Leg::FromTemporary) {
            const auto it = parked.find(op.step);
            if (it == parked.end()) {  // it never left
                const auto why = stuck.find(op.step);
                listener.settled(k, false);
                listener.stepEnded(op.step, false, why == stuck.end() ? 0 : why->second);
                if (why != stuck.end()) stuck.erase(why);
                continue;
            }
            const Parked from = std::move(it->second);
            parked.erase(it);
            const auto moved =
                op.from.empty() ? Expected<void, int>(unexpected(EINVAL)) : folder.rename(op.from, op.to);
            if (moved) {
                listener.made(op);
                listener.settled(from.k, true);
                listener.settled(k, true);
                listener.stepEnded(op.step, true, 0);
                continue;
            }
            const RenameOperation back{op.step, Leg::TakenBack, op.from, from.old};
            const bool backHome = folder.rename(back.from, back.to).hasValue();
            if (backHome) listener.made(back);
            listener.settled(from.k, !backHome);  // still under the temporary name when not taken back
            listener.settled(k, false);
            listener.stepEnded(op.step, false, moved.error());
            continue;
        }
        const auto done = op.from.empty() ? Expected<void, int>(unexpected(EINVAL)) : folder.rename(op.from, op.to);
        if (done) listener.made(op);
        if (op.leg == Leg::ToTemporary) {
            if (done) {
                parked.emplace(op.step, Parked{k, op.from});
            } else {
                listener.settled(k, false);
                stuck.emplace(op.step, done.error());
            }
            continue;
        }
        listener.settled(k, done.hasValue());
        listener.stepEnded(op.step, done.hasValue(), done ? 0 : done.error());
    }
}

AppliedOrder applyOrder(const FolderHandle& folder, const RenameOrder& order,
                        const std::function<void(std::size_t done)>& progress) {
    struct Collect final : ApplyListener {
        AppliedOrder applied;
        const std::function<void(std::size_t)>& told;
        explicit Collect(const std::function<void(std::size_t)>& told) : told(told) {}
        void progress(std::size_t done, std::size_t) override {
            if (told) told(done);
        }
        void made(const RenameOperation& op) override { applied.made.push_back(op); }
        void settled(std::size_t, bool) override {}
        void stepEnded(std::size_t step, bool renamed, int) override { applied.renamed[step] = renamed; }
    } collect(progress);
    collect.applied.renamed.assign(order.failures.size(), false);
    OrderOperations source(order);
    applyOperations(folder, source, collect);
    return std::move(collect.applied);
}

}  // namespace velmora
