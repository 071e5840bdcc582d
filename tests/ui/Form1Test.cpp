#include <QAccessible>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSet>
#include <QSignalSpy>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QWebEngineView>

#include <map>

#include "UiSupport.h"
#include "ui/Apercu.h"
#include "ui/ChoisirDossier.h"
#include "ui/Controls.h"
#include "ui/Form2.h"
#include "ui/Form3.h"
#include "ui/Form4.h"
#include "ui/PicturePage.h"

namespace pixolane::ui {
namespace {

using namespace pixolane::job;
using namespace pixolane::run;

using test::clickItem;
using test::MessageLog;

class Form1Test : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new QTemporaryDir;
    for (int i = 0; i < 5; ++i)
      test::makeJpeg(dir_->filePath(QString("img%1.jpg").arg(i)), "160x120", "gradient:red-blue");
    // Other extensions and cases must not be missed, other files must not show.
    test::makeJpeg(dir_->filePath("upper.JPEG"), "90x120", "gradient:green-yellow");
    QFile(dir_->filePath("notes.txt")).open(QIODevice::WriteOnly);
    // Dates taken, and a GPS position, for the list's sort and the copy question.
    QProcess::execute(
        "exiftool", {"-q", "-q", "-overwrite_original", "-DateTimeOriginal=2021:06:01 10:00:00",
                     "-GPSLatitude=45", "-GPSLatitudeRef=N", dir_->filePath("img1.jpg"), "-execute",
                     "-q", "-q", "-overwrite_original", "-DateTimeOriginal=2020:01:01 10:00:00",
                     dir_->filePath("img3.jpg")});
  }
  static void TearDownTestSuite() { delete dir_; }
  static QString folder() { return QDir::toNativeSeparators(dir_->path()); }
  static QString entry(const QString& name) {
    return platform::withFinalSeparator(folder()) + name;
  }

  void SetUp() override { test::showOn(form, folder()); }
  void click(QAbstractButton* b) { test::click(b); }
  // Adds the files at `rows` of the file list.
  void add(std::initializer_list<int> rows) {
    for (int r : rows)
      clickItem(c.File1, r);
    click(c.Command4);
  }

  static ui::Services counting(ui::Services s, int* windows, GalleryJob* ran) {
    s.windowOpened = [windows, ran](QDialog& w) {
      ++*windows;
      *ran = static_cast<Form2&>(w).job();
    };
    return s;
  }

  static inline QTemporaryDir* dir_ = nullptr;
  MessageLog log;  // before the window: its start-up must show nothing
  ui::FolderDialog folders;
  int windows = 0;  // processing windows opened
  GalleryJob ran;   // the job of the last one
  Form1 form{counting(test::services(&log, nullptr, &folders), &windows, &ran)};
  test::MainControls c{form};
};

