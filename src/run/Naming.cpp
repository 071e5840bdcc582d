#include "run/Naming.h"

namespace pixolane::run {

QString NomPic(const QString& path, QChar sep) {
  const qsizetype last = path.lastIndexOf(sep);
  return last < 0 ? path : path.mid(last + 1);
}

QString withFinalSeparator(const QString& folder, QChar sep) {
  if (folder.isEmpty() || folder.endsWith(sep))
    return folder;
  return folder + sep;
}

QString OutputLayout::photoOf(const QString& source) const {
  return photosFolder + sep + NomPic(source, sep);
}

QString OutputLayout::thumbnailOf(const QString& source) const {
  return thumbnailsFolder + sep + NomPic(source, sep);
}

OutputLayout outputLayout(const QString& destination, const QString& pageName, QChar sep) {
  // Without its final separator the destination would put the gallery beside
  // the folder the user named, and the page's links would not find it.
  const QString d = withFinalSeparator(destination, sep);
  OutputLayout layout;
  layout.sep = sep;
  layout.photosFolder = d + "pic" + pageName;
  layout.thumbnailsFolder = d + "mini" + pageName;
  layout.page = d + pageName + ".php";
  layout.document = d + pageName + ".html";
  return layout;
}

}  // namespace pixolane::run
