#pragma once
#include <QDialog>
#include <QString>
#include <functional>

class QCheckBox;
class QTreeWidget;
class QTreeWidgetItem;

// "Open Folder": the file system's folders as a tree, a "Recurse Subdirectories"
// check box, OK and Cancel. The root item "/" stands for the empty path, so a
// child's path is its parent's path, '/' and its name ("/home"). Folders are read
// when their item expands and forgotten when it collapses, so a folder shows its
// contents of the moment it was opened.
class OpenFolderDialog : public QDialog {
 public:
  // Selects initialFolder, or the deepest of its leading folders that exists.
  OpenFolderDialog(QWidget* parent, const QString& initialFolder, int recurse);

  // The path of the selected item when OK was pressed.
  const QString& ChosenFolder() const { return chosen_; }
  int Recurse() const;

  QTreeWidget* Tree() const { return tree_; }
  QCheckBox* RecurseBox() const { return recurseBox_; }
  QTreeWidgetItem* RootItem() const;
  static QString ItemPath(const QTreeWidgetItem* item);

  void accept() override;

 private:
  void Fill(QTreeWidgetItem* item);
  void Empty(QTreeWidgetItem* item);
  QTreeWidgetItem* AddFolderItem(QTreeWidgetItem* parent, const QString& name);
  void SelectFolder(const QString& folder);

  QTreeWidget* tree_;
  QCheckBox* recurseBox_;
  QString chosen_;
};

// Runs the dialog: folder holds the initial folder and, after OK, the chosen one;
// recurse the check box state in and out. False on Cancel. Replaceable so that
// tests choose without a person.
using FolderChooser = std::function<bool(QWidget* parent, QString& folder, int& recurse)>;
bool RunOpenFolderDialog(QWidget* parent, QString& folder, int& recurse);
void SetFolderChooser(FolderChooser chooser);  // empty restores the dialog
bool ChooseFolder(QWidget* parent, QString& folder, int& recurse);
