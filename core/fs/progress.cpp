#include "core/fs/progress.h"

#include <chrono>
#include <future>

namespace velmora {

long long steadyMilliseconds() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

ProgressThrottle::ProgressThrottle(Progress* progress, std::size_t total)
    : progress_(progress), total_(total), last_(steadyMilliseconds()) {
    if (progress_) progress_->started();
}

ProgressThrottle::~ProgressThrottle() {
    if (progress_) progress_->finished();
}

void ProgressThrottle::tick(std::size_t done) {
    if (!progress_ || (done & 63) != 0) return;
    const long long now = steadyMilliseconds();
    if (now - last_ < 25) return;
    last_ = now;
    progress_->advanced(done, total_);
}

void runAside(Progress* progress, const std::function<void()>& work) {
    if (!progress) {
        work();
        return;
    }
    progress->started();
    auto done = std::async(std::launch::async, work);
    while (done.wait_for(std::chrono::milliseconds(10)) != std::future_status::ready) progress->advanced(0, 0);
    progress->finished();
    done.get();
}

}  // namespace velmora
