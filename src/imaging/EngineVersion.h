#pragma once
// The drawing engine's version. It enters the record of every drawn picture,
// so a change that alters the bytes drawn (resampler, encoder settings, colour
// handling) must raise it: a re-run then draws old pictures again.
// 2: every JPEG through libjpeg, embedded profiles and CMYK converted by Little
// CMS, other formats drawn by the same resampler.
// 3: JPEGs decoded at a DCT scale that leaves the resampler a shrink of 2 or
// more, the resampler blending four rows at a time.
namespace pixolane::imaging {

inline constexpr int kEngineVersion = 3;

}  // namespace pixolane::imaging
