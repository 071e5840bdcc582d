#include "ui/Form1.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QScreen>
#include <QScrollBar>
#include <QShortcut>
#include <QTabWidget>
#include <QToolButton>
#include <QWebEngineView>

#include <cmath>

#include "job/Launch.h"
#include "job/SavedLocation.h"
#include "platform/Platform.h"
#include "run/Naming.h"
#include "ui/Apercu.h"
#include "ui/ChoisirDossier.h"
#include "ui/DirList.h"
#include "ui/FitCaptions.h"
#include "ui/Form2.h"
#include "ui/Form3.h"
#include "ui/Form4.h"
#include "ui/Messages.h"

namespace pixolane {

namespace {

template <class W>
W* named(W* widget, const QString& name) {
  widget->setAccessibleName(name);
  return widget;
}

// The two picture buttons of each list: ticked boxes select all, empty ones clear.
QIcon selectionIcon(bool all) {
  QPixmap pixmap(16, 16);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  for (int row = 0; row < 3; ++row) {
    const QRect box(1, 1 + row * 5, 4, 4);
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(Qt::white);
    p.drawRect(box);
    if (all)
      p.fillRect(box.adjusted(1, 1, 0, 0), QColor(0, 0, 160));
    p.drawLine(8, 3 + row * 5, 14, 3 + row * 5);
  }
  return QIcon(pixmap);
}

QToolButton* pictureButton(QWidget* parent, const QString& tip, bool all) {
  auto* button = new QToolButton(parent);
  button->setIcon(selectionIcon(all));
  button->setToolTip(tip);
  button->setAccessibleName(tip);
  return button;
}

int checkValue(const QCheckBox* box) {
  return box->isChecked() ? 1 : 0;
}

}  // namespace

QString qualityCaption(int quality) {
  return QStringLiteral("Qualité des images (compression) :") + QString::number(quality) + '%';
}

QSize screenPixels(const QWidget* widget) {
  const QScreen* screen =
      widget && widget->screen() ? widget->screen() : QGuiApplication::primaryScreen();
  if (!screen)
    return {};
  const double ratio = screen->devicePixelRatio();
  const QSize logical = screen->size();
  return {int(std::lround(logical.width() * ratio)), int(std::lround(logical.height() * ratio))};
}

Form1::Form1(QWidget* parent) : QMainWindow(parent) {
  setWindowTitle(ui::kTitle);
  setAccessibleName(ui::kTitle);
  auto* central = new QWidget(this);
  setCentralWidget(central);
  setFixedSize(752, 549);

  buildLeftColumn();

  SSTab1 = named(new QTabWidget(central), QStringLiteral("Onglets"));
  SSTab1->setGeometry(200, 8, 545, 537);
  auto* tab0 = new QWidget;
  auto* tab1 = new QWidget;
  auto* tab2 = new QWidget;
  SSTab1->addTab(tab0, kTab0);
  SSTab1->addTab(tab1, kTab1);
  SSTab1->addTab(tab2, kTab2);
  buildTab0(tab0);
  buildTab1(tab1);
  buildTab2(tab2);

  WebBrowser1 = named(new QWebEngineView(central), QStringLiteral("Aperçu de la gallerie"));
  WebBrowser1->setGeometry(200, 8, 545, 537);

  wireJob();

  auto* help = new QShortcut(QKeySequence(Qt::Key_F1), this);
  connect(help, &QShortcut::activated, this, &Form1::AfficherAPropos);

  // Centred on the screen.
  if (const QScreen* screen = QGuiApplication::primaryScreen())
    move(screen->availableGeometry().center() - rect().center());

  Form_Load();
  ui::fitCaptions(this);
}

Form1::~Form1() {
  // The picture and compression windows are top-level windows of their own (so
  // that they outlive a closed main window); they go with the program.
  delete form3_;
  delete apercu_;
}

Form3* Form1::pictureWindow() const {
  return form3_;
}

Apercu* Form1::compressionPreview() const {
  return apercu_;
}

void Form1::buildLeftColumn() {
  QWidget* central = centralWidget();
  Frame1 = named(new QGroupBox(QStringLiteral("Image"), central), QStringLiteral("Image"));
  Frame1->setGeometry(8, 8, 185, 449);

  Drive1 = named(new QComboBox(Frame1), QStringLiteral("Lecteur"));
  Drive1->setGeometry(8, 20, 169, 24);
  Drive1->addItems(platform::drives());

  Dir1 = named(new ui::DirList(Frame1), QStringLiteral("Dossier"));
  Dir1->setGeometry(8, 50, 169, 170);

  File1 = named(new QListWidget(Frame1), QStringLiteral("Fichiers"));
  File1->setGeometry(8, 226, 169, 180);
  File1->setSelectionMode(QAbstractItemView::MultiSelection);

  Check1 = named(new QCheckBox(QStringLiteral("Aperçu"), Frame1), QStringLiteral("Aperçu"));
  Check1->setGeometry(8, 414, 90, 26);
  Check1->setChecked(true);
  Command3 = pictureButton(Frame1, QStringLiteral("Aucun"), false);
  Command3->setGeometry(117, 413, 28, 28);
  Command2 = pictureButton(Frame1, QStringLiteral("Tous"), true);
  Command2->setGeometry(149, 413, 28, 28);

  Frame4 = named(new QGroupBox(QStringLiteral("Mode d'exécution"), central),
                 QStringLiteral("Mode d'exécution"));
  Frame4->setGeometry(8, 464, 185, 81);
  para = named(new QCheckBox(QStringLiteral("Paramétres"), Frame4), QStringLiteral("Paramétres"));
  para->setGeometry(16, 22, 160, 24);
  aper = named(new QCheckBox(QStringLiteral("Aperçu"), Frame4), QStringLiteral("Aperçu"));
  aper->setGeometry(16, 48, 160, 24);

  connect(Drive1, &QComboBox::currentIndexChanged, this, &Form1::Drive1_Change);
  connect(Dir1, &ui::DirList::pathChanged, this, &Form1::Dir1_Change);
  connect(File1, &QListWidget::itemSelectionChanged, this, &Form1::File1_Click);
  connect(Command2, &QToolButton::clicked, this, &Form1::Command2_Click);
  connect(Command3, &QToolButton::clicked, this, &Form1::Command3_Click);
  connect(para, &QCheckBox::toggled, this, &Form1::para_Click);
  connect(aper, &QCheckBox::toggled, this, &Form1::aper_Click);
}

void Form1::buildTab0(QWidget* page) {
  List1 = named(new QListWidget(page), QStringLiteral("Liste de Traitement"));
  List1->setGeometry(8, 8, 523, 436);
  List1->setSelectionMode(QAbstractItemView::MultiSelection);

  Command7 = pictureButton(page, QStringLiteral("Aucun"), false);
  Command7->setGeometry(8, 452, 28, 28);
  Command8 = pictureButton(page, QStringLiteral("Tous"), true);
  Command8->setGeometry(40, 452, 28, 28);
  Label1 = named(new QLabel(QStringLiteral("Total : 0"), page), QStringLiteral("Total : 0"));
  Label1->setGeometry(80, 452, 200, 28);
  Command4 = named(new QPushButton(QStringLiteral("Ajouter"), page), QStringLiteral("Ajouter"));
  Command4->setGeometry(330, 452, 97, 28);
  Command1 = named(new QPushButton(QStringLiteral("Supprimer"), page), QStringLiteral("Supprimer"));
  Command1->setGeometry(434, 452, 97, 28);

  connect(Command7, &QToolButton::clicked, this, &Form1::Command7_Click);
  connect(Command8, &QToolButton::clicked, this, &Form1::Command8_Click);
  connect(Command4, &QPushButton::clicked, this, &Form1::Command4_Click);
  connect(Command1, &QPushButton::clicked, this, &Form1::Command1_Click);
}

void Form1::buildTab1(QWidget* page) {
  auto check = [page](const QString& text) { return named(new QCheckBox(text, page), text); };
  auto option = [](const QString& text, QWidget* parent) {
    return named(new QRadioButton(text, parent), text);
  };

  Check3 = check(QStringLiteral("Changer la  résolution des images (Unité Pixels)"));
  Check3->setGeometry(8, 8, 420, 24);

  // Three columns: presets on two rows, then the custom size.
  Option1 = option(QStringLiteral("320 x 240"), page);
  Option5 = option(QStringLiteral("640 x 480"), page);
  Option3 = option(QStringLiteral("1024 x 768"), page);
  Option4 = option(QStringLiteral("800 x 600"), page);
  Option2 = option(QStringLiteral("1280 x 1024"), page);
  Option7 = option(QStringLiteral("Résolution d'écran"), page);
  Option6 = option(QStringLiteral("Personnalisé"), page);
  const int col[3] = {24, 194, 364};
  Option1->setGeometry(col[0], 36, 165, 24);
  Option5->setGeometry(col[1], 36, 165, 24);
  Option3->setGeometry(col[2], 36, 165, 24);
  Option4->setGeometry(col[0], 62, 165, 24);
  Option2->setGeometry(col[1], 62, 165, 24);
  Option7->setGeometry(col[2], 62, 165, 24);
  Option6->setGeometry(col[0], 88, 165, 24);
  Text1 = named(new QLineEdit(page), QStringLiteral("Largeur personnalisée"));
  Text1->setGeometry(col[1], 88, 70, 24);
  Label2 = named(new QLabel(QStringLiteral("x"), page), QStringLiteral("x"));
  Label2->setGeometry(col[1] + 76, 88, 12, 24);
  Text2 = named(new QLineEdit(page), QStringLiteral("Hauteur personnalisée"));
  Text2->setGeometry(col[1] + 92, 88, 70, 24);
  sizeGroup = new QButtonGroup(this);
  for (QRadioButton* o : {Option1, Option2, Option3, Option4, Option5, Option6, Option7})
    sizeGroup->addButton(o);
  // A paste must not bring letters in either: the key filter sees only typing.
  for (QLineEdit* box : {Text1, Text2}) {
    box->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]*"), box));
    box->installEventFilter(this);
  }

