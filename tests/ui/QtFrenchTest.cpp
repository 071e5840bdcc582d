// Qt's own words in the program's windows are French, whatever the locale.
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include "UiSupport.h"
#include "ui/Messages.h"
#include "ui/QtFrench.h"

namespace pixolane {
namespace {

TEST(QtFrench, TheProcessingWindowsQuestionsAnswerOuiOrNon) {
  ASSERT_TRUE(ui::installQtFrench(*QCoreApplication::instance()));
  QStringList captions;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box)
      return;
    poll.stop();
    for (QAbstractButton* button : box->buttons())
      captions << button->text().remove('&');
    box->button(QMessageBox::No)->click();
  });
  poll.start(10);
  EXPECT_FALSE(ui::askYesNo(ui::Services{}, nullptr, QStringLiteral("Effacer les fichiers ?"),
                            QStringLiteral("Traitement")));
  captions.sort();
  EXPECT_EQ(captions, (QStringList{"Non", "Oui"}));
}

}  // namespace
}  // namespace pixolane
