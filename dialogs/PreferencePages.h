#pragma once
#include <QString>

#include "platform/Window.h"

class QGroupBox;
class QListWidget;
class QPushButton;
class QWidget;

// A page of the preferences window: a child window of the dialog, to the right of
// the tree. It is a Window so that a plug-in's settings or about box, which is
// given the page as its parent, gets a handle the platform knows.
class PreferencesPage : public Window {
 public:
  // Creates the page's widget as a child of dialog and fills it.
  bool CreatePage(QWidget* dialog);

 protected:
  virtual void BuildControls(QWidget* page) = 0;
};

// "Input": the input plug-in files of the plug-in folder, one line "[file name]"
// each, sorted, with "&Configure" and "&About" for the selected one.
class InputPluginsPage : public PreferencesPage {
 public:
  // folder: the plug-in folder, without a trailing '/'.
  explicit InputPluginsPage(QString folder);

  QListWidget* List() const { return list_; }
  QPushButton* ConfigureButton() const { return configure_; }
  QPushButton* AboutButton() const { return about_; }

  // Empties the list and lists every file of the folder that loads as a plug-in.
  void FillList();
  // Calls the selected plug-in's showConfig or showAbout with the page as parent.
  void Configure();
  void About();

  // Adds a line where it belongs alphabetically (ignoring letter case).
  static void AddSorted(QListWidget* list, const QString& line);
  // The part of a line between its first "[" and the first "]" after it.
  static QString FileNameOfLine(const QString& line);

 protected:
  void BuildControls(QWidget* page) override;

 private:
  enum class Call { kConfig, kAbout };
  void CallSelected(Call call);

  QString folder_;
  QGroupBox* group_ = nullptr;
  QListWidget* list_ = nullptr;
  QPushButton* configure_ = nullptr;
  QPushButton* about_ = nullptr;
};

// "File types": its controls exist but are all hidden, so it shows an empty area.
class FileTypesPage : public PreferencesPage {
 public:
  QGroupBox* Group() const { return group_; }
  QListWidget* List() const { return list_; }

 protected:
  void BuildControls(QWidget* page) override;

 private:
  QGroupBox* group_ = nullptr;
  QListWidget* list_ = nullptr;
};
