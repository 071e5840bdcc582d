#include "imaging/JpegCodec.h"

#include <QFile>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <new>

#include <sys/stat.h>

#include <jpeglib.h>

#include "imaging/Tiff.h"

namespace pixolane::imaging {

namespace {

// libjpeg reports a fatal error by calling error_exit, which must not return:
// it jumps back to the setjmp of the function driving the codec. Those
// functions hold no C++ object of their own, so nothing is skipped; buffers
// live in their callers.
struct ErrorManager {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
};

void onFatal(j_common_ptr codec) {
  std::longjmp(reinterpret_cast<ErrorManager*>(codec->err)->jump, 1);
}

// Warnings (damaged data, extra bytes) are not failures; the picture shows
// what could be decoded, so they are kept off the terminal.
void onMessage(j_common_ptr, int) {}

void quiet(ErrorManager& errors) {
  jpeg_std_error(&errors.pub);
  errors.pub.error_exit = onFatal;
  errors.pub.emit_message = onMessage;
}

// The layout of a decoded file, chosen from its header.
int outputBands(const jpeg_decompress_struct& d) {
  if (d.num_components == 1) {
    return 1;
  }
  if (d.num_components == 3 && (d.jpeg_color_space == JCS_YCbCr || d.jpeg_color_space == JCS_RGB)) {
    return 3;
  }
  return 0;
}

struct Allocator {
  Pixels* out;
  void operator()(int w, int h, int bands) const { *out = Pixels::sized(w, h, bands); }
};

// Where the compressed bytes come from: a file, or memory.
struct Source {
  std::FILE* file = nullptr;
  const unsigned char* bytes = nullptr;
  std::size_t size = 0;
  bool refuseExtras = false;  // NotPlain for a profile or an orientation
};

bool startsWith(const jpeg_saved_marker_ptr marker, const char* tag, std::size_t length) {
  return marker->data_length >= length && std::memcmp(marker->data, tag, length) == 0;
}

// Bytes in memory are decoded here only when nothing in them needs libvips:
// no colour profile, no orientation to apply.
bool needsMoreThanLibjpeg(const jpeg_decompress_struct& d) {
  for (jpeg_saved_marker_ptr m = d.marker_list; m; m = m->next) {
    if (m->marker == JPEG_APP0 + 2 && startsWith(m, "ICC_PROFILE\0", 12)) {
      return true;
    }
    if (m->marker == JPEG_APP0 + 1 && startsWith(m, "Exif\0\0", 6) &&
        exifOrientation(m->data + 6, m->data_length - 6) != 1) {
      return true;
    }
  }
  return false;
}

// Returns 0 done, 1 not plain, 2 failed.
int runDecode(jpeg_decompress_struct* d, ErrorManager* errors, const Source& source, int shrink,
              const Allocator& allocate) {
  d->err = &errors->pub;
  if (setjmp(errors->jump)) {
    return 2;
  }
  jpeg_create_decompress(d);
  if (source.file) {
    jpeg_stdio_src(d, source.file);
  } else {
    jpeg_mem_src(d, source.bytes, static_cast<unsigned long>(source.size));
  }
  if (source.refuseExtras) {
    jpeg_save_markers(d, JPEG_APP0 + 1, 0xffff);
    jpeg_save_markers(d, JPEG_APP0 + 2, 0xffff);
  }
  jpeg_read_header(d, TRUE);
  const int bands = outputBands(*d);
  if (bands == 0 || (source.refuseExtras && needsMoreThanLibjpeg(*d))) {
    return 1;
  }
  d->out_color_space = bands == 3 ? JCS_RGB : JCS_GRAYSCALE;
  d->scale_num = 1;
  d->scale_denom = unsigned(shrink);
  jpeg_start_decompress(d);
  allocate(int(d->output_width), int(d->output_height), bands);
  Pixels& px = *allocate.out;
  JSAMPROW rows[16];
  while (d->output_scanline < d->output_height) {
    const JDIMENSION start = d->output_scanline;
    const JDIMENSION count = std::min<JDIMENSION>(16, d->output_height - start);
    for (JDIMENSION i = 0; i < count; ++i) {
      rows[i] = &px.data[(start + i) * px.rowBytes()];
    }
    jpeg_read_scanlines(d, rows, count);
  }
  jpeg_finish_decompress(d);
  return 0;
}

int runEncode(jpeg_compress_struct* c, ErrorManager* errors, const Pixels& px, int quality,
              bool progressive, unsigned char** buffer, unsigned long* size) {
  c->err = &errors->pub;
  if (setjmp(errors->jump)) {
    return 1;
  }
  jpeg_create_compress(c);
  jpeg_mem_dest(c, buffer, size);
  c->image_width = JDIMENSION(px.width);
  c->image_height = JDIMENSION(px.height);
  c->input_components = px.bands;
  c->in_color_space = px.bands == 3 ? JCS_RGB : JCS_GRAYSCALE;
  jpeg_set_defaults(c);
  c->write_JFIF_header = FALSE;
  jpeg_set_quality(c, quality, TRUE);
  if (px.bands == 3 && quality >= 90) {
    for (int i = 0; i < c->num_components; ++i) {
      c->comp_info[i].h_samp_factor = 1;
      c->comp_info[i].v_samp_factor = 1;
    }
  }
  c->optimize_coding = TRUE;
  if (progressive) {
    jpeg_simple_progression(c);
  }
  jpeg_start_compress(c, TRUE);
  JSAMPROW rows[16];
  while (c->next_scanline < c->image_height) {
    const JDIMENSION start = c->next_scanline;
    const JDIMENSION count = std::min<JDIMENSION>(16, c->image_height - start);
    for (JDIMENSION i = 0; i < count; ++i) {
      rows[i] = const_cast<JSAMPROW>(&px.data[(start + i) * px.rowBytes()]);
    }
    jpeg_write_scanlines(c, rows, count);
  }
  jpeg_finish_compress(c);
  return 0;
}

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

File openForReading(const QString& path) {
  return File(std::fopen(QFile::encodeName(path).constData(), "rb"));
}

int runHeader(jpeg_decompress_struct* d, ErrorManager* errors, std::FILE* file, JpegHeader* out) {
  d->err = &errors->pub;
  if (setjmp(errors->jump)) {
    return 1;
  }
  jpeg_create_decompress(d);
  jpeg_stdio_src(d, file);
  jpeg_save_markers(d, JPEG_APP0 + 1, 0xffff);
  jpeg_save_markers(d, JPEG_APP0 + 2, 0xffff);
  jpeg_read_header(d, TRUE);
  out->width = int(d->image_width);
  out->height = int(d->image_height);
  bool profile = false;
  for (jpeg_saved_marker_ptr m = d->marker_list; m; m = m->next) {
    if (m->marker == JPEG_APP0 + 1 && startsWith(m, "Exif\0\0", 6) && out->orientation == 1) {
      out->orientation = exifOrientation(m->data + 6, m->data_length - 6);
    } else if (m->marker == JPEG_APP0 + 2 && startsWith(m, "ICC_PROFILE\0", 12)) {
      profile = true;
    }
  }
  out->plain = outputBands(*d) != 0 && d->data_precision == 8 && !profile;
  return 0;
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
  jpeg_decompress_struct d{};
  ErrorManager errors{};
  quiet(errors);
  const int result = runHeader(&d, &errors, file.get(), &header);
  jpeg_destroy_decompress(&d);
  if (result != 0 || header.width <= 0 || header.height <= 0) {
    header = {};
    return false;
  }
  return true;
}

namespace {

JpegDecode decode(const Source& source, int shrink, Pixels& out) {
  out = {};
  jpeg_decompress_struct d{};
  ErrorManager errors{};
  quiet(errors);
  const int result = runDecode(&d, &errors, source, shrink, Allocator{&out});
  jpeg_destroy_decompress(&d);
  if (result != 0) {
    out = {};
  }
  return result == 0 ? JpegDecode::Done : result == 1 ? JpegDecode::NotPlain : JpegDecode::Failed;
}

}  // namespace

namespace {

// A worker's read buffer, kept from picture to picture so that its pages are
// not faulted in again for every file; a very large one is given back.
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
  void trim() {
    if (capacity > kKeptReadBuffer) {
      bytes.reset();
      capacity = 0;
    }
  }
  static constexpr std::size_t kKeptReadBuffer = 32u << 20;
};

// Reads the whole file; false when it is unreadable or too large for memory.
bool readWhole(std::FILE* file, ReadBuffer& buffer, std::size_t& size) {
  struct stat info {};
  if (fstat(fileno(file), &info) != 0 || info.st_size <= 0 || info.st_size > (1ll << 30)) {
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

JpegDecode decodeJpegFile(const QString& path, int shrink, Pixels& out) {
  const File file = openForReading(path);
  if (!file) {
    out = {};
    return JpegDecode::Failed;
  }
  // The whole file in memory: libjpeg's Huffman decoder takes its fast path
  // only with a few KB of data ahead, which its 4 KB file reads leave it
  // short of most of the time. Decoding is 3 to 15% faster.
  thread_local ReadBuffer buffer;
  std::size_t size = 0;
  JpegDecode result;
  if (readWhole(file.get(), buffer, size)) {
    result = decode(Source{nullptr, buffer.bytes.get(), size}, shrink, out);
  } else {
    std::rewind(file.get());
    result = decode(Source{file.get(), nullptr, 0}, shrink, out);
  }
  buffer.trim();
  return result;
}

JpegDecode decodeJpegBytes(const QByteArray& bytes, Pixels& out) {
  if (bytes.isEmpty()) {
    out = {};
    return JpegDecode::Failed;
  }
  return decode(Source{nullptr, reinterpret_cast<const unsigned char*>(bytes.constData()),
                       std::size_t(bytes.size()), true},
                1, out);
}

bool encodeJpeg(const Pixels& pixels, int quality, bool progressive, EncodedJpeg& out) {
  out = {};
  if (pixels.empty() || (pixels.bands != 1 && pixels.bands != 3) ||
      pixels.data.size() < pixels.rowBytes() * std::size_t(pixels.height)) {
    return false;
  }
  // Room for most pictures at once, so the buffer rarely has to grow.
  unsigned long size =
      std::max<unsigned long>(65536, pixels.rowBytes() * unsigned(pixels.height) / 4);
  unsigned char* buffer = static_cast<unsigned char*>(std::malloc(size));
  if (!buffer) {
    return false;
  }
  unsigned char* const first = buffer;
  jpeg_compress_struct c{};
  ErrorManager errors{};
  quiet(errors);
  const int result =
      runEncode(&c, &errors, pixels, std::clamp(quality, 1, 100), progressive, &buffer, &size);
  jpeg_destroy_compress(&c);
  // When the output outgrows the first buffer, libjpeg moves it to one of its
  // own and leaves the first to us.
  if (buffer != first) {
    std::free(first);
  }
  out.bytes.reset(buffer);
  out.size = size;
  if (result != 0) {
    out = {};
  }
  return result == 0;
}

}  // namespace pixolane::imaging
