#include <dlfcn.h>

#include <QDir>
#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QGroupBox>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <gtest/gtest.h>

#include "dialogs/Dialogs.h"
#include "dialogs/PreferencesDialog.h"
#include "playback/PluginManager.h"
#include "support/RecordingMessageBoxes.h"

namespace {

class PreferencesDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(root.isValid());
    QDir(root.path()).mkpath("Plugins");
    QDir(root.path()).mkpath("control");
    pluginDir = root.path() + "/Plugins";
    controlDir = root.path() + "/control";
    qputenv("TARNELLO_TEST_PLUGIN_DIR", controlDir.toUtf8());
  }
  void TearDown() override { qunsetenv("TARNELLO_TEST_PLUGIN_DIR"); }

  void Copy(const char* from, const QString& name) {
    QFile::remove(pluginDir + "/" + name);
    ASSERT_TRUE(QFile::copy(from, pluginDir + "/" + name)) << name.toStdString();
  }
  void WriteBytes(const QString& name, const QByteArray& bytes) {
    QFile f(pluginDir + "/" + name);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
  }
  QStringList Log() {
    QFile f(controlDir + "/log.txt");
    if (!f.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(f.readAll()).split('\n', Qt::SkipEmptyParts);
  }
  static QStringList Lines(const QListWidget* list) {
    QStringList lines;
    for (int i = 0; i < list->count(); ++i) lines.append(list->item(i)->text());
    return lines;
  }
  static void Select(PreferencesDialog& dialog, const QString& text, int occurrence = 0) {
    QTreeWidgetItem* item = dialog.FindItem(text, occurrence);
    ASSERT_NE(item, nullptr) << text.toStdString();
    dialog.Tree()->setCurrentItem(item);
  }
  InputPluginsPage* ShowInputPage(PreferencesDialog& dialog) {
    dialog.show();
    Select(dialog, "Input");
    return dynamic_cast<InputPluginsPage*>(dialog.Page());
  }

  QTemporaryDir root;
  QString pluginDir, controlDir;
  RecordingMessageBoxes boxes;
};

TEST_F(PreferencesDialogTest, TreeHoldsTheSeventeenNamesAllExpanded) {
  PreferencesDialog dialog(QString(), nullptr);
  EXPECT_EQ(dialog.windowTitle(), "Tarnello Preferences");
  EXPECT_EQ(dialog.CloseButton()->text(), "Close");
  EXPECT_TRUE(dialog.CloseButton()->isDefault());

  QStringList roots;
  for (int i = 0; i < dialog.Tree()->topLevelItemCount(); ++i) roots.append(dialog.Tree()->topLevelItem(i)->text(0));
  EXPECT_EQ(roots, QStringList({"Setup", "Options", "Plug-ins", "Skins", "Bookmarks"}));
  auto children = [&](const QString& parent) {
    QStringList names;
    const QTreeWidgetItem* item = dialog.FindItem(parent);
    for (int i = 0; item && i < item->childCount(); ++i) names.append(item->child(i)->text(0));
    return names;
  };
  EXPECT_EQ(children("Setup"), QStringList({"File types", "Agent"}));
  EXPECT_EQ(children("Options"), QStringList({"Display", "Visualization", "Shuffle", "Library", "CD Ripping"}));
  EXPECT_EQ(children("Plug-ins"),
            QStringList({"Input", "Output", "Visualization", "DSP/Effect", "General Purpose"}));

  int count = 0;
  for (QTreeWidgetItemIterator it(dialog.Tree()); *it; ++it) {
    ++count;
    if ((*it)->parent()) {
      EXPECT_TRUE((*it)->parent()->isExpanded()) << (*it)->text(0).toStdString();
    }
  }
  EXPECT_EQ(count, 17);
  EXPECT_EQ(dialog.Page(), nullptr);
}

