#pragma once
// One run per destination at a time: two runs writing the same gallery would
// leave a page linking pictures the other one cut or removed. The lock leaves
// no file in the destination (which is published): it is taken on the
// destination folder itself, so every process of this machine, whoever runs
// it, sees it; where the file system cannot lock a folder, on a file in the
// gallery's per-user data folder instead.
#include <QString>

#include <memory>

namespace pixolane::run {

class GalleryLock {
 public:
  GalleryLock() = default;
  ~GalleryLock();
  GalleryLock(GalleryLock&& other) noexcept;
  GalleryLock& operator=(GalleryLock&& other) noexcept;
  GalleryLock(const GalleryLock&) = delete;
  GalleryLock& operator=(const GalleryLock&) = delete;

  // Takes the gallery's lock at once or not at all; a lock left by a run that
  // ended (a crash) is free again. The destination is created when missing.
  // When the lock cannot be taken, *message says why, in French.
  static GalleryLock take(const QString& destination, const QString& pageName, QString* message);

  bool held() const { return fd_ >= 0; }

 private:
  int fd_ = -1;
};

}  // namespace pixolane::run
