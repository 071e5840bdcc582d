#include <gtest/gtest.h>

#include <QAbstractFileIconProvider>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimer>

#include "ui/ChoisirDossier.h"

namespace pixolane::ui {
namespace {

class FolderPicker : public ::testing::Test {
 protected:
  ui::Services services;
};

TEST_F(FolderPicker, OpensOnTheInitialFolderAndKeepsIt) {
  QString seenTitle, seenFolder;
  services.folderDialog = [&](QWidget*, const QString& title, const QString& initial) {
    seenTitle = title;
    seenFolder = initial;
    return QString();
  };
  EXPECT_EQ(ChoisirDossier(services, nullptr, "Dossier de destination", "/srv/photos"), "");
  EXPECT_EQ(seenTitle, "Dossier de destination");
  EXPECT_EQ(seenFolder, "/srv/photos");
  // Kept as plain text: no terminator that would end up in a path.
  EXPECT_EQ(DossierDepart(), "/srv/photos");
  EXPECT_EQ(DossierDepart().size(), 11);
}

TEST_F(FolderPicker, ChosenFolderComesBackWithoutTrailingSeparatorExceptARoot) {
  const std::pair<QString, QString> cases[] = {
      {"", ""},
      {"/srv/web/Nouveau site/albums", "/srv/web/Nouveau site/albums"},
      {"/srv/web/albums/", "/srv/web/albums"},
      {"/", "/"},
  };
  for (const auto& [chosen, expected] : cases) {
    services.folderDialog = [&](QWidget*, const QString&, const QString&) { return chosen; };
    EXPECT_EQ(ChoisirDossier(services, nullptr, "Dossier de destination", "/"),
              QDir::toNativeSeparators(expected))
        << chosen.toStdString();
  }
}

TEST_F(FolderPicker, RealDialogOpensOnTheInitialFolderInFrenchAndCancelGivesEmpty) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString initial = QDir::toNativeSeparators(dir.path());
  QString openedOn, folderType;
  bool sawDialog = false;
  // The dialog is modal: answer it from the event loop it runs.
  QTimer poll;
  poll.setInterval(10);
  QObject::connect(&poll, &QTimer::timeout, [&] {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    if (!dialog)
      return;
    sawDialog = true;
    openedOn = dialog->directory().absolutePath();
    folderType = dialog->iconProvider()->type(QFileInfo(dir.path()));
    dialog->reject();
  });
  poll.start();
  EXPECT_EQ(ChoisirDossier(services, nullptr, "Dossier de destination", initial), "");
  poll.stop();
  EXPECT_TRUE(sawDialog);
  EXPECT_EQ(folderType, "Dossier");  // the "Type" column, in French
  EXPECT_EQ(QFileInfo(openedOn).canonicalFilePath(), QFileInfo(dir.path()).canonicalFilePath());
}

}  // namespace
}  // namespace pixolane::ui
