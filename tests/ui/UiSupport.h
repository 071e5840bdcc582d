#pragma once
// Shared helpers of the window tests: pictures made on the spot, message boxes
// answered through the windows' seam, documents "opened" into a list.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStringList>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QWebEngineView>

#include <array>
#include <functional>
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

// Records every message box and answers every question with `answer`, after
// running `whileAsked` (the box still up); a box with an action button is
// answered with `takeAction` (or its second action, "Publier", with
// `takeSecondAction`).
struct MessageLog {
  std::vector<ui::Message> messages;
  std::vector<ui::Message> questions;
  bool answer = true;
  bool takeAction = false;
  bool takeSecondAction = false;
  std::function<void()> whileAsked;
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
  bool opens = true;  // false: the desktop has no program for them
};

// The windows' services answered by the test: boxes into `log`, documents
// into `opened`, folder dialogs by `folders` (cancel while it is empty).
inline ui::Services services(MessageLog* log, OpenedDocuments* opened = nullptr,
                             ui::FolderDialog* folders = nullptr) {
  ui::Services s;
  if (log) {
    s.message = [log](QWidget*, const ui::Message& m) { log->messages.push_back(m); };
    s.messageWithAction = [log](QWidget*, const ui::Message& m) {
      log->messages.push_back(m);
      return log->takeSecondAction && !m.secondAction.isEmpty() ? 2 : int(log->takeAction);
    };
    s.question = [log](QWidget*, const ui::Message& q) {
      log->questions.push_back(q);
      if (log->whileAsked)
        log->whileAsked();
      return log->answer;
    };
  }
  if (opened) {
    s.openDocument = [opened](const QString& p) {
      opened->paths << p;
      return opened->opens;
    };
  }
  if (folders) {
    s.folderDialog = [folders](QWidget* owner, const QString& title, const QString& initial) {
      return *folders ? (*folders)(owner, title, initial) : QString();
    };
  }
  return s;
}

// Runs `start`, which opens a processing window, and waits until the window
// has closed, the main window has acted on its end and the window is gone.
inline void runToEnd(ui::Form1& form, const std::function<void()>& start) {
  QSignalSpy closed(&form, &ui::Form1::runClosed);
  start();
  ASSERT_TRUE(closed.count() > 0 || closed.wait(120000));
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

inline void clickItem(QAbstractItemView* list, int row) {
  const QModelIndex index = list->model()->index(row, 0);
  ASSERT_TRUE(index.isValid());
  list->scrollTo(index);
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(index).center());
}

// The texts of a list's rows.
inline QStringList rowTexts(const QAbstractItemView* list) {
  QStringList out;
  for (int i = 0; i < list->model()->rowCount(); ++i)
    out << list->model()->index(i, 0).data().toString();
  return out;
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

// The main window's controls, found by their designer names.
struct MainControls {
  explicit MainControls(const QWidget& window) : root(window) {}

  template <class W>
  W* find(const QString& name) const {
    W* widget = root.findChild<W*>(name);
    EXPECT_NE(widget, nullptr) << name.toStdString();
    return widget;
  }
  template <class W, size_t N>
  std::array<W*, N> findArray(const QString& name, int first) const {
    std::array<W*, N> out{};
    for (int i = first; i < int(N); ++i)
      out[i] = find<W>(QStringLiteral("%1(%2)").arg(name).arg(i));
    return out;
  }

  const QWidget& root;
  QComboBox* Drive1 = find<QComboBox>("Drive1");
  ui::DirList* Dir1 = find<ui::DirList>("Dir1");
  QListWidget* File1 = find<QListWidget>("File1");
  QCheckBox* Check1 = find<QCheckBox>("Check1");
  QToolButton* Command2 = find<QToolButton>("Command2");
  QToolButton* Command3 = find<QToolButton>("Command3");
  QCheckBox* para = find<QCheckBox>("para");
  QCheckBox* aper = find<QCheckBox>("aper");
  QTabWidget* SSTab1 = find<QTabWidget>("SSTab1");
  QWebEngineView* WebBrowser1 = find<QWebEngineView>("WebBrowser1");
  QListView* List1 = find<QListView>("List1");
  QToolButton* Command7 = find<QToolButton>("Command7");
  QToolButton* Command8 = find<QToolButton>("Command8");
  QLabel* Label1 = find<QLabel>("Label1");
  QPushButton* Command4 = find<QPushButton>("Command4");
  QPushButton* Command1 = find<QPushButton>("Command1");
  QCheckBox* Check3 = find<QCheckBox>("Check3");
  QRadioButton* Option1 = find<QRadioButton>("Option1");
  QRadioButton* Option2 = find<QRadioButton>("Option2");
  QRadioButton* Option3 = find<QRadioButton>("Option3");
  QRadioButton* Option4 = find<QRadioButton>("Option4");
  QRadioButton* Option5 = find<QRadioButton>("Option5");
  QRadioButton* Option6 = find<QRadioButton>("Option6");
  QRadioButton* Option7 = find<QRadioButton>("Option7");
  QLineEdit* Text1 = find<QLineEdit>("Text1");
  QLineEdit* Text2 = find<QLineEdit>("Text2");
  QCheckBox* Check2 = find<QCheckBox>("Check2");
  QGroupBox* Frame3 = find<QGroupBox>("Frame3");
  QScrollBar* HScroll1 = find<QScrollBar>("HScroll1");
  QRadioButton* Option8 = find<QRadioButton>("Option8");
  QRadioButton* Option9 = find<QRadioButton>("Option9");
  QPushButton* Command9 = find<QPushButton>("Command9");
  QCheckBox* Check6 = find<QCheckBox>("Check6");
  QComboBox* Combo2 = find<QComboBox>("Combo2");
  QComboBox* Combo1 = find<QComboBox>("Combo1");
  QLineEdit* Text5 = find<QLineEdit>("Text5");
  QLineEdit* Text3 = find<QLineEdit>("Text3");
  QPushButton* Command5 = find<QPushButton>("Command5");
  QLineEdit* Text4 = find<QLineEdit>("Text4");
  QCheckBox* Check4 = find<QCheckBox>("Check4");
  QCheckBox* Check5 = find<QCheckBox>("Check5");
  QPushButton* Command6 = find<QPushButton>("Command6");
  std::array<QRadioButton*, 4> opt = findArray<QRadioButton, 4>("opt", 1);  // 1..3 used
  std::array<QLineEdit*, 5> Text6 = findArray<QLineEdit, 5>("Text6", 0);
};

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
inline void showOn(ui::Form1& form, const QString& folder) {
  form.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
  ASSERT_TRUE(MainControls(form).Dir1->setPath(folder));
}

}  // namespace pixolane::test
