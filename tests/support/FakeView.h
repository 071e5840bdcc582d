#pragma once
// A run view that records what a run shows and answers its questions from a script.
#include <QString>
#include <QStringList>

#include <deque>
#include <functional>

#include "run/RunView.h"

namespace pixolane::test {

class FakeView : public run::RunView {
 public:
  QStringList captions, statuses, questions, errors, navigated;
  QStringList questionTitles;
  std::deque<bool> answers;  // answers to ask(), Yes when exhausted
  float min = -1, max = -1, value = -1;
  QList<float> maxima, values;
  int yields = 0;
  int closes = 0;
  std::function<bool(int yieldNumber)> cancelAt;  // cancels when it answers true

  void setCaption(const QString& c) override { captions << c; }
  void setStatus(const QString& s) override { statuses << s; }
  void setProgressMin(float v) override { min = v; }
  void setProgressMax(float v) override {
    max = v;
    maxima << v;
  }
  void setProgressValue(float v) override {
    value = v;
    values << v;
  }
  bool ask(const QString& text, const QString& title) override {
    questions << text;
    questionTitles << title;
    if (answers.empty())
      return true;
    const bool a = answers.front();
    answers.pop_front();
    return a;
  }
  void showError(const QString& text) override { errors << text; }
  bool yieldCancelled() override {
    ++yields;
    return cancelAt && cancelAt(yields);
  }
  void navigate(const QString& page) override { navigated << page; }
  void closeView() override { ++closes; }
};

}  // namespace pixolane::test
