#pragma once
// A bounds-checked view of a TIFF structure (the body of a JPEG's EXIF
// block): directories, their entries and the bytes of each value. Every read
// is checked against the block's size, so a damaged or hostile block gives
// "absent", never a read past its end.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace pixolane::imaging {

// Entries of the first directory that point to a sub-directory.
constexpr std::uint16_t kExifPointerTag = 0x8769;
constexpr std::uint16_t kGpsPointerTag = 0x8825;

struct TiffEntry {
  std::uint16_t tag = 0;
  std::uint16_t type = 0;
  std::uint32_t count = 0;
  std::size_t entryAt = 0;  // the 12-byte entry itself
  std::size_t valueAt = 0;  // the value's bytes: inside the entry or where it points
  std::size_t valueSize = 0;
};

class TiffView {
 public:
  TiffView(const unsigned char* data, std::size_t size);

  bool ok() const { return ok_; }
  bool bigEndian() const { return big_; }
  const unsigned char* data() const { return data_; }
  std::size_t size() const { return size_; }

  std::optional<std::uint32_t> u16(std::size_t at) const;
  std::optional<std::uint32_t> u32(std::size_t at) const;

  // The first directory's offset (0 when not ok).
  std::size_t firstDirectory() const;
  // The entries of the directory at `offset` whose values lie inside the
  // block and whose type is known (those that fit, when the block ends first).
  std::vector<TiffEntry> entries(std::size_t offset) const;
  // The offset of the directory after the one at `offset`, 0 for none.
  std::size_t nextDirectory(std::size_t offset) const;
  std::optional<TiffEntry> find(std::size_t directory, std::uint16_t tag) const;
  // The offset a LONG or IFD entry points to (a sub-directory), when inside.
  std::optional<std::size_t> pointer(const TiffEntry& entry) const;
  // The sub-directory the first directory's `tag` entry points to.
  std::optional<std::size_t> subDirectory(std::uint16_t tag) const;

 private:
  const unsigned char* data_;
  std::size_t size_;
  bool big_ = false;
  bool ok_ = false;
};

// Bytes per item of a TIFF field type, 0 for an unknown type.
std::size_t tiffTypeSize(std::uint16_t type);

}  // namespace pixolane::imaging
