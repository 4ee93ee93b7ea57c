#include "playlist/OpenUrlDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

namespace {
UrlChooser chooser;
}

OpenUrlDialog::OpenUrlDialog(QWidget* parent, const QStringList& recentUrls)
    : QDialog(parent), combo_(new QComboBox(this)) {
  setWindowTitle(QStringLiteral("Open URL"));
  setModal(true);
  auto* prompt = new QLabel(QStringLiteral("Enter a URL to open here:\n"
                                           "(for example http://www.example.com/music/song.mp3)"),
                            this);
  combo_->setEditable(true);
  // OK takes the edit text as it is; the history is the caller's to keep.
  combo_->setInsertPolicy(QComboBox::NoInsert);
  combo_->setMinimumContentsLength(32);
  for (qsizetype i = recentUrls.size() - 1; i >= 0; --i) combo_->addItem(recentUrls[i]);
  combo_->setCurrentIndex(-1);
  combo_->clearEditText();

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(prompt);
  layout->addWidget(combo_);
  layout->addWidget(buttons);
  combo_->setFocus();
}

void OpenUrlDialog::accept() {
  entered_ = combo_->currentText();
  QDialog::accept();
}

bool RunOpenUrlDialog(QWidget* parent, const QStringList& recentUrls, QString& url) {
  OpenUrlDialog dialog(parent, recentUrls);
  if (dialog.exec() != QDialog::Accepted) return false;
  url = dialog.EnteredUrl();
  return true;
}

void SetUrlChooser(UrlChooser replacement) { chooser = std::move(replacement); }

bool ChooseUrl(QWidget* parent, const QStringList& recentUrls, QString& url) {
  return chooser ? chooser(parent, recentUrls, url) : RunOpenUrlDialog(parent, recentUrls, url);
}
