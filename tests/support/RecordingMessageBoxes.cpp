#include "support/RecordingMessageBoxes.h"

void RecordingMessageBoxes::Show(Window*, const QString& text, const QString& caption) {
  boxes.push_back({text, caption});
}