TEST_F(Form1Test, StartsInTheSettingsStateWithTheStartupJob) {
  EXPECT_EQ(form.windowTitle(), "Pixolane");
  EXPECT_EQ(form.size(), QSize(752, 549));
  EXPECT_TRUE(c.SSTab1->isVisible());
  EXPECT_FALSE(c.WebBrowser1->isVisible());
  EXPECT_EQ(c.SSTab1->geometry(), c.WebBrowser1->geometry());
  EXPECT_EQ(withoutMnemonic(c.SSTab1->tabText(0)), "1.Liste de Traitement");
  EXPECT_EQ(withoutMnemonic(c.SSTab1->tabText(1)), "2.Traitement des Images");
  EXPECT_EQ(withoutMnemonic(c.SSTab1->tabText(2)), "3.Création de la  gallerie");
  EXPECT_EQ(c.SSTab1->currentIndex(), 0);
  EXPECT_FALSE(c.SSTab1->isTabEnabled(1));
  EXPECT_FALSE(c.SSTab1->isTabEnabled(2));
  EXPECT_FALSE(c.aper->isEnabled());
  EXPECT_FALSE(c.aper->isChecked());
  EXPECT_TRUE(c.para->isChecked());
  EXPECT_EQ(withoutMnemonic(c.Frame3->title()), "Qualité des images (compression) :100%");
  EXPECT_EQ(c.Label1->text(), "Total : 0");
  EXPECT_FALSE(c.Command6->isEnabledTo(c.SSTab1->widget(2)));
  EXPECT_TRUE(c.Command4->isEnabled());
  EXPECT_TRUE(c.Option4->isChecked());
  EXPECT_TRUE(c.Option9->isChecked());
  // The thumbnail option agrees with the 100 x 100 box.
  EXPECT_TRUE(c.opt[2]->isChecked());
  EXPECT_EQ(c.Combo2->currentText(), "2");
  EXPECT_TRUE(c.Combo1->isHidden());
  EXPECT_EQ(c.Combo1->currentText(), "1");
  EXPECT_TRUE(log.messages.empty());

  const GalleryJob& job = form.job();
  const GalleryJob expected = startupJob();
  EXPECT_EQ(job.List1, expected.List1);
  EXPECT_EQ(job.Check2, 1);
  EXPECT_EQ(job.Check3, 1);
  EXPECT_EQ(job.Check4, 1);
  EXPECT_EQ(job.Check5, 0);
  EXPECT_EQ(job.Check6, 0);
  EXPECT_FALSE(job.Option6);
  EXPECT_EQ(job.Combo1, "1");
  EXPECT_EQ(QSize(job.LargeurCible, job.HauteurCible), QSize(640, 480));
  EXPECT_EQ(QSize(job.LargeurMini, job.HauteurMini), QSize(100, 100));
  EXPECT_EQ(job.Qualite, 100);
  EXPECT_EQ(job.Progressif, 1);
  EXPECT_EQ(job.Bordure, 2);
  EXPECT_EQ(job.ModeApercu, 0);
  EXPECT_EQ(form.SelectionEnCours(), 0);
}

TEST_F(Form1Test, FileListShowsJpegsOfAnyCaseOnly) {
  QStringList names;
  for (int i = 0; i < c.File1->count(); ++i)
    names << c.File1->item(i)->text();
  EXPECT_EQ(names, QStringList(
                       {"img0.jpg", "img1.jpg", "img2.jpg", "img3.jpg", "img4.jpg", "upper.JPEG"}));
}

TEST_F(Form1Test, ClickingParaWhileCheckedOnlyClearsIt) {
  click(c.para);
  EXPECT_FALSE(c.para->isChecked());
  EXPECT_FALSE(c.aper->isChecked());
  EXPECT_TRUE(c.SSTab1->isVisible());
  EXPECT_FALSE(c.WebBrowser1->isVisible());
  EXPECT_EQ(form.job().ModeApercu, 0);
  click(c.para);
  EXPECT_TRUE(c.para->isChecked());
}

TEST_F(Form1Test, AjouterWithNothingSelectedOnlyEnablesTheLaunch) {
  click(c.Command4);
  // On, although its tab is still closed.
  EXPECT_TRUE(c.Command6->isEnabledTo(c.SSTab1->widget(2)));
  EXPECT_EQ(c.Label1->text(), "Total :0");
  EXPECT_FALSE(c.SSTab1->isTabEnabled(1));
  EXPECT_FALSE(c.SSTab1->isTabEnabled(2));
  EXPECT_TRUE(c.File1->isEnabled());
  EXPECT_TRUE(c.Drive1->isEnabled());
  EXPECT_FALSE(c.aper->isEnabled());
}

