// The gallery record's parser: whatever the file holds, it loads without
// fault, and what its writer writes of it reads back the same.
#include "FuzzSupport.h"
#include "run/GalleryRecord.h"

using namespace pixolane;

namespace {

bool same(const run::RecordEntry& a, const run::RecordEntry& b) {
  return a.output == b.output && a.size == b.size && a.mtimeNs == b.mtimeNs &&
         a.source == b.source && a.sourceId == b.sourceId && a.settings == b.settings;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::quietQt();
  const run::GalleryRecord record = run::GalleryRecord::parse(
      QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size)));
  const QByteArray written = record.toBytes();
  const run::GalleryRecord back = run::GalleryRecord::parse(written);
  FUZZ_CHECK(back.entries().size() == record.entries().size());
  for (std::size_t i = 0; i < record.entries().size(); ++i) {
    FUZZ_CHECK(same(back.entries()[i], record.entries()[i]));
    FUZZ_CHECK(back.find(record.entries()[i].output) == &back.entries()[i]);
  }
  FUZZ_CHECK(back.toBytes() == written);
  return 0;
}