  Check2 = check(QStringLiteral("Garder les Proportions"));
  Check2->setGeometry(8, 118, 300, 24);
  {
    // The design state: checked, without the message.
    const QSignalBlocker quiet(Check2);
    Check2->setChecked(true);
  }

  Frame3 = named(new QGroupBox(QStringLiteral("Taux de compression des images"), page),
                 QStringLiteral("Qualité des images"));
  Frame3->setGeometry(8, 146, 523, 112);
  HScroll1 = named(new QScrollBar(Qt::Horizontal, Frame3), QStringLiteral("Qualité"));
  HScroll1->setGeometry(12, 26, 499, 18);
  // The JPEG writer needs 1..100: the bar stops at 10.
  HScroll1->setRange(10, 100);
  HScroll1->setSingleStep(1);
  HScroll1->setPageStep(5);
  HScroll1->setValue(100);
  HScroll1->setTracking(false);               // one change per completed move, none while dragging
  HScroll1->setFocusPolicy(Qt::StrongFocus);  // the arrows and page keys move it too
  Option8 = option(QStringLiteral("Format Standard"), Frame3);
  Option8->setGeometry(12, 52, 200, 24);
  Option9 = option(QStringLiteral("Format Progressif"), Frame3);
  Option9->setGeometry(12, 78, 200, 24);
  Option9->setChecked(true);
  Command9 = named(new QPushButton(QStringLiteral("Aperçu"), Frame3), QStringLiteral("Aperçu"));
  Command9->setGeometry(391, 62, 120, 32);

