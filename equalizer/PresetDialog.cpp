#include "equalizer/PresetDialog.h"

#include <QDialogButtonBox>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "equalizer/EqPresets.h"

PresetDialog::PresetDialog(QWidget* parent) : QDialog(parent), list_(new QListWidget(this)) {
  setWindowTitle(QStringLiteral("Load EQ Preset"));
  setModal(true);
  for (const EqPreset& preset : EqPresets()) list_->addItem(QString::fromUtf8(preset.name));
  list_->setCurrentRow(-1);
  list_->clearSelection();
  // Selection, not the current row: the list makes its first row current when it
  // takes the focus, which must not count as choosing it.
  connect(list_, &QListWidget::itemSelectionChanged, this, [this] {
    const QList<QListWidgetItem*> items = list_->selectedItems();
    selected_ = items.isEmpty() ? -1 : list_->row(items.first());
  });

  auto* buttons = new QDialogButtonBox(this);
  QPushButton* load = buttons->addButton(QStringLiteral("Load"), QDialogButtonBox::AcceptRole);
  buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
  load->setDefault(true);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(list_);
  layout->addWidget(buttons);
}

int RunPresetDialog(QWidget* parent) {
  PresetDialog dialog(parent);
  if (dialog.exec() != QDialog::Accepted) return -1;
  return dialog.SelectedIndex();
}

namespace {
PresetChooser chooser = nullptr;
}

void SetPresetChooser(PresetChooser replacement) { chooser = replacement; }

int ChoosePreset(QWidget* parent) { return (chooser ? chooser : RunPresetDialog)(parent); }
