#pragma once
// The drawing engine's version. It enters the record of every drawn picture,
// so a change that alters the bytes drawn (resampler, encoder settings, colour
// handling) must raise it: a re-run then draws old pictures again.
namespace pixolane::imaging {

inline constexpr int kEngineVersion = 1;

}  // namespace pixolane::imaging
