#pragma once
// Whoever waits on long work done here, told how far it has come as amounts. What it does with
// them (a progress bar, keeping a window painting) is its own affair. Work started without one
// just runs.

#include <cstddef>
#include <functional>

namespace velmora {

class Progress {
public:
    virtual ~Progress() = default;
    /// Long work starts.
    virtual void started() = 0;
    /// Long work goes on: done of total, total 0 when unknown, done 0 when not counted. Called
    /// from the thread that started the work, every few tens of milliseconds at most.
    virtual void advanced(std::size_t done, std::size_t total) = 0;
    /// The work that started has ended.
    virtual void finished() = 0;
};

/// Milliseconds of the steady clock: for telling how long work has taken.
long long steadyMilliseconds();

/// Runs work on a thread of its own, telling progress (when given; else work runs here) that it
/// goes on until it is done, and returns then. work must touch nothing that progress may touch.
void runAside(Progress* progress, const std::function<void()>& work);

/// Tells progress how far a loop has come, now and then rather than on every entry, and that it
/// ended when it goes.
class ProgressThrottle {
public:
    explicit ProgressThrottle(Progress* progress, std::size_t total = 0);
    ~ProgressThrottle();
    ProgressThrottle(const ProgressThrottle&) = delete;
    ProgressThrottle& operator=(const ProgressThrottle&) = delete;
    void tick(std::size_t done);

private:
    Progress* progress_;
    std::size_t total_;
    long long last_;
};

}  // namespace velmora
