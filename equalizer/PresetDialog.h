#pragma once
#include <QDialog>

class QListWidget;

// "Load EQ Preset": the preset names in a list, "Load" (the default button) and
// "Cancel". Nothing is selected when it opens.
class PresetDialog : public QDialog {
 public:
  explicit PresetDialog(QWidget* parent = nullptr);
  // The preset chosen, or -1 when none is selected.
  int SelectedIndex() const { return selected_; }
  QListWidget* List() const { return list_; }

 private:
  QListWidget* list_;
  int selected_ = -1;
};

// Runs the dialog; the preset index when it closes with "Load" and a preset is
// selected, else -1. Replaceable so that tests choose without a person.
using PresetChooser = int (*)(QWidget* parent);
int RunPresetDialog(QWidget* parent);
void SetPresetChooser(PresetChooser chooser);  // null restores the dialog
int ChoosePreset(QWidget* parent);