  Check6 = check(QStringLiteral("Ouvrir les images dans une nouvelle fenétre"));
  Check6->setGeometry(8, 268, 420, 24);

  Label3 = named(new QLabel(QStringLiteral("Taille de la bordure des miniatures"), page),
                 QStringLiteral("Taille de la bordure des miniatures"));
  Label3->setGeometry(8, 300, 260, 24);
  Combo2 = named(new QComboBox(page), Label3->text());
  Combo2->setGeometry(274, 300, 60, 24);
  Combo2->setEditable(true);
  Combo2->setInsertPolicy(QComboBox::NoInsert);
  for (int i = 0; i <= 9; ++i)
    Combo2->addItem(QString::number(i));
  Combo2->setEditText(QStringLiteral("2"));

  Frame2 = named(new QGroupBox(QStringLiteral("Taille des miniatures"), page),
                 QStringLiteral("Taille des miniatures"));
  Frame2->setGeometry(8, 334, 523, 58);
  opt[2] = option(QStringLiteral("Petite (100x100 px)"), Frame2);
  opt[3] = option(QStringLiteral("Moyenne (140x140 px)"), Frame2);
  opt[1] = option(QStringLiteral("Grande (230x230 px)"), Frame2);
  opt[2]->setGeometry(12, 24, 160, 24);
  opt[3]->setGeometry(180, 24, 170, 24);
  opt[1]->setGeometry(358, 24, 160, 24);

