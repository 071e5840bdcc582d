#include "ui/DirList.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QPainter>
#include <QStyle>
#include <QStyledItemDelegate>

#include "platform/PictureListing.h"
#include "platform/Platform.h"

namespace pixolane::ui {

namespace {

constexpr int kDepthRole = Qt::UserRole + 1;  // levels below the drive root

// The list is flat: each entry, icon and name together, is drawn a level's
// width further in than its parent, as a file manager draws its tree.
class TreeIndentDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  static int levelWidth(const QStyleOptionViewItem& option) {
    return option.decorationSize.width() * 3 / 4 + 4;
  }

  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override {
    QStyleOptionViewItem indented = option;
    indented.rect.setLeft(option.rect.left() + depthOf(index) * levelWidth(option));
    QStyledItemDelegate::paint(painter, indented, index);
  }

  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    size.rwidth() += depthOf(index) * levelWidth(option);
    return size;
  }

 private:
  static int depthOf(const QModelIndex& index) { return index.data(kDepthRole).toInt(); }
};

// The open folders (the way down to the listed one) must not look like the
// closed subfolders: styles draw the two nearly alike at list size, so the
// open one is the closed folder with its front flap swung open over it.
QIcon openFolderIcon(const QStyle* style, const QPalette& palette) {
  const QIcon closed = style->standardIcon(QStyle::SP_DirClosedIcon);
  QIcon drawn;
  for (const int side : {16, 32, 64}) {
    QPixmap pixmap = closed.pixmap(side);
    const qreal s = pixmap.width() / pixmap.devicePixelRatio();
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(palette.color(QPalette::Dark), s / 16.0));
    p.setBrush(palette.color(QPalette::Light));
    const QPointF flap[] = {
        {s * 0.30, s * 0.42}, {s * 0.98, s * 0.42}, {s * 0.80, s * 0.88}, {s * 0.06, s * 0.88}};
    p.drawPolygon(flap, 4);
    p.end();
    drawn.addPixmap(pixmap);
  }
  return drawn;
}

}  // namespace

DirList::DirList(QWidget* parent) : QListWidget(parent) {
  setSelectionMode(QAbstractItemView::SingleSelection);
  setItemDelegate(new TreeIndentDelegate(this));
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
  const QIcon open = openFolderIcon(style(), palette());
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
    auto* item = new QListWidgetItem(open, name, this);
    item->setData(Qt::UserRole, folder);
    item->setData(kDepthRole, depth);
    ++depth;
  }
  setCurrentRow(count() - 1);

  const QStringList subfolders = platform::sortedForReading(
      QDir(path_).entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Readable));
  for (const QString& name : subfolders) {
    auto* item = new QListWidgetItem(closed, name, this);
    item->setData(Qt::UserRole, platform::withFinalSeparator(path_) + name);
    item->setData(kDepthRole, depth);
  }
}

}  // namespace pixolane::ui
