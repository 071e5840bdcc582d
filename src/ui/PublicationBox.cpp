#include "ui/PublicationBox.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "platform/Platform.h"
#include "publish/Publication.h"
#include "ui/Controls.h"

namespace pixolane::ui {

PublicationBox::PublicationBox(QWidget* parent) : QGroupBox(QStringLiteral("Publication"), parent) {
  setObjectName(QStringLiteral("Publication"));
  setAccessibleName(title());
  auto* label = named(new QLabel(QStringLiteral("Adre&sse"), this),
                      QStringLiteral("LabelPublication"), QStringLiteral("Adresse"));
  label->setGeometry(8, 20, 230, 20);
  address_ = named(new QLineEdit(this), QStringLiteral("AdressePublication"),
                   QStringLiteral("Adresse de publication"));
  address_->setPlaceholderText(QStringLiteral("sftp://utilisateur@serveur/dossier/"));
  address_->setGeometry(8, 40, 235, 24);
  label->setBuddy(address_);
  const QString after = QStringLiteral("Pub&lier après création");
  afterRun_ = named(new QCheckBox(after, this), QStringLiteral("PublierApresCreation"), after);
  afterRun_->setGeometry(8, 70, 235, 22);
  const QString now = QStringLiteral("Pu&blier");
  publish_ = named(new QPushButton(now, this), QStringLiteral("Publier"), now);
  publish_->setGeometry(8, 96, 100, 26);
  connect(publish_, &QPushButton::clicked, this, &PublicationBox::publishClicked);
}

QString PublicationBox::address() const {
  return address_->text().trimmed();
}

bool PublicationBox::publishAfterRun() const {
  return afterRun_->isChecked() && !address().isEmpty();
}

void PublicationBox::setGallery(const QString& destination, const QString& pageName) {
  if (destination.trimmed().isEmpty() || pageName.trimmed().isEmpty())
    return;
  const QString saved = publish::savedAddress(platform::galleryDataFolder(destination, pageName));
  if (!saved.isEmpty())
    address_->setText(saved);
}

}  // namespace pixolane::ui
