#pragma once
// What the fuzz targets share: the input as a file the readers open by path,
// a failed property that stops the fuzzer, and libjpeg read on its own as the
// reference the readers are compared with.
#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <sys/mman.h>
#include <unistd.h>

#include <jpeglib.h>
// After jpeglib.h: the message codes.
#include <jerror.h>

namespace pixolane::fuzz {

// A property that does not hold is a finding like a crash: libFuzzer keeps
// the input that broke it.
#define FUZZ_CHECK(condition)                                                               \
  do {                                                                                      \
    if (!(condition)) {                                                                     \
      std::fprintf(stderr, "%s:%d: property failed: %s\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                                         \
    }                                                                                       \
  } while (0)

// Qt's warnings would fill the fuzzer's output.
inline void quietQt() {
  static const bool done =
      (qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {}), true);
  (void)done;
}

// One file in memory, rewritten for each input, named by a path the readers
// open like any other (/proc/self/fd/N).
class InputFile {
 public:
  InputFile() : fd_(memfd_create("pixolane-fuzz", 0)) {
    if (fd_ < 0) {
      std::perror("memfd_create");
      std::abort();
    }
    path_ = QStringLiteral("/proc/self/fd/%1").arg(fd_);
  }
  const QString& write(const std::uint8_t* data, std::size_t size) {
    if (ftruncate(fd_, 0) != 0 ||
        (size && pwrite(fd_, data, size, 0) != static_cast<ssize_t>(size))) {
      std::perror("memfd write");
      std::abort();
    }
    return path_;
  }
  const QString& write(const QByteArray& bytes) {
    return write(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                 std::size_t(bytes.size()));
  }

 private:
  int fd_;
  QString path_;
};

// What libjpeg alone makes of some bytes.
struct Reference {
  bool header = false;         // jpeg_read_header succeeded
  bool decoded = false;        // every row came out
  bool warned = false;         // any warning at all
  bool extraneous = false;     // bytes skipped between markers
  bool parameterless = false;  // RSTn or TEM before the frame
  long frameAt = -1;           // offset just past the frame header's marker code
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> pixels;  // when decoded
};

namespace detail {

struct Errors {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
  Reference* out;
  std::size_t size;
  j_decompress_ptr codec;
};

inline void onFatal(j_common_ptr codec) {
  std::longjmp(reinterpret_cast<Errors*>(codec->err)->jump, 1);
}

inline void onMessage(j_common_ptr codec, int level) {
  auto* e = reinterpret_cast<Errors*>(codec->err);
  const int code = codec->err->msg_code;
  if (level < 0)
    e->out->warned = true;
  if (code == JWRN_EXTRANEOUS_DATA)
    e->out->extraneous = true;
  if (code == JTRC_PARMLESS_MARKER && e->out->frameAt < 0)
    e->out->parameterless = true;
  if (code == JTRC_SOF && e->out->frameAt < 0)
    e->out->frameAt = long(e->size - e->codec->src->bytes_in_buffer);
}

// No C++ object lives in this frame: libjpeg's error jump lands here.
inline void run(jpeg_decompress_struct* d, Errors* errors, const std::uint8_t* data,
                std::size_t size, long maxPixels) {
  if (setjmp(errors->jump))
    return;
  jpeg_mem_src(d, data, static_cast<unsigned long>(size));
  jpeg_read_header(d, TRUE);
  errors->out->header = true;
  errors->out->width = int(d->image_width);
  errors->out->height = int(d->image_height);
  if (maxPixels <= 0 || long(d->image_width) * long(d->image_height) > maxPixels)
    return;
  jpeg_start_decompress(d);
  const std::size_t row = std::size_t(d->output_width) * std::size_t(d->output_components);
  errors->out->pixels.resize(row * d->output_height);
  while (d->output_scanline < d->output_height) {
    JSAMPROW at = errors->out->pixels.data() + row * d->output_scanline;
    if (jpeg_read_scanlines(d, &at, 1) != 1)
      return;
  }
  errors->out->decoded = true;
}

}  // namespace detail

// Reads the header and, for pictures of at most `maxPixels`, every row (in
// libjpeg's default output colours). What follows the last row is not read.
inline Reference referenceJpeg(const std::uint8_t* data, std::size_t size, long maxPixels) {
  Reference out;
  if (size == 0)
    return out;
  jpeg_decompress_struct d{};
  detail::Errors errors{};
  errors.out = &out;
  errors.size = size;
  errors.codec = &d;
  d.err = jpeg_std_error(&errors.pub);
  errors.pub.error_exit = detail::onFatal;
  errors.pub.emit_message = detail::onMessage;
  jpeg_create_decompress(&d);
  detail::run(&d, &errors, data, size, maxPixels);
  jpeg_destroy_decompress(&d);
  if (!out.decoded)
    out.pixels.clear();
  return out;
}

inline Reference referenceJpeg(const QByteArray& bytes, long maxPixels) {
  return referenceJpeg(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                       std::size_t(bytes.size()), maxPixels);
}

}  // namespace pixolane::fuzz
