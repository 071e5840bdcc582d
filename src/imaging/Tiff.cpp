#include "imaging/Tiff.h"

#include <algorithm>
#include <cstring>

namespace pixolane::imaging {

std::size_t tiffTypeSize(std::uint16_t type) {
  switch (type) {
    case 1:  // BYTE
    case 2:  // ASCII
    case 6:  // SBYTE
    case 7:  // UNDEFINED
      return 1;
    case 3:  // SHORT
    case 8:  // SSHORT
      return 2;
    case 4:   // LONG
    case 9:   // SLONG
    case 11:  // FLOAT
    case 13:  // IFD
      return 4;
    case 5:   // RATIONAL
    case 10:  // SRATIONAL
    case 12:  // DOUBLE
      return 8;
    default:
      return 0;
  }
}

TiffView::TiffView(const unsigned char* data, std::size_t size) : data_(data), size_(size) {
  if (size < 8)
    return;
  if (std::memcmp(data, "II*\0", 4) == 0)
    big_ = false;
  else if (std::memcmp(data, "MM\0*", 4) == 0)
    big_ = true;
  else
    return;
  ok_ = true;
}

std::optional<std::uint32_t> TiffView::u16(std::size_t at) const {
  if (at > size_ || size_ - at < 2)
    return std::nullopt;
  const unsigned char* p = data_ + at;
  return big_ ? (std::uint32_t(p[0]) << 8) | p[1] : (std::uint32_t(p[1]) << 8) | p[0];
}

std::optional<std::uint32_t> TiffView::u32(std::size_t at) const {
  if (at > size_ || size_ - at < 4)
    return std::nullopt;
  const unsigned char* p = data_ + at;
  std::uint32_t v = 0;
  for (int i = 0; i < 4; ++i)
    v = (v << 8) | p[big_ ? i : 3 - i];
  return v;
}

std::size_t TiffView::firstDirectory() const {
  return ok_ ? u32(4).value_or(0) : 0;
}

std::vector<TiffEntry> TiffView::entries(std::size_t offset) const {
  std::vector<TiffEntry> out;
  const auto count = ok_ && offset >= 8 ? u16(offset) : std::nullopt;
  if (!count)
    return out;
  // A directory cut short by the block's end gives the entries that fit.
  const std::size_t fit = std::min<std::size_t>(*count, (size_ - offset - 2) / 12);
  for (std::size_t i = 0; i < fit; ++i) {
    TiffEntry e;
    e.entryAt = offset + 2 + i * 12;
    e.tag = std::uint16_t(*u16(e.entryAt));
    e.type = std::uint16_t(*u16(e.entryAt + 2));
    e.count = *u32(e.entryAt + 4);
    const std::size_t item = tiffTypeSize(e.type);
    if (item == 0 || e.count > size_ / item)
      continue;
    e.valueSize = item * e.count;
    e.valueAt = e.valueSize <= 4 ? e.entryAt + 8 : *u32(e.entryAt + 8);
    if (e.valueAt > size_ || size_ - e.valueAt < e.valueSize)
      continue;
    out.push_back(e);
  }
  return out;
}

std::size_t TiffView::nextDirectory(std::size_t offset) const {
  const auto count = u16(offset);
  if (!count)
    return 0;
  return u32(offset + 2 + std::size_t(*count) * 12).value_or(0);
}

std::optional<TiffEntry> TiffView::find(std::size_t directory, std::uint16_t tag) const {
  for (const TiffEntry& e : entries(directory)) {
    if (e.tag == tag)
      return e;
  }
  return std::nullopt;
}

std::optional<std::size_t> TiffView::pointer(const TiffEntry& entry) const {
  if ((entry.type != 4 && entry.type != 13) || entry.count != 1)
    return std::nullopt;
  const std::size_t at = *u32(entry.valueAt);
  if (at < 8 || at >= size_)
    return std::nullopt;
  return at;
}

std::optional<std::size_t> TiffView::subDirectory(std::uint16_t tag) const {
  const auto entry = find(firstDirectory(), tag);
  return entry ? pointer(*entry) : std::nullopt;
}

}  // namespace pixolane::imaging
