#pragma once
// How long the history spends writing, added up as it goes.

#include <chrono>

namespace velmora {

// Adds the time from its making to its end to a total.
class Timed {
public:
    explicit Timed(std::chrono::nanoseconds& total) : total_(total), start_(std::chrono::steady_clock::now()) {}
    ~Timed() { total_ += std::chrono::steady_clock::now() - start_; }
    Timed(const Timed&) = delete;
    Timed& operator=(const Timed&) = delete;

private:
    std::chrono::nanoseconds& total_;
    std::chrono::steady_clock::time_point start_;
};

}  // namespace velmora