TEST_F(Form1Test, AjouterTwiceFillsThenClosesTheList) {
  c.Check1->setChecked(false);
  add({3, 0, 2});
  // File-list order, whatever the order of the clicks.
  const QStringList expected{entry("img0.jpg"), entry("img2.jpg"), entry("img3.jpg")};
  EXPECT_EQ(form.job().List1, expected);
  ASSERT_EQ(test::rowTexts(c.List1).size(), 3);
  EXPECT_EQ(test::rowTexts(c.List1)[0], expected[0]);
  EXPECT_EQ(c.Label1->text(), "Total :3");
  EXPECT_EQ(c.SSTab1->currentIndex(), 1);
  EXPECT_TRUE(c.SSTab1->isTabEnabled(1));
  EXPECT_TRUE(c.SSTab1->isTabEnabled(2));
  EXPECT_TRUE(c.aper->isEnabled());
  EXPECT_FALSE(c.Drive1->isEnabled());
  EXPECT_FALSE(c.Dir1->isEnabled());
  EXPECT_FALSE(c.File1->isEnabled());
  EXPECT_TRUE(c.File1->selectedItems().isEmpty());
  EXPECT_TRUE(c.Option5->isChecked());
  EXPECT_EQ(form.job().LargeurCible, 640);
  EXPECT_EQ(form.pictureWindow(), nullptr);  // Check1 clear: no picture window

  click(c.Option1);
  ASSERT_EQ(form.job().LargeurCible, 320);
  click(c.Command4);
  EXPECT_FALSE(c.Command4->isEnabled());
  EXPECT_EQ(test::rowTexts(c.List1).size(), 3);
  EXPECT_TRUE(c.Option5->isChecked());
  EXPECT_EQ(QSize(form.job().LargeurCible, form.job().HauteurCible), QSize(640, 480));

  // "Supprimer" with nothing selected only opens "Ajouter" again.
  click(c.Command1);
  EXPECT_TRUE(c.Command4->isEnabled());
  EXPECT_EQ(test::rowTexts(c.List1).size(), 3);
  EXPECT_TRUE(c.Command6->isEnabled());
  EXPECT_FALSE(c.File1->isEnabled());
}

TEST_F(Form1Test, SupprimerRemovesTheSelectedEntriesAndReopensThePickerWhenEmpty) {
  c.Check1->setChecked(false);
  click(c.Command2);
  click(c.Command4);
  ASSERT_EQ(test::rowTexts(c.List1).size(), 6);
  c.SSTab1->setCurrentIndex(0);
  clickItem(c.List1, 1);
  clickItem(c.List1, 3);
  click(c.Command1);
  const QStringList left{entry("img0.jpg"), entry("img2.jpg"), entry("img4.jpg"),
                         entry("upper.JPEG")};
  EXPECT_EQ(form.job().List1, left);
  EXPECT_EQ(test::rowTexts(c.List1).size(), 4);
  EXPECT_EQ(test::rowTexts(c.List1)[2], left[2]);
  EXPECT_EQ(c.Label1->text(), "Total :4");

  click(c.Command8);
  click(c.Command1);
  EXPECT_TRUE(form.job().List1.isEmpty());
  EXPECT_EQ(c.Label1->text(), "Total :0");
  EXPECT_FALSE(c.Command6->isEnabledTo(c.SSTab1->widget(2)));
  EXPECT_TRUE(c.Command4->isEnabled());
  EXPECT_TRUE(c.File1->isEnabled());
  EXPECT_TRUE(c.Dir1->isEnabled());
  EXPECT_FALSE(c.aper->isEnabled());
  // Once opened, the tabs stay open.
  EXPECT_TRUE(c.SSTab1->isTabEnabled(1));
}

TEST_F(Form1Test, TousNeverOpensThePictureWindowButAClickDoes) {
  click(c.Command2);
  EXPECT_EQ(c.File1->selectedItems().size(), 6);
  EXPECT_EQ(form.pictureWindow(), nullptr);
  click(c.Command3);
  EXPECT_TRUE(c.File1->selectedItems().isEmpty());
  EXPECT_EQ(form.pictureWindow(), nullptr);

  clickItem(c.File1, 5);
  ASSERT_NE(form.pictureWindow(), nullptr);
  EXPECT_TRUE(form.pictureWindow()->isVisible());
  EXPECT_EQ(form.pictureWindow()->windowTitle(), "upper.JPEG");
  EXPECT_EQ(form.pictureWindow()->size(), QSize(175, 233));  // 90 x 120: full height

  // The picture window belongs to the main window and closes with it.
  EXPECT_EQ(form.pictureWindow()->parentWidget(), &form);
  form.close();
  EXPECT_FALSE(form.pictureWindow()->isVisible());
}

TEST_F(Form1Test, UnreadyDriveIsReportedAndTheFoldersStay) {
  const QString before = c.Dir1->path();
  c.Drive1->addItem("/pixolane-no-such-drive/");
  c.Drive1->setCurrentIndex(c.Drive1->count() - 1);
  ASSERT_EQ(log.messages.size(), 1u);
  EXPECT_EQ(log.messages[0].text, "Le lecteur n'est pas pret...");
  EXPECT_EQ(log.messages[0].title, "Pixolane");
  EXPECT_EQ(log.messages[0].icon, QMessageBox::Critical);
  EXPECT_EQ(c.Drive1->currentText(), "/pixolane-no-such-drive/");
  EXPECT_EQ(c.Dir1->path(), before);
  EXPECT_EQ(c.File1->count(), 6);
}

