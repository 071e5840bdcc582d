#include "ui/DirList.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QStyle>

#include "platform/PictureListing.h"
#include "platform/Platform.h"

namespace pixolane::ui {

namespace {

constexpr int kIndent = 3;  // spaces per level: the list is flat, depth shows as indentation

}  // namespace

DirList::DirList(QWidget* parent) : QListWidget(parent) {
  setSelectionMode(QAbstractItemView::SingleSelection);
  connect(this, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) {
    if (item)
      setPath(item->data(Qt::UserRole).toString());
  });
}

bool DirList::setPath(const QString& folder) {
  const QFileInfo info(folder);
  if (!info.exists() || !info.isDir() || !QDir(folder).isReadable())
    return false;
  const QString clean = QDir::toNativeSeparators(QDir::cleanPath(info.absoluteFilePath()));
  path_ = clean;
  refill();
  emit pathChanged(path_);
  return true;
}

void DirList::refill() {
  clear();
  const QIcon open = style()->standardIcon(QStyle::SP_DirOpenIcon);
  const QIcon closed = style()->standardIcon(QStyle::SP_DirClosedIcon);

  QStringList chain;  // from the root down to the open folder
  QDir dir(path_);
  for (;;) {
    chain.prepend(QDir::toNativeSeparators(dir.absolutePath()));
    if (dir.isRoot() || !dir.cdUp())
      break;
  }
  int depth = 0;
  for (const QString& folder : chain) {
    const QString name = depth == 0 ? folder : QFileInfo(folder).fileName();
    auto* item = new QListWidgetItem(open, QString(depth * kIndent, ' ') + name, this);
    item->setData(Qt::UserRole, folder);
    ++depth;
  }
  setCurrentRow(count() - 1);

  const QStringList subfolders = platform::sortedForReading(
      QDir(path_).entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Readable));
  for (const QString& name : subfolders) {
    auto* item = new QListWidgetItem(closed, QString(depth * kIndent, ' ') + name, this);
    item->setData(Qt::UserRole, folderWithSeparator(path_) + name);
  }
}

QString folderWithSeparator(const QString& folder) {
  const QChar sep = platform::nativeSeparator();
  if (folder.endsWith(sep))
    return folder;
  return folder + sep;
}

}  // namespace pixolane::ui