  Label6 = named(new QLabel(QStringLiteral("Nombres de  Miniatures par lignes"), page),
                 QStringLiteral("Nombres de  Miniatures par lignes"));
  Label6->setGeometry(8, 402, 260, 24);
  Combo1 = named(new QComboBox(page), Label6->text());
  Combo1->setGeometry(274, 402, 60, 24);
  Combo1->setEditable(true);
  for (int i = 2; i <= 8; ++i)
    Combo1->addItem(QString::number(i));
  Combo1->setEditText(QStringLiteral("1"));
  Combo1->hide();  // one thumbnail per row: the box is never shown

  connect(Check3, &QCheckBox::toggled, this, &Form1::Check3_Click);
  connectOption(Option1, [this] { Option1_Click(); });
  connectOption(Option2, [this] { Option2_Click(); });
  connectOption(Option3, [this] { Option3_Click(); });
  connectOption(Option4, [this] { Option4_Click(); });
  connectOption(Option5, [this] { Option5_Click(); });
  connectOption(Option6, [this] { Option6_Click(); });
  connectOption(Option7, [this] { Option7_Click(); });
  connectOption(Option8, [this] { Option8_Click(); });
  connectOption(Option9, [this] { Option9_Click(); });
  for (int i = 1; i <= 3; ++i)
    connectOption(opt[i], [this, i] { opt_Click(i); });
  connect(Check2, &QCheckBox::toggled, this, &Form1::Check2_Click);
  connect(HScroll1, &QScrollBar::valueChanged, this, &Form1::HScroll1_Change);
  connect(Command9, &QPushButton::clicked, this, &Form1::Command9_Click);
  connect(Check6, &QCheckBox::toggled, this, &Form1::Check6_Click);
  connect(Combo2, &QComboBox::activated, this, &Form1::Combo2_Click);
  connect(Combo2->lineEdit(), &QLineEdit::editingFinished, this, [this] {
    // A typed border applies when the box is left; anything but 0..99 is undone.
    if (const auto border = parseBorder(Combo2->currentText()))
      job_.Bordure = std::int16_t(*border);
    Combo2->setEditText(QString::number(job_.Bordure));
  });
}

