// Jumping to a track: which rows a text finds, and the dialog that plays the
// chosen one through the main window as a double-click in the editor does.
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <QTest>
#include <gtest/gtest.h>

#include "platform/Window.h"
#include "playlist/JumpDialog.h"
#include "playlist/PlayOrder.h"
#include "playlist/Playlist.h"
#include "playlist/TrackSearch.h"
#include "skin/PlayerWindows.h"

inline void PrintTo(const QString& text, std::ostream* os) { *os << '"' << text.toStdString() << '"'; }

namespace {

class SearchTest : public ::testing::Test {
 protected:
  void Add(const QString& title, const QString& path) { playlist_.AddEntry(-1, title, path); }
  std::vector<int> Find(const QString& text) {
    TrackSearch search;
    search.Index(playlist_);
    return search.Filter(text);
  }

  PlayOrder order_;
  Playlist playlist_{order_};
};

TEST_F(SearchTest, EveryWordMustOccurInTheTitleOrThePath) {
  Add("Kino - Gruppa krovi", "/music/Kino/01 Gruppa krovi.mp3");
  Add("Kino - Zvezda", "/music/Kino/02 Zvezda.mp3");
  Add("DDT - Osen", "/music/DDT/Osen.mp3");
  Add("", "http://radio.example/stream");
  EXPECT_EQ(Find("kino"), (std::vector<int>{0, 1}));
  EXPECT_EQ(Find("zvezda kino"), (std::vector<int>{1}));  // any order
  EXPECT_EQ(Find("kino 01"), (std::vector<int>{0}));      // "01" only in the path
  EXPECT_EQ(Find("kino osen"), (std::vector<int>{}));     // each word, not any word
  EXPECT_EQ(Find("radio"), (std::vector<int>{3}));
  EXPECT_EQ(Find("  "), (std::vector<int>{0, 1, 2, 3}));
  EXPECT_EQ(Find(""), (std::vector<int>{0, 1, 2, 3}));
  // A word never runs from the end of the title into the path.
  EXPECT_EQ(Find("ddt/osen"), (std::vector<int>{2}));
  EXPECT_EQ(Find("osen/music"), (std::vector<int>{}));
}

TEST_F(SearchTest, CaseAndAccentsAreFoldedOnBothSides) {
  Add("Beyoncé - Halo", "/m/a.mp3");
  Add("Sigur Rós - Hoppípolla", "/m/b.mp3");
  Add("Кино - Группа крови", "/m/c.mp3");
  Add("Die Straße", "/m/d.mp3");
  Add("ＡＢＣ Ｌｉｖｅ", "/m/e.mp3");
  Add("Łódź Œuvre", "/m/f.mp3");
  Add("宇多田ヒカル - First Love", "/m/g.mp3");
  EXPECT_EQ(Find("BEYONCE"), (std::vector<int>{0}));
  EXPECT_EQ(Find("beyoncé halo"), (std::vector<int>{0}));
  EXPECT_EQ(Find("ROS hoppipolla"), (std::vector<int>{1}));
  EXPECT_EQ(Find("КРОВИ кино"), (std::vector<int>{2}));
  EXPECT_EQ(Find("strasse"), (std::vector<int>{3}));
  EXPECT_EQ(Find("STRAẞE"), (std::vector<int>{3}));
  EXPECT_EQ(Find("abc live"), (std::vector<int>{4}));
  EXPECT_EQ(Find("lodz oeuvre"), (std::vector<int>{5}));
  EXPECT_EQ(Find("ヒカル first"), (std::vector<int>{6}));
  EXPECT_EQ(TrackSearch::Fold(u"Ça Été\tx"), "ca ete x");
}

TEST_F(SearchTest, NarrowingAndWideningAgreeWithAFreshSearch) {
  for (int i = 0; i < 300; ++i)
    Add(QString("Artist %1 - Title %2").arg(i % 7).arg(i), QString("/music/A%1/%2 Track.mp3").arg(i % 7).arg(i));
  TrackSearch typing;
  typing.Index(playlist_);
  // Typed letter by letter, with corrections and words given in another order.
  const QStringList steps{"a", "ar", "art", "arti 3", "arti 3 1", "arti 3 12", "arti 3 1", "3 1", "12 3",
                          "12 3 track", "title 12", "itle 12", "tle 1", "", "a1/1"};
  for (const QString& text : steps) {
    SCOPED_TRACE(text.toStdString());
    EXPECT_EQ(typing.Filter(text), Find(text));
  }
}

// The main window's part: plays the requested row when answer says so.
class FakeMainWindow : public Window {
 public:
  std::vector<int> requests;
  intptr_t answer = 1;

 protected:
  intptr_t OnMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) override {
    if (message != MSG_PLAY_ROW) return Window::OnMessage(message, wParam, lParam);
    requests.push_back(int(wParam));
    return answer;
  }
};

class JumpDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(main_.CreateTopLevel("Tarnello", Rect::FromSize(0, 0, 275, 116), 0));
    PlayerWindows::Publish(&main_, nullptr, nullptr);
    for (const char* title : {"Kino - Gruppa krovi", "Kino - Zvezda", "DDT - Osen", "Beyoncé - Halo"})
      playlist_.AddEntry(200, title, QString("/music/") + title + ".mp3");
  }
  void TearDown() override {
    if (JumpDialog* open = JumpDialog::Current()) delete open;
    PlayerWindows::Publish(nullptr, nullptr, nullptr);
    main_.Destroy();
  }
  JumpDialog* Open() {
    JumpDialog* dialog = JumpDialog::Open(&main_, playlist_);
    EXPECT_NE(dialog, nullptr);
    return dialog;
  }
  static void Type(JumpDialog* dialog, const QString& text) { QTest::keyClicks(dialog->SearchField(), text); }
  static bool Closed() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return JumpDialog::Current() == nullptr;
  }

  FakeMainWindow main_;
  PlayOrder order_;
  Playlist playlist_{order_};
};

TEST_F(JumpDialogTest, TypingFiltersAndEnterPlaysTheFirstMatchThenCloses) {
  JumpDialog* dialog = Open();
  EXPECT_EQ(dialog->List()->model()->rowCount(), 4);
  Type(dialog, "kino");
  EXPECT_EQ(dialog->ShownRows(), (std::vector<int>{0, 1}));
  EXPECT_EQ(dialog->List()->model()->rowCount(), 2);
  EXPECT_EQ(dialog->List()->model()->index(1, 0).data().toString(), "2. Kino - Zvezda");
  Type(dialog, " zv");
  EXPECT_EQ(dialog->ShownRows(), (std::vector<int>{1}));
  QTest::keyClick(dialog->SearchField(), Qt::Key_Return);
  EXPECT_EQ(main_.requests, (std::vector<int>{1}));
  EXPECT_EQ(playlist_.GetCurrentRow(), 1);
  EXPECT_TRUE(Closed());
}

TEST_F(JumpDialogTest, ArrowsChooseAnotherMatchAndADoubleClickPlaysIt) {
  JumpDialog* dialog = Open();
  Type(dialog, "KINO");
  QTest::keyClick(dialog->SearchField(), Qt::Key_Down);
  EXPECT_EQ(dialog->List()->currentIndex().row(), 1);
  QTest::keyClick(dialog->SearchField(), Qt::Key_Up);
  EXPECT_EQ(dialog->List()->currentIndex().row(), 0);
  QTest::keyClick(dialog->SearchField(), Qt::Key_Down);
  QTest::keyClick(dialog->SearchField(), Qt::Key_Enter);
  EXPECT_EQ(main_.requests, (std::vector<int>{1}));
  EXPECT_TRUE(Closed());

  dialog = Open();
  Type(dialog, "beyonce");
  ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog));
  QListView* list = dialog->List();
  const QRect first = list->visualRect(list->model()->index(0, 0));
  // As a pointer does it: a click, then the second press that makes it double.
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, first.center());
  QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, first.center());
  EXPECT_EQ(main_.requests, (std::vector<int>{1, 3}));
  EXPECT_EQ(playlist_.GetCurrentRow(), 3);
  EXPECT_TRUE(Closed());
}

TEST_F(JumpDialogTest, EscapeClosesWithoutPlayingAndARefusedRowKeepsTheDialog) {
  JumpDialog* dialog = Open();
  EXPECT_EQ(Open(), dialog);  // one dialog at a time
  Type(dialog, "osen");
  QTest::keyClick(dialog->SearchField(), Qt::Key_Escape);
  EXPECT_TRUE(main_.requests.empty());
  EXPECT_TRUE(Closed());

  // The main window could not start the row: the current row stays, so does the dialog.
  playlist_.SetCurrentRow(0);
  main_.answer = 0;
  dialog = Open();
  Type(dialog, "osen");
  QTest::keyClick(dialog->SearchField(), Qt::Key_Return);
  EXPECT_EQ(main_.requests, (std::vector<int>{2}));
  EXPECT_EQ(playlist_.GetCurrentRow(), 0);
  EXPECT_FALSE(Closed());
  // Nothing matches: Enter does nothing.
  Type(dialog, " zzz");
  QTest::keyClick(dialog->SearchField(), Qt::Key_Return);
  EXPECT_EQ(main_.requests.size(), 1u);
}

TEST_F(JumpDialogTest, RowsChangedWhileOpenAreSearchedAfresh) {
  JumpDialog* dialog = Open();
  Type(dialog, "kino");
  playlist_.AddEntry(100, "Kino - Kukushka", "/music/k.mp3");
  playlist_.SelectRow(0);
  playlist_.RemoveSelected();
  // Until the index is made again, nothing stale can be played.
  EXPECT_EQ(dialog->List()->model()->rowCount(), 0);
  QTest::keyClick(dialog->SearchField(), Qt::Key_Return);
  EXPECT_TRUE(main_.requests.empty());
  QCoreApplication::processEvents();
  EXPECT_EQ(dialog->ShownRows(), (std::vector<int>{0, 3}));
  EXPECT_EQ(dialog->List()->model()->index(1, 0).data().toString(), "4. Kino - Kukushka");
}

}  // namespace
