// How faithful the engine's drawings are, next to libvips' resize. For every
// JPEG given, the 800 x 600 picture and the 140-pixel thumbnail are drawn and
// compared, as PSNR in dB, with a reference: the source decoded at full size,
// converted to sRGB with its embedded profile, and resampled by ImageMagick's
// Lanczos filter at 16 bits, with no shortcut (no DCT scaling, no block
// shrink). Higher is closer. Sources with a profile are drawn twice, with the
// profile applied before resampling (the engine's choice) and after. It also
// checks that the JPEG encoder gives the bytes libvips' jpegsave gave.
//
//   bench_quality FILE.jpg...
//   bench_quality --pairs A.jpg B.jpg [A.jpg B.jpg...]   PSNR between the
//       engine's 800 x 600 drawings of A and of B (a photo with and without
//       an embedded sRGB profile)
//   bench_quality --profiles DIR   writes srgb.icc and adobe-rgb.icc into DIR
//   bench_quality --scales FILE.jpg...   the table behind the engine's choice
//       of DCT scale: each drawing's PSNR from the decode at every scale
// libvips first: Qt's `signals` macro clashes with a glib field name.
#include <vips/vips8>

#include "imaging/ColourProfiles.h"
#include "imaging/Imaging.h"
#include "imaging/JpegCodec.h"
#include "imaging/Pixels.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <lcms2.h>

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

// The drawing as libvips makes it: DCT-scaled decode, profile to sRGB, then
// libvips' Lanczos-3 resize (block shrink first, fixed-point taps).
Pixels libvipsRoad(const char* path, int shrink, int width, int height) {
  VImage in = VImage::new_from_file(
      path, VImage::option()->set("access", VIPS_ACCESS_SEQUENTIAL)->set("shrink", shrink));
  if (in.get_typeof(VIPS_META_ICC_NAME) != 0 || in.bands() == 4) {
    in = in.icc_transform("srgb", VImage::option()->set("embedded", true));
    if (in.bands() > 3) {
      in = in.extract_band(0, VImage::option()->set("n", 3));
    }
  }
  return fromVips(exactSize(in.copy_memory(), width, height).cast(VIPS_FORMAT_UCHAR));
}

QString srgbProfile;  // a file, for ImageMagick's conversion

void saveProfile(cmsHPROFILE profile, const QString& path) {
  cmsSaveProfileToFile(profile, QFile::encodeName(path).constData());
  cmsCloseProfile(profile);
}

// sRGB, and Adobe RGB (1998): its primaries, D65 white, gamma 563/256.
void writeProfiles(const QString& dir) {
  saveProfile(cmsCreate_sRGBProfile(), dir + "/srgb.icc");
  const cmsCIExyY white{0.3127, 0.3290, 1.0};
  const cmsCIExyYTRIPLE primaries{{0.64, 0.33, 1.0}, {0.21, 0.71, 1.0}, {0.15, 0.06, 1.0}};
  cmsToneCurve* gamma = cmsBuildGamma(nullptr, 563.0 / 256.0);
  cmsToneCurve* curves[3] = {gamma, gamma, gamma};
  cmsHPROFILE adobe = cmsCreateRGBProfile(&white, &primaries, curves);
  cmsMLU* name = cmsMLUalloc(nullptr, 1);
  cmsMLUsetASCII(name, "en", "US", "Adobe RGB (1998) compatible");
  cmsWriteTag(adobe, cmsSigProfileDescriptionTag, name);
  cmsMLUfree(name);
  saveProfile(adobe, dir + "/adobe-rgb.icc");
  cmsFreeToneCurve(gamma);
}

// The engine's drawing, as a run makes it.
Pixels engine(const char* path, PixelSize size) {
  const Picture picture = Picture::LoadPicture(QString::fromLocal8Bit(path));
  Scratch scratch;
  if (!PaintPicture(picture, size, scratch)) {
    return {};
  }
  const QByteArray jpeg = encodeJpeg(scratch, 100, 0);
  Pixels out;
  decodeJpegBytes(jpeg, out);
  return out;
}

