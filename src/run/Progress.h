#pragma once
// The progress report shared by every loop of a run.
#include <QString>

namespace pixolane::run {

// Pb.Max for a step over `count` pictures: 1 for one picture, count - 1 otherwise.
float progressMax(int count);

// i / max * 100 in single precision, rounded half to even.
int progressPercent(int index, float max);

// "Traitement.... (3/10) IMG_0003.JPG 22%"
QString progressCaption(int index, int count, const QString& fileName, int percent);

// Rounds half to even, the way the window system rounded.
int roundHalfEven(double value);

}  // namespace pixolane::run