TEST_F(Form1Test, CustomSizeBoxesTakeDigitsAndSelectPersonnalise) {
  add({0});
  form.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
  click(c.Option4);
  QTest::keyClicks(c.Text1, "12");
  EXPECT_TRUE(c.Option6->isChecked());
  EXPECT_EQ(c.Text1->text(), "12");
  QTest::keyClick(c.Text1, Qt::Key_Backspace);
  EXPECT_EQ(c.Text1->text(), "1");

  click(c.Option4);
  c.Text2->setFocus();
  QTest::keyClicks(c.Text2, "a");
  EXPECT_TRUE(c.Option6->isChecked());
  EXPECT_TRUE(form.job().Option6);
  EXPECT_EQ(c.Text2->text(), "");
  EXPECT_TRUE(c.Text2->hasFocus());
  // A height typed first stays whole in its box: each key goes where the focus is.
  click(c.Option4);
  c.Text2->setFocus();
  for (const char key : {'4', '8', '0'})
    QTest::keyClick(QApplication::focusWidget(), key);
  EXPECT_EQ(c.Text2->text(), "480");
  EXPECT_EQ(c.Text1->text(), "1");
  // The size is only taken at launch.
  EXPECT_EQ(QSize(form.job().LargeurCible, form.job().HauteurCible), QSize(800, 600));
}

TEST_F(Form1Test, TabWalksPastTheSizeBoxesAndTheArrowsRaiseTheQuality) {
  add({0});
  form.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
  c.Check3->setFocus();
  const auto key = [](Qt::Key k) {
    QTest::keyClick(QApplication::focusWidget(), k);
    return QApplication::focusWidget();
  };
  const auto tab = [&] { return key(Qt::Key_Tab); };
  EXPECT_EQ(tab(), c.Option5);  // the group is entered on the option "Ajouter" chose
  EXPECT_EQ(key(Qt::Key_Right), c.Option3);
  EXPECT_EQ(tab(), c.Text1);
  EXPECT_EQ(tab(), c.Text2);
  EXPECT_EQ(tab(), c.Check2);
  EXPECT_TRUE(c.Option3->isChecked());
  EXPECT_EQ(QSize(form.job().LargeurCible, form.job().HauteurCible), QSize(1024, 768));
  EXPECT_EQ(tab(), c.HScroll1);
  QTest::keyClick(c.HScroll1, Qt::Key_Left);
  EXPECT_EQ(form.job().Qualite, 99);
  QTest::keyClick(c.HScroll1, Qt::Key_Right);
  EXPECT_EQ(form.job().Qualite, 100);
}

TEST_F(Form1Test, PictureOptionsKeepTheJobInStep) {
  add({0});
  click(c.Option2);
  c.Check3->click();
  EXPECT_EQ(form.job().Check3, 0);
  for (QWidget* w : std::initializer_list<QWidget*>{c.Option1, c.Option7, c.Text1, c.Check2,
                                                    c.Frame3, c.HScroll1, c.Command9, c.Option8})
    EXPECT_FALSE(w->isEnabled()) << w->accessibleName().toStdString();
  c.Check3->click();
  EXPECT_TRUE(c.Command9->isEnabled());
  EXPECT_TRUE(c.Option4->isChecked());
  EXPECT_EQ(QSize(form.job().LargeurCible, form.job().HauteurCible), QSize(800, 600));

  c.HScroll1->setValue(85);
  EXPECT_EQ(form.job().Qualite, 85);
  EXPECT_EQ(withoutMnemonic(c.Frame3->title()), "Qualité des images (compression) :85%");
  c.HScroll1->setValue(0);
  EXPECT_EQ(form.job().Qualite, 10);  // never below what the writer takes

  click(c.Option8);
  EXPECT_EQ(form.job().Progressif, 0);
  click(c.Option9);
  EXPECT_EQ(form.job().Progressif, 1);
  click(c.opt[1]);
  EXPECT_EQ(QSize(form.job().LargeurMini, form.job().HauteurMini), QSize(230, 230));
  click(c.opt[2]);
  EXPECT_EQ(QSize(form.job().LargeurMini, form.job().HauteurMini), QSize(100, 100));

  const QSize screen = screenPixels(&form);
  const QString caption = QString("%1 x %2").arg(screen.width()).arg(screen.height());
  for (int i = 0; i < 2; ++i) {
    click(c.Option7);
    EXPECT_EQ(c.Option7->text(), caption);
    EXPECT_EQ(QSize(form.job().LargeurCible, form.job().HauteurCible), screen);
  }
  EXPECT_TRUE(log.messages.empty());
}

