#include "run/ApercuLogic.h"

#include "job/Launch.h"
#include "run/Naming.h"

namespace pixolane::run {

QString formatKo(qint64 bytes) {
  const qint64 ko = (qMax<qint64>(bytes, 0) + 500) / 1000;
  return QStringLiteral("%1").arg(ko, 2, 10, QLatin1Char('0'));
}

QString apercuCaption(int qualite, qint64 bytes, int largeurCible, int hauteurCible,
                      const QString& path, int progressif) {
  return QString::number(qualite) + QStringLiteral("% - Taille :") + formatKo(bytes) +
         QStringLiteral("Ko - ") + QString::number(largeurCible) + QStringLiteral("x") +
         QString::number(hauteurCible) + QStringLiteral(" - ") + NomPic(path) +
         (progressif == 1 ? QStringLiteral(" - Format Progressif")
                          : QStringLiteral(" - Format Standart"));
}

QString apercuEmptyListCaption() {
  return job::noPicturesMessage();
}

QString apercuUnreadableCaption(const QString& path) {
  return QStringLiteral("Impossible de lire l'image ") + NomPic(path);
}

QString apercuEncodeFailedCaption(const QString& path) {
  return QStringLiteral("Impossible de compresser l'image ") + NomPic(path);
}

PreviewRender renderPreview(QString path, int largeurCible, int hauteurCible, int qualite,
                            int progressif) {
  PreviewRender result;
  const imaging::Picture picture = imaging::Picture::LoadPicture(path);
  if (!picture.ok()) {
    result.status = PreviewRender::Status::Unreadable;
    result.error = picture.error();
    return result;
  }
  result.size = imaging::proportionalSurfaceSize(picture.widthTwips(), picture.heightTwips(),
                                                 largeurCible, hauteurCible);
  if (result.size.width < 1 || result.size.height < 1) {
    result.status = PreviewRender::Status::EncodeFailed;
    result.error = QStringLiteral("Taille cible invalide");
    return result;
  }
  imaging::Scratch scratch;
  if (!imaging::PaintPicture(picture, result.size, scratch, &result.error)) {
    result.status = PreviewRender::Status::Unreadable;
    return result;
  }
  const QByteArray jpeg = imaging::encodeJpeg(scratch, qualite, progressif, &result.error);
  scratch.release();
  if (jpeg.isEmpty()) {
    result.status = PreviewRender::Status::EncodeFailed;
    return result;
  }
  result.encodedBytes = jpeg.size();
  result.decoded = imaging::decodeRgb(jpeg, &result.error);
  result.status =
      result.decoded.isNull() ? PreviewRender::Status::EncodeFailed : PreviewRender::Status::Ok;
  return result;
}

}  // namespace pixolane::run