TEST_F(PreferencesDialogTest, PageFollowsTheSelectedItemsText) {
  PreferencesDialog dialog(pluginDir, nullptr);
  dialog.show();

  Select(dialog, "Input");
  auto* input = dynamic_cast<InputPluginsPage*>(dialog.Page());
  ASSERT_NE(input, nullptr);
  QPointer<QWidget> inputWidget = input->Widget();
  ASSERT_TRUE(inputWidget);
  EXPECT_EQ(inputWidget->parentWidget(), &dialog);
  EXPECT_TRUE(inputWidget->isVisible());
  EXPECT_TRUE(input->List()->isVisible());
  EXPECT_EQ(input->ConfigureButton()->text(), "&Configure");
  EXPECT_EQ(input->AboutButton()->text(), "&About");
  // Right of the tree, 10 pixels from the dialog's right and bottom edges.
  const QRect area = inputWidget->geometry();
  EXPECT_GT(area.left(), dialog.Tree()->geometry().right());
  EXPECT_GE(area.left(), dialog.Tree()->viewport()->width() + 20);
  EXPECT_EQ(area.top(), 0);
  EXPECT_EQ(area.left() + area.width(), dialog.width() - 10);
  EXPECT_EQ(area.height(), dialog.height() - 10);

  Select(dialog, "Skins");
  EXPECT_EQ(dialog.Page(), nullptr);
  EXPECT_TRUE(inputWidget.isNull());  // the previous page's window is gone

  Select(dialog, "File types");
  auto* fileTypes = dynamic_cast<FileTypesPage*>(dialog.Page());
  ASSERT_NE(fileTypes, nullptr);
  EXPECT_TRUE(fileTypes->Widget()->isVisible());
  for (const QWidget* child : fileTypes->Widget()->findChildren<QWidget*>()) EXPECT_FALSE(child->isVisible());
  EXPECT_EQ(fileTypes->Group()->title(), "File type setup");

  for (int occurrence : {0, 1}) {
    Select(dialog, "Visualization", occurrence);
    EXPECT_EQ(dialog.Page(), nullptr) << occurrence;
  }

  // The choice is by text alone and ignores letter case.
  dialog.FindItem("Output")->setText(0, "INPUT");
  Select(dialog, "INPUT");
  EXPECT_NE(dynamic_cast<InputPluginsPage*>(dialog.Page()), nullptr);
}

TEST_F(PreferencesDialogTest, CloseEndsWithOkAndTakesTheShownPageAlong) {
  auto* dialog = new PreferencesDialog(pluginDir, nullptr);
  InputPluginsPage* page = ShowInputPage(*dialog);
  ASSERT_NE(page, nullptr);
  QPointer<QWidget> pageWidget = page->Widget();
  QTest::mouseClick(dialog->CloseButton(), Qt::LeftButton);
  EXPECT_EQ(dialog->result(), QDialog::Accepted);
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_TRUE(pageWidget);
  delete dialog;
  EXPECT_TRUE(pageWidget.isNull());
}

