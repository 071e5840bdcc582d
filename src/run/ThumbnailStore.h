#pragma once
// The encoded thumbnails that step 1 of the resize pass draws and step 2
// writes. They wait in one unnamed temporary file rather than in memory, so
// a run's memory does not grow with the number of pictures; if that file
// cannot be written, they wait in memory instead.
#include <QByteArray>
#include <QTemporaryFile>

#include <mutex>
#include <vector>

namespace pixolane::run {

class ThumbnailStore {
 public:
  explicit ThumbnailStore(qsizetype entries) : slots_(size_t(entries)) {}

  // Both may be called from any worker thread; an empty `bytes` keeps nothing.
  void put(int index, const QByteArray& bytes);
  // The thumbnail kept for `index`, handed over once; empty when none was kept
  // or it could not be read back.
  QByteArray take(int index);

 private:
  struct Slot {
    qint64 offset = -1;
    qint64 size = 0;
    QByteArray inMemory;
  };
  std::mutex mutex_;
  QTemporaryFile file_;
  bool opened_ = false;
  bool fileOk_ = false;
  qint64 end_ = 0;
  std::vector<Slot> slots_;
};

}  // namespace pixolane::run
