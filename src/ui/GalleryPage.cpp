#include "ui/GalleryPage.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "job/Launch.h"
#include "run/Naming.h"
#include "ui/ChoisirDossier.h"
#include "ui/Controls.h"
#include "ui/PublicationBox.h"

namespace pixolane::ui {

using job::extractSiteFolders;
using job::GalleryJob;

GalleryPage::GalleryPage(GalleryJob& job, const Services& services, QWidget* parent)
    : QWidget(parent), job_(job), services_(services) {
  buildFolders();
  buildOptions();

  connect(Text3, &QLineEdit::textChanged, this, [this](const QString& t) { job_.Text3 = t; });
  connect(Text4, &QLineEdit::textChanged, this, [this](const QString& t) { job_.Text4 = t; });
  connect(Text5, &QLineEdit::textChanged, this, [this](const QString& t) { job_.Text5 = t; });
  for (int i = 0; i < 5; ++i) {
    connect(Text6[i], &QLineEdit::textChanged, this,
            [this, i](const QString& t) { job_.Text6[i] = t; });
  }
  connect(Check4, &QCheckBox::toggled, this, [this] { job_.Check4 = checkValue(Check4); });
  connect(Check5, &QCheckBox::toggled, this, [this] { job_.Check5 = checkValue(Check5); });
  connect(Check7, &QCheckBox::toggled, this, [this] { job_.Check7 = checkValue(Check7); });
  job_.Check4 = checkValue(Check4);
  job_.Check5 = checkValue(Check5);
  job_.Check7 = checkValue(Check7);

  // The publication address follows the gallery named here.
  auto gallery = [this] { Publication->setGallery(Text3->text(), Text4->text()); };
  connect(Text3, &QLineEdit::editingFinished, this, gallery);
  connect(Text4, &QLineEdit::editingFinished, this, gallery);

  // The boxes widen with the page, the five site folders a fifth each, the
  // publication group beside the page name; nothing moves down.
  growth_ = Growth{{Text5, 0, 0, 1, 0},
                   {Text3, 0, 0, 1, 0},
                   {Command5, 1, 0, 1, 0},
                   {Text4, 0, 0, 0.5, 0},
                   {Publication, 0.5, 0, 1, 0}};
  for (int i = 0; i < 5; ++i) {
    growth_.add({Text6[i], i / 5.0, 0, (i + 1) / 5.0, 0});
    if (i < 4)
      growth_.add({Label9[i], (i + 1) / 5.0, 0, (i + 1) / 5.0, 0});
  }

  connect(Command5, &QPushButton::clicked, this, &GalleryPage::Command5_Click);
  connect(Command6, &QPushButton::clicked, this, &GalleryPage::launchClicked);
}

void GalleryPage::buildFolders() {
  auto label = [this](const QString& name, const QString& text, int y) {
    auto* l = named(new QLabel(text, this), name, text);
    l->setGeometry(8, y, 300, 22);
    return l;
  };
  Label4 = label(QStringLiteral("Label4"), QStringLiteral("&Titre de la gallerie"), 12);
  Text5 = named(new QLineEdit(this), QStringLiteral("Text5"), Label4->text());
  Label4->setBuddy(Text5);
  Text5->setGeometry(8, 34, 523, 24);

  Label5 = label(QStringLiteral("Label5"), QStringLiteral("&Dossier de destination"), 70);
  Text3 = named(new QLineEdit(this), QStringLiteral("Text3"), Label5->text());
  Label5->setBuddy(Text3);
  Text3->setGeometry(8, 92, 483, 24);
  Command5 = named(new QPushButton(QStringLiteral("/"), this), QStringLiteral("Command5"),
                   QStringLiteral("Choisir le dossier de destination"));
  Command5->setGeometry(497, 92, 34, 24);

  Label7 = label(QStringLiteral("Label7"), QStringLiteral("Dossier P&HP"), 128);
  QFont slashFont(QStringLiteral("MS Sans Serif"));
  slashFont.setPointSize(12);
  for (int i = 0; i < 5; ++i) {
    // Read as a screen reader says where they are in the site; the caption stays.
    Text6[i] = named(new QLineEdit(this), QStringLiteral("Text6(%1)").arg(i),
                     i == 0 ? QStringLiteral("Dossier du site, racine")
                            : QStringLiteral("Dossier du site, niveau %1").arg(i));
    Text6[i]->setGeometry(8 + i * 106, 150, 92, 24);
    if (i < 4) {
      Label9[i] = named(new QLabel(QStringLiteral("/"), this), QStringLiteral("Label9(%1)").arg(i),
                        QStringLiteral("/"));
      Label9[i]->setFont(slashFont);
      Label9[i]->setAlignment(Qt::AlignCenter);
      Label9[i]->setGeometry(100 + i * 106, 150, 14, 24);
    }
  }
  Label7->setBuddy(Text6[0]);

  Label8 = label(QStringLiteral("Label8"), QStringLiteral("&Nom du fichier PHP"), 186);
  Text4 = named(new QLineEdit(this), QStringLiteral("Text4"), Label8->text());
  Label8->setBuddy(Text4);
  Text4->setGeometry(8, 208, 260, 24);
}

void GalleryPage::buildOptions() {
  const QString open = QStringLiteral("&Ouverture la gallerie aprés création");
  Check4 = named(new QCheckBox(open, this), QStringLiteral("Check4"), open);
  Check4->setGeometry(8, 246, 400, 24);
  Check4->setChecked(true);
  const QString names = QStringLiteral("&Afficher les noms des fichiers images");
  Check5 = named(new QCheckBox(names, this), QStringLiteral("Check5"), names);
  Check5->setGeometry(8, 274, 400, 24);
  const QString standalone = QStringLiteral("Page autono&me (.html)");
  Check7 = named(new QCheckBox(standalone, this), QStringLiteral("Check7"), standalone);
  Check7->setGeometry(8, 302, 400, 24);

  const QString create = QStringLiteral("Création de la &gallerie");
  Command6 = named(new QPushButton(create, this), QStringLiteral("Command6"), create);
  Command6->setGeometry(8, 340, 220, 34);
  Command6->setEnabled(false);

  Publication = new PublicationBox(this);
  Publication->setGeometry(280, 246, 251, 130);
}

void GalleryPage::setLaunchEnabled(bool enabled) {
  Command6->setEnabled(enabled);
}

void GalleryPage::focusField(job::LaunchField field) {
  QLineEdit* box = field == job::LaunchField::PageName      ? Text4
                   : field == job::LaunchField::Destination ? Text3
                                                            : nullptr;
  if (box)
    box->setFocus();
}

void GalleryPage::Command5_Click() {
  const QString chosen = ChoisirDossier(
      services_, window(), QStringLiteral("Dossier de destination"), defaultDestinationFolder());
  if (chosen.isEmpty())
    return;  // cancelled: the destination and the site folders stay as they were
  const QString destination = platform::withFinalSeparator(chosen);
  Text3->setText(destination);
  std::array<QString, 5> current;
  for (int i = 0; i < 5; ++i)
    current[i] = Text6[i]->text();
  const std::array<QString, 5> boxes = extractSiteFolders(destination, current);
  for (int i = 0; i < 5; ++i)
    Text6[i]->setText(boxes[i]);
  Publication->setGallery(Text3->text(), Text4->text());
}

}  // namespace pixolane::ui
