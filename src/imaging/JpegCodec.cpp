#include "imaging/JpegCodec.h"

#include <QFile>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <new>
#include <type_traits>

#include <sys/stat.h>

#include <jpeglib.h>
// After jpeglib.h: the message codes of libjpeg's warnings.
#include <jerror.h>

#include "imaging/Limits.h"
#include "imaging/Tiff.h"

namespace pixolane::imaging {

namespace {

// libjpeg reports a fatal error by calling error_exit, which must not return:
// it jumps back to the setjmp in `guarded`, whose frame and the lambda's hold
// no C++ object; the codec's owner lives in a caller's frame, which the jump
// never crosses, and releases it on every way out.
struct ErrorManager {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
  bool corrupt = false;   // a warning about damaged data
  bool ranOut = false;    // the data ended before the end marker
  bool tooLarge = false;  // the whole-picture buffers would pass the memory cap
};

void onFatal(j_common_ptr codec) {
  // Without a backing store, libjpeg stops here when max_memory_to_use is
  // too small for its whole-picture buffers.
  if (codec->err->msg_code == JERR_NO_BACKING_STORE) {
    reinterpret_cast<ErrorManager*>(codec->err)->tooLarge = true;
  }
  std::longjmp(reinterpret_cast<ErrorManager*>(codec->err)->jump, 1);
}

// Warnings are noted, never printed: the caller decides what they mean, and a
// picture that fails says why in French.
void onMessage(j_common_ptr codec, int level) {
  if (level >= 0) {
    return;
  }
  auto* errors = reinterpret_cast<ErrorManager*>(codec->err);
  switch (codec->err->msg_code) {
    case JWRN_JPEG_EOF:
      errors->ranOut = true;
      break;
    case JWRN_HIT_MARKER:  // a scan's data ends early
    case JWRN_EXTRANEOUS_DATA:
    case JWRN_MUST_RESYNC:
    case JWRN_HUFF_BAD_CODE:
    case JWRN_ARITH_BAD_CODE:
    case JWRN_BOGUS_PROGRESSION:
    case JWRN_NOT_SEQUENTIAL:
      errors->corrupt = true;
      break;
    default:
      break;
  }
}

template <typename Step>
bool guarded(ErrorManager& errors, const Step& step) {
  if (setjmp(errors.jump)) {
    return false;
  }
  step();
  return true;
}

// The owner of one codec, either way: its error manager, and the codec
// released on every way out (jpeg_destroy serves both kinds).
template <typename Codec>
struct CodecOwner {
  Codec codec{};
  ErrorManager errors{};
  bool created = false;

  CodecOwner() {
    jpeg_std_error(&errors.pub);
    errors.pub.error_exit = onFatal;
    errors.pub.emit_message = onMessage;
    codec.err = &errors.pub;
  }
  ~CodecOwner() {
    if (created) {
      jpeg_destroy(reinterpret_cast<j_common_ptr>(&codec));
    }
  }
  CodecOwner(const CodecOwner&) = delete;
  CodecOwner& operator=(const CodecOwner&) = delete;