void Form1::buildTab2(QWidget* page) {
  auto label = [page](const QString& text, int x, int y, int w) {
    auto* l = named(new QLabel(text, page), text);
    l->setGeometry(x, y, w, 22);
    return l;
  };
  Label4 = label(QStringLiteral("Titre de la gallerie"), 8, 12, 300);
  Text5 = named(new QLineEdit(page), Label4->text());
  Text5->setGeometry(8, 34, 523, 24);

  Label5 = label(QStringLiteral("Dossier de destination"), 8, 70, 300);
  Text3 = named(new QLineEdit(page), Label5->text());
  Text3->setGeometry(8, 92, 483, 24);
  Command5 = named(new QPushButton(QStringLiteral("/"), page), QStringLiteral("/"));
  Command5->setGeometry(497, 92, 34, 24);

  Label7 = label(QStringLiteral("Dossier PHP"), 8, 128, 300);
  QFont slashFont(QStringLiteral("MS Sans Serif"));
  slashFont.setPointSize(12);
  for (int i = 0; i < 5; ++i) {
    Text6[i] = named(new QLineEdit(page), QStringLiteral("Dossier PHP %1").arg(i));
    Text6[i]->setGeometry(8 + i * 106, 150, 92, 24);
    if (i < 4) {
      Label9[i] = named(new QLabel(QStringLiteral("/"), page), QStringLiteral("/"));
      Label9[i]->setFont(slashFont);
      Label9[i]->setAlignment(Qt::AlignCenter);
      Label9[i]->setGeometry(100 + i * 106, 150, 14, 24);
    }
  }

  Label8 = label(QStringLiteral("Nom du fichier PHP"), 8, 186, 300);
  Text4 = named(new QLineEdit(page), Label8->text());
  Text4->setGeometry(8, 208, 260, 24);

  Check4 = named(new QCheckBox(QStringLiteral("Ouverture la gallerie aprés création"), page),
                 QStringLiteral("Ouverture la gallerie aprés création"));
  Check4->setGeometry(8, 246, 400, 24);
  Check4->setChecked(true);
  Check5 = named(new QCheckBox(QStringLiteral("Afficher les noms des fichiers images"), page),
                 QStringLiteral("Afficher les noms des fichiers images"));
  Check5->setGeometry(8, 274, 400, 24);

  Command6 = named(new QPushButton(QStringLiteral("Création de la gallerie"), page),
                   QStringLiteral("Création de la gallerie"));
  Command6->setGeometry(8, 316, 220, 34);
  Command6->setEnabled(false);

  connect(Command5, &QPushButton::clicked, this, &Form1::Command5_Click);
  connect(Command6, &QPushButton::clicked, this, &Form1::Command6_Click);
}

// Controls without handlers of their own still feed the job as they change.
void Form1::wireJob() {
  connect(Text1, &QLineEdit::textChanged, this, [this](const QString& t) { job_.Text1 = t; });
  connect(Text2, &QLineEdit::textChanged, this, [this](const QString& t) { job_.Text2 = t; });
  connect(Text3, &QLineEdit::textChanged, this, [this](const QString& t) { job_.Text3 = t; });
  connect(Text4, &QLineEdit::textChanged, this, [this](const QString& t) { job_.Text4 = t; });
  connect(Text5, &QLineEdit::textChanged, this, [this](const QString& t) { job_.Text5 = t; });
  for (int i = 0; i < 5; ++i) {
    connect(Text6[i], &QLineEdit::textChanged, this,
            [this, i](const QString& t) { job_.Text6[i] = t; });
  }
  connect(Check4, &QCheckBox::toggled, this, [this] { job_.Check4 = checkValue(Check4); });
  connect(Check5, &QCheckBox::toggled, this, [this] { job_.Check5 = checkValue(Check5); });
  connect(Option6, &QRadioButton::toggled, this, [this](bool on) { job_.Option6 = on; });
  connect(Combo1, &QComboBox::editTextChanged, this, [this](const QString& t) { job_.Combo1 = t; });
  job_.Check2 = checkValue(Check2);
  job_.Check4 = checkValue(Check4);
  job_.Check5 = checkValue(Check5);
  job_.Check6 = checkValue(Check6);
  job_.Combo1 = Combo1->currentText();
}

void Form1::Form_Load() {
  // The saved drive, then the saved folder on it.
  const SavedLocation location = restoreSavedLocation();
  int drive = Drive1->findText(location.drive);
  if (drive < 0) {
    Drive1->addItem(location.drive);
    drive = Drive1->count() - 1;
  }
  if (Drive1->currentIndex() == drive)
    Drive1_Change();
  else
    Drive1->setCurrentIndex(drive);
  if (!location.folder.isEmpty())
    Dir1->setPath(location.folder);

  job_.ModeApercu = 0;
  aper->setEnabled(false);
  para->setChecked(true);
  WebBrowser1->hide();
  job_.Bordure = 2;
  SSTab1->setCurrentIndex(0);
  SSTab1->setTabEnabled(2, false);
  SSTab1->setTabEnabled(1, false);
  select(opt[3]);
  Check3->setChecked(true);
  job_.Progressif = 1;
  HScroll1_Change();
  SelectionEnCours_ = 0;
  setTarget(640, 480);
  // The start-up thumbnail box is 100 x 100: show the option that says so.
  select(opt[2]);
}

