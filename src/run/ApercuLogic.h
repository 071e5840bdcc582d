#pragma once
// The compression preview's work without its window: one listed picture drawn
// at the target size and encoded the way a run would, kept in memory, and the
// caption that reports it.
#include <QByteArray>
#include <QString>

#include "imaging/Imaging.h"

namespace pixolane::run {

// Encoded size in kilobytes for the caption: bytes / 1000 rounded half up, at
// least two digits ("05", "46", "1235").
QString formatKo(qint64 bytes);

// "75% - Taille :46Ko - 800x600 - photo.jpg - Format Progressif". The size
// shown is the target setting, not the size of the drawn picture.
QString apercuCaption(int qualite, qint64 bytes, int largeurCible, int hauteurCible,
                      const QString& path, int progressif);

// Captions when there is nothing to show.
QString apercuEmptyListCaption();
QString apercuUnreadableCaption(const QString& path);
QString apercuEncodeFailedCaption(const QString& path);

struct PreviewRender {
  enum class Status { Ok, Unreadable, EncodeFailed };
  Status status = Status::Unreadable;
  QString error;              // the imaging layer's message when not Ok
  imaging::PixelSize size;    // the drawn picture's size
  qint64 encodedBytes = 0;    // the JPEG's length
  imaging::RgbImage decoded;  // the JPEG decoded again, for showing
  bool ok() const { return status == Status::Ok; }
};

// Load, size (proportions kept, the long side at the target), draw, encode in
// memory with the quality and format, decode. Safe on any thread: it takes
// everything by value and touches no shared state.
PreviewRender renderPreview(QString path, int largeurCible, int hauteurCible, int qualite,
                            int progressif);

}  // namespace pixolane::run
