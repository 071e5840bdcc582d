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

  // The other way: any names and numbers the writer is given read back.
  const QList<QByteArray> parts =
      QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size)).split('\0');
  auto part = [&](int i) { return i < parts.size() ? parts[i] : QByteArray(); };
  auto number = [&](int i) { return qint64(qHash(part(i))) * (i % 2 ? -1 : 1); };
  run::RecordEntry entry;
  entry.output = QString::fromUtf8(part(0));
  if (entry.output.isEmpty())
    return 0;  // an output always has a name
  entry.source = QString::fromUtf8(part(1));
  entry.settings = QString::fromUtf8(part(2));
  entry.size = number(3);
  entry.mtimeNs = number(4);
  entry.sourceId = {quint64(number(5)), quint64(number(6)), number(7), number(8)};
  run::GalleryRecord made;
  made.put(entry);
  const run::GalleryRecord read = run::GalleryRecord::parse(made.toBytes());
  FUZZ_CHECK(read.entries().size() == 1 && same(read.entries()[0], entry));
  return 0;
}