TEST_F(PreferencesDialogTest, InputPageListsTheFilesThatLoadAsPluginsSorted) {
  Copy(TEST_PLUGIN, "b.so");
  Copy(TEST_PLUGIN, "A.so");
  Copy(TEST_PLUGIN, "c.so.bak");  // the rule finds ".so" before ".bak"
  Copy(TEST_PLUGIN, "F.SO");      // case-sensitive: not a plug-in name
  Copy(TEST_PLUGIN, "g.txt");
  Copy(NO_ENTRY_PLUGIN, "n.so");  // loads, but has no entry point
  QByteArray noise(4096, 0);
  for (int i = 0; i < noise.size(); ++i) noise[i] = char((i * 7919 + 13) & 0xff);
  WriteBytes("x.so", noise);  // does not load
  QDir(pluginDir).mkpath("d.so");

  // The first copy of the test plug-in in a process binds its unique C++ symbols and
  // stays loaded for good; a copy outside the folder takes that part, so that the
  // release of the listed copies can be seen.
  ASSERT_TRUE(QFile::copy(TEST_PLUGIN, root.path() + "/keeper.so"));
  void* keeper = dlopen((root.path() + "/keeper.so").toUtf8().constData(), RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(keeper, nullptr);

  // The page lists the folder as it is now; the manager has loaded nothing.
  PluginManager plugins(nullptr, pluginDir);
  PreferencesDialog dialog(plugins.Folder(), nullptr);
  InputPluginsPage* page = ShowInputPage(dialog);
  ASSERT_NE(page, nullptr);
  EXPECT_EQ(Lines(page->List()), QStringList({"[A.so]", "[b.so]", "[c.so.bak]"}));
  EXPECT_TRUE(boxes.boxes.empty());
  // The records were only fetched, never started.
  EXPECT_TRUE(Log().isEmpty()) << Log().join('\n').toStdString();
  // Every library was released again.
  for (const char* name : {"A.so", "b.so", "n.so"}) {
    void* still = dlopen((pluginDir + "/" + name).toUtf8().constData(), RTLD_NOW | RTLD_NOLOAD);
    EXPECT_EQ(still, nullptr) << name;
    if (still) dlclose(still);
  }
  dlclose(keeper);
  // A line is "[", the file name, "]" even for a plug-in alone in the folder.
  EXPECT_EQ(InputPluginsPage::FileNameOfLine("[Dovrel.so]"), "Dovrel.so");
}

TEST_F(PreferencesDialogTest, ConfigureAndAboutReachTheSelectedPluginWithThePageAsParent) {
  Copy(TEST_PLUGIN, "a.so");
  Copy(TEST_PLUGIN, "b.so");
  PreferencesDialog dialog(pluginDir, nullptr);
  InputPluginsPage* page = ShowInputPage(dialog);
  ASSERT_NE(page, nullptr);
  ASSERT_EQ(page->List()->count(), 2);

  // Nothing selected: nothing is called.
  QTest::mouseClick(page->ConfigureButton(), Qt::LeftButton);
  QTest::mouseClick(page->AboutButton(), Qt::LeftButton);
  EXPECT_TRUE(Log().isEmpty());

  page->List()->item(1)->setSelected(true);
  QTest::mouseClick(page->ConfigureButton(), Qt::LeftButton);
  QTest::mouseClick(page->AboutButton(), Qt::LeftButton);
  EXPECT_EQ(Log(), QStringList({"b.so showConfig 1", "b.so showAbout 1"}));
  EXPECT_TRUE(dialog.isVisible());  // the buttons do not close the dialog

  // A file that no longer loads, or no longer is a plug-in, is left alone.
  QFile::remove(pluginDir + "/b.so");
  QTest::mouseClick(page->ConfigureButton(), Qt::LeftButton);
  page->List()->item(0)->setSelected(true);
  Copy(NO_ENTRY_PLUGIN, "a.so");
  QTest::mouseClick(page->AboutButton(), Qt::LeftButton);
  EXPECT_EQ(Log().size(), 2);
  EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(PreferencesDialogTest, WholeListBoxSitsUnderCloseAndComesBackFromTheRun) {
  Copy(TEST_PLUGIN, "a.so");
  PreferencesDialog dialog(pluginDir, nullptr);
  InputPluginsPage* page = ShowInputPage(dialog);
  ASSERT_NE(page, nullptr);
  QCheckBox* box = dialog.WholeListBox();
  EXPECT_EQ(box->text(), "&Whole list");
  EXPECT_TRUE(box->isVisible());
  // Under the Close button, inside the dialog, and never under a page.
  const QRect area = box->geometry();
  EXPECT_GT(area.top(), dialog.CloseButton()->geometry().bottom());
  EXPECT_LE(area.bottom(), dialog.height());
  EXPECT_FALSE(area.intersects(page->Widget()->geometry()));
  EXPECT_GE(area.width(), box->sizeHint().width()) << "the text is cut";
  dialog.SetWholeList(true);
  EXPECT_TRUE(dialog.WholeList());
  QTest::mouseClick(box, Qt::LeftButton);
  EXPECT_FALSE(dialog.WholeList());
  dialog.hide();

  // Through the main window's entry point: what the user ticks comes back.
  PluginManager plugins(nullptr, pluginDir);
  for (const bool start : {false, true}) {
    bool wholeList = start;
    QTimer::singleShot(0, [] {
      auto* shown = dynamic_cast<PreferencesDialog*>(QApplication::activeModalWidget());
      ASSERT_NE(shown, nullptr);
      QTest::mouseClick(shown->WholeListBox(), Qt::LeftButton);
      QTest::mouseClick(shown->CloseButton(), Qt::LeftButton);
    });
    RunPreferences(nullptr, plugins, wholeList);
    EXPECT_EQ(wholeList, !start);
  }
}

TEST(InputPluginsPageLines, SortIgnoringCaseAndCutTheFileName) {
  QListWidget list;
  for (const char* line : {"[b.so]", "[C.so]", "[a.so]", "[B.so]"}) InputPluginsPage::AddSorted(&list, line);
  QStringList lines;
  for (int i = 0; i < list.count(); ++i) lines.append(list.item(i)->text());
  EXPECT_EQ(lines, QStringList({"[a.so]", "[B.so]", "[b.so]", "[C.so]"}));

  EXPECT_EQ(InputPluginsPage::FileNameOfLine("[my plug]in.so]"), "my plug");
  EXPECT_EQ(InputPluginsPage::FileNameOfLine("x[y.so]z"), "y.so");
  EXPECT_EQ(InputPluginsPage::FileNameOfLine("no brackets"), "");
}

}  // namespace
