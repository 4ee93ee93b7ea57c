#pragma once
#include <QString>
#include <vector>

#include "platform/MessageBox.h"

// Records message boxes instead of showing them; installed for its lifetime.
class RecordingMessageBoxes : public MessageBoxService {
 public:
  struct Box {
    QString text;
    QString caption;
  };
  RecordingMessageBoxes() { SetMessageBoxService(this); }
  ~RecordingMessageBoxes() override { SetMessageBoxService(nullptr); }
  void Show(Window* owner, const QString& text, const QString& caption) override;
  // Records the question and gives the prepared answer.
  bool Ask(Window* owner, const QString& text, const QString& caption) override;

  std::vector<Box> boxes;
  std::vector<Box> questions;
  bool answer = false;
};
