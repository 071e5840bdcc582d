#pragma once
// Everything one gallery run needs: the values of the main window's controls
// that a run reads, and the ten shared settings. The main window owns the one
// live instance; runs and previews take a copy so that workers never share it.
#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>

namespace pixolane::job {

struct GalleryJob {
  // --- Values of the main window's controls ---------------------------------
  QStringList List1;             // processing list: full source paths, in the order added
  int Check2 = 1;                // 1 = keep proportions when resizing
  int Check3 = 1;                // not 0 = resize and re-encode; 0 = copy unchanged
  int Check4 = 1;                // 1 = open the ".html" document when the run ends
  int Check5 = 0;                // not 0 = file names under the thumbnails
  int Check6 = 0;                // 1 = picture links open a new window
  int Check7 = 0;                // 1 = also the standalone page "<page>.html"
  bool Option6 = false;          // custom size Text1 x Text2, taken at launch
  QString Text1, Text2;          // custom width and height (digits)
  QString Text3;                 // destination folder
  QString Text4;                 // page name without extension
  QString Text5;                 // gallery title
  std::array<QString, 5> Text6;  // site folder path, one folder name per box
  QString Combo1 = "1";          // thumbnails per table row, as text

  // --- Shared settings --------------------------------------------------------
  std::int32_t LargeurCible = 640;  // target width, pixels
  std::int32_t HauteurCible = 480;  // target height, pixels
  std::int32_t LargeurMini = 100;   // thumbnail box width, pixels
  std::int32_t HauteurMini = 100;   // thumbnail box height, pixels
  std::int16_t CompteurColonnes = 0;
  std::int16_t Qualite = 100;   // JPEG quality, 1..100
  std::int16_t Progressif = 1;  // 1 progressive, 0 baseline
  std::int16_t Bordure = 2;     // thumbnail border written into the pages
  std::int16_t ModeApercu = 0;  // -1 while in preview mode

  // --- Asked at launch ----------------------------------------------------------
  bool stripPrivate = false;  // copies lose their GPS position, serials and owner names
};

// The job as the main window leaves it right after start-up.
GalleryJob startupJob();

// Check boxes and flags keep the two readings the program relies on.
inline bool isSet(int checkValue) {
  return checkValue != 0;
}
inline bool isOne(int checkValue) {
  return checkValue == 1;
}

}  // namespace pixolane::job
