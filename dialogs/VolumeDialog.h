#pragma once
#include <QDialog>
#include <QSpinBox>

#include "dialogs/Dialogs.h"

class QCheckBox;
class QPushButton;

// An edit with an up-down control: the edit takes any integer that is typed, the
// arrows move within the up-down's range (a value outside it steps to the nearer end).
class RangeStepSpinBox : public QSpinBox {
 public:
  explicit RangeStepSpinBox(QWidget* parent = nullptr);
  void SetStepRange(int lower, int upper);
  int StepLower() const { return lower_; }
  int StepUpper() const { return upper_; }
  void stepBy(int steps) override;

 protected:
  StepEnabled stepEnabled() const override;

 private:
  int lower_ = 0;
  int upper_ = 100;
};

// "Volume Setting": the volume-up and volume-down steps, each 0~255 with its
// up-down. The start- and end-volume rows exist but are hidden; their values are
// still exchanged, so they come back as they were given.
class VolumeDialog : public QDialog {
 public:
  explicit VolumeDialog(QWidget* parent = nullptr);

  // Puts the values into the controls (before the dialog is shown).
  void SetValues(const VolumeSettings& values);
  // The values read from the controls by OK; all zero before.
  const VolumeSettings& Values() const { return values_; }

  RangeStepSpinBox* UpStep() const { return upStep_; }
  RangeStepSpinBox* DownStep() const { return downStep_; }
  RangeStepSpinBox* StartVolume() const { return startVolume_; }
  RangeStepSpinBox* EndVolume() const { return endVolume_; }
  QCheckBox* UseStartVolume() const { return useStartVolume_; }
  QCheckBox* UseEndVolume() const { return useEndVolume_; }
  QPushButton* OkButton() const { return ok_; }
  QPushButton* CancelButton() const { return cancel_; }

  void accept() override;

 private:
  VolumeSettings values_{};
  RangeStepSpinBox* upStep_;
  RangeStepSpinBox* downStep_;
  QCheckBox* useStartVolume_;
  RangeStepSpinBox* startVolume_;
  QCheckBox* useEndVolume_;
  RangeStepSpinBox* endVolume_;
  QPushButton* ok_;
  QPushButton* cancel_;
};
