#include "dialogs/PreferencesDialog.h"

#include <QCheckBox>
#include <QPushButton>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <algorithm>
#include <array>

#include "dialogs/DialogUnits.h"

namespace {
struct TreeEntry {
  const char* text;
  const char* parent;  // null: a root item
};
// In insertion order; each item is appended after its last sibling.
constexpr std::array<TreeEntry, 17> kTree{{
    {"Setup", nullptr},
    {"Options", nullptr},
    {"Plug-ins", nullptr},
    {"Skins", nullptr},
    {"Bookmarks", nullptr},
    {"File types", "Setup"},
    {"Agent", "Setup"},
    {"Display", "Options"},
    {"Visualization", "Options"},
    {"Shuffle", "Options"},
    {"Library", "Options"},
    {"CD Ripping", "Options"},
    {"Input", "Plug-ins"},
    {"Output", "Plug-ins"},
    {"Visualization", "Plug-ins"},
    {"DSP/Effect", "Plug-ins"},
    {"General Purpose", "Plug-ins"},
}};
constexpr std::array<const char*, 5> kExpandOrder{"Bookmarks", "Skins", "Plug-ins", "Options", "Setup"};
// A strip below the Close button holds the "Whole list" box.
constexpr int kDialogHeight = 106 + 14;
}  // namespace

PreferencesDialog::PreferencesDialog(QString pluginFolder, QWidget* parent)
    : QDialog(parent), pluginFolder_(std::move(pluginFolder)), tree_(new QTreeWidget(this)),
      close_(new QPushButton(QStringLiteral("Close"), this)),
      wholeList_(new QCheckBox(QStringLiteral("&Whole list"), this)) {
  setWindowTitle(QStringLiteral("Tarnello Preferences"));
  setModal(true);
  const DialogUnits units(this);
  setFixedSize(units.X(135), units.Y(kDialogHeight));

  tree_->setHeaderHidden(true);
  tree_->setColumnCount(1);
  tree_->setSelectionMode(QAbstractItemView::SingleSelection);
  tree_->setRootIsDecorated(true);
  // A narrow tree: a small indentation leaves the nested names room to be read.
  tree_->setIndentation(10);
  units.Place(tree_, 7, 7, 55, 73);
  for (const TreeEntry& entry : kTree) {
    const QStringList text{QString::fromUtf8(entry.text)};
    if (!entry.parent) {
      tree_->addTopLevelItem(new QTreeWidgetItem(text));
      continue;
    }
    const QList<QTreeWidgetItem*> parents = tree_->findItems(QString::fromUtf8(entry.parent), Qt::MatchExactly);
    if (!parents.isEmpty()) parents.first()->addChild(new QTreeWidgetItem(text));
  }
  for (const char* name : kExpandOrder) {
    const QList<QTreeWidgetItem*> items = tree_->findItems(QString::fromUtf8(name), Qt::MatchExactly);
    if (!items.isEmpty()) items.first()->setExpanded(true);
  }
  // The tree's selection is its current item, as in a single-selection tree view.
  connect(tree_, &QTreeWidget::currentItemChanged, this,
          [this](QTreeWidgetItem* current, QTreeWidgetItem*) { SwitchPage(current); });

  units.Place(close_, 7, 85, 55, 14);
  close_->setDefault(true);
  connect(close_, &QPushButton::clicked, this, &QDialog::accept);

  units.Place(wholeList_, 7, 103, 55, 12);
  wholeList_->setToolTip(
      QStringLiteral("Next, Previous, repeat and shuffle cover every row of the playlist, not only the first 255."));
}

void PreferencesDialog::SetWholeList(bool on) { wholeList_->setChecked(on); }
bool PreferencesDialog::WholeList() const { return wholeList_->isChecked(); }

// A page still shown is destroyed with the dialog, by its own object.
PreferencesDialog::~PreferencesDialog() { page_.reset(); }

QTreeWidgetItem* PreferencesDialog::FindItem(const QString& text, int occurrence) const {
  for (QTreeWidgetItemIterator it(tree_); *it; ++it) {
    if ((*it)->text(0) == text && occurrence-- == 0) return *it;
  }
  return nullptr;
}

void PreferencesDialog::SwitchPage(QTreeWidgetItem* item) {
  page_.reset();
  const QString text = item ? item->text(0) : QString();
  if (text.compare(QLatin1String("Input"), Qt::CaseInsensitive) == 0) {
    page_ = std::make_unique<InputPluginsPage>(pluginFolder_);
  } else if (text.compare(QLatin1String("File types"), Qt::CaseInsensitive) == 0) {
    page_ = std::make_unique<FileTypesPage>();
  }
  if (!page_) return;
  if (!page_->CreatePage(this)) {
    page_.reset();
    return;
  }
  // 20 pixels more than the tree's client width, 10 pixels from the dialog's right
  // and bottom edges. That width ignores the tree's own offset, border and scroll
  // bar, so the page is kept from covering the tree's right edge.
  const int left = std::max(tree_->viewport()->width() + 20, tree_->geometry().right() + 1);
  const int top = 0;
  page_->MoveWindow(Rect::FromSize(left, top, width() - 10 - left, height() - 10 - top), true);
}
