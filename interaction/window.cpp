#include "interaction/window.h"

#include <chrono>

namespace velmora {
namespace {

long long nowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace

void WindowProgress::started() {
    started_ = nowMs();
    shown_ = false;
}

void WindowProgress::advanced(std::size_t done, std::size_t total) {
    const long long now = nowMs();
    // Work that only goes on (done 0) keeps the window painting without a progress bar.
    if (done > 0 && now - started_ > 500) {
        window_.showProgress(done, total);
        shown_ = true;
    }
    window_.pumpMessages();
}

void WindowProgress::finished() {
    if (shown_) window_.endProgress();
    shown_ = false;
}

}  // namespace velmora
