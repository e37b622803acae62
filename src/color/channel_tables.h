#pragma once

#include <array>

#include "color/colour_state.h"

namespace color {

// Rebuilds both channel table sets from the display gammas given (not kept) and the stored
// transfer codes, `MonBright` and monitor factors. Does nothing before InitColour.
void BuildChannelTables(double gammaR, double gammaG, double gammaB);

// The same for a caller that already holds state.lock.
void BuildChannelTablesLocked(ColourState& state, const std::array<double, 3>& displayGamma);

}  // namespace color
