#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "platform/Platform.h"
#include "run/ProcessingRun.h"
#include "support/FakeView.h"

using namespace pixolane;
using namespace pixolane::job;
using namespace pixolane::run;
using pixolane::test::FakeView;

namespace {

// Passes that only record which one ran.
struct Recorder {
  QStringList ran;
  ProcessingRun::Passes passes() {
    auto pass = [this](const char* name, RunReport report = {}) {
      return [this, name, report](ProcessingRun&) {
        ran << name;
        return report;
      };
    };
    return {pass("Traitement"), pass("Traitement_Copie"), pass("Apercu")};
  }
};

struct OpenerSpy {
  QStringList opened;
  bool answer = true;
  OpenerSpy() {
    platform::setDocumentOpener([this](const QString& p) {
      opened << p;
      return answer;
    });
  }
  ~OpenerSpy() { platform::setDocumentOpener({}); }
};

}  // namespace

TEST(ProcessingRun, LoadResetsTheBarAndReadsTheColumnCount) {
  FakeView view;
  GalleryJob job;
  ProcessingRun run(job, view);
  run.Form_Load();
  EXPECT_EQ(view.min, 0.0f);
  EXPECT_EQ(view.value, 0.0f);
  EXPECT_EQ(run.job().CompteurColonnes, 1);
  EXPECT_EQ(columnsFromCombo("3"), 3);
  EXPECT_EQ(columnsFromCombo("x"), 0);
}

TEST(ProcessingRun, TimerPicksThePassOnceAndClosesTheWindow) {
  struct Case {
    int modeApercu, check3;
    const char* expected;
  } cases[] = {{-1, 1, "Apercu"},
               {-1, 0, "Apercu"},
               {0, 1, "Traitement"},
               {0, 2, "Traitement"},  // any value but 0 resizes
               {0, 0, "Traitement_Copie"}};
  for (const Case& c : cases) {
    FakeView view;
    GalleryJob job;
    job.ModeApercu = std::int16_t(c.modeApercu);
    job.Check3 = c.check3;
    Recorder recorder;
    ProcessingRun run(job, view);
    run.setPasses(recorder.passes());
    run.Form_Load();
    run.Timer1_Timer();
    run.Timer1_Timer();  // a second tick starts nothing
    EXPECT_EQ(recorder.ran, QStringList{c.expected});
    EXPECT_EQ(view.closes, 1);
  }
}

TEST(ProcessingRun, UnloadOpensTheDocumentOnlyAfterACompletedRunWithCheck4) {
  QTemporaryDir tmp;
  const QString dest = tmp.path() + "/";
  QFile doc(dest + "noel.html");
  ASSERT_TRUE(doc.open(QIODevice::WriteOnly));
  doc.close();

  struct Case {
    int check4;
    RunReport report;
    bool runIt;
    Unload expected;
    QString page = "noel";  // "neige.html" does not exist
    bool opens = true;      // what the desktop answers
  } cases[] = {
      {1, {}, true, Unload::Opened},
      {0, {}, true, Unload::Nothing},
      {2, {}, true, Unload::Nothing},  // only exactly 1 opens
      {1, RunReport{.cancelled = true}, true, Unload::Nothing},
      {1, RunReport{.stopped = true}, true, Unload::Nothing},
      {1, {}, false, Unload::Nothing},  // closed before the timer fired
      {1, {}, true, Unload::NoDocument, "neige"},
      {1, RunReport{.stopped = true}, true, Unload::Nothing, "neige"},
      {1, {}, true, Unload::Failed, "noel", false},
  };
  for (const Case& c : cases) {
    OpenerSpy spy;
    spy.answer = c.opens;
    FakeView view;
    GalleryJob job;
    job.Text3 = dest;
    job.Text4 = c.page;
    job.Check4 = c.check4;
    ProcessingRun run(job, view, RunOptions{.sep = '/'});
    const RunReport report = c.report;
    run.setPasses({[&](ProcessingRun&) { return report; }, {}, {}});
    if (c.runIt)
      run.Timer1_Timer();
    EXPECT_EQ(run.Form_Unload(), c.expected);
    const bool tried = c.expected == Unload::Opened || c.expected == Unload::Failed;
    EXPECT_EQ(spy.opened, tried ? QStringList{dest + "noel.html"} : QStringList{});
  }
}

TEST(ProcessingRun, PreviewRunAlsoOpensTheDocument) {
  QTemporaryDir tmp;
  QFile doc(tmp.path() + "/p.html");
  ASSERT_TRUE(doc.open(QIODevice::WriteOnly));
  doc.close();
  OpenerSpy spy;
  FakeView view;
  GalleryJob job;
  job.Text3 = tmp.path();
  job.Text4 = "p";
  job.ModeApercu = -1;
  ProcessingRun run(job, view, RunOptions{.sep = '/'});
  run.setPasses({{}, {}, [](ProcessingRun&) { return RunReport{}; }});
  run.Timer1_Timer();
  run.Form_Unload();
  EXPECT_EQ(spy.opened.size(), 1);
}
