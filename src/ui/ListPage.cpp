#include "ui/ListPage.h"

#include <QDir>
#include <QDropEvent>
#include <QFileInfo>
#include <QLabel>
#include <QListView>
#include <QMimeData>
#include <QPushButton>
#include <QToolButton>

#include <algorithm>

#include "imaging/ExifDate.h"
#include "platform/PictureListing.h"
#include "platform/Platform.h"
#include "ui/Controls.h"

namespace pixolane::ui {

int ProcessingList::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : int(entries_.size());
}

QVariant ProcessingList::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= entries_.size())
    return {};
  if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole)
    return entries_.at(index.row());
  return {};
}

void ProcessingList::append(const QStringList& paths) {
  if (paths.isEmpty())
    return;
  const int first = int(entries_.size());
  beginInsertRows({}, first, first + int(paths.size()) - 1);
  entries_.append(paths);
  endInsertRows();
}

void ProcessingList::removeRowList(const QList<int>& rows) {
  // Each removal moves the later entries up by one.
  for (qsizetype k = 0; k < rows.size(); ++k) {
    const int row = rows[k] - int(k);
    beginRemoveRows({}, row, row);
    entries_.removeAt(row);
    endRemoveRows();
  }
}

DroppedItems droppedPictures(const QList<QUrl>& urls) {
  DroppedItems items;
  for (const QUrl& url : urls) {
    const QFileInfo info(url.toLocalFile());
    const QString path = QDir::toNativeSeparators(info.absoluteFilePath());
    const QString suffix = info.suffix().toLower();
    if (!url.isLocalFile() || !info.exists()) {
      items.ignored << (url.isLocalFile() ? path : url.toDisplayString());
    } else if (info.isDir()) {
      const QString folder = platform::withFinalSeparator(path);
      for (const QString& name : platform::picturesIn(path))
        items.pictures << folder + name;
    } else if (info.isFile() &&
               (suffix == QLatin1String("jpg") || suffix == QLatin1String("jpeg"))) {
      items.pictures << path;
    } else {
      items.ignored << info.fileName();
    }
  }
  return items;
}

namespace {

// Files and folders dropped on the list view; anything else is refused
// before it lands.
class DropTarget : public QObject {
 public:
  DropTarget(QWidget* viewport, ListPage* page) : QObject(viewport), page_(page) {
    viewport->setAcceptDrops(true);
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    switch (event->type()) {
      case QEvent::DragEnter:
      case QEvent::DragMove: {
        auto* drag = static_cast<QDropEvent*>(event);
        if (drag->mimeData()->hasUrls())
          drag->acceptProposedAction();
        else
          drag->ignore();
        return true;
      }
      case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        if (!drop->mimeData()->hasUrls())
          return true;
        drop->acceptProposedAction();
        emit page_->dropped(droppedPictures(drop->mimeData()->urls()));
        return true;
      }
      default:
        return QObject::eventFilter(watched, event);
    }
  }

 private:
  ListPage* page_;
};

}  // namespace

void ProcessingList::sortByDateTaken() {
  beginResetModel();
  entries_ = imaging::orderByDateTaken(entries_);
  endResetModel();
}

ListPage::ListPage(QStringList& entries, QWidget* parent) : QWidget(parent) {
  model_ = new ProcessingList(entries, this);
  List1 =
      named(new QListView(this), QStringLiteral("List1"), QStringLiteral("Liste de Traitement"));
  List1->setModel(model_);
  List1->setGeometry(8, 8, 523, 436);
  List1->setSelectionMode(QAbstractItemView::MultiSelection);
  List1->setEditTriggers(QAbstractItemView::NoEditTriggers);

  // The picker has a pair of the same buttons: the names say which list.
  Command7 = pictureButton(this, QStringLiteral("Command7"), QStringLiteral("Aucun"), false);
  Command7->setAccessibleName(QStringLiteral("Tout désélectionner (liste)"));
  Command7->setGeometry(8, 452, 28, 28);
  Command8 = pictureButton(this, QStringLiteral("Command8"), QStringLiteral("Tous"), true);
  Command8->setAccessibleName(QStringLiteral("Tout sélectionner (liste)"));
  Command8->setGeometry(40, 452, 28, 28);
  Label1 = named(new QLabel(QStringLiteral("Total : 0"), this), QStringLiteral("Label1"),
                 QStringLiteral("Total : 0"));
  Label1->setGeometry(80, 452, 110, 28);
  const QString byDate = QStringLiteral("&Trier par date");
  Command10 = named(new QPushButton(byDate, this), QStringLiteral("Command10"), byDate);
  Command10->setGeometry(196, 452, 128, 28);
  Command4 = named(new QPushButton(QStringLiteral("&Ajouter"), this), QStringLiteral("Command4"),
                   QStringLiteral("Ajouter"));
  Command4->setGeometry(330, 452, 97, 28);
  Command1 = named(new QPushButton(QStringLiteral("&Supprimer"), this), QStringLiteral("Command1"),
                   QStringLiteral("Supprimer"));
  Command1->setGeometry(434, 452, 97, 28);

  connect(Command7, &QToolButton::clicked, this, &ListPage::Command7_Click);
  connect(Command8, &QToolButton::clicked, this, &ListPage::Command8_Click);
  connect(Command4, &QPushButton::clicked, this, &ListPage::addClicked);
  connect(Command1, &QPushButton::clicked, this, &ListPage::removeClicked);

  growth_ = Growth{{List1, 0, 0, 1, 1},   {Command7, 0, 1, 0, 1},  {Command8, 0, 1, 0, 1},
                   {Label1, 0, 1, 0, 1},  {Command10, 1, 1, 1, 1}, {Command4, 1, 1, 1, 1},
                   {Command1, 1, 1, 1, 1}};
  showCutNamesInTooltips(List1);
  List1->viewport()->installEventFilter(new DropTarget(List1->viewport(), this));
  connect(Command10, &QPushButton::clicked, this, &ListPage::Command10_Click);
}

int ListPage::count() const {
  return model_->rowCount();
}

void ListPage::add(const QStringList& paths) {
  model_->append(paths);
  updateTotal();
}

bool ListPage::removeSelected() {
  QList<int> rows;
  for (const QModelIndex& index : List1->selectionModel()->selectedRows())
    rows.append(index.row());
  if (rows.isEmpty())
    return false;
  std::sort(rows.begin(), rows.end());
  model_->removeRowList(rows);
  updateTotal();
  return true;
}

void ListPage::setAddEnabled(bool enabled) {
  Command4->setEnabled(enabled);
}

void ListPage::Command7_Click() {
  List1->clearSelection();
}

void ListPage::Command8_Click() {
  List1->selectAll();
}

void ListPage::Command10_Click() {
  model_->sortByDateTaken();
}

void ListPage::updateTotal() {
  Label1->setText(QStringLiteral("Total :") + QString::number(count()));
  Label1->setAccessibleName(Label1->text());
}

}  // namespace pixolane::ui
