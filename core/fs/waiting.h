#pragma once
// Whoever waits on long work done here: told how far it has come, and given the chance to stay
// responsive meanwhile. The window is one; work started without one just runs.

#include <cstddef>
#include <functional>

namespace velmora {

class Waiting {
public:
    virtual ~Waiting() = default;
    /// Lets the waiting side handle its own events; never starts other work of ours.
    virtual void pumpMessages() = 0;
    /// Done of total, or only that work goes on when total is 0.
    virtual void showProgress(std::size_t done, std::size_t total) = 0;
    /// The long work has ended.
    virtual void endProgress() = 0;
};

/// Runs work on a thread of its own while waiting (when given; else work runs here) keeps
/// responsive, and returns once it is done. work must touch nothing that waiting's events may touch.
void paintWhile(Waiting* waiting, const std::function<void()>& work);

/// Keeps the waiting side responsive during long work without pumping on every entry, and shows
/// progress once the work has taken a while.
class PumpThrottle {
public:
    explicit PumpThrottle(Waiting* waiting, std::size_t total = 0);
    ~PumpThrottle();
    PumpThrottle(const PumpThrottle&) = delete;
    PumpThrottle& operator=(const PumpThrottle&) = delete;
    void tick(std::size_t done);

private:
    Waiting* waiting_;
    std::size_t total_;
    long long started_;
    long long last_;
    bool progressShown_ = false;
};

}  // namespace velmora
