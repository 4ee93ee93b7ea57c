#include "buttons/ButtonSettingDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QVBoxLayout>

#include "buttons/ButtonMapping.h"
#include "buttons/HotkeyWindow.h"

// The window the dialog's button window reports to.
class ButtonEventReceiver : public Window {
 public:
  explicit ButtonEventReceiver(ButtonSettingDialog& dialog) : dialog_(dialog) {
    CreateTopLevel(QStringLiteral("Button Setting"), Rect{}, 0, nullptr, false);
  }

 protected:
  intptr_t OnMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) override {
    if (message == MSG_BUTTON_EVENT) dialog_.ButtonPressed(int(intptr_t(wParam)), int(lParam & 0xFFFF));
    return 0;
  }

 private:
  ButtonSettingDialog& dialog_;
};

namespace {
enum Column { COL_BUTTON, COL_PRESSES, COL_FUNCTION, COL_KEY, COL_FUNCTION_ID, COLUMNS };
constexpr int kDialogButtonsId = 101;
}  // namespace

ButtonSettingDialog::ButtonSettingDialog(const QStringList& bindings, int unmap, QWidget* parent)
    : QDialog(parent),
      functions_(new QComboBox(this)),
      rows_(new QTableWidget(0, COLUMNS, this)),
      unmapBox_(new QCheckBox(QStringLiteral("Un-map buttons during background play"), this)),
      receiver_(std::make_unique<ButtonEventReceiver>(*this)),
      buttons_(std::make_unique<HotkeyWindow>(receiver_.get(), kDialogButtonsId)),
      unmap_(unmap) {
  setWindowTitle(QStringLiteral("Button Setting"));
  ButtonMapping::AddButtonsFromFile(*buttons_);
  buttons_->RegisterButtons();
  for (int f = 0; f < buttons_->GetFunctionCount(); ++f) functions_->addItem(buttons_->GetFunctionName(f));
  functions_->setCurrentIndex(-1);

  rows_->setHorizontalHeaderLabels({QStringLiteral("Button"), QString(), QStringLiteral("Function"),
                                    QStringLiteral("VKey"), QStringLiteral("FunctionID")});
  rows_->verticalHeader()->hide();
  rows_->setSelectionBehavior(QAbstractItemView::SelectRows);
  rows_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  rows_->setColumnWidth(COL_BUTTON, 75);
  rows_->setColumnWidth(COL_PRESSES, 20);
  rows_->setColumnWidth(COL_FUNCTION, std::max(40, 300 - rows_->verticalScrollBar()->sizeHint().width() - 95));
  rows_->setColumnHidden(COL_KEY, true);
  rows_->setColumnHidden(COL_FUNCTION_ID, true);
  for (const QString& value : bindings) {
    int function = 0, presses = 0, key = 0;
    if (ButtonMapping::ParseTriple(value, function, presses, key)) SetRow(rows_->rowCount(), key, presses, function);
  }
  unmapBox_->setChecked(unmap != 0);

  auto* clear = new QPushButton(QStringLiteral("Clear"), this);
  connect(clear, &QPushButton::clicked, this, &ButtonSettingDialog::ClearRows);
  auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(box, &QDialogButtonBox::accepted, this, &ButtonSettingDialog::accept);
  connect(box, &QDialogButtonBox::rejected, this, &ButtonSettingDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(QStringLiteral("1. Select Function"), this));
  auto* pick = new QHBoxLayout;
  pick->addWidget(functions_, 1);
  pick->addWidget(clear);
  layout->addLayout(pick);
  layout->addWidget(new QLabel(QStringLiteral("2. Press Hardware Button"), this));
  layout->addWidget(rows_, 1);
  layout->addWidget(unmapBox_);
  layout->addWidget(box);
  resize(320, 360);
}

ButtonSettingDialog::~ButtonSettingDialog() {
  buttons_.reset();
  receiver_.reset();
}

void ButtonSettingDialog::SetRow(int row, int virtualKey, int presses, int function) {
  if (row >= rows_->rowCount()) rows_->insertRow(row);
  const QString texts[COLUMNS] = {buttons_->GetButtonName(virtualKey).value_or(QString()), QString::number(presses),
                                  buttons_->GetFunctionName(function), QString::number(virtualKey),
                                  QString::number(function)};
  for (int c = 0; c < COLUMNS; ++c) rows_->setItem(row, c, new QTableWidgetItem(texts[c]));
}

void ButtonSettingDialog::ButtonPressed(int virtualKey, int presses) {
  const int function = functions_->currentIndex();
  if (function < 0) return;
  int row = 0;
  for (; row < rows_->rowCount(); ++row) {
    if (rows_->item(row, COL_PRESSES)->text().toInt() == presses &&
        rows_->item(row, COL_KEY)->text().toInt() == virtualKey)
      break;
  }
  SetRow(row, virtualKey, presses, function);
}

void ButtonSettingDialog::ClearRows() {
  rows_->setRowCount(0);
  result_.clear();
}

void ButtonSettingDialog::accept() {
  result_.clear();
  for (int row = 0; row < rows_->rowCount(); ++row) {
    result_ << rows_->item(row, COL_FUNCTION_ID)->text() + "/" + rows_->item(row, COL_PRESSES)->text() + "/" +
                   rows_->item(row, COL_KEY)->text();
  }
  unmap_ = unmapBox_->isChecked() ? 1 : 0;
  QDialog::accept();
}

void ButtonSettingDialog::done(int result) {
  // However the dialog closes, its own grab of the buttons ends.
  buttons_->ReleaseButtons();
  QDialog::done(result);
}

namespace {
ButtonSettingRunner runner = nullptr;
}

bool RunButtonSettingDialog(QWidget* parent, const QStringList& bindings, int& unmap, QStringList& result) {
  if (runner) return runner(parent, bindings, unmap, result);
  ButtonSettingDialog dialog(bindings, unmap, parent);
  if (dialog.exec() != QDialog::Accepted) return false;
  unmap = dialog.UnMap();
  result = dialog.Result();
  return true;
}

void SetButtonSettingRunner(ButtonSettingRunner replacement) { runner = replacement; }
