#pragma once
// A small gallery on disk, as a run leaves it: pictures, thumbnails, the page
// (here: the paths it links, one a line) and the record listing them.
#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>

#include <map>

#include "platform/Platform.h"
#include "run/GalleryRecord.h"

namespace pixolane::publishtest {

inline QStringList linksOf(const QByteArray& page) {
  return QString::fromUtf8(page).split('\n', Qt::SkipEmptyParts);
}

struct TestGallery {
  QString destination;  // with its final separator
  QString page = QStringLiteral("noel");

  // Writes the gallery for `photos` (name -> picture bytes) and its record;
  // photos no longer listed lose their files and entries.
  void write(const std::map<QString, QByteArray>& photos) {
    QDir().mkpath(destination + "picnoel");
    QDir().mkpath(destination + "mininoel");
    run::GalleryRecord record;
    QStringList links;
    for (const auto& [name, bytes] : photos) {
      for (const QString& folder : {QStringLiteral("picnoel/"), QStringLiteral("mininoel/")}) {
        const QString output = folder + name;
        put(output, folder.startsWith('m') ? "mini-" + bytes : bytes);
        record.put(run::GalleryRecord::entryFor(output, destination + output));
        links << output;
      }
    }
    for (const QString& old : written_) {
      if (!links.contains(old))
        QFile::remove(destination + old);
    }
    written_ = links;
    put(page + ".php", links.join('\n').toUtf8());
    record.put(run::GalleryRecord::entryFor(page + ".php", destination + page + ".php"));
    record.save(run::GalleryRecord::pathFor(destination, page));
  }

  void put(const QString& relative, const QByteArray& bytes) {
    QFile file(destination + relative);
    file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    file.write(bytes);
  }

  // Every file of the gallery, relative path -> bytes.
  std::map<QString, QByteArray> files() const {
    std::map<QString, QByteArray> out;
    for (const QString& link : written_ + QStringList{page + ".php"}) {
      QFile file(destination + link);
      file.open(QIODevice::ReadOnly);
      out[link] = file.readAll();
    }
    return out;
  }

  QStringList written_;
};

}  // namespace pixolane::publishtest
