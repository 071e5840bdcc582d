// Times the imaging road on a 12-megapixel, high-detail JPEG: an 800 x 600
// output, a 140-pixel thumbnail and both from one decode, next to the time
// djpeg needs just to decode the same file at 1/2 and 1/8 scale (the scales
// the engine decodes them at, leaving the resampler a shrink of 2 or more). With --huge it also
// draws a 100-megapixel JPEG and reports the peak memory, which must stay far below its 300 MB of
// pixels.
//
//   bench_imaging [--runs N] [--huge]
// libvips first: Qt's `signals` macro clashes with a glib field name.
#include <vips/vips8>

#include "imaging/Imaging.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <thread>
#include <vector>

using namespace pixolane::imaging;
using Clock = std::chrono::steady_clock;

namespace {

double millisecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

double timeMedian(int runs, const std::function<void()>& work) {
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    const auto start = Clock::now();
    work();
    times.push_back(millisecondsSince(start));
  }
  return median(times);
}

long peakRssMegabytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss / 1024;
}

// Gradients plus strong noise: hard to compress, like a detailed photo.
void makeDetailedJpeg(const QString& path, int width, int height) {
  using vips::VImage;
  VImage xy = VImage::xyz(width, height);
  VImage red = xy[0] * (255.0 / (width - 1));
  VImage green = xy[1] * (255.0 / (height - 1));
  VImage noise =
      VImage::gaussnoise(width, height, VImage::option()->set("mean", 128.0)->set("sigma", 50.0));
  VImage picture = VImage::bandjoin(std::vector<VImage>{red, green, noise})
                       .add(noise.linear(0.3, -38.0))
                       .cast(VIPS_FORMAT_UCHAR)
                       .copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB));
  picture.jpegsave(QFile::encodeName(path).constData(), VImage::option()->set("Q", 92));
}

bool drawAndWrite(const QString& source, int boxWidth, int boxHeight, int quality,
                  const QString& destination) {
  const Picture picture = Picture::LoadPicture(source);
  const PixelSize inner =
      proportionalSurfaceSize(picture.widthTwips(), picture.heightTwips(), boxWidth, boxHeight);
  Scratch scratch;
  QString error;
  if (!PaintPicture(picture, inner, scratch, &error) ||
      DIWriteJpg(scratch, destination, quality, 0, &error) != 1) {
    std::fprintf(stderr, "failed: %s\n", qPrintable(error));
    return false;
  }
  return true;
}

bool drawBothAndWrite(const QString& source, const QString& full, const QString& thumb) {
  const Picture picture = Picture::LoadPicture(source);
  const PixelSize big =
      proportionalSurfaceSize(picture.widthTwips(), picture.heightTwips(), 800, 600);
  const PixelSize small =
      proportionalSurfaceSize(picture.widthTwips(), picture.heightTwips(), 140, 140);
  Scratch first, second;
  return PaintPictureTwice(picture, big, first, small, second) &&
         DIWriteJpg(first, full, 85, 0) == 1 && DIWriteJpg(second, thumb, 100, 0) == 1;
}

void djpeg(const QString& scale, const QString& source) {
  QProcess process;
  process.start("djpeg", {"-scale", scale, "-outfile", "/dev/null", source});
  if (!process.waitForFinished(60000) || process.exitCode() != 0) {
    std::fprintf(stderr, "djpeg failed\n");
  }
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const QStringList args = app.arguments();
  int runs = 5;
  const int runsAt = int(args.indexOf("--runs"));
  if (runsAt > 0 && runsAt + 1 < args.size()) {
    runs = std::max(1, args[runsAt + 1].toInt());
  }
  const bool huge = args.contains("--huge");
  // Child mode: one drawing in a fresh process, so that its peak memory is
  // that of the drawing alone.
  const int drawAt = int(args.indexOf("--draw"));
  if (drawAt > 0 && drawAt + 1 < args.size()) {
    const QString path = args[drawAt + 1];
    const auto start = Clock::now();
    const bool ok = drawBothAndWrite(path, path + ".out.jpg", path + ".thumb.jpg");
    std::printf("%s in %.1f ms, peak memory %ld MB\n", ok ? "drawn" : "FAILED",
                millisecondsSince(start), peakRssMegabytes());
    return ok ? 0 : 1;
  }

  QTemporaryDir dir;
  if (!dir.isValid() || VIPS_INIT(argv[0])) {
    return 1;
  }
  const QString source = dir.filePath("12mp.jpg");
  makeDetailedJpeg(source, 4000, 3000);
  std::printf("source: 4000 x 3000 JPEG, %lld bytes; median of %d runs, %u cores\n",
              QFile(source).size(), runs, std::thread::hardware_concurrency());

  const QString out = dir.filePath("out.jpg");
  const QString thumb = dir.filePath("thumb.jpg");
  drawAndWrite(source, 800, 600, 85, out);  // warm the page cache and libvips

  const double full = timeMedian(runs, [&] { drawAndWrite(source, 800, 600, 85, out); });
  const double small = timeMedian(runs, [&] { drawAndWrite(source, 140, 140, 100, thumb); });
  const double both = timeMedian(runs, [&] { drawBothAndWrite(source, out, thumb); });
  const double half = timeMedian(runs, [&] { djpeg("1/2", source); });
  const double eighth = timeMedian(runs, [&] { djpeg("1/8", source); });
  std::printf("800x599 output (load, draw, encode, write):  %7.1f ms\n", full);
  std::printf("140x104 thumbnail:                            %7.1f ms\n", small);
  std::printf("both from one decode (PaintPictureTwice):     %7.1f ms\n", both);
  std::printf("djpeg -scale 1/2 (decode only, + process):    %7.1f ms\n", half);
  std::printf("djpeg -scale 1/8 (decode only, + process):    %7.1f ms\n", eighth);

  // A run draws several pictures at once: compare libvips' own threads with
  // one thread per pipeline and two pictures in parallel.
  for (int threads : {0, 1}) {
    setConcurrency(threads);
    const double parallel = timeMedian(runs, [&] {
      std::vector<std::thread> workers;
      for (int w = 0; w < 2; ++w) {
        workers.emplace_back([&, w] {
          for (int k = 0; k < 2; ++k) {
            drawBothAndWrite(source, dir.filePath(QString("p%1.jpg").arg(w)),
                             dir.filePath(QString("t%1.jpg").arg(w)));
          }
        });
      }
      for (auto& worker : workers) {
        worker.join();
      }
    });
    std::printf("4 pictures (full + thumbnail), 2 workers, libvips threads %s: %7.1f ms\n",
                threads == 0 ? "default" : "1", parallel);
  }
  setConcurrency(0);
  std::printf("peak memory so far: %ld MB\n", peakRssMegabytes());

  if (huge) {
    const QString big = dir.filePath("100mp.jpg");
    makeDetailedJpeg(big, 12240, 8160);
    QProcess child;
    child.start(app.applicationFilePath(), {"--draw", big});
    child.waitForFinished(600000);
    std::printf("100-megapixel JPEG (%lld bytes) to 800x533 + 140x93: %s", QFile(big).size(),
                child.readAllStandardOutput().constData());
  }
  return 0;
}
