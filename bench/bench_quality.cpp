// How faithful the drawings of the plain-JPEG road are, next to the libvips
// road it replaced. For every JPEG given, the 800 x 600 picture and the
// 140-pixel thumbnail are drawn both ways and compared, as PSNR in dB, with a
// reference: the source decoded at full size and resampled by ImageMagick's
// Lanczos filter at 16 bits, with no shortcut (no DCT scaling, no block
// shrink). Higher is closer. It also checks that the
// JPEG encoder gives the bytes libvips' jpegsave gave for the same pixels.
//
//   bench_quality FILE.jpg...
// libvips first: Qt's `signals` macro clashes with a glib field name.
#include <vips/vips8>

#include "imaging/Imaging.h"
#include "imaging/JpegCodec.h"
#include "imaging/Pixels.h"

#include <QCoreApplication>
#include <QProcess>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

using namespace pixolane::imaging;
using vips::VImage;

namespace {

struct Target {
  const char* name;
  int boxWidth;
  int boxHeight;
  int quality;
};

Pixels fromVips(const VImage& image) {
  size_t size = 0;
  void* memory = image.write_to_memory(&size);
  Pixels out = Pixels::sized(image.width(), image.height(), image.bands());
  std::memcpy(out.data.data(), memory, std::min(size, out.data.size()));
  g_free(memory);
  return out;
}

VImage exactSize(VImage image, int width, int height) {
  image = image.resize(double(width) / image.width(),
                       VImage::option()
                           ->set("vscale", double(height) / image.height())
                           ->set("kernel", VIPS_KERNEL_LANCZOS3));
  image = image.crop(0, 0, std::min(image.width(), width), std::min(image.height(), height));
  return image.embed(0, 0, width, height, VImage::option()->set("extend", VIPS_EXTEND_COPY));
}

// The drawing as the libvips road made it: DCT-scaled decode, then libvips'
// Lanczos-3 resize (block shrink first, fixed-point taps).
Pixels libvipsRoad(const char* path, int shrink, int width, int height) {
  VImage in = VImage::new_from_file(
      path, VImage::option()->set("access", VIPS_ACCESS_SEQUENTIAL)->set("shrink", shrink));
  return fromVips(exactSize(in.copy_memory(), width, height).cast(VIPS_FORMAT_UCHAR));
}

// ImageMagick's Lanczos (a 3-lobe windowed sinc) at 16 bits from the
// full-size decode: independent of both roads' code and pixel-centre choices.
std::vector<double> reference(const char* path, int width, int height, int bands) {
  QProcess convert;
  convert.start("/usr/bin/convert", {QString::fromLocal8Bit(path), "-filter", "Lanczos", "-resize",
                                     QString("%1x%2!").arg(width).arg(height), "-depth", "16",
                                     "-endian", "MSB", bands == 1 ? "gray:-" : "rgb:-"});
  convert.waitForFinished(-1);
  const QByteArray raw = convert.readAllStandardOutput();
  std::vector<double> values(size_t(raw.size()) / 2);
  const auto* p = reinterpret_cast<const unsigned char*>(raw.constData());
  for (size_t i = 0; i < values.size(); ++i) {
    values[i] = double((p[2 * i] << 8) | p[2 * i + 1]) / 257.0;
  }
  return values;
}

double psnr(const Pixels& p, const std::vector<double>& ref) {
  double sum = 0;
  for (size_t i = 0; i < p.data.size() && i < ref.size(); ++i) {
    const double d = double(p.data[i]) - std::clamp(ref[i], 0.0, 255.0);
    sum += d * d;
  }
  const double mse = sum / double(p.data.size());
  return mse <= 0 ? 99.0 : 10.0 * std::log10(255.0 * 255.0 / mse);
}

bool sameBytesAsLibvips(const Pixels& p, int quality) {
  VImage image = VImage::new_from_memory(const_cast<std::uint8_t*>(p.data.data()), p.data.size(),
                                         p.width, p.height, p.bands, VIPS_FORMAT_UCHAR);
  VipsBlob* blob = image.jpegsave_buffer(VImage::option()
                                             ->set("Q", quality)
                                             ->set("interlace", true)
                                             ->set("optimize_coding", true)
                                             ->set("strip", true));
  size_t length = 0;
  const void* bytes = vips_blob_get(blob, &length);
  EncodedJpeg ours;
  const bool same = encodeJpeg(p, quality, true, ours) && ours.size == length &&
                    std::memcmp(ours.bytes.get(), bytes, length) == 0;
  vips_area_unref(VIPS_AREA(blob));
  return same;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  if (VIPS_INIT(argv[0]) != 0 || argc < 2) {
    std::fprintf(stderr, "usage: bench_quality FILE.jpg...\n");
    return 2;
  }
  vips_cache_set_max(0);
  const Target targets[] = {{"800x600", 800, 600, 85}, {"thumbnail", 140, 140, 100}};
  int encoderSame = 0;
  int encoderTotal = 0;
  for (const Target& target : targets) {
    double sumOld = 0;
    double sumNew = 0;
    double worst = 1e9;
    int count = 0;
    for (int i = 1; i < argc; ++i) {
      const char* path = argv[i];
      JpegHeader header;
      if (!readJpegHeader(QString::fromLocal8Bit(path), header) || !header.plain) {
        continue;
      }
      const PixelSize size = proportionalSurfaceSize(header.width * 15.0, header.height * 15.0,
                                                     target.boxWidth, target.boxHeight);
      // Both roads decode at the scale the run picks for the 800 x 600 picture.
      const double factor = std::min(header.width / 800.0, header.height / 600.0);
      const int shrink = factor >= 8 ? 8 : factor >= 4 ? 4 : factor >= 2 ? 2 : 1;
      Pixels decoded;
      if (decodeJpegFile(QString::fromLocal8Bit(path), shrink, decoded) != JpegDecode::Done) {
        continue;
      }
      const Pixels ours = resampleLanczos3(decoded, size.width, size.height);
      const Pixels theirs = libvipsRoad(path, shrink, size.width, size.height);
      const std::vector<double> ref = reference(path, size.width, size.height, ours.bands);
      const double a = psnr(theirs, ref);
      const double b = psnr(ours, ref);
      sumOld += a;
      sumNew += b;
      worst = std::min(worst, b - a);
      ++count;
      encoderSame += sameBytesAsLibvips(theirs, target.quality) ? 1 : 0;
      ++encoderTotal;
    }
    if (count > 0) {
      std::printf(
          "%-9s %3d pictures: PSNR libvips road %.2f dB, plain road %.2f dB (worst picture %+.2f "
          "dB)\n",
          target.name, count, sumOld / count, sumNew / count, worst);
    }
  }
  std::printf("encoder: same bytes as libvips' jpegsave on %d of %d drawings\n", encoderSame,
              encoderTotal);
  return 0;
}
