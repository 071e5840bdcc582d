#include "job/Launch.h"

#include <algorithm>

namespace pixolane::job {

namespace {

bool blank(const QString& text) {
  return text.trimmed().isEmpty();
}

// A custom side as typed: whole number of 1..kMaxCustomSide pixels. The boxes
// only let digits through, but a pasted text or a huge number must not reach
// the encoder, which would fail or make an absurd picture.
std::optional<int> customSide(const QString& text) {
  const QString t = text.trimmed();
  if (t.isEmpty())
    return std::nullopt;
  for (QChar c : t) {
    if (c < u'0' || c > u'9')
      return std::nullopt;
  }
  // More than six digits is over the limit whatever they are (and could
  // overflow the conversion).
  if (t.size() > 6)
    return std::nullopt;
  const int value = t.toInt();
  if (value < 1 || value > kMaxCustomSide)
    return std::nullopt;
  return value;
}

// The largest side whose square stays within the drawing limit.
constexpr int kMaxProportionalSide = [] {
  int side = 1;
  while (imaging::drawableSize(side + 1, side + 1))
    ++side;
  return side;
}();

LaunchCheck refuse(const QString& message, LaunchField field) {
  return LaunchCheck{false, message, field};
}

// The page name is a file name and the suffix of the two folder names and of
// the page's links: a separator would put the gallery outside the destination
// (browsers read a backslash in a link as a slash), a control character would
// break the page's lines.
bool plainFileName(const QString& name) {
  for (QChar c : name) {
    if (c == u'/' || c == u'\\' || c.category() == QChar::Other_Control)
      return false;
  }
  return true;
}

}  // namespace

QString noPicturesMessage() {
  return QStringLiteral("Aucune image dans la liste de traitement");
}

LaunchCheck checkLaunch(GalleryJob& job) {
  if (blank(job.Text4)) {
    return refuse(QStringLiteral("Veuillez renseigner le nom de fichier html"),
                  LaunchField::PageName);
  }
  if (!plainFileName(job.Text4)) {
    return refuse(QStringLiteral("Le nom de fichier html ne doit contenir ni « / », ni « \\ », "
                                 "ni caractère de contrôle"),
                  LaunchField::PageName);
  }
  if (blank(job.Text3)) {
    return refuse(QStringLiteral("Veuillez renseigner le dossier de sortie"),
                  LaunchField::Destination);
  }
  if (job.List1.isEmpty()) {
    return refuse(noPicturesMessage(), LaunchField::List);
  }
  if (job.Option6) {
    const std::optional<int> width = customSide(job.Text1);
    if (!width) {
      return refuse(blank(job.Text1)
                        ? QStringLiteral("Veuillez indiquer la largeur personnalisée (de 1 à "
                                         "65500 pixels)")
                        : QStringLiteral("La largeur personnalisée doit être comprise entre 1 "
                                         "et 65500 pixels"),
                    LaunchField::CustomWidth);
    }
    const std::optional<int> height = customSide(job.Text2);
    if (!height) {
      return refuse(blank(job.Text2)
                        ? QStringLiteral("Veuillez indiquer la hauteur personnalisée (de 1 à "
                                         "65500 pixels)")
                        : QStringLiteral("La hauteur personnalisée doit être comprise entre 1 "
                                         "et 65500 pixels"),
                    LaunchField::CustomHeight);
    }
    if (!imaging::drawableSize(*width, *height)) {
      return refuse(QStringLiteral("La taille personnalisée ne doit pas dépasser %1 mégapixels "
                                   "(largeur x hauteur)")
                        .arg(imaging::kMaxMegapixels),
                    LaunchField::CustomWidth);
    }
    // Keeping proportions, a side of the box may become the long side of a
    // picture whose other side is nearly as long (a square photograph): a
    // box side whose square passes the limit would fail on every picture.
    if (isOne(job.Check2) && std::max(*width, *height) > kMaxProportionalSide) {
      return refuse(
          QStringLiteral("Avec « Garder les proportions », la largeur et la hauteur "
                         "personnalisées ne doivent pas dépasser %1 pixels : une image "
                         "carrée dépasserait la limite de %2 mégapixels")
              .arg(kMaxProportionalSide)
              .arg(imaging::kMaxMegapixels),
          *width > kMaxProportionalSide ? LaunchField::CustomWidth : LaunchField::CustomHeight);
    }
    // Taken even when the copy pass will run: the size stays the job's target.
    job.LargeurCible = *width;
    job.HauteurCible = *height;
  }
  return LaunchCheck{};
}

std::array<QString, 5> extractSiteFolders(const QString& destination,
                                          const std::array<QString, 5>& current, QChar sep) {
  std::array<QString, 5> boxes = current;
  // Positions below are 0-based: "Nouveau site" found at index i is the
  // 1-based position i + 1, and the first folder starts 13 characters after
  // that, past the name and the separator that follows it.
  const qsizetype found = destination.indexOf(QStringLiteral("Nouveau site"));
  const qsizetype p = found < 0 ? 0 : found + 1;
  qsizetype start = p + 13 - 1;
  if (start > destination.size())
    return boxes;
  qsizetype end = destination.indexOf(sep, start);
  // Too short to hold a first folder name: nothing to fill, keep every box.
  if (end < 0)
    return boxes;
  boxes[0] = destination.mid(start, end - start);
  for (std::size_t i = 1; i < boxes.size(); ++i) {
    start = end + 1;
    end = destination.indexOf(sep, start);
    if (end < 0)
      break;
    boxes[i] = destination.mid(start, end - start);
  }
  return boxes;
}

std::optional<int> parseBorder(const QString& text) {
  const QString t = text.trimmed();
  if (t.isEmpty() || t.size() > 2)
    return std::nullopt;
  for (QChar c : t) {
    if (c < u'0' || c > u'9')
      return std::nullopt;
  }
  return t.toInt();
}

}  // namespace pixolane::job
