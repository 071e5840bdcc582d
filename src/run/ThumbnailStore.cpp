#include "run/ThumbnailStore.h"

#include <utility>

namespace pixolane::run {

void ThumbnailStore::put(int index, const QByteArray& bytes) {
  if (bytes.isEmpty())
    return;
  std::lock_guard lock(mutex_);
  if (!opened_) {
    // Opened on first use: the copy pass and the preview keep nothing.
    opened_ = true;
    fileOk_ = file_.open();
  }
  Slot& slot = slots_[size_t(index)];
  if (fileOk_ && file_.seek(end_) && file_.write(bytes) == bytes.size()) {
    slot.offset = end_;
    slot.size = bytes.size();
    end_ += bytes.size();
    return;
  }
  fileOk_ = false;
  slot.inMemory = bytes;
}

QByteArray ThumbnailStore::take(int index) {
  std::lock_guard lock(mutex_);
  const Slot slot = std::exchange(slots_[size_t(index)], Slot{});
  if (slot.offset < 0)
    return slot.inMemory;
  QByteArray bytes;
  if (file_.seek(slot.offset))
    bytes = file_.read(slot.size);
  return bytes.size() == slot.size ? bytes : QByteArray();
}

}  // namespace pixolane::run