void Form1::closeEvent(QCloseEvent* event) {
  Form_QueryUnload();
  event->accept();
}

void Form1::Form_QueryUnload() {
  // Only this window goes: the picture and compression windows are top-level
  // windows of their own and the program ends when the last one is closed.
}

void Form1::AfficherAPropos() {
  Form4 about(this);
  about.exec();
}

// --- Option buttons ----------------------------------------------------------
// A handler runs when its option becomes selected, whether by a click or by
// the program, and also when an already selected option is clicked again.

void Form1::connectOption(QRadioButton* option, std::function<void()> handler) {
  connect(option, &QRadioButton::toggled, this, [this, option, handler](bool on) {
    if (!on)
      return;
    lastToggled_ = option;
    handler();
  });
  connect(option, &QRadioButton::clicked, this, [this, option, handler] {
    if (lastToggled_ == option) {
      lastToggled_ = nullptr;  // this click's selection already ran it
      return;
    }
    handler();
  });
}

void Form1::select(QRadioButton* option) {
  if (option->isChecked()) {
    // Selecting again runs the handler again, as a click would.
    emit option->clicked(true);
  } else {
    option->setChecked(true);
    lastToggled_ = nullptr;
  }
}

void Form1::setTarget(int width, int height) {
  job_.LargeurCible = width;
  job_.HauteurCible = height;
}

// --- Source picker -----------------------------------------------------------

void Form1::Drive1_Change() {
  const QString drive = Drive1->currentText();
  QString folder = drive;
  if (const auto known = driveFolders_.find(drive); known != driveFolders_.end())
    folder = known->second;
  if (!platform::driveReady(drive) || !(Dir1->setPath(folder) || Dir1->setPath(drive))) {
    ui::showMessage(this, QMessageBox::Critical, QStringLiteral("Le lecteur n'est pas pret..."));
  }
}

void Form1::Dir1_Change() {
  driveFolders_[Drive1->currentText()] = Dir1->path();
  fillFiles();
}

void Form1::fillFiles() {
  fillingFiles_ = true;
  File1->clear();
  File1->addItems(ui::jpegFilesIn(Dir1->path()));
  fillingFiles_ = false;
}

void Form1::File1_Click() {
  if (fillingFiles_ || SelectionEnCours_ != 0 || checkValue(Check1) != 1)
    return;
  const QListWidgetItem* item = File1->currentItem();
  if (!item)
    return;
  if (!form3_)
    form3_ = new Form3(nullptr);
  form3_->showPicture(ui::folderWithSeparator(Dir1->path()) + item->text());
  form3_->show();
}

void Form1::Command2_Click() {
  SelectionEnCours_ = -1;
  for (int i = 0; i < File1->count(); ++i)
    File1->item(i)->setSelected(true);
  SelectionEnCours_ = 0;
}

void Form1::Command3_Click() {
  SelectionEnCours_ = -1;
  for (int i = 0; i < File1->count(); ++i)
    File1->item(i)->setSelected(false);
  SelectionEnCours_ = 0;
}

void Form1::Command7_Click() {
  List1->clearSelection();
}

void Form1::Command8_Click() {
  List1->selectAll();
}

void Form1::updateTotal() {
  Label1->setText(QStringLiteral("Total :") + QString::number(List1->count()));
  Label1->setAccessibleName(Label1->text());
}

