#include "imaging/Caption.h"

#include <QFile>
#include <QStringDecoder>
#include <QXmlStreamReader>

#include <algorithm>
#include <array>

#include "imaging/ExifDate.h"
#include "imaging/Tiff.h"

namespace pixolane::imaging {

namespace {

constexpr std::uint16_t kImageDescription = 0x010E;
constexpr std::uint16_t kIptcResource = 0x0404;

const QByteArray kExifId("Exif\0\0", 6);
const QByteArray kXmpId("http://ns.adobe.com/xap/1.0/\0", 29);
const QByteArray kPhotoshopId("Photoshop 3.0\0", 14);

// UTF-8 when the bytes are valid UTF-8, Latin-1 otherwise (older cameras and
// programs wrote their own 8-bit text); cut at the first zero, trimmed. The
// bytes are one segment's at most (64 KiB), decoded whole so that a cut never
// splits a character and turns valid UTF-8 into Latin-1.
QString decodeText(QByteArray bytes) {
  const qsizetype zero = bytes.indexOf('\0');
  if (zero >= 0)
    bytes.truncate(zero);
  QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  QString text = utf8(bytes);
  if (utf8.hasError())
    text = QString::fromLatin1(bytes);
  text = text.trimmed();
  if (text.size() > kCaptionMaxChars) {
    text.truncate(kCaptionMaxChars);
    if (text.back().isHighSurrogate())  // never half a character
      text.chop(1);
  }
  return text.trimmed();
}

// What cameras write into ImageDescription when the photographer wrote nothing.
bool isPlaceholder(const QString& text) {
  static const std::array<const char*, 6> kPlaceholders{
      "OLYMPUS DIGITAL CAMERA", "SONY DSC", "DIGITAL CAMERA", "KONICA MINOLTA DIGITAL CAMERA",
      "MINOLTA DIGITAL CAMERA", "Default"};
  for (const char* p : kPlaceholders) {
    if (text == QLatin1String(p))
      return true;
  }
  return false;
}

// dc:description's text: the x-default alternative, else the first, else the
// element's own text.
QString xmpDescription(const QByteArray& packet) {
  static const QString kDc = QStringLiteral("http://purl.org/dc/elements/1.1/");
  static const QString kRdf = QStringLiteral("http://www.w3.org/1999/02/22-rdf-syntax-ns#");
  QXmlStreamReader xml(packet);
  QString first, chosen;
  int depth = 0;  // inside dc:description when > 0
  while (!xml.atEnd() && chosen.isEmpty()) {
    const auto token = xml.readNext();
    if (token == QXmlStreamReader::StartElement) {
      if (depth > 0) {
        ++depth;
        if (xml.namespaceUri() == kRdf && xml.name() == u"li") {
          const bool byDefault = xml.attributes().value(QStringLiteral("xml:lang")) == u"x-default";
          const QString text = xml.readElementText(QXmlStreamReader::SkipChildElements);
          --depth;
          if (byDefault)
            chosen = text;
          else if (first.isEmpty())
            first = text;
        }
      } else if (xml.namespaceUri() == kDc && xml.name() == u"description") {
        depth = 1;
      }
    } else if (token == QXmlStreamReader::EndElement && depth > 0) {
      --depth;
      if (depth == 0)
        break;
    } else if (token == QXmlStreamReader::Characters && depth == 1 && first.isEmpty()) {
      first = xml.text().toString().trimmed();
    }
  }
  return chosen.isEmpty() ? first : chosen;
}

quint32 be(const QByteArray& b, qsizetype at, int bytes) {
  quint32 v = 0;
  for (int i = 0; i < bytes; ++i)
    v = (v << 8) | uchar(b[at + i]);
  return v;
}

// IPTC Caption-Abstract (record 2, dataset 120) from the Photoshop segment's
// IPTC resource. Its character set is guessed as the other texts' (record 1
// names it only when it is UTF-8, which the guess finds anyway).
QString iptcCaption(const QByteArray& segment) {
  qsizetype at = kPhotoshopId.size();
  while (at + 12 <= segment.size() && segment.mid(at, 4) == "8BIM") {
    const quint32 id = be(segment, at + 4, 2);
    const qsizetype nameLength = uchar(segment[at + 6]);
    qsizetype sizeAt = at + 7 + nameLength;
    sizeAt += (sizeAt - at) % 2;  // the name is padded to an even length
    if (sizeAt + 4 > segment.size())
      return {};
    const qsizetype size = be(segment, sizeAt, 4);
    const qsizetype dataAt = sizeAt + 4;
    if (size > segment.size() - dataAt)
      return {};
    if (id == kIptcResource) {
      const QByteArray iptc = segment.mid(dataAt, size);
      for (qsizetype p = 0; p + 5 <= iptc.size() && iptc[p] == 0x1C;) {
        const int record = uchar(iptc[p + 1]), dataset = uchar(iptc[p + 2]);
        const qsizetype length = be(iptc, p + 3, 2);
        if (length & 0x8000)  // an extended dataset: no caption is that long
          return {};
        const QByteArray value = iptc.mid(p + 5, length);
        if (record == 2 && dataset == 120)
          return decodeText(value);
        p += 5 + length;
      }
      return {};
    }
    at = dataAt + size + size % 2;
  }
  return {};
}

}  // namespace

PhotoCaption readCaption(const QByteArray& jpegHeader) {
  PhotoCaption result;
  const QByteArray& b = jpegHeader;
  if (!b.startsWith("\xFF\xD8"))
    return result;
  QString xmp, iptc, exif;
  qsizetype at = 2;
  while (at + 2 <= b.size() && uchar(b[at]) == 0xFF) {
    uchar marker = 0xFF;
    while (marker == 0xFF && ++at < b.size())  // fill bytes may stand before a marker
      marker = uchar(b[at]);
    ++at;
    if (marker == 0xFF || marker == 0xDA || marker == 0xD9)  // the end, the first scan
      break;
    if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7))
      continue;  // markers without a length
    if (at + 2 > b.size())
      break;
    const qsizetype length = be(b, at, 2);
    if (length < 2)
      break;
    // A segment cut short by the end of the bytes is read as far as it goes.
    const QByteArray payload = b.mid(at + 2, std::min(length - 2, b.size() - at - 2));
    at += length;
    if (marker == 0xE1 && xmp.isEmpty() && payload.startsWith(kXmpId)) {
      xmp = decodeText(xmpDescription(payload.mid(kXmpId.size())).toUtf8());
    } else if (marker == 0xE1 && payload.startsWith(kExifId)) {
      const QByteArray block = payload.mid(kExifId.size());
      const TiffView tiff(reinterpret_cast<const unsigned char*>(block.constData()),
                          std::size_t(block.size()));
      if (const auto e = tiff.find(tiff.firstDirectory(), kImageDescription);
          e && exif.isEmpty() && (e->type == 2 || e->type == 1 || e->type == 7))
        exif = decodeText(block.mid(qsizetype(e->valueAt), qsizetype(e->valueSize)));
      const QByteArray key = dateTakenKey(block);
      if (!result.taken.isValid() && !key.isEmpty())
        result.taken = QDate::fromString(QString::fromLatin1(key.left(10)), u"yyyy:MM:dd");
    } else if (marker == 0xED && iptc.isEmpty() && payload.startsWith(kPhotoshopId)) {
      iptc = iptcCaption(payload);
    }
  }
  if (isPlaceholder(exif))
    exif.clear();
  result.text = !xmp.isEmpty() ? xmp : !iptc.isEmpty() ? iptc : exif;
  return result;
}

QByteArray readMetadataHead(const QString& path, qsizetype limit) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly))
    return {};
  QByteArray head = file.read(2);
  if (head != "\xFF\xD8")
    return {};
  // Segment by segment, so only the header is read, never the picture data;
  // fill bytes and markers without a length are walked past as readCaption does.
  char c = 0;
  while (head.size() < limit && file.getChar(&c) && uchar(c) == 0xFF) {
    head += c;
    uchar marker = 0xFF;
    while (marker == 0xFF && head.size() < limit && file.getChar(&c)) {
      head += c;
      marker = uchar(c);
    }
    if (marker == 0xFF || marker == 0xD9)
      break;
    if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7))
      continue;
    const QByteArray length = file.read(2);
    head += length;
    if (marker == 0xDA || length.size() < 2 || be(length, 0, 2) < 2)
      break;
    head += file.read(std::min(qsizetype(be(length, 0, 2)) - 2, limit - head.size()));
  }
  return head;
}

}  // namespace pixolane::imaging
