#pragma once
#include <QDialog>
#include <QString>
#include <QStringList>
#include <functional>

class QComboBox;

// "Open URL": a two-line prompt with an example, an editable drop-down of the
// recent URLs (the most recent on top), OK and Cancel. The edit field starts empty.
class OpenUrlDialog : public QDialog {
 public:
  // recentUrls: oldest first, as the settings store keeps them.
  OpenUrlDialog(QWidget* parent, const QStringList& recentUrls);

  // The text of the edit field when OK was pressed.
  const QString& EnteredUrl() const { return entered_; }
  QComboBox* Combo() const { return combo_; }

  void accept() override;

 private:
  QComboBox* combo_;
  QString entered_;
};

// Runs the dialog; true and the entered text on OK, false on Cancel. Replaceable
// so that tests enter a URL without a person.
using UrlChooser = std::function<bool(QWidget* parent, const QStringList& recentUrls, QString& url)>;
bool RunOpenUrlDialog(QWidget* parent, const QStringList& recentUrls, QString& url);
void SetUrlChooser(UrlChooser chooser);  // empty restores the dialog
bool ChooseUrl(QWidget* parent, const QStringList& recentUrls, QString& url);
