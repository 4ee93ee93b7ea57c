#pragma once
#include <QDialog>
#include <QString>
#include <memory>

#include "dialogs/PreferencePages.h"

class QCheckBox;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

// "Tarnello Preferences": a tree of seventeen page names on the left and, to its
// right, the page of the selected name. Only "Input" and "File types" have a page;
// the page is chosen by the item's text alone. Below the Close button, the
// "Whole list" box: whether the play order covers every row of the playlist;
// the caller reads it when the dialog returns.
class PreferencesDialog : public QDialog {
 public:
  // pluginFolder: the plug-in folder the "Input" page lists, without a trailing '/'.
  explicit PreferencesDialog(QString pluginFolder, QWidget* parent = nullptr);
  ~PreferencesDialog() override;

  QTreeWidget* Tree() const { return tree_; }
  QPushButton* CloseButton() const { return close_; }
  QCheckBox* WholeListBox() const { return wholeList_; }
  void SetWholeList(bool on);
  bool WholeList() const;
  // The page shown, or null when the selected name has none.
  PreferencesPage* Page() const { return page_.get(); }
  // The tree item with this text (occurrence counts from 0, in tree order), or null.
  QTreeWidgetItem* FindItem(const QString& text, int occurrence = 0) const;

 private:
  void SwitchPage(QTreeWidgetItem* item);

  QString pluginFolder_;
  QTreeWidget* tree_;
  QPushButton* close_;
  QCheckBox* wholeList_;
  std::unique_ptr<PreferencesPage> page_;
};
