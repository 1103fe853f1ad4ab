#pragma once

// The window tests wait for what the window does (shown, active, a view
// closed), never for a time: this only ends a wait that never comes, on a
// machine however slow or loaded.
inline constexpr int kHangMs = 120000;
