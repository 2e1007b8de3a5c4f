// The cursor movements, which every menu offers for the keys it does not use.
#pragma once

#include "runtime/types.h"

// Moves the cursor for a movement key and redraws the grid; false when the
// key is none.
bool MoveCursor(Int key);
