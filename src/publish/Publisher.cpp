#include "publish/Publisher.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QSet>

#include <algorithm>

#include "platform/Platform.h"
#include "run/GalleryRecord.h"

namespace pixolane::publish {

namespace {

bool readWhole(const QString& path, QByteArray* bytes) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly))
    return false;
  *bytes = file.readAll();
  return file.error() == QFileDevice::NoError;
}

QByteArray sha256Of(const QString& path, bool* ok) {
  QFile file(path);
  QCryptographicHash hash(QCryptographicHash::Sha256);
  *ok = file.open(QIODevice::ReadOnly) && hash.addData(&file);
  return hash.result();
}

QString parentOf(const QString& path) {
  const qsizetype slash = path.lastIndexOf('/');
  return slash < 0 ? QString() : path.left(slash);
}

}  // namespace

GalleryFiles galleryFiles(const QString& destination, const QString& pageName) {
  GalleryFiles result;
  const QString dest = platform::withFinalSeparator(destination);
  const run::GalleryRecord record =
      run::GalleryRecord::load(run::GalleryRecord::pathFor(dest, pageName));
  QStringList paths;
  for (const run::RecordEntry& entry : record.entries())
    paths << entry.output;
  const QString page = pageName + QStringLiteral(".php");
  if (!QFileInfo(dest + page).isFile() || record.isEmpty()) {
    // Without its record the program cannot tell the gallery's files from
    // others in the folder, and an empty list would take the pictures down.
    result.error = QStringLiteral(
                       "Aucune galerie « %1 » créée par Pixolane dans « %2 » : créez-la "
                       "avant de la publier.")
                       .arg(pageName, QDir::toNativeSeparators(dest));
    return result;
  }
  if (!paths.contains(page))
    paths << page;
  paths.removeDuplicates();
  for (const QString& path : paths) {
    if (path.startsWith('/') || path.split('/').contains(QStringLiteral("..")))
      continue;  // never anything outside the destination
    LocalFile file{path, dest + path};
    const QFileInfo info(file.absolute);
    if (!info.isFile())
      continue;  // gone since the run: given up like a removed picture
    bool ok = false;
    file.sha256 = sha256Of(file.absolute, &ok);
    file.size = info.size();
    if (!ok) {
      result.error =
          QStringLiteral("Impossible de lire « %1 ».").arg(QDir::toNativeSeparators(file.absolute));
      result.files.clear();
      return result;
    }
    result.files.push_back(std::move(file));
  }
  return result;
}

Plan planPublication(const std::vector<LocalFile>& files, const Publication& published) {
  Plan plan;
  QSet<QString> present;
  for (const LocalFile& file : files) {
    present.insert(file.path);
    const auto it = published.files.constFind(file.path);
    if (it != published.files.cend() && it->size == file.size && it->sha256 == file.sha256) {
      ++plan.unchanged;
      continue;
    }
    plan.toSend.push_back(file);
    plan.bytesToSend += file.size;
  }
  std::stable_sort(plan.toSend.begin(), plan.toSend.end(),
                   [](const LocalFile& a, const LocalFile& b) {
                     if (a.isPage() != b.isPage())
                       return !a.isPage();
                     return a.path < b.path;
                   });
  for (auto it = published.files.cbegin(); it != published.files.cend(); ++it) {
    if (!present.contains(it.key()))
      plan.toRemove << it.key();
  }
  plan.toRemove.sort();
  return plan;
}

QString temporaryName(const QString& path) {
  const QString folder = parentOf(path);
  const QString name = folder.isEmpty() ? path : path.mid(folder.size() + 1);
  return (folder.isEmpty() ? QString() : folder + '/') + '.' + name +
         QStringLiteral(".pixolane-envoi");
}

QString formatBytes(qint64 bytes) {
  const QLocale french(QLocale::French, QLocale::France);
  if (bytes < 1000)
    return QStringLiteral("%1 octet%2").arg(bytes).arg(bytes > 1 ? "s" : "");
  if (bytes < 1000 * 1000)
    return french.toString(double(bytes) / 1000, 'f', 0) + QStringLiteral(" Ko");
  if (bytes < qint64(1000) * 1000 * 1000)
    return french.toString(double(bytes) / 1e6, 'f', 1) + QStringLiteral(" Mo");
  return french.toString(double(bytes) / 1e9, 'f', 1) + QStringLiteral(" Go");
}

QString progressLine(const PublishProgress& p) {
  QString line = QStringLiteral("%1 / %2 fichiers envoyés, %3 sur %4")
                     .arg(p.filesDone)
                     .arg(p.filesTotal)
                     .arg(formatBytes(p.bytesDone), formatBytes(p.bytesTotal));
  if (p.bytesPerSecond > 0)
    line += QStringLiteral(" — %1/s, %2 s restantes")
                .arg(formatBytes(qint64(p.bytesPerSecond)))
                .arg(p.secondsLeft);
  return line;
}

