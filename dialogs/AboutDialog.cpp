#include "dialogs/AboutDialog.h"

#include <QApplication>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
constexpr int kIconSize = 32;

// The application's icon when it has one, else a disc with a "T" drawn here.
QPixmap ProgramIcon() {
  const QIcon icon = QApplication::windowIcon();
  if (!icon.isNull()) return icon.pixmap(kIconSize, kIconSize);
  QPixmap pixmap(kIconSize, kIconSize);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setBrush(QColor(0x2a, 0x5d, 0x9f));
  painter.setPen(Qt::NoPen);
  painter.drawEllipse(1, 1, kIconSize - 2, kIconSize - 2);
  QFont font = painter.font();
  font.setBold(true);
  font.setPixelSize(kIconSize * 2 / 3);
  painter.setFont(font);
  painter.setPen(Qt::white);
  painter.drawText(pixmap.rect(), Qt::AlignCenter, QStringLiteral("T"));
  return pixmap;
}
}  // namespace

AboutDialog::AboutDialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), icon_(new QLabel),
      ok_(new QPushButton(QStringLiteral("OK"))) {
  setModal(true);
  // Without a caption there is no title bar; a plain frame outlines the box.
  auto* frame = new QFrame(this);
  frame->setFrameShape(QFrame::Box);
  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(0, 0, 0, 0);
  outer->addWidget(frame);

  icon_->setParent(frame);
  icon_->setPixmap(ProgramIcon());
  icon_->setAlignment(Qt::AlignTop | Qt::AlignHCenter);

  auto* text = new QVBoxLayout;
  for (const char* line : {"Tarnello", "v1.0 Beta", "Build 0509", "", "Tarnello developers",
                           "Thanks to the Qt and FFmpeg projects"}) {
    auto* label = new QLabel(QString::fromUtf8(line), frame);
    lines_.append(label);
    text->addWidget(label);
  }
  QFont bold = lines_.first()->font();
  bold.setBold(true);
  lines_.first()->setFont(bold);

  auto* top = new QHBoxLayout;
  top->addWidget(icon_);
  top->addLayout(text, 1);

  ok_->setParent(frame);
  ok_->setDefault(true);
  connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
  auto* bottom = new QHBoxLayout;
  bottom->addStretch();
  bottom->addWidget(ok_);
  bottom->addStretch();

  auto* inner = new QVBoxLayout(frame);
  inner->addLayout(top);
  inner->addLayout(bottom);
}

QStringList AboutDialog::Lines() const {
  QStringList lines;
  for (const QLabel* label : lines_) lines.append(label->text());
  return lines;
}