void Form1::Command4_Click() {
  if (List1->count() > 0)
    Command4->setEnabled(false);
  Command6->setEnabled(true);
  const QString folder = ui::folderWithSeparator(Dir1->path());
  for (int i = 0; i < File1->count(); ++i) {
    if (File1->item(i)->isSelected()) {
      List1->addItem(folder + File1->item(i)->text());
      job_.List1.append(folder + File1->item(i)->text());
    }
  }
  updateTotal();
  if (List1->count() > 0) {
    SSTab1->setTabEnabled(1, true);
    SSTab1->setTabEnabled(2, true);
    aper->setEnabled(true);
    SSTab1->setCurrentIndex(1);
    Combo1->lineEdit()->setCursorPosition(0);
    Combo2->lineEdit()->setCursorPosition(0);
    select(Option5);
    Drive1->setEnabled(false);
    Dir1->setEnabled(false);
    File1->setEnabled(false);
    Command3_Click();
  }
}

void Form1::Command1_Click() {
  Command4->setEnabled(true);
  QList<int> rows;
  for (int i = 0; i < List1->count(); ++i) {
    if (List1->item(i)->isSelected())
      rows.append(i);
  }
  if (!rows.isEmpty()) {
    // Each removal moves the later entries up by one.
    for (int k = 0; k < rows.size(); ++k) {
      delete List1->takeItem(rows[k] - k);
      job_.List1.removeAt(rows[k] - k);
    }
    updateTotal();
  }
  if (List1->count() == 0) {
    Command6->setEnabled(false);
    Drive1->setEnabled(true);
    Dir1->setEnabled(true);
    File1->setEnabled(true);
    aper->setEnabled(false);
  }
}

// --- Modes -------------------------------------------------------------------

void Form1::aper_Click() {
  if (!aper->isChecked())
    return;
  job_.ModeApercu = -1;
  if (!runForm2(job_)) {
    // No page to show: stay with the settings.
    job_.ModeApercu = 0;
    const QSignalBlocker quiet(aper);
    aper->setChecked(false);
    return;
  }
  para->setChecked(false);
  WebBrowser1->show();
  SSTab1->hide();
}

void Form1::para_Click() {
  if (!para->isChecked())
    return;
  job_.ModeApercu = 0;
  aper->setChecked(false);
  WebBrowser1->hide();
  SSTab1->show();
}

bool Form1::runForm2(GalleryJob job) {
  Form2 window(
      std::move(job), [this](const QString& page) { showPreviewPage(page); }, this, runOptions);
  if (onForm2Created)
    onForm2Created(window);
  window.exec();
  lastReport_ = window.report();
  emit runClosed();
  // The run worked on a copy: nothing of it comes back into this window's job.
  return window.run().ran() && !lastReport_.cancelled && !lastReport_.stopped;
}

void Form1::showPreviewPage(const QString& pagePath) {
  WebBrowser1->load(QUrl::fromLocalFile(pagePath));
}

// --- Picture options ---------------------------------------------------------

void Form1::setResizeControlsEnabled(bool enabled) {
  for (QWidget* w : std::initializer_list<QWidget*>{Option1, Option2, Option3, Option4, Option5,
                                                    Option6, Option7, Text1, Text2, Check2, Frame3,
                                                    Option8, Option9, Command9, HScroll1})
    w->setEnabled(enabled);
}

void Form1::Check3_Click() {
  job_.Check3 = checkValue(Check3);
  if (job_.Check3 == 0) {
    setResizeControlsEnabled(false);
    return;
  }
  setResizeControlsEnabled(true);
  select(Option4);
}

void Form1::Option1_Click() {
  setTarget(320, 240);
}
void Form1::Option2_Click() {
  setTarget(1280, 1024);
}
void Form1::Option3_Click() {
  setTarget(1024, 768);
}
void Form1::Option4_Click() {
  setTarget(800, 600);
}
void Form1::Option5_Click() {
  setTarget(640, 480);
}

void Form1::Option6_Click() {
  if (!Option6->isChecked())
    return;
  // A key typed into either box selects the option: the key stays in its box.
  // Only a click on the option itself sends the user to the width.
  if (focusWidget() == Text1 || focusWidget() == Text2)
    return;
  // The size itself is taken from the boxes at launch.
  Text1->setCursorPosition(Text1->text().size());
  Text1->setFocus();
}

