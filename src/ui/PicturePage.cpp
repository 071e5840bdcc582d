#include "ui/PicturePage.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QScreen>
#include <QScrollBar>

#include <cmath>

#include "job/Launch.h"
#include "job/Presets.h"
#include "ui/Apercu.h"
#include "ui/Controls.h"
#include "ui/Messages.h"

namespace pixolane::ui {

using job::GalleryJob;
using job::parseBorder;

namespace {

QRadioButton* option(QWidget* parent, const QString& objectName, const QString& text) {
  return named(new QRadioButton(text, parent), objectName, text);
}

QCheckBox* check(QWidget* parent, const QString& objectName, const QString& text) {
  return named(new QCheckBox(text, parent), objectName, text);
}

// The size buttons, in the order of job::kSizePresets.
enum Preset { k320, k640, k800, k1024, k1280 };

// `mnemonicAt`: where the '&' goes, so Alt and the next character choose it.
QString presetCaption(Preset preset, int mnemonicAt) {
  const job::SizePreset& p = job::kSizePresets[preset];
  return QStringLiteral("%1 x %2").arg(p.width).arg(p.height).insert(mnemonicAt, QLatin1Char('&'));
}

QString boxCaption(const char* size, const job::ThumbnailBox& box) {
  return QStringLiteral("%1 (%2x%2 px)").arg(QString::fromUtf8(size)).arg(box.side);
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

PicturePage::PicturePage(GalleryJob& job, const Services& services, QWidget* parent)
    : QWidget(parent), job_(job), services_(services) {
  buildSize();
  buildQuality();
  buildThumbnails();
  connectHandlers();
  // Rows widen with the page; the second and third columns of options keep
  // to a third and two thirds of its width.
  constexpr double kThird = 1.0 / 3, kTwoThirds = 2.0 / 3;
  growth_ = Growth{{Option5, kThird, 0, kThird, 0},
                   {Option2, kThird, 0, kThird, 0},
                   {Text1, kThird, 0, kThird, 0},
                   {Label2, kThird, 0, kThird, 0},
                   {Text2, kThird, 0, kThird, 0},
                   {Option3, kTwoThirds, 0, kTwoThirds, 0},
                   {Option7, kTwoThirds, 0, kTwoThirds, 0},
                   {Frame3, 0, 0, 1, 0},
                   {HScroll1, 0, 0, 1, 0},
                   {Command9, 1, 0, 1, 0},
                   {Frame2, 0, 0, 1, 0},
                   {opt[3], kThird, 0, kThird, 0},
                   {opt[1], kTwoThirds, 0, kTwoThirds, 0}};
  job_.Check2 = checkValue(Check2);
  job_.Check6 = checkValue(Check6);
  job_.Combo1 = Combo1->currentText();
}

PicturePage::~PicturePage() {
  // The compression preview belongs to the main window, which may outlive
  // this room.
  delete apercu_;
}

void PicturePage::buildSize() {
  Check3 = check(this, QStringLiteral("Check3"),
                 QStringLiteral("&Changer la  résolution des images (Unité Pixels)"));
  Check3->setGeometry(8, 8, 420, 24);

  // Three columns: presets on two rows, then the custom size.
  // Mnemonics on digits the tab bar leaves free. "Résolution d'écran" has none:
  // its caption becomes the screen's size once chosen.
  Option1 = option(this, QStringLiteral("Option1"), presetCaption(k320, 7));   // 320 x 2&40
  Option5 = option(this, QStringLiteral("Option5"), presetCaption(k640, 0));   // &640 x 480
  Option3 = option(this, QStringLiteral("Option3"), presetCaption(k1024, 7));  // 1024 x &768
  Option4 = option(this, QStringLiteral("Option4"), presetCaption(k800, 0));   // &800 x 600
  Option2 = option(this, QStringLiteral("Option2"), presetCaption(k1280, 3));  // 128&0 x 1024
  Option7 = option(this, QStringLiteral("Option7"), QStringLiteral("Résolution d'écran"));
  Option6 = option(this, QStringLiteral("Option6"), QStringLiteral("Perso&nnalisé"));
  const int col[3] = {24, 194, 364};
  Option1->setGeometry(col[0], 36, 165, 24);
  Option5->setGeometry(col[1], 36, 165, 24);
  Option3->setGeometry(col[2], 36, 165, 24);
  Option4->setGeometry(col[0], 62, 165, 24);
  Option2->setGeometry(col[1], 62, 165, 24);
  Option7->setGeometry(col[2], 62, 165, 24);
  Option6->setGeometry(col[0], 88, 165, 24);
  Text1 =
      named(new QLineEdit(this), QStringLiteral("Text1"), QStringLiteral("Largeur personnalisée"));
  Text1->setGeometry(col[1], 88, 70, 24);
  Label2 =
      named(new QLabel(QStringLiteral("x"), this), QStringLiteral("Label2"), QStringLiteral("x"));
  Label2->setGeometry(col[1] + 76, 88, 12, 24);
  Text2 =
      named(new QLineEdit(this), QStringLiteral("Text2"), QStringLiteral("Hauteur personnalisée"));
  Text2->setGeometry(col[1] + 92, 88, 70, 24);
  sizeGroup = new QButtonGroup(this);
  for (QRadioButton* o : {Option1, Option2, Option3, Option4, Option5, Option6, Option7})
    sizeGroup->addButton(o);
  // A paste must not bring letters in either: the key filter sees only typing.
  for (QLineEdit* box : {Text1, Text2}) {
    box->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]*"), box));
    box->installEventFilter(this);
  }

  Check2 = check(this, QStringLiteral("Check2"), QStringLiteral("&Garder les Proportions"));
  Check2->setGeometry(8, 118, 300, 24);
  {
    // The design state: checked, without the message.
    const QSignalBlocker quiet(Check2);
    Check2->setChecked(true);
  }
}

void PicturePage::buildQuality() {
  Frame3 = named(new QGroupBox(QStringLiteral("Taux de compression des images"), this),
                 QStringLiteral("Frame3"), QStringLiteral("Qualité des images"));
  Frame3->setGeometry(8, 146, 523, 112);
  Frame3->installEventFilter(this);
  HScroll1 = named(new ValueBar(Frame3), QStringLiteral("HScroll1"), QStringLiteral("Qualité"));
  HScroll1->setGeometry(12, 26, 499, 18);
  // The JPEG writer needs 1..100: the bar stops at 10.
  HScroll1->setRange(10, 100);
  HScroll1->setSingleStep(1);
  HScroll1->setPageStep(5);
  HScroll1->setValue(100);
  HScroll1->setTracking(false);  // one change per completed move, none while dragging
  Option8 = option(Frame3, QStringLiteral("Option8"), QStringLiteral("Format &Standard"));
  Option8->setGeometry(12, 52, 200, 24);
  Option9 = option(Frame3, QStringLiteral("Option9"), QStringLiteral("Format P&rogressif"));
  Option9->setGeometry(12, 78, 200, 24);
  Option9->setChecked(true);
  // Three controls read "Aperçu": the name says which.
  Command9 = named(new QPushButton(QStringLiteral("&Aperçu"), Frame3), QStringLiteral("Command9"),
                   QStringLiteral("Aperçu de la compression"));
  Command9->setGeometry(391, 62, 120, 32);

  Check6 = check(this, QStringLiteral("Check6"),
                 QStringLiteral("&Ouvrir les images dans une nouvelle fenétre"));
  Check6->setGeometry(8, 268, 420, 24);
}

void PicturePage::buildThumbnails() {
  const QString border = QStringLiteral("Taille de la &bordure des miniatures");
  Label3 = named(new QLabel(border, this), QStringLiteral("Label3"), border);
  Label3->setGeometry(8, 300, 260, 24);
  Combo2 = named(new QComboBox(this), QStringLiteral("Combo2"), border);
  Combo2->setGeometry(274, 300, 60, 24);
  Combo2->setEditable(true);
  Combo2->setInsertPolicy(QComboBox::NoInsert);
  for (int i = 0; i <= 9; ++i)
    Combo2->addItem(QString::number(i));
  Combo2->setEditText(QStringLiteral("2"));
  Label3->setBuddy(Combo2);  // a combo box's own name is its value: the label names it

  Frame2 = named(new QGroupBox(QStringLiteral("Taille des miniatures"), this),
                 QStringLiteral("Frame2"), QStringLiteral("Taille des miniatures"));
  Frame2->setGeometry(8, 334, 523, 58);
  opt[2] = option(Frame2, QStringLiteral("opt(2)"), boxCaption("Pe&tite", job::kSmallThumbnails));
  opt[3] = option(Frame2, QStringLiteral("opt(3)"), boxCaption("&Moyenne", job::kMediumThumbnails));
  opt[1] = option(Frame2, QStringLiteral("opt(1)"), boxCaption("Gran&de", job::kLargeThumbnails));
  opt[2]->setGeometry(12, 24, 160, 24);
  opt[3]->setGeometry(180, 24, 170, 24);
  opt[1]->setGeometry(358, 24, 160, 24);

  const QString perRow = QStringLiteral("Nombres de  Miniatures par lignes");
  Label6 = named(new QLabel(perRow, this), QStringLiteral("Label6"), perRow);
  Label6->setGeometry(8, 402, 260, 24);
  Combo1 = named(new QComboBox(this), QStringLiteral("Combo1"), perRow);
  Combo1->setGeometry(274, 402, 60, 24);
  Combo1->setEditable(true);
  for (int i = 2; i <= 8; ++i)
    Combo1->addItem(QString::number(i));
  Combo1->setEditText(QStringLiteral("1"));
  Combo1->hide();  // one thumbnail per row: the box is never shown
}

void PicturePage::connectHandlers() {
  connect(Check3, &QCheckBox::toggled, this, &PicturePage::Check3_Click);
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
  connect(Check2, &QCheckBox::toggled, this, &PicturePage::Check2_Click);
  connect(HScroll1, &QScrollBar::valueChanged, this, &PicturePage::HScroll1_Change);
  connect(Command9, &QPushButton::clicked, this, &PicturePage::Command9_Click);
  connect(Check6, &QCheckBox::toggled, this, &PicturePage::Check6_Click);
  connect(Combo2, &QComboBox::activated, this, &PicturePage::Combo2_Click);
  connect(Combo2->lineEdit(), &QLineEdit::editingFinished, this, [this] {
    // A typed border applies when the box is left; anything but 0..99 is undone.
    if (const auto border = parseBorder(Combo2->currentText()))
      job_.Bordure = std::int16_t(*border);
    Combo2->setEditText(QString::number(job_.Bordure));
  });
  // Controls without handlers of their own still feed the job as they change.
  connect(Text1, &QLineEdit::textChanged, this, [this](const QString& t) { job_.Text1 = t; });
  connect(Text2, &QLineEdit::textChanged, this, [this](const QString& t) { job_.Text2 = t; });
  connect(Option6, &QRadioButton::toggled, this, [this](bool on) { job_.Option6 = on; });
  connect(Combo1, &QComboBox::editTextChanged, this, [this](const QString& t) { job_.Combo1 = t; });
  tabStopOnChecked(sizeGroup->buttons());
  tabStopOnChecked({Option8, Option9});
  tabStopOnChecked({opt[2], opt[3], opt[1]});
}

Apercu* PicturePage::compressionPreview() const {
  return apercu_;
}

void PicturePage::startUp() {
  select(opt[3]);
  Check3->setChecked(true);
  job_.Progressif = 1;
  HScroll1_Change();
  setTarget(640, 480);
  // The start-up thumbnail box is 100 x 100: show the option that says so.
  select(opt[2]);
}

void PicturePage::listFilled() {
  Combo1->lineEdit()->setCursorPosition(0);
  Combo2->lineEdit()->setCursorPosition(0);
  select(Option5);
}

void PicturePage::focusCustomSize(bool height) {
  QLineEdit* box = height ? Text2 : Text1;
  box->setFocus();
  box->selectAll();
}

// --- Option buttons ----------------------------------------------------------
// A handler runs when its option becomes selected, whether by a click or by
// the program, and also when an already selected option is clicked again.

void PicturePage::connectOption(QRadioButton* option, std::function<void()> handler) {
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

void PicturePage::select(QRadioButton* option) {
  if (option->isChecked()) {
    // Selecting again runs the handler again, as a click would.
    emit option->clicked(true);
  } else {
    option->setChecked(true);
    lastToggled_ = nullptr;
  }
}

void PicturePage::setTarget(int width, int height) {
  job_.LargeurCible = width;
  job_.HauteurCible = height;
}

void PicturePage::setResizeControlsEnabled(bool enabled) {
  for (QWidget* w : std::initializer_list<QWidget*>{Option1, Option2, Option3, Option4, Option5,
                                                    Option6, Option7, Text1, Text2, Check2, Frame3,
                                                    Option8, Option9, Command9, HScroll1})
    w->setEnabled(enabled);
}

void PicturePage::Check3_Click() {
  job_.Check3 = checkValue(Check3);
  if (job_.Check3 == 0) {
    setResizeControlsEnabled(false);
    return;
  }
  setResizeControlsEnabled(true);
  select(Option4);
}

void PicturePage::Option1_Click() {
  setTarget(job::kSizePresets[k320].width, job::kSizePresets[k320].height);
}
void PicturePage::Option2_Click() {
  setTarget(job::kSizePresets[k1280].width, job::kSizePresets[k1280].height);
}
void PicturePage::Option3_Click() {
  setTarget(job::kSizePresets[k1024].width, job::kSizePresets[k1024].height);
}
void PicturePage::Option4_Click() {
  setTarget(job::kSizePresets[k800].width, job::kSizePresets[k800].height);
}
void PicturePage::Option5_Click() {
  setTarget(job::kSizePresets[k640].width, job::kSizePresets[k640].height);
}

void PicturePage::Option6_Click() {
  if (!Option6->isChecked())
    return;
  // A key typed into either box selects the option: the key stays in its box.
  // Only a click on the option itself sends the user to the width.
  const QWidget* focused = window()->focusWidget();
  if (focused == Text1 || focused == Text2)
    return;
  // The size itself is taken from the boxes at launch.
  Text1->setCursorPosition(Text1->text().size());
  Text1->setFocus();
}

void PicturePage::Option7_Click() {
  const QSize screen = screenPixels(this);
  Option7->setText(QStringLiteral("%1 x %2").arg(screen.width()).arg(screen.height()));
  Option7->setAccessibleName(Option7->text());
  setTarget(screen.width(), screen.height());
}

void PicturePage::Option8_Click() {
  job_.Progressif = 0;
}
void PicturePage::Option9_Click() {
  job_.Progressif = 1;
}

bool PicturePage::eventFilter(QObject* watched, QEvent* event) {
  // The frame's mnemonic would go to its chosen format option: the bar is what
  // its caption names.
  if (watched == Frame3 && event->type() == QEvent::Shortcut) {
    HScroll1->setFocus(Qt::ShortcutFocusReason);
    return true;
  }
  if ((watched == Text1 || watched == Text2) && event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    // Shortcuts (copy, select all...) are not typing.
    if (key->modifiers() & (Qt::ControlModifier | Qt::MetaModifier | Qt::AltModifier))
      return false;
    const bool backspace = key->key() == Qt::Key_Backspace;
    const QString typed = key->text();
    // Tab, Return, Escape give control characters: they move on, they do not type.
    if (!backspace && (typed.isEmpty() || !typed[0].isPrint()))
      return false;  // arrows, Delete, Home...: not a character
    if (!Option6->isChecked())
      Option6->setChecked(true);
    const bool digit = typed.size() == 1 && typed[0] >= u'0' && typed[0] <= u'9';
    return !(digit || backspace);
  }
  return QWidget::eventFilter(watched, event);
}

void PicturePage::Check2_Click() {
  job_.Check2 = checkValue(Check2);
  if (job_.Check2 == 1) {
    showMessage(services_, window(), QMessageBox::Information,
                QStringLiteral("En respectant les proportions, la largeur ou la hauteur\n"
                               "de l'image de sortie sera modifiée..."));
  }
}

void PicturePage::HScroll1_Change() {
  job_.Qualite = std::int16_t(HScroll1->value());
  // Alt+Q reaches the bar, the frame's first control.
  Frame3->setTitle('&' + qualityCaption(job_.Qualite));
  Frame3->setAccessibleName(qualityCaption(job_.Qualite));
}

void PicturePage::Command9_Click() {
  if (!apercu_) {
    apercu_ = new Apercu(job_, apercuPosition_, window());  // above the main window, closed with it
    keepAbove(apercu_);
  }
  apercu_->show();
  apercu_->raise();
  apercu_->activateWindow();
  apercu_->setFocus();
  apercu_->maj();
}

void PicturePage::Check6_Click() {
  job_.Check6 = checkValue(Check6);
  if (job_.Check6 == 1) {
    showMessage(
        services_, window(), QMessageBox::Information,
        QStringLiteral("Uniquement pour les présentations pour internet (site web),\n"
                       "ne marche pas pour les presentations sur Cd-rom ou Disque Local...."));
  }
}

void PicturePage::Combo2_Click(int index) {
  job_.Bordure = std::int16_t(Combo2->itemText(index).toInt());
}

void PicturePage::opt_Click(int index) {
  // opt(1) is the large box, opt(2) the small one, opt(3) the medium one.
  static constexpr int kBox[4] = {0, job::kLargeThumbnails.side, job::kSmallThumbnails.side,
                                  job::kMediumThumbnails.side};
  job_.LargeurMini = kBox[index];
  job_.HauteurMini = kBox[index];
}

}  // namespace pixolane::ui
