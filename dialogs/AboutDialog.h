#pragma once
#include <QDialog>
#include <QStringList>

class QLabel;
class QPushButton;

// The about box: no caption, the program icon, the product name, version, build
// and credit lines, and "OK".
class AboutDialog : public QDialog {
 public:
  explicit AboutDialog(QWidget* parent = nullptr);

  // The text block, one entry a line, top to bottom.
  QStringList Lines() const;
  QLabel* Icon() const { return icon_; }
  QPushButton* OkButton() const { return ok_; }

 private:
  QLabel* icon_;
  QList<QLabel*> lines_;
  QPushButton* ok_;
};