void Form1::Option7_Click() {
  const QSize screen = screenPixels(this);
  Option7->setText(QStringLiteral("%1 x %2").arg(screen.width()).arg(screen.height()));
  Option7->setAccessibleName(Option7->text());
  setTarget(screen.width(), screen.height());
}

void Form1::Option8_Click() {
  job_.Progressif = 0;
}
void Form1::Option9_Click() {
  job_.Progressif = 1;
}

bool Form1::eventFilter(QObject* watched, QEvent* event) {
  if ((watched == Text1 || watched == Text2) && event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    // Shortcuts (copy, select all...) are not typing.
    if (key->modifiers() & (Qt::ControlModifier | Qt::MetaModifier | Qt::AltModifier))
      return false;
    const bool backspace = key->key() == Qt::Key_Backspace;
    const QString typed = key->text();
    if (typed.isEmpty() && !backspace)
      return false;  // arrows, Delete, Home...: not a character
    if (!Option6->isChecked())
      Option6->setChecked(true);
    const bool digit = typed.size() == 1 && typed[0] >= u'0' && typed[0] <= u'9';
    return !(digit || backspace);
  }
  return QMainWindow::eventFilter(watched, event);
}

void Form1::Check2_Click() {
  job_.Check2 = checkValue(Check2);
  if (job_.Check2 == 1) {
    ui::showMessage(this, QMessageBox::Information,
                    QStringLiteral("En respectant les proportions, la largeur ou la hauteur\n"
                                   "de l'image de sortie sera modifiée..."));
  }
}

void Form1::HScroll1_Change() {
  job_.Qualite = std::int16_t(HScroll1->value());
  Frame3->setTitle(qualityCaption(job_.Qualite));
  Frame3->setAccessibleName(Frame3->title());
}

void Form1::Command9_Click() {
  if (!apercu_)
    apercu_ = new Apercu(job_, nullptr);
  apercu_->show();
  apercu_->raise();
  apercu_->activateWindow();
  apercu_->setFocus();
  apercu_->maj();
}

// --- Gallery options and launch ----------------------------------------------

void Form1::Check6_Click() {
  job_.Check6 = checkValue(Check6);
  if (job_.Check6 == 1) {
    ui::showMessage(
        this, QMessageBox::Information,
        QStringLiteral("Uniquement pour les présentations pour internet (site web),\n"
                       "ne marche pas pour les presentations sur Cd-rom ou Disque Local...."));
  }
}

void Form1::Combo2_Click(int index) {
  job_.Bordure = std::int16_t(Combo2->itemText(index).toInt());
}

void Form1::opt_Click(int index) {
  static constexpr int kBox[4] = {0, 230, 100, 140};
  job_.LargeurMini = kBox[index];
  job_.HauteurMini = kBox[index];
}

void Form1::Command5_Click() {
  const QString chosen =
      ChoisirDossier(this, QStringLiteral("Dossier de destination"), defaultDestinationFolder());
  if (chosen.isEmpty())
    return;  // cancelled: the destination and the site folders stay as they were
  const QString destination = withFinalSeparator(chosen);
  Text3->setText(destination);
  std::array<QString, 5> current;
  for (int i = 0; i < 5; ++i)
    current[i] = Text6[i]->text();
  const std::array<QString, 5> boxes = extractSiteFolders(destination, current);
  for (int i = 0; i < 5; ++i)
    Text6[i]->setText(boxes[i]);
}

void Form1::Command6_Click() {
  const LaunchCheck check = checkLaunch(job_);
  if (!check.ok) {
    ui::showMessage(this, QMessageBox::Information, check.message);
    switch (check.field) {
      case LaunchField::List:
        SSTab1->setCurrentIndex(0);
        break;
      case LaunchField::CustomWidth:
      case LaunchField::CustomHeight: {
        QLineEdit* box = check.field == LaunchField::CustomWidth ? Text1 : Text2;
        SSTab1->setCurrentIndex(1);
        box->setFocus();
        box->selectAll();
        break;
      }
      default:
        break;
    }
    return;
  }
  GalleryJob run = job_;
  run.ModeApercu = 0;
  runForm2(std::move(run));
}

}  // namespace pixolane
