#pragma once
#include <QDialog>
#include <QStringList>
#include <memory>

class HotkeyWindow;
class QCheckBox;
class QComboBox;
class QTableWidget;
class ButtonEventReceiver;

// "Button Setting": choose a function, press the hardware button (once or several
// times quickly) that should run it. The dialog grabs the buttons itself while it
// is open, with no bindings, so every press arrives as an unbound event.
class ButtonSettingDialog : public QDialog {
 public:
  // bindings: the values of section "buttons" ("function/presses/key"); unmap: the option.
  ButtonSettingDialog(const QStringList& bindings, int unmap, QWidget* parent = nullptr);
  ~ButtonSettingDialog() override;

  // One value per row, "function/presses/key", in row order; filled by OK.
  const QStringList& Result() const { return result_; }
  int UnMap() const { return unmap_; }

  QComboBox* Functions() const { return functions_; }
  QTableWidget* Rows() const { return rows_; }
  QCheckBox* UnMapBox() const { return unmapBox_; }
  HotkeyWindow& Buttons() { return *buttons_; }

  // A press sequence the dialog's button window reports: key and press count.
  void ButtonPressed(int virtualKey, int presses);
  void ClearRows();

  void accept() override;
  void done(int result) override;

 private:
  void SetRow(int row, int virtualKey, int presses, int function);

  QComboBox* functions_;
  QTableWidget* rows_;
  QCheckBox* unmapBox_;
  std::unique_ptr<ButtonEventReceiver> receiver_;
  std::unique_ptr<HotkeyWindow> buttons_;
  QStringList result_;
  int unmap_ = 0;
};

// Runs the dialog modally: true on OK with the new bindings and "UnMap".
// Replaceable for tests.
using ButtonSettingRunner = bool (*)(QWidget* parent, const QStringList& bindings, int& unmap, QStringList& result);
bool RunButtonSettingDialog(QWidget* parent, const QStringList& bindings, int& unmap, QStringList& result);
void SetButtonSettingRunner(ButtonSettingRunner runner);