TEST_F(Form1Test, ApercuButtonOpensOneCompressionPreview) {
  add({0});
  click(c.Command9);
  Apercu* first = form.compressionPreview();
  ASSERT_NE(first, nullptr);
  EXPECT_TRUE(first->isVisible());
  QSignalSpy rendered(first, &Apercu::rendered);
  ASSERT_TRUE(rendered.count() > 0 || rendered.wait(30000));
  first->close();
  click(c.Command9);
  EXPECT_EQ(form.compressionPreview(), first);  // created on first use only
  EXPECT_TRUE(first->isVisible());
  ASSERT_TRUE(rendered.count() > 1 || rendered.wait(30000));
  EXPECT_TRUE(rendered.last().at(0).toBool());
}

TEST_F(Form1Test, AdviceMessagesOnlyWhenABoxBecomesChecked) {
  add({0});
  click(c.Check2);  // cleared
  click(c.Check6);  // checked
  click(c.Check6);  // cleared
  click(c.Check2);  // checked
  ASSERT_EQ(log.messages.size(), 2u);
  EXPECT_EQ(log.messages[0].text,
            "Uniquement pour les présentations pour internet (site web),\n"
            "ne marche pas pour les presentations sur Cd-rom ou Disque Local....");
  EXPECT_EQ(log.messages[1].text,
            "En respectant les proportions, la largeur ou la hauteur\n"
            "de l'image de sortie sera modifiée...");
  for (const auto& m : log.messages) {
    EXPECT_EQ(m.title, "Pixolane");
    EXPECT_EQ(m.icon, QMessageBox::Information);
  }
  EXPECT_EQ(form.job().Check2, 1);
  EXPECT_EQ(form.job().Check6, 0);
}

TEST_F(Form1Test, BorderFromTheListOrAWholeNumberTyped) {
  c.Combo2->activated(5);  // the list's "5"
  EXPECT_EQ(form.job().Bordure, 5);
  const struct {
    const char* typed;
    int border;
    const char* shown;
  } cases[] = {{"7", 7, "7"}, {"42", 42, "42"}, {"x", 42, "42"}, {"150", 42, "42"}, {"0", 0, "0"}};
  for (const auto& k : cases) {
    c.Combo2->setEditText(k.typed);
    emit c.Combo2->lineEdit()->editingFinished();
    EXPECT_EQ(form.job().Bordure, k.border) << k.typed;
    EXPECT_EQ(c.Combo2->currentText(), k.shown) << k.typed;
  }
}

