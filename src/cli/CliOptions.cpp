#include "cli/CliOptions.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <map>

#include "job/Launch.h"
#include "platform/PictureListing.h"
#include "run/Naming.h"

namespace pixolane::cli {

using job::GalleryJob;
using job::parseBorder;

namespace {

ParseResult refuse(const QString& message) {
  return ParseResult{false, message, {}};
}

// Files of a folder that the picker would show, in the picker's order.
QStringList picturesIn(const QString& folder) {
  QStringList files;
  const QDir dir(folder);
  for (const QString& name : platform::picturesIn(folder))
    files << QDir::toNativeSeparators(dir.absoluteFilePath(name));
  return files;
}

bool setSize(GalleryJob& job, const QString& value) {
  static const QRegularExpression form(QStringLiteral("^(\\d+)[xX](\\d+)$"));
  const auto m = form.match(value);
  if (!m.hasMatch())
    return false;
  static const std::map<std::pair<int, int>, bool> presets = {{{320, 240}, true},
                                                              {{640, 480}, true},
                                                              {{800, 600}, true},
                                                              {{1024, 768}, true},
                                                              {{1280, 1024}, true}};
  const int w = m.captured(1).toInt(), h = m.captured(2).toInt();
  if (presets.count({w, h})) {
    job.Option6 = false;
    job.LargeurCible = w;
    job.HauteurCible = h;
  } else {
    // Any other size is the custom one, checked at launch like the window's.
    job.Option6 = true;
    job.Text1 = m.captured(1);
    job.Text2 = m.captured(2);
  }
  return true;
}

bool setThumbs(GalleryJob& job, const QString& value) {
  const std::map<QString, int> boxes = {{"small", 100}, {"medium", 140}, {"large", 230}};
  const auto it = boxes.find(value);
  if (it == boxes.end())
    return false;
  job.LargeurMini = job.HauteurMini = it->second;
  return true;
}

bool setSite(GalleryJob& job, const QString& value) {
  const QStringList parts = value.split('/', Qt::SkipEmptyParts);
  if (parts.size() > 4)
    return false;
  for (int i = 0; i < 4; ++i)
    job.Text6[i + 1] = i < parts.size() ? parts.at(i) : QString();
  return true;
}

bool toInt(const QString& text, int low, int high, int* out) {
  bool ok = false;
  const int v = text.toInt(&ok);
  if (!ok || v < low || v > high)
    return false;
  *out = v;
  return true;
}

// The options without a value; false when `a` is none of them.
bool setFlag(const QString& a, CliOptions& o) {
  GalleryJob& job = o.job;
  if (a == "-h" || a == "--help")
    o.help = true;
  else if (a == "--copy")
    job.Check3 = 0;
  else if (a == "--stretch")
    job.Check2 = 0;
  else if (a == "--baseline")
    job.Progressif = 0;
  else if (a == "--names")
    job.Check5 = 1;
  else if (a == "--new-window")
    job.Check6 = 1;
  else if (a == "--replace")
    o.folders = FolderAnswer::Replace;
  else if (a == "--keep")
    o.folders = FolderAnswer::Keep;
  else if (a == "--open")
    job.Check4 = 1;
  else if (a == "--preview")
    job.ModeApercu = -1;
  else if (a == "--quiet")
    o.quiet = true;
  else
    return false;
  return true;
}

bool takesValue(const QString& a) {
  static const QStringList options{
      "-d", "--dest",    "-n",       "--name",   "-t",     "--title",       "-s", "--size",
      "-q", "--quality", "--thumbs", "--border", "--site", "--preview-dir", "-j", "--jobs"};
  return options.contains(a);
}

QString absolute(const QString& path) {
  return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
}

// Sets the option `a` from its value (null when the arguments ended first);
// the French error, or nothing when it was taken.
QString setValue(const QString& a, const QString* v, CliOptions& o) {
  GalleryJob& job = o.job;
  int n = 0;
  if (a == "-d" || a == "--dest") {
    if (!v)
      return "Option " + a + " : dossier attendu";
    job.Text3 = platform::withFinalSeparator(absolute(*v));
  } else if (a == "-n" || a == "--name") {
    if (!v)
      return "Option " + a + " : nom attendu";
    job.Text4 = *v;
  } else if (a == "-t" || a == "--title") {
    if (!v)
      return "Option " + a + " : titre attendu";
    job.Text5 = *v;
  } else if (a == "-s" || a == "--size") {
    if (!v || !setSize(job, *v))
      return "Option " + a + " : taille attendue sous la forme LxH, par exemple 800x600";
  } else if (a == "-q" || a == "--quality") {
    if (!v || !toInt(*v, 1, 100, &n))
      return "Option " + a + " : qualité de 1 à 100 attendue";
    job.Qualite = std::int16_t(n);
  } else if (a == "--thumbs") {
    if (!v || !setThumbs(job, *v))
      return "Option --thumbs : small, medium ou large attendu";
  } else if (a == "--border") {
    const auto border = v ? parseBorder(*v) : std::nullopt;
    if (!border)
      return "Option --border : nombre de 0 à 99 attendu";
    job.Bordure = std::int16_t(*border);
  } else if (a == "--site") {
    if (!v || !setSite(job, *v))
      return "Option --site : jusqu'à quatre noms de dossiers séparés par /";
  } else if (a == "--preview-dir") {
    if (!v)
      return "Option --preview-dir : dossier attendu";
    o.previewDir = absolute(*v);
  } else if (a == "-j" || a == "--jobs") {
    if (!v || !toInt(*v, 1, 256, &n))
      return "Option " + a + " : nombre de 1 à 256 attendu";
    o.jobs = n;
  }
  return {};
}

}  // namespace

ParseResult parseArguments(const QStringList& args) {
  ParseResult result;
  CliOptions& o = result.options;
  GalleryJob& job = o.job;
  job.Check4 = 0;  // a script opens nothing unless asked
  job.LargeurMini = job.HauteurMini = 100;

  for (int i = 0; i < args.size(); ++i) {
    const QString& a = args.at(i);
    if (setFlag(a, o))
      continue;
    if (takesValue(a)) {
      const QString* v = i + 1 < args.size() ? &args.at(++i) : nullptr;
      const QString error = setValue(a, v, o);
      if (!error.isEmpty())
        return refuse(error);
      continue;
    }
    if (a.startsWith('-') && a.size() > 1)
      return refuse("Option inconnue : " + a + " (voir --help)");
    const QFileInfo info(a);
    if (info.isDir())
      job.List1 << picturesIn(a);
    else if (info.isFile())
      job.List1 << QDir::toNativeSeparators(info.absoluteFilePath());
    else
      return refuse("Fichier introuvable : " + a);
  }
  return result;
}

QString helpText() {
  return QStringLiteral(
      "Utilisation : pixolane-cli [options] IMAGE...\n"
      "Crée une galerie web à partir de photos JPEG (fichiers dans l'ordre donné ;\n"
      "un dossier ajoute ses fichiers .jpg/.jpeg par ordre de nom).\n"
      "\n"
      "  -d, --dest DOSSIER     dossier de destination\n"
      "  -n, --name NOM         nom de la page (sans extension)\n"
      "  -t, --title TEXTE      titre de la galerie\n"
      "  -s, --size LxH         320x240 | 640x480 (défaut) | 800x600 | 1024x768 |\n"
      "                         1280x1024 | toute autre taille (personnalisée)\n"
      "      --copy             copier les images sans les modifier\n"
      "      --stretch          ne pas garder les proportions\n"
      "  -q, --quality N        qualité JPEG de 1 à 100 (défaut 100)\n"
      "      --baseline         JPEG standard (défaut : progressif)\n"
      "      --thumbs small|medium|large   miniatures de 100, 140 ou 230 px (défaut small)\n"
      "      --border N         bordure des miniatures, 0 à 99 (défaut 2)\n"
      "      --names            noms des fichiers sous les miniatures\n"
      "      --new-window       les liens ouvrent une nouvelle fenêtre\n"
      "      --site A/B/C/D     dossiers du site (jusqu'à quatre noms)\n"
      "      --replace | --keep répondre Oui | Non à « effacer les fichiers existants ? »\n"
      "                         et à « le remplacer ? » pour une page qui n'est pas de\n"
      "                         Pixolane (défaut : demander sur un terminal, sinon Non)\n"
      "      --open             ouvrir le document .html à la fin\n"
      "      --preview          faire l'aperçu de la galerie au lieu de la galerie\n"
      "      --preview-dir DOSSIER  dossier de l'aperçu (défaut : dossier d'aperçu de "
      "l'utilisateur)\n"
      "  -j, --jobs N           nombre de tâches parallèles (défaut : un par cœur)\n"
      "      --quiet            pas d'affichage de progression\n"
      "  -h, --help             cette aide\n"
      "      --version          le numéro de version\n"
      "\n"
      "Codes de sortie : 0 tout écrit ; 1 terminé avec des erreurs ; 2 refusé ;\n"
      "3 arrêté (dossier impossible à préparer, dossier lien, galerie déjà en cours\n"
      "de création) ; 130 interrompu (Ctrl-C).\n");
}

}  // namespace pixolane::cli
