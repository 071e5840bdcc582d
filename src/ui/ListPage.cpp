#include "ui/ListPage.h"

#include <QDir>
#include <QDropEvent>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QLabel>
#include <QListView>
#include <QMimeData>
#include <QPushButton>
#include <QToolButton>
#include <QtConcurrent/QtConcurrentRun>

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

QString dropRefusal(const QStringList& listed, const QStringList& pictures) {
  const auto folderOf = [](const QString& path) {
    return QDir::toNativeSeparators(QFileInfo(QDir::fromNativeSeparators(path)).path());
  };
  const QString folder = folderOf(listed.isEmpty() ? pictures.value(0) : listed.first());
  const QString one =
      QStringLiteral("La liste de traitement ne prend que les images d'un seul dossier");
  QStringList folders;
  for (const QString& picture : pictures) {
    const QString from = folderOf(picture);
    if (from == folder || folders.contains(from))
      continue;
    if (!listed.isEmpty()) {
      return one + QStringLiteral(
                       ", ici %1 : « %2 » vient d'un autre dossier. Videz la liste "
                       "pour changer de dossier.")
                       .arg(folder, QFileInfo(picture).fileName());
    }
    folders << from;
  }
  if (folders.isEmpty())
    return {};
  return one + QStringLiteral(
                   " : les images déposées viennent de %1 dossiers. Déposez-les un "
                   "dossier à la fois.")
                   .arg(folders.size() + 1);
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

void ProcessingList::reorder(const QStringList& entries) {
  beginResetModel();
  entries_ = entries;
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
  // Every header is read, which takes a while on a long list: on a worker,
  // the window held still meanwhile.
  emit holdWindow(true);
  auto* sorting = new QFutureWatcher<QStringList>(this);
  connect(sorting, &QFutureWatcher<QStringList>::finished, this, [this, sorting] {
    sorting->deleteLater();
    model_->reorder(sorting->result());
    emit holdWindow(false);
    List1->setFocus();
  });
  sorting->setFuture(QtConcurrent::run(imaging::orderByDateTaken, model_->entries()));
}

void ListPage::updateTotal() {
  Label1->setText(QStringLiteral("Total :") + QString::number(count()));
  Label1->setAccessibleName(Label1->text());
}

}  // namespace pixolane::ui
