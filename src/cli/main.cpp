// pixolane-cli: the gallery run from a terminal.
#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>

#include <signal.h>
#include <unistd.h>
#include <cstdio>

#include "Version.h"
#include "cli/CliOptions.h"
#include "cli/Publish.h"
#include "cli/TerminalView.h"
#include "imaging/StripPrivate.h"
#include "job/Launch.h"
#include "platform/PictureListing.h"
#include "platform/Writable.h"
#include "run/Folders.h"
#include "run/Plan.h"
#include "run/ProcessingRun.h"

using pixolane::job::checkLaunch;
using pixolane::job::GalleryJob;
using pixolane::job::isSet;
using pixolane::job::LaunchCheck;
using pixolane::run::checkNamedPreviewFolder;
using pixolane::run::FolderOutcome;
using pixolane::run::ProcessingRun;
using pixolane::run::RunOptions;
using pixolane::run::RunReport;

using namespace pixolane;

namespace {

enum Exit { kWritten = 0, kErrors = 1, kRefused = 2, kStopped = 3, kInterrupted = 130 };

void onInterrupt(int) {
  cli::TerminalView::interrupted.store(true);
}

// Ctrl-C cancels the run, also while a question waits for its answer.
void catchInterrupt() {
  struct sigaction action = {};
  action.sa_handler = onInterrupt;
  sigemptyset(&action.sa_mask);
  action.sa_flags = 0;
  sigaction(SIGINT, &action, nullptr);
}

void printLine(FILE* f, const QString& text) {
  std::fputs((cli::shownSafely(text) + '\n').toLocal8Bit().constData(), f);
  std::fflush(f);
}

void printList(const QString& title, const QStringList& paths) {
  printLine(stdout, title + QStringLiteral(" (%1) :").arg(paths.size()));
  for (const QString& path : paths)
    printLine(stdout, QStringLiteral("  ") + QDir::toNativeSeparators(path));
}

// --dry-run: the run's plan (what it would draw, keep, give up and delete, and
// why); nothing is written, and the questions take the answer of --replace or
// --keep (No without either).
int printDryRun(const cli::CliOptions& options) {
  const GalleryJob& job = options.job;
  run::DryRun plan;
  if (job.ModeApercu == -1) {
    plan.toDraw = job.List1;  // a preview draws everything
  } else {
    cli::TerminalView answers(options.folders == cli::FolderAnswer::Replace
                                  ? cli::FolderAnswer::Replace
                                  : cli::FolderAnswer::Keep,
                              true, false);
    const run::RunOptions runOptions{.force = options.force, .prune = options.prune};
    plan = run::describe(run::planGallery(job, runOptions, answers, run::PlanMode::DryRun));
  }
  if (!plan.stop.isEmpty()) {
    printLine(stderr, plan.stop);
    return kRefused;
  }
  printList(QStringLiteral("à dessiner"), plan.toDraw);
  printList(QStringLiteral("inchangées"), plan.unchanged);
  if (!plan.givenUp.isEmpty())
    printList(QStringLiteral("en erreur"), plan.givenUp);
  printList(QStringLiteral("à effacer"), plan.toDelete);
  return kWritten;
}

// The arguments as the system gave them: a name that is not UTF-8 is kept,
// escaped, so that it is reported instead of taken for a missing file.
QStringList rawArguments(int argc, char** argv) {
  QStringList args;
  for (int i = 1; i < argc; ++i)
    args << platform::fileNameForDisplay(QByteArray(argv[i]));
  return args;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QCoreApplication::setOrganizationName("Pixolane");
  QCoreApplication::setApplicationName("Pixolane");

  cli::ParseResult parsed = cli::parseArguments(rawArguments(argc, argv));
  if (!parsed.ok) {
    printLine(stderr, parsed.error);
    return kRefused;
  }
  cli::CliOptions& options = parsed.options;
  if (options.help) {
    std::fputs(cli::helpText().toLocal8Bit().constData(), stdout);
    return kWritten;
  }
  if (options.version) {
    printLine(stdout, QStringLiteral("pixolane-cli " PIXOLANE_VERSION));
    return kWritten;
  }
  GalleryJob& job = options.job;
  const bool terminal = isatty(STDERR_FILENO) && isatty(STDIN_FILENO);
  const cli::PublishRequest publishing{options.publishAddress, job.Text3,     job.Text4,
                                       options.acceptHostKey,  options.quiet, terminal};
  auto publishExit = [&](int runExit) {
    switch (cli::publishFromTerminal(publishing)) {
      case cli::PublishOutcome::Published:
        return runExit;
      case cli::PublishOutcome::Interrupted:
        return int(kInterrupted);
      case cli::PublishOutcome::Failed:
        break;
    }
    return int(kStopped);
  };
  if (!options.publishAddress.isEmpty() && job.ModeApercu == -1) {
    printLine(stderr, QStringLiteral("--publish : un aperçu ne se publie pas."));
    return kRefused;
  }
  if (options.publishOnly) {
    if (job.Text3.trimmed().isEmpty() || job.Text4.trimmed().isEmpty()) {
      printLine(stderr, QStringLiteral("--publish-only : indiquez la galerie par -d et -n."));
      return kRefused;
    }
    catchInterrupt();
    return publishExit(kWritten);
  }
  if (job.ModeApercu != -1) {
    const LaunchCheck check = checkLaunch(job);
    if (!check.ok) {
      printLine(stderr, check.message);
      return kRefused;
    }
  } else if (job.List1.isEmpty()) {
    printLine(stderr, pixolane::job::noPicturesMessage());
    return kRefused;
  } else if (!options.previewDir.isEmpty()) {
    const FolderOutcome folder = checkNamedPreviewFolder(options.previewDir);
    if (!folder.ok) {
      printLine(stderr, folder.message);
      return kRefused;
    }
  }

  // Said before any question or warning, in plain words, as the window does.
  if (job.ModeApercu != -1 && !options.dryRun) {
    if (const QString problem = platform::destinationWriteProblem(job.Text3); !problem.isEmpty()) {
      printLine(stderr, problem);
      return kStopped;
    }
  }

  // Copies are published as they are: say when they would carry where the
  // photos were taken.
  if (job.ModeApercu != -1 && !isSet(job.Check3) && !job.stripPrivate) {
    if (const int located = pixolane::imaging::countWithGpsPosition(job.List1))
      printLine(stderr, QStringLiteral("Attention : %1 images contiennent leur position GPS. "
                                       "--strip-private la retire des copies.")
                            .arg(located));
  }

  if (options.dryRun)
    return printDryRun(options);

  catchInterrupt();
  cli::TerminalView view(options.folders, options.quiet, terminal);
  ProcessingRun run(job, view,
                    RunOptions{.workers = options.jobs,
                               .previewFolder = options.previewDir,
                               .force = options.force,
                               .prune = options.prune});
  run.Form_Load();
  const RunReport report = run.Timer1_Timer();
  // --open after a run that wrote only its ".php" page: the folder shows what was made.
  if (run.Form_Unload() == pixolane::run::Unload::NoDocument)
    platform::openDocument(platform::withFinalSeparator(job.Text3));

  for (qsizetype i = 0; i < report.errors.size(); ++i) {
    printLine(stderr, report.errors.at(i));
    if (!report.reasons.value(i).isEmpty())
      printLine(stderr, QStringLiteral("    ") + report.reasons.at(i));
  }
  if (report.cancelled) {
    printLine(stderr, QStringLiteral("Interrompu : aucune page n'a été écrite."));
    return kInterrupted;
  }
  if (report.declined) {
    printLine(stderr, run::declinedMessage());
    return kRefused;
  }
  if (report.stopped)
    return kStopped;
  if (!report.pagePath.isEmpty())
    printLine(stdout, report.pagePath);
  const int runExit = report.errors.isEmpty() ? kWritten : kErrors;
  if (!options.publishAddress.isEmpty() && job.ModeApercu != -1)
    return publishExit(runExit);
  return runExit;
}