QString PublishReport::summary() const {
  // French puts 0 and 1 in the singular.
  auto count = [](int n, const QString& word) {
    return QStringLiteral("%1 %2%3").arg(n).arg(word, n > 1 ? QStringLiteral("s") : QString());
  };
  return QStringLiteral("Galerie publiée : %1 (%2), %3, %4.")
      .arg(QStringLiteral("%1 fichier%2").arg(sent).arg(sent > 1 ? "s envoyés" : " envoyé"),
           formatBytes(bytesSent), count(unchanged, QStringLiteral("inchangé")),
           count(removed, QStringLiteral("retiré")));
}

PublishReport runPlan(Transport& transport, const Plan& plan, Publication& published,
                      const QString& publicationPath, PublishView& view) {
  PublishReport report;
  report.unchanged = plan.unchanged;
  PublishProgress progress;
  progress.filesTotal = int(plan.toSend.size());
  progress.bytesTotal = plan.bytesToSend;
  QElapsedTimer clock;
  clock.start();
  auto show = [&](qint64 inFlight) {
    PublishProgress p = progress;
    p.bytesDone += inFlight;
    const double seconds = clock.elapsed() / 1000.0;
    if (seconds > 0.5 && p.bytesDone > 0) {
      p.bytesPerSecond = p.bytesDone / seconds;
      p.secondsLeft = int((p.bytesTotal - p.bytesDone) / p.bytesPerSecond + 0.5);
    }
    view.progress(p);
  };
  auto fail = [&](const QString& error) {
    report.error = error;
    return report;
  };
  auto stop = [&]() {
    report.cancelled = true;
    return fail(
        QStringLiteral("Publication interrompue : la page du serveur ne montre que des "
                       "fichiers présents ; « Publier » la termine."));
  };
  auto remember = [&](QString* error) { return published.save(publicationPath, error); };

  // Folders first, each once.
  QStringList folders;
  for (const LocalFile& file : plan.toSend) {
    const QString folder = parentOf(file.path);
    if (!folder.isEmpty() && !folders.contains(folder))
      folders << folder;
  }
  QString error;
  for (const QString& folder : folders) {
    if (!transport.makeFolder(folder, &error))
      return fail(error);
  }

  for (const LocalFile& file : plan.toSend) {
    if (view.cancelled())
      return stop();
    progress.current = file.path;
    show(0);
    QByteArray bytes;
    if (!readWhole(file.absolute, &bytes))
      return fail(QStringLiteral("Impossible de lire « %1 ».")
                      .arg(QDir::toNativeSeparators(file.absolute)));
    const QString temporary = temporaryName(file.path);
    bool cancelled = false;
    const bool sent = transport.send(
        bytes, temporary,
        [&](qint64 done) {
          show(done);
          cancelled = view.cancelled();
          return !cancelled;
        },
        &error);
    if (!sent || !transport.rename(temporary, file.path, &error)) {
      // The temporary file goes; the final name keeps what it had.
      QString ignored;
      transport.remove(temporary, &ignored);
      if (cancelled)
        return stop();
      return fail(error);
    }
    published.files.insert(
        file.path,
        PublishedFile{bytes.size(), QCryptographicHash::hash(bytes, QCryptographicHash::Sha256)});
    ++report.sent;
    report.bytesSent += bytes.size();
    ++progress.filesDone;
    progress.bytesDone += file.size;
    if (!remember(&error))
      return fail(error);
  }
  progress.current.clear();
  show(0);

  for (const QString& path : plan.toRemove) {
    if (view.cancelled())
      return stop();
    if (!transport.remove(path, &error))
      return fail(error);
    published.files.remove(path);
    ++report.removed;
    if (!remember(&error))
      return fail(error);
  }
  report.ok = true;
  return report;
}

PublishReport publishGallery(const QString& destination, const QString& pageName,
                             const Address& address, Transport& transport, PublishView& view) {
  PublishReport report;
  const GalleryFiles gallery = galleryFiles(destination, pageName);
  if (!gallery.error.isEmpty()) {
    report.error = gallery.error;
    return report;
  }
  const QString data = platform::galleryDataFolder(destination, pageName);
  const QString publicationPath = Publication::pathFor(data, address.text());
  Publication published = Publication::load(publicationPath, address.text());
  if (!transport.open(&report.error))
    return report;
  if (savedAddress(data) != address.text())
    saveAddress(data, address.text());
  // A file no longer on the server (emptied by hand, a restored site) is sent
  // again, and not counted as the program's any more.
  QHash<QString, QStringList> listings;
  for (auto it = published.files.begin(); it != published.files.end();) {
    const QString folder = parentOf(it.key());
    if (!listings.contains(folder) && !transport.list(folder, &listings[folder], &report.error))
      return report;
    if (listings.value(folder).contains(it.key().section('/', -1)))
      ++it;
    else
      it = published.files.erase(it);
  }
  const Plan plan = planPublication(gallery.files, published);
  return runPlan(transport, plan, published, publicationPath, view);
}

}  // namespace pixolane::publish
