#include "interaction/window.h"

namespace velmora {

void WindowProgress::started() {
    started_ = steadyMilliseconds();
    shown_ = false;
}

void WindowProgress::advanced(std::size_t done, std::size_t total) {
    const long long now = steadyMilliseconds();
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