TEST_F(Form1Test, LaunchChecksInOrder) {
  click(c.Command4);  // nothing selected: the button is on, the list empty
  const auto launch = [&] {
    log.messages.clear();
    form.Command6_Click();  // its tab may still be closed
    return log.messages.empty() ? QString() : log.messages.back().text;
  };
  c.Text4->setText("   ");
  EXPECT_EQ(launch(), "Veuillez renseigner le nom de fichier html");
  c.Text4->setText("galerie");
  EXPECT_EQ(launch(), "Veuillez renseigner le dossier de sortie");
  c.Text3->setText("/tmp/sortie/");
  c.SSTab1->setCurrentIndex(2);
  EXPECT_EQ(launch(), "Aucune image dans la liste de traitement");
  EXPECT_EQ(c.SSTab1->currentIndex(), 0);
  EXPECT_EQ(log.messages.back().icon, QMessageBox::Information);
  EXPECT_EQ(log.messages.back().title, "Pixolane");

  add({0});
  form.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
  click(c.Option6);
  c.Text1->setText("1000");
  c.SSTab1->setCurrentIndex(2);
  EXPECT_FALSE(launch().isEmpty());  // no height
  EXPECT_EQ(c.SSTab1->currentIndex(), 1);
  EXPECT_TRUE(c.Text2->hasFocus());
  c.Text2->setText("70000");
  EXPECT_FALSE(launch().isEmpty());
  EXPECT_TRUE(c.Text2->hasFocus());
  c.SSTab1->setCurrentIndex(2);
  c.Text3->setText(" ");
  EXPECT_EQ(launch(), "Veuillez renseigner le dossier de sortie");
  EXPECT_TRUE(c.Text3->hasFocus());  // the box to fill, not the button
  EXPECT_EQ(form.job().LargeurCible, 640);
  // A destination that cannot be written is said before any question.
  c.Text2->setText("700");
  c.Check3->setChecked(false);  // copies: the GPS question would come next
  const QString notAFolder = QDir(dir_->path()).filePath("img0.jpg/galerie/");
  c.Text3->setText(notAFolder);
  EXPECT_EQ(launch(), "Le dossier " + QDir::toNativeSeparators(notAFolder) +
                          " n'est pas accessible en écriture : un élément du chemin n'est pas un "
                          "dossier");
  EXPECT_TRUE(log.questions.empty());
  EXPECT_TRUE(c.Text3->hasFocus());
  EXPECT_EQ(windows, 0);
}

TEST_F(Form1Test, SortByDateStandalonePageAndTheGpsQuestionBeforeACopy) {
  add({0, 1, 3});
  click(form.findChild<QPushButton*>("Command10"));  // "Trier par date", on a worker
  EXPECT_FALSE(form.centralWidget()->isEnabled());
  QTRY_COMPARE(form.job().List1,
               QStringList({entry("img3.jpg"), entry("img1.jpg"), entry("img0.jpg")}));
  EXPECT_TRUE(form.centralWidget()->isEnabled());

  QTemporaryDir out;
  c.Text3->setText(out.path() + "/");
  c.Text4->setText("g");
  c.Check3->setChecked(false);  // copies
  c.Check4->setChecked(false);
  form.findChild<QCheckBox*>("Check7")->setChecked(true);
  test::runToEnd(form, [this] { form.Command6_Click(); });
  ASSERT_EQ(log.questions.size(), 1u);
  // The question says what a Yes removes besides the position.
  EXPECT_TRUE(
      log.questions[0].text.startsWith("1 image contient sa position GPS.\nRetirer des "
                                       "copies cette position et les autres données "
                                       "privées (numéros de série"));
  EXPECT_TRUE(ran.stripPrivate);
  EXPECT_EQ(ran.Check7, 1);
  EXPECT_TRUE(QFileInfo::exists(out.path() + "/g.html"));
}

TEST_F(Form1Test, DestinationButtonFillsTheSiteFoldersAndCancelKeepsThem) {
  add({0});
  QStringList asked;
  QString answer;
  folders = [&](QWidget*, const QString& title, const QString& initial) {
    asked << title << initial;
    return answer;
  };
  for (int i = 0; i < 5; ++i)
    c.Text6[i]->setText("old");
  const QChar s = QDir::separator();
  answer = QStringList{"", "web", "Nouveau site", "albums", "noel"}.join(s);
  click(c.Command5);
  EXPECT_EQ(asked, QStringList({"Dossier de destination", defaultDestinationFolder()}));
  EXPECT_EQ(c.Text3->text(), answer + s);
  EXPECT_EQ(form.job().Text3, answer + s);
  const std::array<QString, 5> expected{"albums", "noel", "old", "old", "old"};
  EXPECT_EQ(form.job().Text6, expected);

  answer.clear();  // cancel
  click(c.Command5);
  EXPECT_EQ(c.Text3->text(),
            QStringList({"", "web", "Nouveau site", "albums", "noel", ""}).join(s));
  EXPECT_EQ(form.job().Text6, expected);
}

