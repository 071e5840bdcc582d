// Qt's own words in the program's windows are French, whatever the locale.
#include <QApplication>
#include <QFileInfo>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QTimer>

#include <optional>

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
  std::optional<bool> yes;
  ui::askYesNo(ui::Services{}, nullptr, QStringLiteral("Effacer les fichiers ?"),
               QStringLiteral("Traitement"), [&](bool answer) { yes = answer; });
  QTRY_VERIFY_WITH_TIMEOUT(yes.has_value(), 10000);
  EXPECT_FALSE(*yes);
  captions.sort();
  EXPECT_EQ(captions, (QStringList{"Non", "Oui"}));
}

// The windowed program of the same build: beside the terminal one the
// environment names, or at the top of the build folder.
QString windowProgram() {
  const QString cli = qEnvironmentVariable("PIXOLANE_CLI");
  return cli.isEmpty() ? QCoreApplication::applicationDirPath() + "/../../pixolane"
                       : QFileInfo(cli).dir().filePath("pixolane");
}

TEST(QtFrench, HelpAndVersionNeedNoDisplayAndNoDisplayEndsInFrench) {
  const QString program = windowProgram();
  if (!QFileInfo(program).isExecutable())
    GTEST_SKIP() << "no pixolane";
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
    env.remove(name);
  const struct {
    QString argument;
    int status;
    QString says;
  } cases[] = {{"--help", 0, "affiche le numéro de version"},
               {"--version", 0, "pixolane "},
               {"", 1, "impossible d'ouvrir l'affichage"}};
  for (const auto& c : cases) {
    QProcess process;
    process.setProcessEnvironment(env);
    process.start(program, c.argument.isEmpty() ? QStringList{} : QStringList{c.argument});
    ASSERT_TRUE(process.waitForFinished(60000));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit) << c.argument.toStdString();
    EXPECT_EQ(process.exitCode(), c.status) << c.argument.toStdString();
    const QString out =
        QString::fromUtf8(process.readAllStandardOutput() + process.readAllStandardError());
    EXPECT_TRUE(out.contains(c.says)) << out.toStdString();
  }
}

}  // namespace
}  // namespace pixolane
