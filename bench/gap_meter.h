#pragma once
// The longest time between two turns of the event loop while work runs: how long the window could
// not answer its user.

#include <QObject>
#include <QTimer>

#include <algorithm>
#include <chrono>

class GapMeter {
public:
    using Clock = std::chrono::steady_clock;

    GapMeter() {
        QObject::connect(&timer_, &QTimer::timeout, [this] { tick(); });
    }
    void start() {
        last_ = Clock::now();
        longest_ = {};
        timer_.start(0);
    }
    /// Stops measuring and gives the longest gap seen, in seconds.
    double stop() {
        tick();
        timer_.stop();
        return std::chrono::duration<double>(longest_).count();
    }

private:
    void tick() {
        const auto now = Clock::now();
        longest_ = std::max(longest_, now - last_);
        last_ = now;
    }
    QTimer timer_;
    Clock::time_point last_;
    Clock::duration longest_{};
};