TEST_F(Form1Test, ControlsHaveDistinctNamesAndMnemonicsThatDoNotCollide) {
  QAccessible::setActive(true);
  // What a screen reader says: a combo box's own name is its value, its label names it.
  const auto spoken = [](QWidget* w) {
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
    if (!qobject_cast<QComboBox*>(w))
      return a->text(QAccessible::Name);
    const auto labels = a->relations(QAccessible::Label);
    return labels.isEmpty() ? QString() : labels.first().first->text(QAccessible::Name);
  };
  const std::map<QString, QString> names{
      {"Drive1", "Lecteur"},
      {"Combo2", "Taille de la bordure des miniatures"},
      {"Check1", "Aperçu des images"},
      {"aper", "Mode aperçu"},
      {"Command9", "Aperçu de la compression"},
      {"Command5", "Choisir le dossier de destination"},
      {"Command2", "Tout sélectionner (fichiers)"},
      {"Command3", "Tout désélectionner (fichiers)"},
      {"Command8", "Tout sélectionner (liste)"},
      {"Command7", "Tout désélectionner (liste)"},
      {"WebBrowser1", "Aperçu de la gallerie"},
  };
  for (const auto& [object, name] : names)
    EXPECT_EQ(spoken(form.findChild<QWidget*>(object)), name) << object.toStdString();
  // Every other control is named by its caption as read; no two buttons alike.
  QStringList buttons;
  for (QWidget* w : form.findChildren<QWidget*>()) {
    QString caption;
    if (auto* b = qobject_cast<QAbstractButton*>(w))
      caption = b->text();
    else if (auto* l = qobject_cast<QLabel*>(w))
      caption = l->text();
    else if (auto* g = qobject_cast<QGroupBox*>(w))
      caption = g->title();
    if (qobject_cast<QAbstractButton*>(w) && w->parent() != c.SSTab1->tabBar())
      buttons << spoken(w);
    if (caption.isEmpty() || names.count(w->objectName()))
      continue;
    EXPECT_EQ(spoken(w), withoutMnemonic(caption)) << w->objectName().toStdString();
  }
  EXPECT_GT(buttons.size(), 25);
  EXPECT_EQ(QSet<QString>(buttons.begin(), buttons.end()).size(), buttons.size())
      << buttons.join(", ").toStdString();

  // Alt+A adds; each tab, opened by its Alt+digit, shows no two controls with one mnemonic.
  c.Check1->setChecked(false);
  clickItem(c.File1, 0);
  form.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
  QTest::keyClick(&form, Qt::Key_A, Qt::AltModifier);
  // A mnemonic presses its button as a click would, shown pressed a moment.
  ASSERT_TRUE(QTest::qWaitFor([&] { return !form.job().List1.isEmpty(); }));
  EXPECT_EQ(form.job().List1, QStringList{entry("img0.jpg")});
  for (int tab = 0; tab < 3; ++tab) {
    QTest::keyClick(&form, Qt::Key(Qt::Key_1 + tab), Qt::AltModifier);
    ASSERT_EQ(c.SSTab1->currentIndex(), tab);
    QStringList captions;
    for (int i = 0; i < 3; ++i)
      captions << c.SSTab1->tabText(i);
    for (QWidget* w : form.findChildren<QWidget*>()) {
      if (!w->isVisible())
        continue;
      if (auto* b = qobject_cast<QAbstractButton*>(w))
        captions << b->text();
      else if (auto* l = qobject_cast<QLabel*>(w))
        captions << l->text();
      else if (auto* g = qobject_cast<QGroupBox*>(w))
        captions << g->title();
    }
    std::map<QString, QString> keys;
    for (const QString& caption : captions) {
      const QString key = QKeySequence::mnemonic(caption).toString();
      if (!key.isEmpty()) {
        EXPECT_TRUE(keys.emplace(key, caption).second)
            << key.toStdString() << ": " << keys[key].toStdString() << " / "
            << caption.toStdString();
      }
    }
    EXPECT_GT(keys.size(), 8u) << tab;
  }
}

TEST_F(Form1Test, F1OpensTheAboutWindow) {
  form.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
  QTest::keyClick(&form, Qt::Key_F1);
  auto* about = qobject_cast<Form4*>(QApplication::activeModalWidget());
  ASSERT_NE(about, nullptr);
  EXPECT_EQ(about->windowTitle(), " About....");
  EXPECT_EQ(about->Label1->text(), "Pixolane");
  EXPECT_EQ(about->Label2->text(), "Version 1.0");
  EXPECT_DOUBLE_EQ(about->Label1->font().pointSizeF(), 26.25);
  EXPECT_TRUE(about->Label2->font().bold());
  about->close();
}

}  // namespace
}  // namespace pixolane::ui
