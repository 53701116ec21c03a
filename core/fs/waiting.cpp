#include "core/fs/waiting.h"

#include <chrono>
#include <future>

namespace velmora {
namespace {

long long nowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace

PumpThrottle::PumpThrottle(Waiting* waiting, std::size_t total)
    : waiting_(waiting), total_(total), started_(nowMs()), last_(started_) {}

PumpThrottle::~PumpThrottle() {
    if (waiting_ && progressShown_) waiting_->endProgress();
}

void PumpThrottle::tick(std::size_t done) {
    if (!waiting_ || (done & 63) != 0) return;
    const long long now = nowMs();
    if (now - last_ < 25) return;
    last_ = now;
    if (now - started_ > 500) {
        waiting_->showProgress(done, total_);
        progressShown_ = true;
    }
    waiting_->pumpMessages();
}

void paintWhile(Waiting* waiting, const std::function<void()>& work) {
    if (!waiting) {
        work();
        return;
    }
    auto done = std::async(std::launch::async, work);
    while (done.wait_for(std::chrono::milliseconds(10)) != std::future_status::ready) waiting->pumpMessages();
    done.get();
}

}  // namespace velmora
