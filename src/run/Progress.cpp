#include "run/Progress.h"

#include <cmath>

namespace pixolane::run {

// An empty list would give -1; the bar's maximum never goes below its minimum.
float progressMax(int count) {
  return count <= 1 ? 1.0f : float(count - 1);
}

int roundHalfEven(double value) {
  return int(std::nearbyint(value));
}

int progressPercent(int index, float max) {
  const float percent = float(index) / max * 100.0f;
  return roundHalfEven(percent);
}

QString progressCaption(int index, int count, const QString& fileName, int percent) {
  // Concatenated rather than arg()-chained: a file name may itself hold "%1".
  return QStringLiteral("Traitement.... (") + QString::number(index + 1) + '/' +
         QString::number(count) + QStringLiteral(") ") + fileName + ' ' + QString::number(percent) +
         '%';
}

}  // namespace pixolane::run
