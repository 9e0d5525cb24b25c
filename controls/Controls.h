#pragma once

namespace controls {
// Registers the components built into this library under their program identifiers.
void registerBuiltInControls();
} // namespace controls
