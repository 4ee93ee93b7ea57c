#include "support/RecordingMessageBoxes.h"

void RecordingMessageBoxes::Show(Window*, const QString& text, const QString& caption) {
  boxes.push_back({text, caption});
}

bool RecordingMessageBoxes::Ask(Window*, const QString& text, const QString& caption) {
  questions.push_back({text, caption});
  return answer;
}
