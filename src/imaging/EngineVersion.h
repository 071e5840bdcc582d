#pragma once
// The drawing engine's version. It enters the record of every drawn picture,
// so a change that alters the bytes drawn (resampler, encoder settings, colour
// handling) must raise it: a re-run then draws old pictures again.
// 2: every JPEG through libjpeg, embedded profiles and CMYK converted by Little
// CMS, other formats drawn by the same resampler.
namespace pixolane::imaging {

inline constexpr int kEngineVersion = 2;

}  // namespace pixolane::imaging
