#pragma once
#include <QDialog>

class QLabel;
class QPushButton;
class QSlider;

// "Speed": a trackbar from 6 (x0.6) to 14 (x1.4), one tick per step. The caller
// gives the position (speed x 10) and reads it back after OK.
class SpeedDialog : public QDialog {
 public:
  static constexpr int kSlowest = 6;
  static constexpr int kFastest = 14;

  explicit SpeedDialog(QWidget* parent = nullptr);

  // Sets the position the trackbar opens at (the trackbar keeps it within 6..14).
  void SetPosition(int position);
  // The trackbar's position, read back by OK; 0 before.
  int Position() const { return position_; }

  QSlider* Trackbar() const { return trackbar_; }
  QPushButton* OkButton() const { return ok_; }
  QPushButton* CancelButton() const { return cancel_; }
  // The five static labels, left to right: "Slow", "Fast", "x0.6", "x1", "x1.4".
  QList<QLabel*> Labels() const { return labels_; }

  void accept() override;

 private:
  QSlider* trackbar_;
  QPushButton* ok_;
  QPushButton* cancel_;
  QList<QLabel*> labels_;
  int position_ = 0;
};
