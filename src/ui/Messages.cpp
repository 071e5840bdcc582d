#include "ui/Messages.h"

#include <QDir>
#include <QLabel>
#include <QPushButton>

namespace pixolane::ui {

void showMessage(const Services& services, QWidget* parent, QMessageBox::Icon icon,
                 const QString& text, const QString& title, const QString& details) {
  if (services.message) {
    services.message(parent, Message{icon, title, text, details});
    return;
  }
  // Not waited for: the caller goes on and no event loop runs inside it.
  auto* box = new QMessageBox(icon, title, text, QMessageBox::Ok, parent);
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->setDetailedText(details);
  nameBoxParts(box);
  box->open();
}

Message errorListMessage(const QStringList& entries, const QStringList& reasons, int shown) {
  Message message{QMessageBox::Warning, kTitle, {}, {}};
  const qsizetype count = entries.size();
  message.text = QStringList(entries.mid(0, shown)).join('\n');
  if (count > shown)
    message.text +=
        QStringLiteral("\n… et %1 autres erreurs (voir les détails)").arg(count - shown);
  QStringList details;
  for (qsizetype i = 0; i < count; ++i) {
    details << entries.at(i);
    if (!reasons.value(i).isEmpty())
      details << QStringLiteral("    ") + reasons.at(i);
  }
  if (count > shown || !QStringList(reasons).join(QString()).isEmpty())
    message.details = details.join('\n');
  return message;
}

QMessageBox* announce(const Services& services, QWidget* parent, const Message& message,
                      std::function<void()> onAction, std::function<void()> onSecondAction) {
  if (services.messageWithAction) {
    const int chosen = services.messageWithAction(parent, message);
    if (chosen == 1 && onAction)
      onAction();
    else if (chosen == 2 && onSecondAction)
      onSecondAction();
    return nullptr;
  }
  auto* box = new QMessageBox(message.icon, message.title, message.text, QMessageBox::Ok, parent);
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->setDetailedText(message.details);
  QPushButton* action =
      message.action.isEmpty() ? nullptr : box->addButton(message.action, QMessageBox::AcceptRole);
  QPushButton* second = message.secondAction.isEmpty()
                            ? nullptr
                            : box->addButton(message.secondAction, QMessageBox::AcceptRole);
  // Return acknowledges; the actions are choices of their own.
  box->setDefaultButton(QMessageBox::Ok);
  nameBoxParts(box);
  QObject::connect(box, &QMessageBox::buttonClicked, box,
                   [action, second, onAction = std::move(onAction),
                    onSecondAction = std::move(onSecondAction)](QAbstractButton* button) {
                     if (action && button == action && onAction)
                       onAction();
                     else if (second && button == second && onSecondAction)
                       onSecondAction();
                   });
  box->open();
  return box;
}

void announceThen(const Services& services, QWidget* parent, const Message& message,
                  std::function<void()> closed) {
  if (services.message) {
    services.message(parent, message);
    closed();
    return;
  }
  auto* box = new QMessageBox(message.icon, message.title, message.text, QMessageBox::Ok, parent);
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->setDetailedText(message.details);
  nameBoxParts(box);
  QObject::connect(box, &QDialog::finished, box, [closed = std::move(closed)] { closed(); });
  box->open();
}

namespace {

// "0 erreur", "1 erreur", "2 erreurs": French counts 0 and 1 as one.
QString counted(qsizetype n, const QString& one, const QString& many) {
  return QStringLiteral("%1 %2").arg(n).arg(n > 1 ? many : one);
}

}  // namespace

QString runSummary(const run::RunReport& report, const QString& pageName) {
  QString images =
      counted(report.drawn + report.unchanged, QStringLiteral("image"), QStringLiteral("images"));
  if (report.unchanged > 0) {
    images += QStringLiteral(" (dont %1)")
                  .arg(counted(report.unchanged, QStringLiteral("inchangée"),
                               QStringLiteral("inchangées")));
  }
  const QString made =
      report.pagePath.isEmpty() ? QStringLiteral("n'est pas créée") : QStringLiteral("est créée");
  return QStringLiteral("La galerie « %1 » %2 : %3, %4.")
      .arg(pageName, made, images,
           counted(report.errors.size(), QStringLiteral("erreur"), QStringLiteral("erreurs")));
}

Message runEndMessage(const run::RunReport& report, const QString& pageName) {
  QString head = runSummary(report, pageName);
  if (!report.pagePath.isEmpty())
    head += QLatin1Char('\n') + QDir::toNativeSeparators(report.pagePath);
  Message message{QMessageBox::Information, kTitle, head, {}, {}};
  if (!report.errors.isEmpty()) {
    message = errorListMessage(report.errors, report.reasons);
    message.text = head + QStringLiteral("\n\n") + message.text;
  }
  if (!report.pagePath.isEmpty())
    message.action = QStringLiteral("Afficher");
  return message;
}

QString stoppedText(const run::RunReport& report, bool earlierPage) {
  if (report.picturesWritten == 0 && report.thumbnailsWritten == 0) {
    return earlierPage
               ? QStringLiteral("Création arrêtée : la galerie précédente n'a pas été modifiée.")
               : QStringLiteral("Création arrêtée : aucun fichier n'a été écrit.");
  }
  return QStringLiteral("Création arrêtée : %1 et %2 déjà écrites sont gardées. %3")
      .arg(counted(report.picturesWritten, QStringLiteral("image"), QStringLiteral("images")),
           counted(report.thumbnailsWritten, QStringLiteral("miniature"),
                   QStringLiteral("miniatures")),
           earlierPage ? QStringLiteral("La page précédente n'a pas été modifiée.")
                       : QStringLiteral("Aucune page n'a été écrite."));
}

QString cannotOpenText(const QString& path) {
  return QStringLiteral("Le bureau n'a pas pu ouvrir « %1 ».").arg(QDir::toNativeSeparators(path));
}

void askYesNo(const Services& services, QWidget* parent, const QString& text, const QString& title,
              std::function<void(bool yes)> answered) {
  if (services.question) {
    answered(services.question(parent, Message{QMessageBox::NoIcon, title, text}));
    return;
  }
  auto* box =
      new QMessageBox(QMessageBox::NoIcon, title, text, QMessageBox::Yes | QMessageBox::No, parent);
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->setDefaultButton(QMessageBox::Yes);
  nameBoxParts(box);
  // Closing the box by its close box or Esc answers No.
  QObject::connect(box, &QDialog::finished, box, [answered = std::move(answered)](int result) {
    answered(result == QMessageBox::Yes);
  });
  box->open();
}

void nameBoxParts(QMessageBox* box) {
  const QString kind = box->icon() == QMessageBox::Information ? QStringLiteral("Information")
                       : box->icon() == QMessageBox::Warning   ? QStringLiteral("Avertissement")
                       : box->icon() == QMessageBox::Critical  ? QStringLiteral("Erreur")
                       : box->icon() == QMessageBox::Question  ? QStringLiteral("Question")
                                                               : QString();
  box->setAccessibleName(box->windowTitle());
  box->setAccessibleDescription(box->text());
  if (auto* icon = box->findChild<QLabel*>(QStringLiteral("qt_msgboxex_icon_label"))) {
    icon->setAccessibleName(kind);
    icon->setVisible(!kind.isEmpty());
  }
}

}  // namespace pixolane::ui
