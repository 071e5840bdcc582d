#include "cli/CliOptions.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QTranslator>

#include "imaging/ExifDate.h"
#include "job/Launch.h"
#include "job/Presets.h"
#include "platform/PictureListing.h"
#include "run/Naming.h"

namespace pixolane::cli {

using job::GalleryJob;
using job::parseBorder;

namespace {

ParseResult refuse(const QString& message) {
  return ParseResult{false, message, {}};
}

QString sizeList() {
  QStringList sizes;
  for (const job::SizePreset& p : job::kSizePresets)
    sizes << QStringLiteral("%1x%2").arg(p.width).arg(p.height);
  return sizes.join(QStringLiteral(" | "));
}

// The thumbnail boxes' words ("small"...), or their sides in pixels.
QStringList boxList(bool sides) {
  QStringList words;
  for (const job::ThumbnailBox& box : job::kThumbnailBoxes) {
    words << (sides ? QString::number(box.side)
                    : QString::fromLatin1(box.name.data(), qsizetype(box.name.size())));
  }
  return words;
}

// "small, medium ou large".
QString boxWords() {
  QStringList words = boxList(false);
  const QString last = words.takeLast();
  return words.join(QStringLiteral(", ")) + QStringLiteral(" ou ") + last;
}

// Every option, named by its long name in the code. The first name of a
// valued option is the one its French messages use when it was typed short.
QList<QCommandLineOption> optionTable() {
  using O = QCommandLineOption;
  return {
      O({"d", "dest"}, "dossier de destination", "DOSSIER"),
      O({"n", "name"}, "nom de la page (sans extension)", "NOM"),
      O({"t", "title"}, "titre de la galerie", "TEXTE"),
      O({"s", "size"},
        "taille des images : " + sizeList() +
            " (défaut 640x480) ou toute autre taille (personnalisée)",
        "LxH"),
      O("copy", "copier les images sans les modifier"),
      O("stretch", "ne pas garder les proportions"),
      O({"q", "quality"}, "qualité JPEG de 1 à 100 (défaut 100)", "N"),
      O("baseline", "JPEG standard (défaut : progressif)"),
      O("thumbs", "miniatures de " + boxList(true).join(", ") + " px (défaut small)",
        boxList(false).join('|')),
      O("border", "bordure des miniatures, 0 à 99 (défaut 2)", "N"),
      O("names", "noms des fichiers sous les miniatures"),
      O("new-window", "les liens ouvrent une nouvelle fenêtre"),
      O("site", "dossiers du site (jusqu'à quatre noms)", "A/B/C/D"),
      O("replace",
        "répondre Oui à « effacer les fichiers existants ? » et à « le remplacer ? » pour "
        "une page qui n'est pas de Pixolane (défaut : demander sur un terminal, sinon Non)"),
      O("keep", "répondre Non à ces questions"),
      O("standalone",
        "écrire aussi la page autonome NOM.html, qui s'ouvre seule dans tout navigateur"),
      O("sort", "ordre des images : given (l'ordre donné, défaut) ou date (date de prise de vue)",
        "given|date"),
      O("strip-private",
        "retirer des copies (--copy) la position GPS, les numéros de série, les noms du "
        "propriétaire et de l'auteur, les notes du fabricant et les aperçus"),
      O("open", "ouvrir le document .html à la fin"),
      O("preview", "faire l'aperçu de la galerie au lieu de la galerie"),
      O("preview-dir", "dossier de l'aperçu (défaut : dossier d'aperçu de l'utilisateur)",
        "DOSSIER"),
      O({"j", "jobs"}, "nombre de tâches parallèles (défaut : un par cœur)", "N"),
      O("force", "tout redessiner, même ce qu'une exécution précédente a déjà fait"),
      O("dry-run",
        "afficher ce que ferait l'exécution (à dessiner, inchangées, à effacer) sans rien "
        "demander ni écrire"),
      O("prune",
        "effacer les fichiers qu'une exécution précédente a écrits pour des images qui ne "
        "sont plus dans la liste"),
      O("publish",
        "publier la galerie après l'exécution : sftp://utilisateur@serveur/dossier/, ftp://... "
        "ou ftps://... ; n'envoie que ce qui a changé (mot de passe : demandé, ou "
        "PIXOLANE_PASSWORD)",
        "URL"),
      O("publish-only",
        "publier la galerie telle qu'elle est sur le disque (-d et -n), sans "
        "exécution",
        "URL"),
      O("accept-host-key",
        "accepter une clé de serveur SSH inconnue ou un certificat TLS non vérifié"),
      O("quiet", "pas d'affichage de progression"),
  };
}

// The parser's own words in French: its usage line, section titles and the
// help and version options it adds.
class ParserFrench : public QTranslator {
 public:
  bool isEmpty() const override { return false; }
  QString translate(const char* context, const char* source, const char*, int) const override {
    if (qstrcmp(context, "QCommandLineParser") != 0)
      return {};
    static const QHash<QByteArray, QString> words = {
        {"Usage: %1", QStringLiteral("Utilisation : %1")},
        {"Options:", QStringLiteral("Options :")},
        {"Arguments:", QStringLiteral("Arguments :")},
        {"[options]", QStringLiteral("[options]")},
        {"Displays help on commandline options.", QStringLiteral("cette aide")},
        {"Displays help including Qt specific options.",
         QStringLiteral("cette aide, avec les options propres à Qt")},
        {"Displays version information.", QStringLiteral("le numéro de version")},
    };
    return words.value(QByteArray(source));
  }
};

void describe(QCommandLineParser& parser) {
  parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsCompactedShortOptions);
  parser.setApplicationDescription(
      QStringLiteral("Crée une galerie web à partir de photos JPEG (fichiers dans l'ordre donné ;\n"
                     "un dossier ajoute ses fichiers .jpg/.jpeg par ordre de nom)."));
  parser.addOptions(optionTable());
  parser.addHelpOption();
  parser.addVersionOption();
  parser.addPositionalArgument(QStringLiteral("IMAGE"),
                               QStringLiteral("photos ou dossiers de photos"),
                               QStringLiteral("IMAGE..."));
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
  const int w = m.captured(1).toInt(), h = m.captured(2).toInt();
  if (job::isSizePreset(w, h)) {
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
  const std::optional<int> side = job::thumbnailSide(value.toStdString());
  if (!side)
    return false;
  job.LargeurMini = job.HauteurMini = *side;
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

// Sets the flag `name` (a long name); false when it is none of them.
bool setFlag(const QString& name, CliOptions& o) {
  GalleryJob& job = o.job;
  if (name == "copy")
    job.Check3 = 0;
  else if (name == "stretch")
    job.Check2 = 0;
  else if (name == "baseline")
    job.Progressif = 0;
  else if (name == "names")
    job.Check5 = 1;
  else if (name == "new-window")
    job.Check6 = 1;
  else if (name == "replace")
    o.folders = FolderAnswer::Replace;
  else if (name == "keep")
    o.folders = FolderAnswer::Keep;
  else if (name == "open")
    job.Check4 = 1;
  else if (name == "standalone")
    job.Check7 = 1;
  else if (name == "strip-private")
    job.stripPrivate = true;
  else if (name == "preview")
    job.ModeApercu = -1;
  else if (name == "quiet")
    o.quiet = true;
  else if (name == "force")
    o.force = true;
  else if (name == "dry-run")
    o.dryRun = true;
  else if (name == "prune")
    o.prune = true;
  else if (name == "accept-host-key")
    o.acceptHostKey = true;
  else
    return false;
  return true;
}

QString absolute(const QString& path) {
  return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
}

// Sets the valued option `name` (a long name, typed as `a`) from its value
// (null when it had none); the French error, or nothing when it was taken.
QString setValue(const QString& name, const QString& a, const QString* v, CliOptions& o) {
  GalleryJob& job = o.job;
  int n = 0;
  if (name == "dest") {
    if (!v)
      return "Option " + a + " : dossier attendu";
    job.Text3 = platform::withFinalSeparator(absolute(*v));
  } else if (name == "name") {
    if (!v)
      return "Option " + a + " : nom attendu";
    job.Text4 = *v;
  } else if (name == "title") {
    if (!v)
      return "Option " + a + " : titre attendu";
    job.Text5 = *v;
  } else if (name == "size") {
    if (!v || !setSize(job, *v))
      return "Option " + a + " : taille attendue sous la forme LxH, par exemple 800x600";
  } else if (name == "quality") {
    if (!v || !toInt(*v, 1, 100, &n))
      return "Option " + a + " : qualité de 1 à 100 attendue";
    job.Qualite = std::int16_t(n);
  } else if (name == "thumbs") {
    if (!v || !setThumbs(job, *v))
      return "Option --thumbs : " + boxWords() + " attendu";
  } else if (name == "border") {
    const auto border = v ? parseBorder(*v) : std::nullopt;
    if (!border)
      return "Option --border : nombre de 0 à 99 attendu";
    job.Bordure = std::int16_t(*border);
  } else if (name == "site") {
    if (!v || !setSite(job, *v))
      return "Option --site : jusqu'à quatre noms de dossiers séparés par /";
  } else if (name == "sort") {
    if (!v || (*v != "given" && *v != "date"))
      return "Option --sort : given ou date attendu";
    o.sortByDate = *v == "date";
  } else if (name == "preview-dir") {
    if (!v)
      return "Option --preview-dir : dossier attendu";
    o.previewDir = absolute(*v);
  } else if (name == "publish" || name == "publish-only") {
    if (!v || v->trimmed().isEmpty())
      return "Option --" + name + " : adresse attendue (sftp://, ftp:// ou ftps://)";
    o.publishAddress = *v;
    o.publishOnly = name == "publish-only";
  } else if (name == "jobs") {
    if (!v || !toInt(*v, 1, 256, &n))
      return "Option " + a + " : nombre de 1 à 256 attendu";
    o.jobs = n;
  }
  return {};
}

// An option as the user typed it: "-j" or "--jobs".
QString typed(const QString& name) {
  return (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
}

const QCommandLineOption* findOption(const QList<QCommandLineOption>& table, const QString& name) {
  for (const QCommandLineOption& option : table) {
    if (option.names().contains(name))
      return &option;
  }
  return nullptr;
}

// The parser's syntax errors in the terminal's French words: an unknown
// option, a valued option at the end, a value given to a flag.
QString syntaxError(const QCommandLineParser& parser, const QList<QCommandLineOption>& table) {
  if (!parser.unknownOptionNames().isEmpty())
    return "Option inconnue : " + typed(parser.unknownOptionNames().constFirst()) +
           " (voir --help)";
  // The parser quotes the argument it stopped at ('-s', '--copy=1').
  const QString text = parser.errorText();
  const qsizetype open = text.indexOf('\''), close = text.lastIndexOf('\'');
  QString argument = open >= 0 && close > open ? text.mid(open + 1, close - open - 1) : text;
  argument = argument.section('=', 0, 0);
  QString name = argument;
  while (name.startsWith('-'))
    name.remove(0, 1);
  const QCommandLineOption* option = findOption(table, name);
  if (option && !option->valueName().isEmpty()) {
    CliOptions ignored;
    return setValue(option->names().constLast(), argument, nullptr, ignored);
  }
  return "Option " + argument + " : aucune valeur attendue";
}

}  // namespace

ParseResult parseArguments(const QStringList& args) {
  ParseResult result;
  CliOptions& o = result.options;
  GalleryJob& job = o.job;
  job.Check4 = 0;  // a script opens nothing unless asked
  job.LargeurMini = job.HauteurMini = job::kSmallThumbnails.side;

  QCommandLineParser parser;
  describe(parser);
  const QList<QCommandLineOption> table = optionTable();
  // The parser skips the first argument, the program's name.
  if (!parser.parse(QStringList{QStringLiteral("pixolane-cli")} + args))
    return refuse(syntaxError(parser, table));
  if (parser.isSet(QStringLiteral("help")) || parser.isSet(QStringLiteral("help-all"))) {
    o.help = true;
    return result;
  }
  if (parser.isSet(QStringLiteral("version"))) {
    o.version = true;
    return result;
  }

  // In the order typed, so a later option wins (--replace --keep keeps).
  QHash<QString, qsizetype> taken;
  for (const QString& seen : parser.optionNames()) {
    const QCommandLineOption* option = findOption(table, seen);
    if (!option)
      continue;
    const QString name = option->names().constLast();
    if (option->valueName().isEmpty()) {
      setFlag(name, o);
      continue;
    }
    const QString value = parser.values(name).value(taken[name]++);
    const QString error = setValue(name, typed(seen), &value, o);
    if (!error.isEmpty())
      return refuse(error);
  }

  for (const QString& a : parser.positionalArguments()) {
    const QFileInfo info(a);
    if (info.isDir())
      job.List1 << picturesIn(a);
    else if (info.isFile() || platform::unrepresentableName(info.absoluteFilePath()))
      job.List1 << QDir::toNativeSeparators(info.absoluteFilePath());  // the run reports the latter
    else
      return refuse("Fichier introuvable : " + a);
  }
  if (o.sortByDate)
    job.List1 = imaging::orderByDateTaken(job.List1);
  return result;
}

QString helpText() {
  // The parser translates its words as it adds its options: French first.
  ParserFrench french;
  const bool translated = QCoreApplication::installTranslator(&french);
  QCommandLineParser parser;
  describe(parser);
  QString text = parser.helpText();
  if (translated)
    QCoreApplication::removeTranslator(&french);
  // The usage line names the program as the manual does, not as it was started.
  const QString started = QCoreApplication::arguments().value(0);
  if (!started.isEmpty())
    text.replace(text.indexOf(started), started.size(), QStringLiteral("pixolane-cli"));
  return text + QStringLiteral(
                    "\n"
                    "Codes de sortie : 0 tout écrit ; 1 terminé avec des erreurs ; 2 refusé ;\n"
                    "3 arrêté (dossier impossible à préparer, dossier lien, galerie déjà en cours\n"
                    "de création, publication impossible) ; 130 interrompu (Ctrl-C).\n");
}

}  // namespace pixolane::cli
