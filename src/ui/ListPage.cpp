#include "ui/ListPage.h"

#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QToolButton>

#include <algorithm>

#include "imaging/ExifDate.h"
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
