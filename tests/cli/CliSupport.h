#pragma once
// Running the built pixolane-cli from a test, drawing its input pictures, and
// reading what it wrote.
#include <vips/vips8>  // before Qt: its keyword macros would break glib's headers

#include <gtest/gtest.h>

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <cstdint>
#include <map>
#include <vector>

namespace pixolane::clitest {

// The executable under test: named by CTest, or the one of the same build
// when the test executable is started by hand.
inline QString cliPath() {
  const QString named = qEnvironmentVariable("PIXOLANE_CLI");
  if (!named.isEmpty())
    return named;
  const QString beside = QCoreApplication::applicationDirPath() + "/../pixolane-cli";
  return QFileInfo(beside).isExecutable() ? beside : QString();
}

struct CliResult {
  int exitCode = -1;
  bool crashed = false;
  QByteArray out;
  QByteArray err;
  QString errText() const { return QString::fromUtf8(err); }
  // The last line printed on stdout: the page path when one was written.
  QString lastOutLine() const {
    const QStringList lines = QString::fromUtf8(out).split('\n', Qt::SkipEmptyParts);
    return lines.isEmpty() ? QString() : lines.last();
  }
};

// The program's per-user data (the galleries' records) goes to a folder of
// this test program, never to the data of the user running the tests.
inline void isolateUserData() {
  static QTemporaryDir data;
  qputenv("XDG_DATA_HOME", QFile::encodeName(data.path()));
}

inline void prepare(QProcess& process, const QStringList& args) {
  process.setProgram(cliPath());
  process.setArguments(args);
  process.setProcessEnvironment(QProcessEnvironment::systemEnvironment());
}

inline CliResult collect(QProcess& process) {
  CliResult r;
  r.out = process.readAllStandardOutput();
  r.err += process.readAllStandardError();
  r.crashed = process.exitStatus() != QProcess::NormalExit;
  r.exitCode = process.exitCode();
  return r;
}

// Runs the program to its end (stdin closed, so it never waits on a question).
inline CliResult runCli(const QStringList& args) {
  QProcess process;
  prepare(process, args);
  process.start();
  if (!process.waitForStarted(10000)) {
    ADD_FAILURE() << "cannot start " << cliPath().toStdString() << "";
    return {};
  }
  process.closeWriteChannel();
  if (!process.waitForFinished(60000)) {
    process.kill();
    process.waitForFinished();
    ADD_FAILURE() << "pixolane-cli did not finish";
  }
  return collect(process);
}

// The cache off: a cached load would give a test the file's earlier content
// after a run rewrote it under the same name.
inline void initVips() {
  static const bool ready = VIPS_INIT("test_cli") == 0 && (vips_cache_set_max(0), true);
  (void)ready;
}

// Gradients in red and green, noise in blue: enough detail for the encoder to
// show its quality setting.
inline void drawJpeg(const QString& path, int width, int height, int quality = 90,
                     double seedMean = 128.0) {
  initVips();
  using vips::VImage;
  const VImage xy = VImage::xyz(width, height);
  const VImage red = xy[0] * (255.0 / std::max(1, width - 1));
  const VImage green = xy[1] * (255.0 / std::max(1, height - 1));
  const VImage blue = VImage::gaussnoise(
      width, height, VImage::option()->set("mean", seedMean)->set("sigma", 30.0));
  QDir().mkpath(path.section('/', 0, -2));
  VImage::bandjoin(std::vector<VImage>{red, green, blue})
      .cast(VIPS_FORMAT_UCHAR)
      .copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB))
      .jpegsave(QFile::encodeName(path).constData(), VImage::option()->set("Q", quality));
}

inline QByteArray readAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

struct JpegInfo {
  bool valid = false;
  int width = 0;
  int height = 0;
  std::uint8_t frame = 0;  // 0xC0 baseline, 0xC2 progressive
};

// Size and frame type from the start-of-frame segment.
inline JpegInfo jpegInfo(const QByteArray& data) {
  JpegInfo info;
  const auto* b = reinterpret_cast<const std::uint8_t*>(data.constData());
  const qsizetype n = data.size();
  if (n < 4 || b[0] != 0xFF || b[1] != 0xD8)
    return info;
  qsizetype i = 2;
  while (i + 4 <= n && b[i] == 0xFF) {
    const std::uint8_t code = b[i + 1];
    const int length = b[i + 2] << 8 | b[i + 3];
    const bool sof = code >= 0xC0 && code <= 0xCF && code != 0xC4 && code != 0xC8 && code != 0xCC;
    if (sof && i + 9 <= n) {
      info.frame = code;
      info.height = b[i + 5] << 8 | b[i + 6];
      info.width = b[i + 7] << 8 | b[i + 8];
      info.valid = b[n - 2] == 0xFF && b[n - 1] == 0xD9;  // complete file
      return info;
    }
    if (code == 0xDA)
      break;
    i += 2 + length;
  }
  return info;
}

inline JpegInfo jpegInfoOf(const QString& path) {
  return jpegInfo(readAll(path));
}

// ImageMagick's estimate of the quality the file was encoded at.
inline int identifyQuality(const QString& path) {
  QProcess identify;
  identify.start("/usr/bin/identify", {"-format", "%Q", path});
  if (!identify.waitForFinished(30000))
    return -1;
  bool ok = false;
  const int q = QString::fromUtf8(identify.readAllStandardOutput()).trimmed().toInt(&ok);
  return ok ? q : -1;
}

// By path relative to root, with its bytes: every file under root but the preview mark (it holds
// times); other hidden files, such as a temporary file left, are kept.
inline std::map<QString, QByteArray> treeOf(const QString& root) {
  std::map<QString, QByteArray> files;
  QDirIterator it(root, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
  while (it.hasNext()) {
    const QString path = it.next();
    const QString name = it.fileName();
    if (name == ".pixolane-apercu")
      continue;
    files[QDir(root).relativeFilePath(path)] = readAll(path);
  }
  return files;
}

inline QStringList namesOf(const std::map<QString, QByteArray>& tree) {
  QStringList names;
  for (const auto& [name, bytes] : tree)
    names << name;
  return names;
}

}  // namespace pixolane::clitest
