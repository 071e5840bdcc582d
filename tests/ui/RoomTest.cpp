// The main window enlarged, and pictures dropped on it from a file manager.
#include <QHelpEvent>
#include <QMimeData>
#include <QToolTip>

#include "UiSupport.h"

namespace pixolane::ui {
namespace {

class RoomTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new QTemporaryDir;
    test::makeJpeg(dir_->filePath(kLongName), "32x24", "gradient:red-blue");
    QDir(dir_->path()).mkdir("sous-dossier");
    for (const char* name : {"b10.jpg", "b9.JPG", "notes.txt"})
      test::makeJpeg(dir_->filePath(QString("sous-dossier/") + name), "32x24", "plasma:");
  }
  static void TearDownTestSuite() { delete dir_; }

  void SetUp() override { test::showOn(form, dir_->path()); }

  static inline const QString kLongName = "IMG_0006_GreenMeadow_au_coucher_du_soleil.jpg";
  static inline QTemporaryDir* dir_ = nullptr;
  test::MessageLog log;
  Form1 form{test::services(&log)};
  test::MainControls c{form};
};

TEST_F(RoomTest, EnlargedWindowGivesItsListsTheRoomAndCutNamesATooltip) {
  // The start size is the design: every control where it always was.
  EXPECT_EQ(c.File1->geometry(), QRect(8, 226, 169, 180));
  EXPECT_EQ(c.SSTab1->geometry(), QRect(200, 8, 545, 537));
  const QWidget* page = c.List1->parentWidget();
  const int listMargin = page->width() - c.List1->geometry().right();
  const int buttonMargin = page->width() - c.Command1->geometry().right();
  const int addToRemove = c.Command1->x() - c.Command4->x();
  const auto* byDate = form.findChild<QWidget*>("Command10");
  const QPoint byDateToAdd = c.Command4->pos() - byDate->pos();
  const int underList = c.Command4->y() - c.List1->geometry().bottom();
  EXPECT_EQ(c.HScroll1->geometry(), QRect(12, 26, 499, 18));
  EXPECT_EQ(c.Text6[4]->geometry(), QRect(432, 150, 92, 24));
  const int scrollMargin = c.Frame3->width() - c.HScroll1->geometry().right();

  // A name cut at the design width shows whole in a tooltip.
  const QRect item = c.File1->visualItemRect(c.File1->item(0));
  QHelpEvent tip(QEvent::ToolTip, item.center(), c.File1->viewport()->mapToGlobal(item.center()));
  QCoreApplication::sendEvent(c.File1->viewport(), &tip);
  EXPECT_EQ(QToolTip::text(), kLongName);

  form.resize(1366, 768);
  EXPECT_GT(c.File1->width(), 169);
  EXPECT_GT(c.File1->height(), 180);
  EXPECT_GT(c.Dir1->height(), 170);
  EXPECT_LT(c.Dir1->geometry().bottom(), c.File1->y());
  EXPECT_EQ(c.SSTab1->geometry().right(), 1366 - 8);
  EXPECT_EQ(c.SSTab1->height(), 768 - 12);
  EXPECT_EQ(page->width() - c.List1->geometry().right(), listMargin);
  EXPECT_EQ(page->width() - c.Command1->geometry().right(), buttonMargin);
  EXPECT_EQ(c.Command1->x() - c.Command4->x(), addToRemove);
  EXPECT_EQ(c.Command4->pos() - byDate->pos(), byDateToAdd);  // "Trier par date" follows
  EXPECT_EQ(c.Command4->y() - c.List1->geometry().bottom(), underList);
  EXPECT_EQ(c.WebBrowser1->geometry(), c.SSTab1->geometry());
  // Tabs 2 and 3 widen their rows; the site folders stay in order, side by side.
  EXPECT_EQ(c.Frame3->width() - c.HScroll1->geometry().right(), scrollMargin);
  EXPECT_EQ(c.Text3->geometry().right() + 7, c.Command5->x());
  EXPECT_EQ(c.Command5->geometry().right(), c.Text5->geometry().right());
  for (int i = 0; i < 4; ++i)
    EXPECT_EQ(c.Text6[i + 1]->x() - c.Text6[i]->geometry().right(), 15) << i;
  EXPECT_EQ(c.Text6[4]->geometry().right(), c.Text5->geometry().right() - 7);
}

TEST_F(RoomTest, DroppedFilesAndFoldersAreAddedAndTheRestIsNamed) {
  const QString sub = dir_->filePath("sous-dossier");
  const auto dropOn = [this](const QList<QUrl>& urls) {
    QMimeData data;
    data.setUrls(urls);
    QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(c.List1->viewport(), &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(20, 20), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(c.List1->viewport(), &drop);
  };
  // Two folders at once: refused, as "Ajouter" keeps to one folder.
  dropOn({QUrl::fromLocalFile(dir_->filePath(kLongName)), QUrl::fromLocalFile(sub)});
  EXPECT_TRUE(form.job().List1.isEmpty());
  ASSERT_EQ(log.messages.size(), 1u);
  EXPECT_TRUE(log.messages[0].text.contains("viennent de 2 dossiers"))
      << log.messages[0].text.toStdString();

  dropOn({QUrl::fromLocalFile(sub), QUrl::fromLocalFile(sub + "/notes.txt"),
          QUrl("https://exemple.fr/a.jpg")});
  // The folder's pictures in reading order, as "Ajouter" adds them.
  const auto native = [](const QString& p) { return QDir::toNativeSeparators(p); };
  const QStringList added{native(sub + "/b9.JPG"), native(sub + "/b10.jpg")};
  EXPECT_EQ(form.job().List1, added);
  EXPECT_EQ(c.Label1->text(), "Total :2");
  EXPECT_TRUE(c.aper->isEnabled());
  EXPECT_EQ(c.SSTab1->currentIndex(), 1);
  ASSERT_EQ(log.messages.size(), 2u);
  EXPECT_TRUE(log.messages[1].text.endsWith("ignorés : notes.txt, https://exemple.fr/a.jpg"))
      << log.messages[1].text.toStdString();

  // A picture of another folder does not join the list, and the box says why.
  dropOn({QUrl::fromLocalFile(dir_->filePath(kLongName))});
  EXPECT_EQ(form.job().List1, added);
  ASSERT_EQ(log.messages.size(), 3u);
  EXPECT_EQ(log.messages[2].text,
            "La liste de traitement ne prend que les images d'un seul dossier, ici " + native(sub) +
                " : « " + kLongName +
                " » vient d'un autre dossier. Videz la liste pour changer "
                "de dossier.");
}

}  // namespace
}  // namespace pixolane::ui
