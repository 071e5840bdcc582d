#pragma once
// Helpers shared by the page tests.
#include <gtest/gtest.h>

#include <QByteArray>

#include <ostream>
#include <vector>

// Readable failure messages: the bytes as text, with CR and LF made visible.
inline void PrintTo(const QByteArray& bytes, std::ostream* os) {
  QByteArray shown = bytes;
  shown.replace("\r", "\\r").replace("\n", "\\n\n");
  *os << '"' << shown.constData() << '"';
}

namespace pixolane::pages {

// The lines of a page without their ends; fails the test when a line does not
// end with CR LF or a bare CR or LF stands inside a line.
inline std::vector<QByteArray> lines(const QByteArray& page) {
  std::vector<QByteArray> out;
  EXPECT_TRUE(page.endsWith("\r\n"));
  qsizetype start = 0;
  while (start < page.size()) {
    const qsizetype end = page.indexOf("\r\n", start);
    if (end < 0) {
      ADD_FAILURE() << "unterminated last line";
      out.push_back(page.mid(start));
      break;
    }
    const QByteArray line = page.mid(start, end - start);
    EXPECT_FALSE(line.contains('\r') || line.contains('\n')) << line.constData();
    out.push_back(line);
    start = end + 2;
  }
  return out;
}

// The table's shape: 'c' for each cell start, '|' for each row break.
inline std::string rowShape(const QByteArray& page) {
  std::string shape;
  for (const QByteArray& line : lines(page)) {
    if (line.contains("<td width=")) {
      shape += 'c';
    } else if (line == " </tr>") {
      shape += '|';
    }
  }
  return shape;
}

}  // namespace pixolane::pages
