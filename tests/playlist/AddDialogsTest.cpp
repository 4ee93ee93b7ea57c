#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QTemporaryDir>
#include <QTreeWidget>

#include "playlist/OpenFolderDialog.h"
#include "playlist/OpenUrlDialog.h"

namespace {
QStringList ChildTexts(const QTreeWidgetItem* item) {
  QStringList texts;
  for (int i = 0; i < item->childCount(); ++i) texts << item->child(i)->text(0);
  return texts;
}

QTreeWidgetItem* Child(QTreeWidgetItem* item, const QString& text) {
  for (int i = 0; i < item->childCount(); ++i)
    if (item->child(i)->text(0) == text) return item->child(i);
  return nullptr;
}

bool HasExpandButton(const QTreeWidgetItem* item) {
  return item->childIndicatorPolicy() == QTreeWidgetItem::ShowIndicator;
}

// dir/music/{jazz, rock/old}, dir/empty, dir/notes.txt
struct FolderDialog : ::testing::Test {
  QTemporaryDir temp;
  QString dir = QFileInfo(temp.path()).canonicalFilePath();

  void SetUp() override {
    ASSERT_TRUE(QDir().mkpath(dir + "/music/rock/old"));
    ASSERT_TRUE(QDir().mkpath(dir + "/music/jazz"));
    ASSERT_TRUE(QDir().mkpath(dir + "/empty"));
    QFile file(dir + "/notes.txt");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  }
  QString Selected(const OpenFolderDialog& dialog) const {
    return OpenFolderDialog::ItemPath(dialog.Tree()->currentItem());
  }
};
}  // namespace

TEST_F(FolderDialog, TheRootStandsForTheEmptyPathAndItsChildrenAreTopFolders) {
  OpenFolderDialog dialog(nullptr, "", 0);
  EXPECT_EQ(dialog.windowTitle(), "Open Folder");
  QTreeWidgetItem* root = dialog.RootItem();
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(root->text(0), "/");
  EXPECT_EQ(OpenFolderDialog::ItemPath(root), "");
  EXPECT_FALSE(OpenFolderDialog::ItemPath(root).isNull());
  EXPECT_TRUE(root->isExpanded());
  EXPECT_EQ(dialog.Tree()->currentItem(), root);
  // The root's children are the folders of "/", named "/name".
  const QString top = dir.section('/', 1, 1);
  QTreeWidgetItem* topItem = Child(root, top);
  ASSERT_NE(topItem, nullptr) << top.toStdString();
  EXPECT_EQ(OpenFolderDialog::ItemPath(topItem), "/" + top);
  QStringList sorted = ChildTexts(root);
  std::sort(sorted.begin(), sorted.end());
  EXPECT_EQ(ChildTexts(root), sorted);

  dialog.Tree()->setCurrentItem(root);
  dialog.accept();
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(dialog.ChosenFolder(), "");
}

TEST_F(FolderDialog, OpensOnTheInitialFolderOrTheDeepestOfItsFoldersThatExists) {
  OpenFolderDialog dialog(nullptr, dir + "/music/rock", 1);
  EXPECT_EQ(Selected(dialog), dir + "/music/rock");
  EXPECT_TRUE(dialog.RecurseBox()->isChecked());
  QTreeWidgetItem* music = dialog.Tree()->currentItem()->parent();
  EXPECT_TRUE(music->isExpanded());
  EXPECT_EQ(ChildTexts(music), QStringList({"jazz", "rock"}));
  EXPECT_TRUE(HasExpandButton(Child(music, "rock")));
  EXPECT_FALSE(HasExpandButton(Child(music, "jazz")));
  EXPECT_EQ(ChildTexts(music->parent()), QStringList({"empty", "music"}));  // no files

  OpenFolderDialog partial(nullptr, dir + "/music/missing/old", 0);
  EXPECT_EQ(Selected(partial), dir + "/music");
  EXPECT_FALSE(partial.RecurseBox()->isChecked());
}

TEST_F(FolderDialog, ExpandingReadsTheFolderAndCollapsingForgetsIt) {
  OpenFolderDialog dialog(nullptr, dir + "/music/jazz", 0);
  QTreeWidgetItem* music = dialog.Tree()->currentItem()->parent();
  QTreeWidgetItem* base = music->parent();

  QTreeWidgetItem* empty = Child(base, "empty");
  ASSERT_NE(empty, nullptr);
  EXPECT_FALSE(HasExpandButton(empty));
  empty->setExpanded(true);
  EXPECT_EQ(empty->childCount(), 0);
  EXPECT_FALSE(HasExpandButton(empty));

  // Collapsing the branch that holds the selection moves it up to the branch.
  music->setExpanded(false);
  EXPECT_EQ(music->childCount(), 0);
  EXPECT_TRUE(HasExpandButton(music));
  EXPECT_EQ(dialog.Tree()->currentItem(), music);

  ASSERT_TRUE(QDir().mkpath(dir + "/music/blues"));
  music->setExpanded(true);
  EXPECT_EQ(ChildTexts(music), QStringList({"blues", "jazz", "rock"}));
  EXPECT_EQ(OpenFolderDialog::ItemPath(Child(music, "blues")), dir + "/music/blues");
}

TEST_F(FolderDialog, OkChoosesTheSelectedFolderAndTheCheckBoxState) {
  OpenFolderDialog dialog(nullptr, dir + "/music", 0);
  QTreeWidgetItem* music = dialog.Tree()->currentItem();
  music->setExpanded(true);
  dialog.Tree()->setCurrentItem(Child(music, "rock"));
  dialog.RecurseBox()->setChecked(true);
  dialog.accept();
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(dialog.ChosenFolder(), dir + "/music/rock");
  EXPECT_EQ(dialog.Recurse(), 1);
}

TEST(UrlDialog, OffersTheRecentUrlsNewestOnTopWithAnEmptyField) {
  OpenUrlDialog dialog(nullptr, {"http://a/1.mp3", "http://b/2.pls", "http://c/3.mp3"});
  EXPECT_EQ(dialog.windowTitle(), "Open URL");
  QComboBox* combo = dialog.Combo();
  EXPECT_TRUE(combo->isEditable());
  ASSERT_EQ(combo->count(), 3);
  EXPECT_EQ(combo->itemText(0), "http://c/3.mp3");
  EXPECT_EQ(combo->itemText(2), "http://a/1.mp3");
  EXPECT_EQ(combo->currentText(), "");
  const QList<QLabel*> labels = dialog.findChildren<QLabel*>();
  ASSERT_EQ(labels.size(), 1);
  const QStringList lines = labels[0]->text().split('\n');
  ASSERT_EQ(lines.size(), 2);
  EXPECT_EQ(lines[0], "Enter a URL to open here:");
  EXPECT_TRUE(lines[1].contains("http://") && lines[1].contains(".mp3")) << lines[1].toStdString();

  combo->setCurrentIndex(1);
  dialog.accept();
  EXPECT_EQ(dialog.EnteredUrl(), "http://b/2.pls");

  OpenUrlDialog typed(nullptr, {});
  typed.Combo()->setEditText("radio.example.com/live.pls");
  typed.accept();
  EXPECT_EQ(typed.EnteredUrl(), "radio.example.com/live.pls");
  EXPECT_EQ(typed.Combo()->count(), 0);  // the caller keeps the history
}
