// The caption reader: XMP, IPTC and EXIF descriptions and the date taken,
// from any bytes, and from the head of a file as the run reads it.
#include "imaging/Caption.h"
#include "FuzzSupport.h"

using namespace pixolane;

namespace {

void checkCaption(const imaging::PhotoCaption& caption) {
  const QString& text = caption.text;
  FUZZ_CHECK(text.size() <= imaging::kCaptionMaxChars);
  FUZZ_CHECK(text == text.trimmed());
  FUZZ_CHECK(text.isEmpty() || !text.back().isHighSurrogate());
  FUZZ_CHECK(!text.contains(QChar(0)));
  FUZZ_CHECK(caption.taken.isNull() || caption.taken.isValid());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::quietQt();
  static fuzz::InputFile file;
  const QByteArray bytes =
      QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
  checkCaption(imaging::readCaption(bytes));
  const QByteArray head = imaging::readMetadataHead(file.write(data, size), 4096);
  FUZZ_CHECK(head.size() <= qsizetype(size) && bytes.startsWith(head));
  checkCaption(imaging::readCaption(head));
  return 0;
}
