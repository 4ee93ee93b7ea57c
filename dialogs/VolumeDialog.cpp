#include "dialogs/VolumeDialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>
#include <climits>

namespace {
constexpr int kLowest = 0;
constexpr int kHighest = 255;
}  // namespace

RangeStepSpinBox::RangeStepSpinBox(QWidget* parent) : QSpinBox(parent) {
  // The edit itself takes every integer; only the arrows keep to the step range.
  setRange(INT_MIN, INT_MAX);
  setButtonSymbols(QAbstractSpinBox::UpDownArrows);
}

void RangeStepSpinBox::SetStepRange(int lower, int upper) {
  lower_ = lower;
  upper_ = upper;
}

void RangeStepSpinBox::stepBy(int steps) {
  const long long next = (long long)value() + steps;
  setValue(int(std::clamp<long long>(next, lower_, upper_)));
  selectAll();
}

QAbstractSpinBox::StepEnabled RangeStepSpinBox::stepEnabled() const {
  StepEnabled enabled = StepNone;
  if (value() < upper_) enabled |= StepUpEnabled;
  if (value() > lower_) enabled |= StepDownEnabled;
  return enabled;
}

VolumeDialog::VolumeDialog(QWidget* parent)
    : QDialog(parent), upStep_(new RangeStepSpinBox(this)), downStep_(new RangeStepSpinBox(this)),
      useStartVolume_(new QCheckBox(QStringLiteral("Start Volume (0~255)"), this)),
      startVolume_(new RangeStepSpinBox(this)),
      useEndVolume_(new QCheckBox(QStringLiteral("  End Volume (0~255)"), this)),
      endVolume_(new RangeStepSpinBox(this)), ok_(new QPushButton(QStringLiteral("OK"), this)),
      cancel_(new QPushButton(QStringLiteral("Cancel"), this)) {
  setWindowTitle(QStringLiteral("Volume Setting"));
  setModal(true);
  for (RangeStepSpinBox* spin : {upStep_, downStep_, startVolume_, endVolume_}) {
    spin->SetStepRange(kLowest, kHighest);
    spin->setValue(0);
  }

  auto* grid = new QGridLayout(this);
  grid->addWidget(new QLabel(QStringLiteral("Vol up step (0~255)"), this), 0, 0);
  grid->addWidget(upStep_, 0, 1);
  grid->addWidget(new QLabel(QStringLiteral("Vol down step (0~255)"), this), 1, 0);
  grid->addWidget(downStep_, 1, 1);
  // The start- and end-volume rows are part of the dialog but never shown.
  grid->addWidget(useStartVolume_, 2, 0);
  grid->addWidget(startVolume_, 2, 1);
  grid->addWidget(useEndVolume_, 3, 0);
  grid->addWidget(endVolume_, 3, 1);
  for (QWidget* hidden : {static_cast<QWidget*>(useStartVolume_), static_cast<QWidget*>(startVolume_),
                          static_cast<QWidget*>(useEndVolume_), static_cast<QWidget*>(endVolume_)})
    hidden->hide();

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ok_);
  buttons->addWidget(cancel_);
  grid->addLayout(buttons, 4, 0, 1, 2);
  ok_->setDefault(true);
  connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
}

void VolumeDialog::SetValues(const VolumeSettings& values) {
  upStep_->setValue(values.volumeUpStep);
  downStep_->setValue(values.volumeDownStep);
  useStartVolume_->setChecked(values.useStartVolume != 0);
  startVolume_->setValue(values.startVolume);
  useEndVolume_->setChecked(values.useEndVolume != 0);
  endVolume_->setValue(values.endVolume);
}

void VolumeDialog::accept() {
  // Text still being typed counts; text that is no integer leaves the last value.
  for (RangeStepSpinBox* spin : {upStep_, downStep_, startVolume_, endVolume_}) spin->interpretText();
  values_.volumeUpStep = upStep_->value();
  values_.volumeDownStep = downStep_->value();
  values_.useStartVolume = useStartVolume_->isChecked() ? 1 : 0;
  values_.startVolume = startVolume_->value();
  values_.useEndVolume = useEndVolume_->isChecked() ? 1 : 0;
  values_.endVolume = endVolume_->value();
  QDialog::accept();
}