  template <typename Step>
  bool run(const Step& step) {
    return guarded(errors, step);
  }
  bool create() {
    created = run([this] {
      if constexpr (std::is_same_v<Codec, jpeg_decompress_struct>) {
        jpeg_create_decompress(&codec);
      } else {
        jpeg_create_compress(&codec);
      }
    });
    return created;
  }
};
using Decompressor = CodecOwner<jpeg_decompress_struct>;
using Compressor = CodecOwner<jpeg_compress_struct>;

// The samples libjpeg gives for a header; false for a layout it cannot give.
bool layoutOf(const jpeg_decompress_struct& d, SampleLayout& layout) {
  if (d.data_precision != 8) {
    return false;
  }
  if (d.num_components == 1) {
    layout = SampleLayout::Grey;
    return true;
  }
  if (d.num_components == 3 && (d.jpeg_color_space == JCS_YCbCr || d.jpeg_color_space == JCS_RGB)) {
    layout = SampleLayout::Rgb;
    return true;
  }
  if (d.num_components == 4 && (d.jpeg_color_space == JCS_CMYK || d.jpeg_color_space == JCS_YCCK)) {
    // Adobe's applications store CMYK inverted, and say so in their marker.
    layout = d.saw_Adobe_marker ? SampleLayout::InvertedCmyk : SampleLayout::Cmyk;
    return true;
  }
  return false;
}

int bandsOf(SampleLayout layout) {
  switch (layout) {
    case SampleLayout::Grey:
      return 1;
    case SampleLayout::Rgb:
      return 3;
    default:
      return 4;
  }
}

bool startsWith(const jpeg_saved_marker_ptr marker, const char* tag, std::size_t length) {
  return marker->data_length >= length && std::memcmp(marker->data, tag, length) == 0;
}

int orientationOf(const jpeg_decompress_struct& d) {
  for (jpeg_saved_marker_ptr m = d.marker_list; m; m = m->next) {
    if (m->marker == JPEG_APP0 + 1 && startsWith(m, "Exif\0\0", 6)) {
      return exifOrientation(m->data + 6, m->data_length - 6);
    }
  }
  return 1;
}

// The data ran out or was corrupt. Running out is harmless only after the
// last scan was whole: a sequential file's one scan decoded without the data
// ending early, or every coefficient of a progressive file refined to the
// end. A sequential file in several scans cannot tell, and counts as damaged.
bool damaged(const jpeg_decompress_struct& d, const ErrorManager& errors) {
  if (errors.corrupt) {
    return true;
  }
  if (!errors.ranOut) {
    return false;
  }
  if (d.progressive_mode) {
    if (!d.coef_bits) {
      return true;
    }
    for (int c = 0; c < d.num_components; ++c) {
      for (int i = 0; i < DCTSIZE2; ++i) {
        if (d.coef_bits[c][i] != 0) {
          return true;
        }
      }
    }
    return false;
  }
  return jpeg_has_multiple_scans(const_cast<j_decompress_ptr>(&d));
}

// Large files are read in large pieces: libjpeg's Huffman decoder takes its
// fast path only with a few KB of data ahead, which its own 4 KB file reads
// leave it short of most of the time.
struct FileSource {
  jpeg_source_mgr pub{};
  std::FILE* file = nullptr;
  std::vector<JOCTET> buffer;
};

constexpr JOCTET kFakeEnd[2] = {0xFF, JPEG_EOI};

void initSource(j_decompress_ptr) {}

boolean fillFromFile(j_decompress_ptr d) {
  auto* source = reinterpret_cast<FileSource*>(d->src);
  const std::size_t read =
      std::fread(source->buffer.data(), 1, source->buffer.size(), source->file);
  if (read == 0) {
    // As libjpeg's own sources do: say so, and end the picture here.
    WARNMS(d, JWRN_JPEG_EOF);
    source->pub.next_input_byte = kFakeEnd;
    source->pub.bytes_in_buffer = 2;
    return TRUE;
  }
  source->pub.next_input_byte = source->buffer.data();
  source->pub.bytes_in_buffer = read;
  return TRUE;
}

void skipInFile(j_decompress_ptr d, long count) {
  auto* source = reinterpret_cast<FileSource*>(d->src);
  while (count > long(source->pub.bytes_in_buffer)) {
    count -= long(source->pub.bytes_in_buffer);
    fillFromFile(d);
  }
  source->pub.next_input_byte += count;
  source->pub.bytes_in_buffer -= std::size_t(count);
}

void termSource(j_decompress_ptr) {}

void useFile(jpeg_decompress_struct& d, FileSource& source, std::FILE* file,
             std::size_t piece = 1 << 20) {
  source.file = file;
  source.buffer.resize(piece);
  source.pub.init_source = initSource;
  source.pub.fill_input_buffer = fillFromFile;
  source.pub.skip_input_data = skipInFile;
  source.pub.resync_to_restart = jpeg_resync_to_restart;
  source.pub.term_source = termSource;
  d.src = &source.pub;
}

// Where the compressed bytes come from: a file, or memory.
struct Source {
  std::FILE* file = nullptr;
  const unsigned char* bytes = nullptr;
  std::size_t size = 0;
  bool plainOnly = false;  // NotPlain for a profile, an orientation or CMYK
};

JpegDecode decode(const Source& source, int shrink, JpegRows& sink) {
  FileSource fileSource;  // outlives the codec that reads from it
  Decompressor j;
  jpeg_decompress_struct& d = j.codec;
  if (!j.create()) {
    return JpegDecode::Failed;
  }
  if (source.file) {
    useFile(d, fileSource, source.file);
  } else {
    jpeg_mem_src(&d, source.bytes, static_cast<unsigned long>(source.size));
  }
  SampleLayout layout = SampleLayout::Rgb;
  if (!j.run([&] {
        jpeg_save_markers(&d, JPEG_APP0 + 1, 0xffff);
        jpeg_save_markers(&d, JPEG_APP0 + 2, 0xffff);
        jpeg_read_header(&d, TRUE);
      })) {
    return JpegDecode::Failed;
  }
  if (!layoutOf(d, layout)) {
    return JpegDecode::NotPlain;
  }
  JOCTET* icc = nullptr;
  unsigned iccSize = 0;
  if (!j.run([&] {
        if (!jpeg_read_icc_profile(&d, &icc, &iccSize)) {
          icc = nullptr;
        }
      })) {
    return JpegDecode::Damaged;
  }
  std::vector<std::uint8_t> profile(icc, icc + (icc ? iccSize : 0));
  std::free(icc);
  if (source.plainOnly && (!profile.empty() || orientationOf(d) != 1 || bandsOf(layout) == 4)) {
    return JpegDecode::NotPlain;
  }
  d.out_color_space = layout == SampleLayout::Grey  ? JCS_GRAYSCALE
                      : layout == SampleLayout::Rgb ? JCS_RGB
                                                    : JCS_CMYK;
  d.scale_num = 1;
  d.scale_denom = unsigned(shrink);
  // Past the header, a fatal error is damage in the data (a bad table, a
  // marker with a bogus length).
  d.mem->max_memory_to_use = kMaxCoefficientBytes;
  if (!j.run([&] { jpeg_start_decompress(&d); })) {
    return j.errors.tooLarge ? JpegDecode::TooLarge : JpegDecode::Damaged;
  }
  sink.start(int(d.output_width), int(d.output_height), layout, profile);
  const std::size_t rowBytes = std::size_t(d.output_width) * std::size_t(d.output_components);
  std::vector<JSAMPLE> buffer(rowBytes * 16);
  JSAMPROW rows[16];
  for (int i = 0; i < 16; ++i) {
    rows[i] = &buffer[std::size_t(i) * rowBytes];
  }
  while (d.output_scanline < d.output_height) {
    JDIMENSION got = 0;
    if (!j.run([&] { got = jpeg_read_scanlines(&d, rows, 16); })) {
      return JpegDecode::Damaged;
    }
    for (JDIMENSION i = 0; i < got; ++i) {
      sink.row(rows[i]);
    }
    if (got == 0) {
      return JpegDecode::Damaged;
    }
  }
  // What is after the last scan (the end marker, trailing bytes) is not read.
  return damaged(d, j.errors) ? JpegDecode::Damaged : JpegDecode::Done;
}

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

File openForReading(const QString& path) {
  return File(std::fopen(QFile::encodeName(path).constData(), "rb"));
}

// Collects every row into one buffer.
class WholePicture final : public JpegRows {
 public:
  WholePicture(Pixels& out, SampleLayout* layout, std::vector<std::uint8_t>* profile)
      : out_(out), layout_(layout), profile_(profile) {}
  void start(int width, int height, SampleLayout layout,
             const std::vector<std::uint8_t>& profile) override {
    out_ = Pixels::sized(width, height, bandsOf(layout));
    if (layout_) {
      *layout_ = layout;
    }
    if (profile_) {
      *profile_ = profile;
    }
    next_ = 0;
  }
  void row(const std::uint8_t* samples) override {
    std::copy_n(samples, out_.rowBytes(), &out_.data[next_++ * out_.rowBytes()]);
  }

