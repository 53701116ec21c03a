#pragma once
// A small pseudo-random generator of our own with the C library's value range (0..32767), so the
// digits it draws do not depend on the platform.

#include <optional>

namespace velmora {

/// Seeds the generator. Without a seed: a millisecond clock plus an internal counter that moves on
/// at every seeding, so two seedings within the same millisecond still differ.
void seedRandom(std::optional<unsigned> seed = std::nullopt);
/// minimum + r mod (maximum - minimum + 1); negative bounds count as 0 and swapped bounds are
/// put in order.
int randomInteger(int minimum, int maximum);

}  // namespace velmora
