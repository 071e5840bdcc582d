#include "platform/PictureListing.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#ifdef Q_OS_UNIX
#include <dirent.h>
#include <sys/stat.h>
#endif

#include <algorithm>
#include <numeric>
#include <vector>

namespace pixolane::platform {

namespace {

bool isDigit(QChar c) {
  return c >= u'0' && c <= u'9';
}

// Compatibility decomposition drops accents into combining marks (and turns
// ligatures and full-width digits into plain letters and digits); the marks
// go, and Unicode case folding (not the locale's) does the rest.
QString folded(const QString& name) {
  const QString decomposed = name.normalized(QString::NormalizationForm_KD);
  QString out;
  out.reserve(decomposed.size());
  for (const QChar c : decomposed) {
    if (c.category() != QChar::Mark_NonSpacing && c.category() != QChar::Mark_Enclosing &&
        c.category() != QChar::Mark_SpacingCombining)
      out.append(c);
  }
  return out.toCaseFolded();
}

// A digit run without its leading zeros: shorter means smaller.
QStringView digitRun(QStringView text, qsizetype& at) {
  qsizetype start = at;
  while (at < text.size() && isDigit(text[at]))
    ++at;
  while (start + 1 < at && text[start] == u'0')
    ++start;
  return text.mid(start, at - start);
}

int compareFolded(QStringView x, QStringView y) {
  qsizetype i = 0, j = 0;
  while (i < x.size() && j < y.size()) {
    if (isDigit(x[i]) && isDigit(y[j])) {
      const QStringView a = digitRun(x, i);
      const QStringView b = digitRun(y, j);
      if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
      if (const int c = a.compare(b))
        return c < 0 ? -1 : 1;
      continue;
    }
    if (x[i] != y[j])
      return x[i] < y[j] ? -1 : 1;
    ++i;
    ++j;
  }
  const bool xLeft = i < x.size(), yLeft = j < y.size();
  return xLeft == yLeft ? 0 : (xLeft ? 1 : -1);
}

int compareWithKeys(const QString& a, const QString& keyA, const QString& b, const QString& keyB) {
  if (const int c = compareFolded(keyA, keyB))
    return c;
  const int exact = a.compare(b);
  return exact < 0 ? -1 : (exact > 0 ? 1 : 0);
}

}  // namespace

int compareForReading(const QString& a, const QString& b) {
  return compareWithKeys(a, folded(a), b, folded(b));
}

QStringList sortedForReading(QStringList names) {
  // Each name is folded once, not once per comparison.
  std::vector<QString> keys;
  keys.reserve(names.size());
  for (const QString& n : names)
    keys.push_back(folded(n));
  std::vector<qsizetype> order(names.size());
  std::iota(order.begin(), order.end(), 0);
  std::sort(order.begin(), order.end(), [&](qsizetype l, qsizetype r) {
    return compareWithKeys(names[l], keys[l], names[r], keys[r]) < 0;
  });
  QStringList out;
  out.reserve(names.size());
  for (const qsizetype i : order)
    out.append(names[i]);
  return out;
}

QString fileNameForDisplay(const QByteArray& raw) {
  const QString name = QFile::decodeName(raw);
  if (QFile::encodeName(name) == raw)
    return name;
  // Valid UTF-8 sequences stay readable; every other byte is shown as \xHH.
  QString shown;
  for (qsizetype i = 0; i < raw.size();) {
    const uchar lead = uchar(raw[i]);
    const qsizetype length = lead < 0x80                    ? 1
                             : lead >= 0xC2 && lead <= 0xDF ? 2
                             : lead >= 0xE0 && lead <= 0xEF ? 3
                             : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                            : 0;
    const QByteArray sequence = raw.mid(i, length);
    if (length > 0 && sequence.size() == length &&
        QString::fromUtf8(sequence).toUtf8() == sequence &&
        !QString::fromUtf8(sequence).contains(QChar::ReplacementCharacter)) {
      shown += QString::fromUtf8(sequence);
      i += length;
    } else {
      shown += QStringLiteral("\\x") + QString::number(lead, 16).rightJustified(2, u'0').toUpper();
      ++i;
    }
  }
  return shown;
}

bool unrepresentableName(const QString& path) {
#ifdef Q_OS_UNIX
  static const QRegularExpression escape(QStringLiteral("\\\\x([0-9A-Fa-f]{2})"));
  if (!path.contains(escape) || QFileInfo::exists(path))
    return false;
  QByteArray raw;
  qsizetype at = 0;
  for (auto it = escape.globalMatch(path); it.hasNext();) {
    const auto m = it.next();
    raw += QFile::encodeName(path.mid(at, m.capturedStart() - at));
    raw += char(m.captured(1).toInt(nullptr, 16));
    at = m.capturedEnd();
  }
  raw += QFile::encodeName(path.mid(at));
  struct stat st;
  return ::stat(raw.constData(), &st) == 0;
#else
  Q_UNUSED(path);
  return false;
#endif
}

QStringList picturesIn(const QString& folder) {
#ifdef Q_OS_UNIX
  // Read as bytes: Qt's listing would turn a name that is not UTF-8 into one
  // that names no file.
  QStringList names;
  const QByteArray base = QFile::encodeName(folder);
  DIR* dir = ::opendir(base.constData());
  if (!dir)
    return names;
  while (const dirent* entry = ::readdir(dir)) {
    const QByteArray raw(entry->d_name);
    if (raw.startsWith('.'))
      continue;
    const QByteArray lower = raw.toLower();
    if (!lower.endsWith(".jpg") && !lower.endsWith(".jpeg"))
      continue;
    struct stat st;
    if (::stat((base + '/' + raw).constData(), &st) != 0 || !S_ISREG(st.st_mode))
      continue;
    names << fileNameForDisplay(raw);
  }
  ::closedir(dir);
  return sortedForReading(names);
#else
  QDir dir(folder);
  dir.setNameFilters({QStringLiteral("*.jpg"), QStringLiteral("*.jpeg")});
  dir.setFilter(QDir::Files);  // case-insensitive matching is QDir's default
  dir.setSorting(QDir::Unsorted);
  return sortedForReading(dir.entryList());
#endif
}

}  // namespace pixolane::platform
