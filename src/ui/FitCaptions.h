#pragma once
// The windows keep their fixed geometry (device-independent pixels, so a
// scale factor enlarges them whole), but a large system font can make a
// caption wider or taller than its control. Such a control gets a smaller
// font of its own, just small enough for its caption to show whole; every
// other control keeps the user's font.
class QWidget;

namespace pixolane::ui {

// Fits the captions of `window`'s labels, buttons, check boxes, option
// buttons, frames and tabs. Call once the controls have their geometry and
// captions.
void fitCaptions(QWidget* window);

}  // namespace pixolane::ui