 private:
  Pixels& out_;
  SampleLayout* layout_;
  std::vector<std::uint8_t>* profile_;
  std::size_t next_ = 0;
};

// A worker's read buffer, kept from picture to picture so that its pages are
// not faulted in again for every file. Files larger than it are read in
// pieces instead, so memory stays bounded whatever the source's size.
struct ReadBuffer {
  std::unique_ptr<unsigned char[]> bytes;
  std::size_t capacity = 0;

  unsigned char* reserve(std::size_t size) {
    if (size > capacity) {
      bytes.reset(new (std::nothrow) unsigned char[size]);
      capacity = bytes ? size : 0;
    }
    return bytes.get();
  }
  static constexpr std::size_t kLargest = 32u << 20;
};

// Reads the whole file when it is not too large; false otherwise.
bool readWhole(std::FILE* file, ReadBuffer& buffer, std::size_t& size) {
  struct stat info {};
  if (fstat(fileno(file), &info) != 0 || info.st_size <= 0 ||
      std::size_t(info.st_size) > ReadBuffer::kLargest) {
    return false;
  }
  size = std::size_t(info.st_size);
  unsigned char* bytes = buffer.reserve(size);
  if (!bytes) {
    return false;
  }
  size = std::fread(bytes, 1, size, file);
  return size > 0;
}

}  // namespace

int exifOrientation(const unsigned char* data, std::size_t size) {
  // Orientation is tag 0x0112 of the first directory, a SHORT.
  const TiffView tiff(data, size);
  const auto entry = tiff.find(tiff.firstDirectory(), 0x0112);
  if (!entry || entry->type != 3)
    return 1;
  const unsigned value = *tiff.u16(entry->valueAt);
  return value >= 1 && value <= 8 ? int(value) : 1;
}

bool readJpegHeader(const QString& path, JpegHeader& header) {
  header = {};
  const File file = openForReading(path);
  if (!file) {
    return false;
  }
  FileSource source;
  Decompressor j;
  if (!j.create()) {
    return false;
  }
  jpeg_decompress_struct& d = j.codec;
  useFile(d, source, file.get(), 64 << 10);
  if (!j.run([&] {
        jpeg_save_markers(&d, JPEG_APP0 + 1, 0xffff);
        jpeg_read_header(&d, TRUE);
      })) {
    return false;
  }
  SampleLayout layout;
  header.width = int(d.image_width);
  header.height = int(d.image_height);
  header.orientation = orientationOf(d);
  header.libjpeg = layoutOf(d, layout);
  if (header.width <= 0 || header.height <= 0) {
    header = {};
    return false;
  }
  return true;
}

JpegDecode decodeJpegFile(const QString& path, int shrink, JpegRows& rows) {
  const File file = openForReading(path);
  if (!file) {
    return JpegDecode::Failed;
  }
  // The whole file in memory when it is of a common size: the Huffman decoder
  // then always has data ahead (3 to 15% faster than from 4 KB reads).
  thread_local ReadBuffer buffer;
  std::size_t size = 0;
  if (readWhole(file.get(), buffer, size)) {
    return decode(Source{nullptr, buffer.bytes.get(), size}, shrink, rows);
  }
  std::rewind(file.get());
  return decode(Source{file.get(), nullptr, 0}, shrink, rows);
}

JpegDecode decodeJpegFile(const QString& path, int shrink, Pixels& out, SampleLayout* layout,
                          std::vector<std::uint8_t>* profile) {
  WholePicture whole(out, layout, profile);
  out = {};
  const JpegDecode result = decodeJpegFile(path, shrink, whole);
  if (result != JpegDecode::Done) {
    out = {};
  }
  return result;
}

JpegDecode decodeJpegBytes(const QByteArray& bytes, Pixels& out) {
  out = {};
  if (bytes.isEmpty()) {
    return JpegDecode::Failed;
  }
  WholePicture whole(out, nullptr, nullptr);
  const JpegDecode result =
      decode(Source{nullptr, reinterpret_cast<const unsigned char*>(bytes.constData()),
                    std::size_t(bytes.size()), true},
             1, whole);
  if (result != JpegDecode::Done) {
    out = {};
  }
  return result;
}

namespace {

void writeRows(jpeg_compress_struct& c, const Pixels& px) {
  JSAMPROW rows[16];
  while (c.next_scanline < c.image_height) {
    const JDIMENSION start = c.next_scanline;
    const JDIMENSION count = std::min<JDIMENSION>(16, c.image_height - start);
    for (JDIMENSION i = 0; i < count; ++i) {
      rows[i] = const_cast<JSAMPROW>(&px.data[(start + i) * px.rowBytes()]);
    }
    jpeg_write_scanlines(&c, rows, count);
  }
}

// Runs inside `guarded`: no C++ object of its own.
void compress(jpeg_compress_struct& c, const Pixels& pixels, int quality, bool progressive,
              unsigned char** buffer, unsigned long* size) {
  jpeg_mem_dest(&c, buffer, size);
  c.image_width = JDIMENSION(pixels.width);
  c.image_height = JDIMENSION(pixels.height);
  c.input_components = pixels.bands;
  c.in_color_space = pixels.bands == 3 ? JCS_RGB : JCS_GRAYSCALE;
  jpeg_set_defaults(&c);
  c.write_JFIF_header = FALSE;
  jpeg_set_quality(&c, quality, TRUE);
  if (pixels.bands == 3 && quality >= 90) {
    for (int i = 0; i < c.num_components; ++i) {
      c.comp_info[i].h_samp_factor = 1;
      c.comp_info[i].v_samp_factor = 1;
    }
  }
  c.optimize_coding = TRUE;
  if (progressive) {
    jpeg_simple_progression(&c);
  }
  jpeg_start_compress(&c, TRUE);
  writeRows(c, pixels);
  jpeg_finish_compress(&c);
}

}  // namespace

bool encodeJpeg(const Pixels& pixels, int quality, bool progressive, EncodedJpeg& out) {
  out = {};
  if (pixels.empty() || (pixels.bands != 1 && pixels.bands != 3) ||
      pixels.data.size() < pixels.rowBytes() * std::size_t(pixels.height)) {
    return false;
  }
  // Room for most pictures at once, so the buffer rarely has to grow. When
  // the output outgrows it, libjpeg moves to a buffer of its own and leaves
  // the first to us; both are freed whatever happens.
  unsigned long size =
      std::max<unsigned long>(65536, pixels.rowBytes() * unsigned(pixels.height) / 4);
  std::unique_ptr<unsigned char, FreeDeleter> first(static_cast<unsigned char*>(std::malloc(size)));
  if (!first) {
    return false;
  }
  unsigned char* buffer = first.get();
  quality = std::clamp(quality, 1, 100);
  bool written = false;
  {
    Compressor k;
    jpeg_compress_struct& c = k.codec;
    written =
        k.create() && k.run([&] { compress(c, pixels, quality, progressive, &buffer, &size); });
  }
  if (buffer != first.get()) {
    // libjpeg's own buffer, now ours; the first one is freed by its owner.
    out.bytes.reset(buffer);
  } else {
    out.bytes = std::move(first);
  }
  out.size = size;
  if (!written) {
    out = {};
  }
  return written;
}

}  // namespace pixolane::imaging
