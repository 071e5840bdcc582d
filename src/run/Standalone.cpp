#include "run/Standalone.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <cerrno>

#include "imaging/CImageInfo.h"
#include "imaging/StripPrivate.h"
#include "pages/StandalonePage.h"
#include "platform/Files.h"
#include "run/ProcessingRun.h"

namespace pixolane::run {

bool carriesStandaloneMarker(const QString& document) {
  QFile existing(document);
  // The page names its generator in its head, well within the first bytes.
  return QFileInfo(document).isFile() && existing.open(QIODevice::ReadOnly) &&
         existing.read(4096).contains(pages::standaloneMarker());
}

void writeStandalone(const job::GalleryJob& job, const OutputLayout& layout,
                     const std::vector<pages::Cell>& cells, const WebThumbnails& web,
                     RunReport& report) {
  pages::StandalonePageData data;
  data.title = job.Text5;
  data.pageName = job.Text4;
  data.Check5 = job.Check5;
  // A cell is its file name's: pictures of the same name share one thumbnail,
  // the later one's.
  QHash<QString, size_t> entryOf;
  for (qsizetype i = 0; i < job.List1.size(); ++i)
    entryOf.insert(NomPic(job.List1.at(i), layout.sep), size_t(i));
  for (const pages::Cell& cell : cells) {
    pages::StandaloneCell out{cell};
    const auto found = entryOf.constFind(cell.fileName);
    if (found != entryOf.constEnd()) {
      const size_t i = *found;
      out.caption = web.captions[i].text;
      out.taken = web.captions[i].taken;
      imaging::CImageInfo info;
      if ((web.written[i] || web.reused[i]) &&
          info.ReadImageInfo(web.paths[i]) == imaging::CImageInfo::Status::Ok && info.Width() > 0) {
        out.webFileName = NomPic(web.paths[i], layout.sep);
        out.webWidth = info.Width();
      }
    }
    data.cells.push_back(std::move(out));
  }
  QString error;
  if (platform::writeFileAtomically(layout.document, pages::standalonePage(data), &error))
    report.standalonePath = layout.document;
  else
    report.addError(error);
}

bool copyPicture(const QString& source, const QString& destination, bool stripPrivate,
                 QString* reason) {
  if (!stripPrivate)
    return platform::copyFileAtomically(source, destination, reason);
  QFile file(source);
  QByteArray bytes;
  if (file.open(QIODevice::ReadOnly))
    bytes = file.readAll();
  if (file.error() != QFileDevice::NoError) {  // opening or reading
    const int err = errno;                     // the French reason, as for a plain copy
    *reason = QStringLiteral("Impossible de lire « %1 » : %2")
                  .arg(source, platform::fileErrorReason(err, file.errorString()));
    return false;
  }
  const imaging::Stripped stripped = imaging::stripPrivate(bytes);
  if (!stripped.ok && bytes.startsWith("\xFF\xD8")) {
    // A JPEG too damaged to walk might still carry what the user asked to
    // remove: it is not published.
    *reason = QStringLiteral(
        "structure JPEG illisible : les données privées n'ont pas pu être "
        "retirées, l'image n'a pas été copiée");
    return false;
  }
  return platform::writeFileAtomically(destination, stripped.ok ? stripped.bytes : bytes, reason);
}

}  // namespace pixolane::run
