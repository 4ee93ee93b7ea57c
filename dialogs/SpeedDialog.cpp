#include "dialogs/SpeedDialog.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>

SpeedDialog::SpeedDialog(QWidget* parent)
    : QDialog(parent), trackbar_(new QSlider(Qt::Horizontal, this)),
      ok_(new QPushButton(QStringLiteral("OK"), this)), cancel_(new QPushButton(QStringLiteral("Cancel"), this)) {
  setWindowTitle(QStringLiteral("Speed"));
  setModal(true);
  trackbar_->setRange(kSlowest, kFastest);
  trackbar_->setTickInterval(1);
  trackbar_->setTickPosition(QSlider::TicksBelow);
  trackbar_->setSingleStep(1);
  trackbar_->setPageStep(1);

  auto label = [this](const char* text, Qt::Alignment alignment) {
    auto* l = new QLabel(QString::fromUtf8(text), this);
    l->setAlignment(alignment | Qt::AlignVCenter);
    labels_.append(l);
    return l;
  };
  auto* grid = new QGridLayout(this);
  grid->addWidget(label("Slow", Qt::AlignLeft), 0, 0);
  grid->addWidget(label("Fast", Qt::AlignRight), 0, 2);
  grid->addWidget(trackbar_, 1, 0, 1, 3);
  grid->addWidget(label("x0.6", Qt::AlignLeft), 2, 0);
  grid->addWidget(label("x1", Qt::AlignHCenter), 2, 1);
  grid->addWidget(label("x1.4", Qt::AlignRight), 2, 2);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ok_);
  buttons->addWidget(cancel_);
  grid->addLayout(buttons, 3, 0, 1, 3);
  ok_->setDefault(true);
  connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
}

void SpeedDialog::SetPosition(int position) {
  position_ = position;
  trackbar_->setValue(position);
}

void SpeedDialog::accept() {
  position_ = trackbar_->value();
  QDialog::accept();
}
