#pragma once
// Shared helpers of the window tests: pictures made on the spot, message boxes
// answered through the windows' seam, documents "opened" into a list.
#include <gtest/gtest.h>

#include <QDir>
#include <QListWidget>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

#include <vector>

#include "platform/Platform.h"
#include "ui/DirList.h"
#include "ui/Form1.h"
#include "ui/Messages.h"

namespace pixolane::test {

// Makes a JPEG with ImageMagick: `size` like "160x120", `content` like
// "gradient:red-blue"; extra arguments go before the file name.
inline void makeJpeg(const QString& path, const QString& size, const QString& content,
                     const QStringList& extra = {}) {
  const int rc = QProcess::execute("/usr/bin/convert",
                                   QStringList{"-size", size, content} + extra + QStringList{path});
  ASSERT_EQ(rc, 0) << path.toStdString();
}

// Records every message box and answers every question with `answer`.
struct MessageLog {
  std::vector<ui::Message> messages;
  std::vector<ui::Message> questions;
  bool answer = true;
  MessageLog() {
    ui::setMessageHandler([this](QWidget*, const ui::Message& m) { messages.push_back(m); });
    ui::setQuestionHandler([this](QWidget*, const ui::Message& q) {
      questions.push_back(q);
      return answer;
    });
  }
  ~MessageLog() {
    ui::setMessageHandler({});
    ui::setQuestionHandler({});
  }
  QStringList texts() const {
    QStringList out;
    for (const auto& m : messages)
      out << m.text;
    return out;
  }
};

// Documents the program asks the desktop to open.
struct OpenedDocuments {
  QStringList paths;
  OpenedDocuments() {
    platform::setDocumentOpener([this](const QString& p) {
      paths << p;
      return true;
    });
  }
  ~OpenedDocuments() { platform::setDocumentOpener({}); }
};

inline void clickItem(QListWidget* list, int row) {
  QListWidgetItem* item = list->item(row);
  ASSERT_NE(item, nullptr);
  list->scrollToItem(item);
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(item).center());
}

// Opens a folder in the folder list the way a user does: double-clicking each
// folder from the root down.
inline void openFolderByClicks(ui::DirList* dirs, const QString& folder) {
  const QString target = QDir::toNativeSeparators(QDir::cleanPath(folder));
  while (dirs->path() != target) {
    int found = -1;
    for (int i = 0; i < dirs->count(); ++i) {
      const QString entry = dirs->item(i)->data(Qt::UserRole).toString();
      if (entry != dirs->path() && target.startsWith(entry) &&
          (target.size() == entry.size() || target.at(entry.size()) == QDir::separator())) {
        found = i;
      }
    }
    ASSERT_GE(found, 0) << "no way down to " << target.toStdString();
    QListWidgetItem* item = dirs->item(found);
    dirs->scrollToItem(item);
    const QPoint at = dirs->visualItemRect(item).center();
    QTest::mouseClick(dirs->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(dirs->viewport(), Qt::LeftButton, {}, at);
  }
}

// Clicks a button where a user would: near the left edge, where check boxes
// and option buttons have their mark (their middle may lie past the text).
inline void click(QWidget* button) {
  QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(8, button->height() / 2));
}

// Types any text, accents included, key by key.
inline void typeText(QWidget* widget, const QString& text) {
  for (const QChar c : text)
    QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

// A shown main window whose picker is on `folder`.
inline void showOn(Form1& form, const QString& folder) {
  form.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
  ASSERT_TRUE(form.Dir1->setPath(folder));
}

}  // namespace pixolane::test
