#include "core/text/random.h"

#include <chrono>
#include <utility>

namespace velmora {
namespace {

// Per thread, so the preview worker and the window never share a generator.
thread_local unsigned state = 1;
thread_local unsigned counter = 0;

int nextRaw() {
    state = state * 214013u + 2531011u;
    return static_cast<int>((state >> 16) & 0x7FFF);
}

}  // namespace

void seedRandom(std::optional<unsigned> seed) {
    if (seed) {
        state = *seed;
        return;
    }
    const auto tick = static_cast<unsigned>(
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
            .count());
    state = tick + counter;
    counter += ((tick + counter) & 0xFF) + 100;
}

int randomInteger(int minimum, int maximum) {
    if (minimum < 0) minimum = 0;
    if (maximum < 0) maximum = 0;
    if (minimum > maximum) std::swap(minimum, maximum);
    if (minimum == maximum) return minimum;
    const long long span = static_cast<long long>(maximum) - minimum + 1;
    return static_cast<int>(minimum + nextRaw() % span);
}

}  // namespace velmora
