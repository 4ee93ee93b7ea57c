#include "playlist/OpenFolderDialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <filesystem>

#include "platform/System.h"

namespace {
constexpr int kPathRole = Qt::UserRole;

QString ListedFolder(const QString& path) { return path.isEmpty() ? QStringLiteral("/") : path; }

// Whether the folder holds at least one folder; stops at the first one found.
bool HasSubfolder(const QString& path) {
  namespace fs = std::filesystem;
  std::error_code ec;
  for (fs::directory_iterator it(ListedFolder(path).toStdString(), ec), end; !ec && it != end; it.increment(ec)) {
    std::error_code typeError;
    if (it->is_directory(typeError)) return true;
  }
  return false;
}

void SetHasChildren(QTreeWidgetItem* item, bool hasChildren) {
  item->setChildIndicatorPolicy(hasChildren ? QTreeWidgetItem::ShowIndicator
                                            : QTreeWidgetItem::DontShowIndicator);
}

bool IsWithin(const QTreeWidgetItem* item, const QTreeWidgetItem* ancestor) {
  for (; item; item = item->parent())
    if (item == ancestor) return true;
  return false;
}

struct WaitCursor {
  WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~WaitCursor() { QApplication::restoreOverrideCursor(); }
};

FolderChooser chooser;
}  // namespace

OpenFolderDialog::OpenFolderDialog(QWidget* parent, const QString& initialFolder, int recurse)
    : QDialog(parent), tree_(new QTreeWidget(this)), recurseBox_(new QCheckBox(QStringLiteral("Recurse Subdirectories"), this)) {
  setWindowTitle(QStringLiteral("Open Folder"));
  setModal(true);
  tree_->setHeaderHidden(true);
  tree_->setRootIsDecorated(true);
  tree_->setSelectionMode(QAbstractItemView::SingleSelection);
  recurseBox_->setChecked(recurse != 0);
  connect(tree_, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem* item) { Fill(item); });
  connect(tree_, &QTreeWidget::itemCollapsed, this, [this](QTreeWidgetItem* item) { Empty(item); });

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(tree_);
  layout->addWidget(recurseBox_);
  layout->addWidget(buttons);
  resize(320, 400);

  const WaitCursor wait;
  auto* root = new QTreeWidgetItem(tree_, QStringList(QStringLiteral("/")));
  const QIcon programIcon = QApplication::windowIcon();
  root->setIcon(0, programIcon.isNull() ? style()->standardIcon(QStyle::SP_ComputerIcon) : programIcon);
  root->setData(0, kPathRole, QStringLiteral(""));
  SetHasChildren(root, true);
  root->setExpanded(true);
  SelectFolder(initialFolder);
}

QTreeWidgetItem* OpenFolderDialog::RootItem() const { return tree_->topLevelItem(0); }

QString OpenFolderDialog::ItemPath(const QTreeWidgetItem* item) {
  return item ? item->data(0, kPathRole).toString() : QString();
}

int OpenFolderDialog::Recurse() const { return recurseBox_->isChecked() ? 1 : 0; }

void OpenFolderDialog::Fill(QTreeWidgetItem* item) {
  if (item->childCount() > 0) return;
  // Each child is looked into for subfolders of its own, which takes a while in a
  // large folder.
  const WaitCursor wait;
  const QString path = ItemPath(item);
  // The listing is sorted already; the tree keeps the order it is given.
  for (const Platform::FolderEntry& entry : Platform::ListFolder(ListedFolder(path)))
    if (entry.isFolder) AddFolderItem(item, entry.name);
  SetHasChildren(item, item->childCount() > 0);
}

QTreeWidgetItem* OpenFolderDialog::AddFolderItem(QTreeWidgetItem* parent, const QString& name) {
  const QString path = ItemPath(parent) + u'/' + name;
  auto* child = new QTreeWidgetItem(parent, QStringList(name));
  child->setIcon(0, style()->standardIcon(QStyle::SP_DirIcon));
  child->setData(0, kPathRole, path);
  SetHasChildren(child, HasSubfolder(path));
  return child;
}

void OpenFolderDialog::Empty(QTreeWidgetItem* item) {
  // A selection inside the collapsed branch moves up to the collapsed item,
  // so OK still names a folder.
  QTreeWidgetItem* current = tree_->currentItem();
  if (current && current != item && IsWithin(current, item)) tree_->setCurrentItem(item);
  // The expand button stays: the folder is read again when it next expands.
  qDeleteAll(item->takeChildren());
}

void OpenFolderDialog::SelectFolder(const QString& folder) {
  QTreeWidgetItem* item = RootItem();
  for (const QString& component : folder.split(u'/', Qt::SkipEmptyParts)) {
    item->setExpanded(true);
    QTreeWidgetItem* next = nullptr;
    for (int i = 0; i < item->childCount() && !next; ++i)
      if (item->child(i)->text(0) == component) next = item->child(i);
    if (!next) break;
    item = next;
  }
  tree_->setCurrentItem(item);
  tree_->scrollToItem(item);
}

void OpenFolderDialog::accept() {
  // Without a selected folder there is nothing to choose yet.
  QTreeWidgetItem* item = tree_->currentItem();
  if (!item) return;
  chosen_ = ItemPath(item);
  QDialog::accept();
}

bool RunOpenFolderDialog(QWidget* parent, QString& folder, int& recurse) {
  OpenFolderDialog dialog(parent, folder, recurse);
  if (dialog.exec() != QDialog::Accepted) return false;
  folder = dialog.ChosenFolder();
  recurse = dialog.Recurse();
  return true;
}

void SetFolderChooser(FolderChooser replacement) { chooser = std::move(replacement); }

bool ChooseFolder(QWidget* parent, QString& folder, int& recurse) {
  return chooser ? chooser(parent, folder, recurse) : RunOpenFolderDialog(parent, folder, recurse);
}
