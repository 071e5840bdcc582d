#pragma once
// The source picker's folder list: the open folder's ancestors from the drive
// root down, then its subfolders, each a level further in. Double-click (or
// Enter) on an entry opens it.
#include <QListWidget>
#include <QString>

namespace pixolane::ui {

class DirList : public QListWidget {
  Q_OBJECT

 public:
  explicit DirList(QWidget* parent = nullptr);

  // Opens `folder`; false (and nothing changes) when it cannot be listed.
  bool setPath(const QString& folder);
  // The open folder, native separators, no trailing separator but a root's.
  QString path() const { return path_; }

 signals:
  void pathChanged(const QString& folder);

 private:
  void refill();

  QString path_;
};

// The folder path with separator: a root keeps its own, others get one.
QString folderWithSeparator(const QString& folder);

}  // namespace pixolane::ui
