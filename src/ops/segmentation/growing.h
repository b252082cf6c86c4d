// Region growing by 8-connectivity, shared by hysteresis thresholding and the connected
// refinement of fuzzy clustering.
//
// Both describe their growing as repeated passes over a candidate list until a pass adds
// nothing. The fixpoint of those passes is the set of candidates 8-connected to a seed
// through candidates, so one flood from the seeds gives the same set in time linear in
// the number of pixels, however the regions wind.
#pragma once
#include <cstdint>
#include <vector>

// One byte per pixel, row-major (x + y * width).
using GrowState = std::vector<uint8_t>;

// The values of a growing state.
inline constexpr uint8_t kGrowBlocked = 0;    // neither seed nor candidate
inline constexpr uint8_t kGrowCandidate = 1;  // joins when connected to a seed
inline constexpr uint8_t kGrowSeed = 2;       // in the region from the start

// Every candidate that is 8-connected to a seed through candidates becomes a seed;
// candidates not connected stay candidates. Neighbours outside the grid do not exist.
// Throws std::invalid_argument when state does not hold width * height values.
void growFromSeeds(GrowState &state, int width, int height);
