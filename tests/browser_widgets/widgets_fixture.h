#pragma once
// What the widget tests share: an asker that records the questions and answers them.
#include <QMessageBox>
#include <vector>

#include "browser/app/dialogs.h"

namespace lh::test {

struct RecordingAsker {
  std::vector<Question> asked;
  QMessageBox::StandardButton answer = QMessageBox::Yes;

  Asker asker() {
    return [this](const Question& q) {
      asked.push_back(q);
      return (q.buttons & answer) ? answer : QMessageBox::Ok;
    };
  }
  QString lastText() const { return asked.empty() ? QString() : asked.back().text; }
  QString lastCaption() const { return asked.empty() ? QString() : asked.back().caption; }
};

}  // namespace lh::test
