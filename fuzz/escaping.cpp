// Names and texts put in the pages: escaped, they hold no byte above 0x7F, no
// quote or angle bracket, no "&" that does not start a reference, and they
// read back exactly (addresses after percent-decoding).
#include "FuzzSupport.h"
#include "pages/Pages.h"

using namespace pixolane;

namespace {

// The text a browser reads from attribute bytes made by the writers.
QString unescaped(const QByteArray& ascii) {
  QString out;
  for (qsizetype i = 0; i < ascii.size(); ++i) {
    const char c = ascii[i];
    FUZZ_CHECK(uchar(c) < 0x80 && c != '"' && c != '<' && c != '>');
    if (c != '&') {
      out += QLatin1Char(c);
      continue;
    }
    const qsizetype end = ascii.indexOf(';', i);
    FUZZ_CHECK(end > i + 1);
    const QByteArray name = ascii.mid(i + 1, end - i - 1);
    if (name == "amp") {
      out += u'&';
    } else if (name == "quot") {
      out += u'"';
    } else if (name == "lt") {
      out += u'<';
    } else if (name == "gt") {
      out += u'>';
    } else {
      FUZZ_CHECK(name.startsWith('#') && name.size() > 1 && name.size() <= 8);
      bool ok = false;
      const uint code = name.mid(1).toUInt(&ok);
      FUZZ_CHECK(ok && QByteArray::number(code) == name.mid(1) && code <= 0x10FFFF);
      if (QChar::requiresSurrogates(code)) {
        out += QChar(QChar::highSurrogate(code));
        out += QChar(QChar::lowSurrogate(code));
      } else {
        out += QChar(char16_t(code));  // not fromUcs4, which drops a leading U+FEFF
      }
    }
    i = end;
  }
  return out;
}

// The text with each lone half of a surrogate pair as U+FFFD, as the pages
// write it.
QString wellFormed(const QString& text) {
  QString out;
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar c = text[i];
    if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
      out += c;
      out += text[++i];
    } else {
      out += c.isSurrogate() ? QChar(QChar::ReplacementCharacter) : c;
    }
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::quietQt();
  if (size == 0)
    return 0;
  // The first byte says how to read the rest: UTF-8 as a file system gives
  // names, or UTF-16 units as they are, lone surrogates included.
  const char* rest = reinterpret_cast<const char*>(data + 1);
  const QString text =
      data[0] & 1 ? QString(reinterpret_cast<const QChar*>(rest), qsizetype((size - 1) / 2))
                  : QString::fromUtf8(rest, qsizetype(size - 1));

  FUZZ_CHECK(unescaped(pages::toAsciiText(pages::escapeText(text))) == wellFormed(text));

  const QByteArray url = pages::toAsciiText(pages::escapeUrl(text));
  const QByteArray address = unescaped(url).toLatin1();
  for (const char c : QByteArrayView("#?\\ ")) {
    FUZZ_CHECK(!address.contains(c));
  }
  FUZZ_CHECK(QByteArray::fromPercentEncoding(address) == text.toUtf8());

  // Whole pages with that text wherever the user's words go.
  pages::GalleryPageData gallery;
  gallery.pageName = text;
  gallery.sitePath = {QString(), text};
  gallery.Check5 = 1;
  gallery.cells = {{text, 10, 10}};
  for (const char c : pages::galleryPage(gallery))
    FUZZ_CHECK(uchar(c) < 0x80);
  pages::PreviewPageData preview;
  preview.title = text;
  preview.Check5 = 1;
  preview.cells = {{text, 10, 10}};
  for (const char c : pages::previewPage(preview))
    FUZZ_CHECK(uchar(c) < 0x80);
  return 0;
}
