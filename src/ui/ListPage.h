#pragma once
// The first tab, "1.Liste de Traitement": the processing list, its selection
// buttons, the total and the add and remove buttons. The list's one copy is
// the job's `List1`; the list view shows it through a model.
#include <QAbstractListModel>
#include <QList>
#include <QStringList>
#include <QUrl>
#include <QWidget>

#include "ui/Growth.h"

class QLabel;
class QListView;
class QPushButton;
class QToolButton;

namespace pixolane::ui {

// The job's processing list as a list model; every change goes through it.
class ProcessingList : public QAbstractListModel {
  Q_OBJECT

 public:
  ProcessingList(QStringList& entries, QObject* parent)
      : QAbstractListModel(parent), entries_(entries) {}

  int rowCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;

  void append(const QStringList& paths);
  // Removes the rows given in increasing order.
  void removeRowList(const QList<int>& rows);
  // The same entries in another order.
  void reorder(const QStringList& entries);
  const QStringList& entries() const { return entries_; }

 private:
  QStringList& entries_;
};

// What a drop from a file manager brings: the JPEG files, and each folder's
// pictures in reading order, as full paths; the names of the rest.
struct DroppedItems {
  QStringList pictures;
  QStringList ignored;
};
DroppedItems droppedPictures(const QList<QUrl>& urls);

// Why dropped `pictures` may not join a list holding `listed`: the list holds
// the pictures of one folder, as "Ajouter" gives them. "" when they may.
QString dropRefusal(const QStringList& listed, const QStringList& pictures);

class ListPage : public QWidget {
  Q_OBJECT

 public:
  // `entries` is the job's list; it must outlive the page.
  ListPage(QStringList& entries, QWidget* parent = nullptr);

  int count() const;
  void add(const QStringList& paths);
  // Removes the selected entries; false when none was selected.
  bool removeSelected();
  void setAddEnabled(bool enabled);
  // The page is `by` larger than its design size: the list takes the room.
  void grow(QSize by) { growth_.apply(by); }

 signals:
  void addClicked();     // "Ajouter"
  void removeClicked();  // "Supprimer"
  // Files or folders were dropped on the list.
  void dropped(const DroppedItems& items);
  // The list is being read on a worker ("Trier par date"): the window holds
  // still, so that nothing changes the list meanwhile.
  void holdWindow(bool held);

 public slots:
  void Command7_Click();   // "Aucun"
  void Command8_Click();   // "Tous"
  void Command10_Click();  // "Trier par date"

 private:
  void updateTotal();

  Growth growth_;
  ProcessingList* model_ = nullptr;
  QListView* List1 = nullptr;
  QToolButton* Command7 = nullptr;
  QToolButton* Command8 = nullptr;
  QLabel* Label1 = nullptr;
  QPushButton* Command4 = nullptr;
  QPushButton* Command1 = nullptr;
  QPushButton* Command10 = nullptr;
};

}  // namespace pixolane::ui
