#pragma once
// The program speaks French only: Qt's own words (the buttons of questions,
// the folder picker, the context menus of text boxes) are put in French too,
// whatever the user's locale.
class QCoreApplication;

namespace pixolane::ui {

// Installs Qt's French catalogue (qtbase_fr.qm from Qt's translations folder)
// on the application; false when it is not installed, and Qt's words stay in
// English.
bool installQtFrench(QCoreApplication& app);

}  // namespace pixolane::ui
