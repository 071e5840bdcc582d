#include "imaging/Internals.h"

#include "imaging/Limits.h"
#include "imaging/VipsRoad.h"

#include <QDir>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace pixolane::imaging {

namespace {

// Pixel buffers come and go with every picture, in many sizes, from several
// threads. glibc gives each thread its own heap (arena) and raises its mmap
// threshold to the largest block freed, so buffers of many megabytes (the
// coefficients of a progressive JPEG) land in the heaps, where the holes they
// leave are never quite reused: resident memory grew with the number of
// photos (188 MB for 20, 411 MB for 2,000). One heap, and a fixed threshold
// that hands blocks of 4 MB and more straight back to the system, keep it
// flat (182 and 189 MB with today's read buffers) at the same processor time.
void keepMemoryFlat() {
#if defined(__GLIBC__)
  mallopt(M_ARENA_MAX, 1);
  mallopt(M_MMAP_THRESHOLD, 4 * 1024 * 1024);
  // Every picture frees a few megabytes at the top of the heap; handing them
  // back to the system at once only had the next picture fault them in again.
  mallopt(M_TRIM_THRESHOLD, 32 * 1024 * 1024);
#endif
}

// Set while the program starts, before main and so before any thread: a
// thread keeps the heap it took at its first allocation, so a limit set once
// the workers run would leave each its own.
[[maybe_unused]] const bool memoryKeptFlat = (keepMemoryFlat(), true);

}  // namespace

void setError(QString* error, const QString& text) {
  if (error) {
    *error = text;
  }
}

QString notReadyMessage() {
  const QString why = vipsRoadProblem();
  return QStringLiteral("La bibliothèque d'images n'a pas pu être initialisée.") +
         (why.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(why));
}

QString cannotOpenMessage(const QString& path) {
  return QStringLiteral(
             "Impossible de lire l'image « %1 » : le fichier est illisible ou n'est "
             "pas une image reconnue.")
      .arg(QDir::toNativeSeparators(path));
}

QString cannotDecodeMessage(const QString& path) {
  return QStringLiteral(
             "Impossible de décoder l'image « %1 » : le fichier est endommagé ou "
             "n'est pas une image reconnue.")
      .arg(QDir::toNativeSeparators(path));
}

QString damagedMessage(const QString& path) {
  return QStringLiteral("Impossible de décoder l'image « %1 » : image incomplète ou endommagée.")
      .arg(QDir::toNativeSeparators(path));
}

QString tooLargeMessage(const QString& path) {
  return QStringLiteral(
             "Impossible de décoder l'image « %1 » : image progressive trop grande (plus de %2 "
             "mégapixels).")
      .arg(QDir::toNativeSeparators(path))
      .arg(kMaxMegapixels);
}

}  // namespace pixolane::imaging
