#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>

#include "run/Step.h"
#include "support/FakeView.h"

using namespace pixolane;
using namespace pixolane::run;

TEST(Step, AWorkItemThatThrowsIsReportedAndTheStepGoesOn) {
  const QStringList list{"/a/un.jpg", "/a/deux.jpg", "/a/trois.jpg", "/a/quatre.jpg"};
  test::FakeView view;
  std::vector<int> done(list.size(), 0);
  std::vector<QString> failures(list.size());
  const StepEnd end = runStep(
      list, StepSettings{"Etape", false, 2, '/'}, view,
      [&](int i, WorkerState&) {
        if (i == 1)
          throw std::runtime_error("boom");
        if (i == 2)
          throw 42;
        done[i] = 1;
      },
      [&](int i, const QString& reason) { failures[i] = reason; });
  EXPECT_TRUE(end.completed());
  EXPECT_EQ(done, (std::vector<int>{1, 0, 0, 1}));
  EXPECT_EQ(failures, (std::vector<QString>{"", "erreur interne : boom", "erreur interne", ""}));
}

TEST(Step, NoPictureStartsWhileTheViewHoldsThem) {
  // Held for the first few polls, as while the user is asked whether to stop.
  struct HoldingView : test::FakeView {
    std::atomic<int> heldPolls{5};
    bool holdNewPictures() override { return heldPolls.fetch_sub(1) > 0; }
  } view;
  std::atomic<int> startedWhileHeld{0}, started{0};
  const QStringList list{"/a/un.jpg", "/a/deux.jpg", "/a/trois.jpg"};
  const StepEnd end = runStep(
      list, StepSettings{"Etape", false, 2, '/'}, view,
      [&](int, WorkerState&) {
        ++started;
        startedWhileHeld += view.heldPolls > 0;
      },
      [](int, const QString&) {});
  EXPECT_TRUE(end.completed());
  EXPECT_EQ(started, 3);
  EXPECT_EQ(startedWhileHeld, 0);
}