// ImageMagick's Lanczos (a 3-lobe windowed sinc) at 16 bits from the
// full-size decode: independent of both roads' code and pixel-centre choices.
std::vector<double> reference(const char* path, int width, int height, int bands, bool profile) {
  QStringList args{QString::fromLocal8Bit(path)};
  if (profile) {
    args << "-profile" << srgbProfile;
  }
  args << "-filter"
       << "Lanczos"
       << "-resize" << QString("%1x%2!").arg(width).arg(height) << "-depth"
       << "16"
       << "-endian"
       << "MSB" << (bands == 1 ? "gray:-" : "rgb:-");
  QProcess convert;
  convert.start("/usr/bin/convert", args);
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

double psnrBetween(const Pixels& a, const Pixels& b) {
  if (a.data.size() != b.data.size() || a.data.empty()) {
    return 0;
  }
  std::vector<double> ref(b.data.begin(), b.data.end());
  return psnr(a, ref);
}

// Resamples, converting to sRGB before or after.
Pixels draw(const Pixels& decoded, const ColourConversion* conversion, bool after, PixelSize size) {
  Pixels source = decoded;
  if (conversion && (!after || decoded.bands == 4)) {
    source = Pixels::sized(decoded.width, decoded.height, conversion->outBands());
    conversion->convert(decoded.data.data(), source.data.data(),
                        std::size_t(decoded.width) * std::size_t(decoded.height));
  }
  Pixels out = resampleLanczos3(source, size.width, size.height);
  if (conversion && after && decoded.bands != 4) {
    conversion->convert(out.data.data(), out.data.data(),
                        std::size_t(out.width) * std::size_t(out.height));
  }
  return out;
}

// For every JPEG and both targets: the PSNR of the resampler's drawing from
// each DCT scale's decode (1/1 to 1/8, as far as the decode still covers the
// drawing), with the shrink that is then left to the resampler.
int scales(int argc, char** argv) {
  std::printf("%-28s %-9s %s\n", "photo", "drawing",
              "PSNR (dB) from the decode at 1/1, 1/2, 1/4, 1/8 (shrink left)");
  for (int i = 2; i < argc; ++i) {
    JpegHeader header;
    if (!readJpegHeader(QString::fromLocal8Bit(argv[i]), header) || !header.libjpeg) {
      continue;
    }
    for (const PixelSize box : {PixelSize{800, 600}, PixelSize{140, 140}}) {
      const PixelSize size =
          proportionalSurfaceSize(header.width * 15.0, header.height * 15.0, box.width, box.height);
      std::vector<double> ref;
      std::printf("%-28.28s %4dx%-4d", QFileInfo(argv[i]).fileName().toLocal8Bit().constData(),
                  size.width, size.height);
      for (int shrink : {1, 2, 4, 8}) {
        Pixels decoded;
        SampleLayout layout;
        std::vector<std::uint8_t> profile;
        if (decodeJpegFile(QString::fromLocal8Bit(argv[i]), shrink, decoded, &layout, &profile) !=
                JpegDecode::Done ||
            decoded.width < size.width || decoded.height < size.height) {
          break;
        }
        const auto conversion = conversionToSrgb(profile.data(), profile.size(), layout);
        const Pixels ours = draw(decoded, conversion.get(), false, size);
        if (ref.empty()) {
          ref = reference(argv[i], size.width, size.height, ours.bands,
                          !profile.empty() && layout != SampleLayout::Grey);
        }
        std::printf("  %6.2f (x%.2f)", psnr(ours, ref), double(decoded.width) / size.width);
      }
      std::printf("\n");
    }
  }
  return 0;
}

int pairs(int argc, char** argv) {
  double worst = 99;
  for (int i = 2; i + 1 < argc; i += 2) {
    JpegHeader header;
    if (!readJpegHeader(QString::fromLocal8Bit(argv[i]), header)) {
      continue;
    }
    const PixelSize size =
        proportionalSurfaceSize(header.width * 15.0, header.height * 15.0, 800, 600);
    const double db = psnrBetween(engine(argv[i], size), engine(argv[i + 1], size));
    worst = std::min(worst, db);
    std::printf("%6.2f dB  %s\n", db, argv[i + 1]);
  }
  std::printf("with and without an sRGB profile: worst %.2f dB (target >= 50)\n", worst);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  if (VIPS_INIT(argv[0]) != 0 || argc < 2) {
    std::fprintf(stderr, "usage: bench_quality FILE.jpg...\n");
    return 2;
  }
  vips_cache_set_max(0);
  if (std::strcmp(argv[1], "--profiles") == 0 && argc == 3) {
    writeProfiles(QString::fromLocal8Bit(argv[2]));
    return 0;
  }
  if (std::strcmp(argv[1], "--pairs") == 0) {
    return pairs(argc, argv);
  }
  QTemporaryDir profiles;
  writeProfiles(profiles.path());
  srgbProfile = profiles.path() + "/srgb.icc";
  if (std::strcmp(argv[1], "--scales") == 0) {
    return scales(argc, argv);
  }
  const Target targets[] = {{"800x600", 800, 600, 85}, {"thumbnail", 140, 140, 100}};
  int encoderSame = 0;
  int encoderTotal = 0;
  for (const Target& target : targets) {
    double sumOld = 0;
    double sumNew = 0;
    double sumAfter = 0;
    double worst = 1e9;
    int count = 0;
    int withProfile = 0;
    for (int i = 1; i < argc; ++i) {
      const char* path = argv[i];
      JpegHeader header;
      if (!readJpegHeader(QString::fromLocal8Bit(path), header) || !header.libjpeg) {
        continue;
      }
      const PixelSize size = proportionalSurfaceSize(header.width * 15.0, header.height * 15.0,
                                                     target.boxWidth, target.boxHeight);
      // Both roads decode at the scale the run picks for the 800 x 600
      // picture: the largest that leaves the resampler a shrink of 2.
      const PixelSize full =
          proportionalSurfaceSize(header.width * 15.0, header.height * 15.0, 800, 600);
      const double factor =
          std::min(double(header.width) / full.width, double(header.height) / full.height);
      const int shrink = factor >= 16 ? 8 : factor >= 8 ? 4 : factor >= 4 ? 2 : 1;
      Pixels decoded;
      SampleLayout layout;
      std::vector<std::uint8_t> profile;
      if (decodeJpegFile(QString::fromLocal8Bit(path), shrink, decoded, &layout, &profile) !=
          JpegDecode::Done) {
        continue;
      }
      const auto conversion = conversionToSrgb(profile.data(), profile.size(), layout);
      const Pixels ours = draw(decoded, conversion.get(), false, size);
      const Pixels theirs = libvipsRoad(path, shrink, size.width, size.height);
      const bool converted = !profile.empty() && layout != SampleLayout::Grey;
      const std::vector<double> ref =
          reference(path, size.width, size.height, ours.bands, converted);
      const double a = psnr(theirs, ref);
      const double b = psnr(ours, ref);
      sumOld += a;
      sumNew += b;
      sumAfter += conversion ? psnr(draw(decoded, conversion.get(), true, size), ref) : b;
      withProfile += conversion ? 1 : 0;
      worst = std::min(worst, b - a);
      ++count;
      encoderSame += sameBytesAsLibvips(theirs, target.quality) ? 1 : 0;
      ++encoderTotal;
    }
    if (count > 0) {
      std::printf(
          "%-9s %3d pictures: PSNR libvips %.2f dB, engine %.2f dB (worst picture %+.2f dB)",
          target.name, count, sumOld / count, sumNew / count, worst);
      if (withProfile > 0) {
        std::printf("; %d converted, after resampling instead: %.2f dB", withProfile,
                    sumAfter / count);
      }
      std::printf("\n");
    }
  }
  std::printf("encoder: same bytes as libvips' jpegsave on %d of %d drawings\n", encoderSame,
              encoderTotal);
  return 0;
}
