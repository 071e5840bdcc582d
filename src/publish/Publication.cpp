#include "publish/Publication.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>

#include <algorithm>

#include "platform/Files.h"

namespace pixolane::publish {

namespace {

const QByteArray kHeader = "pixolane-publication 1";

bool ensureFolder(const QString& file, QString* error) {
  const QString folder = QFileInfo(file).absolutePath();
  if (QDir().mkpath(folder))
    return true;
  if (error)
    *error = QStringLiteral("Impossible de créer le dossier « %1 ».").arg(folder);
  return false;
}

}  // namespace

QString Publication::pathFor(const QString& dataFolder, const QString& address) {
  const QByteArray digest =
      QCryptographicHash::hash(address.toUtf8(), QCryptographicHash::Sha256).toHex().left(16);
  return dataFolder + QStringLiteral("publication-") + QString::fromLatin1(digest);
}

Publication Publication::load(const QString& path, const QString& address) {
  Publication p;
  p.address = address;
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly))
    return p;
  const QList<QByteArray> lines = file.readAll().split('\n');
  // header, address, entries..., "end <count>", then the empty piece after the last LF
  if (lines.size() < 4 || lines.at(0) != kHeader || QString::fromUtf8(lines.at(1)) != address)
    return p;
  const QByteArray end = lines.at(lines.size() - 2);
  if (end != "end " + QByteArray::number(lines.size() - 4))
    return p;
  for (qsizetype i = 2; i < lines.size() - 2; ++i) {
    const QList<QByteArray> f = lines.at(i).split('\t');
    bool ok = false;
    PublishedFile entry{f.value(1).toLongLong(&ok), QByteArray::fromHex(f.value(2))};
    if (f.size() != 3 || !ok || entry.sha256.size() != 32) {
      p.files.clear();
      return p;
    }
    p.files.insert(QString::fromUtf8(QByteArray::fromPercentEncoding(f.at(0))), entry);
  }
  return p;
}

bool Publication::save(const QString& path, QString* error) const {
  QStringList names = files.keys();
  std::sort(names.begin(), names.end());
  QByteArray out = kHeader + '\n' + address.toUtf8() + '\n';
  for (const QString& name : names) {
    const PublishedFile& f = files.value(name);
    out += name.toUtf8().toPercentEncoding("/ ()[]!$&'*+,;=:@~") + '\t' +
           QByteArray::number(f.size) + '\t' + f.sha256.toHex() + '\n';
  }
  out += "end " + QByteArray::number(names.size()) + '\n';
  return ensureFolder(path, error) && platform::writeFileAtomically(path, out, error);
}

QString savedAddress(const QString& dataFolder) {
  QFile file(dataFolder + QStringLiteral("adresse-publication"));
  if (!file.open(QIODevice::ReadOnly))
    return {};
  return QString::fromUtf8(file.readLine()).trimmed();
}

bool saveAddress(const QString& dataFolder, const QString& address, QString* error) {
  const QString path = dataFolder + QStringLiteral("adresse-publication");
  return ensureFolder(path, error) &&
         platform::writeFileAtomically(path, address.toUtf8() + '\n', error);
}

}  // namespace pixolane::publish
