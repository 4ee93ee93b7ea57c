// PlatformShowForm: a plug-in's settings dialog, built from the fields it describes,
// since plug-ins link no widget library of their own.
#include <QComboBox>
#include <QCoreApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QThread>
#include <cmath>
#include <vector>

#include "platform/PlatformApi.h"
#include "platform/Window.h"

namespace {
QString Text(const char16_t* text) { return text ? QString::fromUtf16(text) : QString(); }

bool Usable(const PlatformFormField& f) {
  if (f.kind == PLATFORM_FIELD_CHOICE) return Text(f.choices).endsWith('|');
  return f.kind == PLATFORM_FIELD_NUMBER && std::isfinite(f.minimum) && std::isfinite(f.maximum) &&
         f.minimum <= f.maximum && std::isfinite(f.step) && f.step > 0 && f.decimals >= 0 && f.decimals <= 6;
}

QWidget* MakeControl(const PlatformFormField& f, QWidget* parent) {
  if (f.kind == PLATFORM_FIELD_CHOICE) {
    auto* box = new QComboBox(parent);
    QStringList entries = Text(f.choices).split('|');
    entries.removeLast();  // what follows the last '|'
    box->addItems(entries);
    const double index = std::isfinite(f.value) ? std::round(f.value) : 0;
    box->setCurrentIndex(index >= 0 && index < entries.size() ? int(index) : 0);
    return box;
  }
  auto* spin = new QDoubleSpinBox(parent);
  spin->setDecimals(f.decimals);
  spin->setRange(f.minimum, f.maximum);
  spin->setSingleStep(f.step);
  if (f.suffix) spin->setSuffix(Text(f.suffix));
  spin->setValue(std::isfinite(f.value) ? f.value : 0);
  return spin;
}

double ValueOf(const PlatformFormField& f, const QWidget* control) {
  if (f.kind == PLATFORM_FIELD_CHOICE) return static_cast<const QComboBox*>(control)->currentIndex();
  return static_cast<const QDoubleSpinBox*>(control)->value();
}
}  // namespace

extern "C" int32_t PlatformShowForm(WindowHandle owner, const char16_t* title, PlatformFormField* fields,
                                    int32_t count) {
  QCoreApplication* app = QCoreApplication::instance();
  if (!app || QThread::currentThread() != app->thread() || !fields || count <= 0 || count > 64) return 0;
  for (int32_t i = 0; i < count; ++i)
    if (!Usable(fields[i])) return 0;
  Window* window = Window::FromHandle(owner);
  QDialog dialog(window ? window->Widget() : nullptr);
  dialog.setWindowTitle(Text(title));
  auto* layout = new QFormLayout(&dialog);
  std::vector<QWidget*> controls;
  for (int32_t i = 0; i < count; ++i) {
    QWidget* control = MakeControl(fields[i], &dialog);
    control->setObjectName(QStringLiteral("field%1").arg(i));
    layout->addRow(Text(fields[i].label), control);
    controls.push_back(control);
  }
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  layout->addRow(buttons);
  if (dialog.exec() != QDialog::Accepted) return 0;
  for (int32_t i = 0; i < count; ++i) fields[i].value = ValueOf(fields[i], controls[size_t(i)]);
  return 1;
}
