#include <gtest/gtest.h>

#include "playback/OpenFilter.h"

namespace {

TEST(OpenFilter, PatternsAreTrimmedInOrderAndAnUnterminatedLastIsDropped) {
  // Descriptions are skipped (even with ';' in them); a case-different pattern is
  // a pattern of its own.
  const OpenFilter filter(QStringLiteral(
      "All supported types|*.mp3;*.wma;|MP3; MPEG audio| *.mp3 ;;*.MP3|WMA files|*.wma\t|Ogg|*.ogg"));
  EXPECT_EQ(filter.Patterns(), QStringList({"*.mp3", "*.wma", "*.mp3", "*.MP3", "*.wma"}));
  EXPECT_EQ(filter.DistinctPatterns(), QStringList({"*.mp3", "*.wma", "*.MP3"}));
  EXPECT_EQ(OpenFilter(QStringLiteral("Ogg|*.ogg")).DistinctPatterns(), QStringList());
  EXPECT_EQ(OpenFilter().Patterns(), QStringList());
}

TEST(OpenFilter, ThePluginsTypesGetAnAllSupportedGroupWithEveryPattern) {
  EXPECT_EQ(OpenFilter::ForTypes("|").Text(), "All supported types|||");
  // Repeated patterns stay (the dialog shows them as given); blanks go.
  EXPECT_EQ(OpenFilter::ForTypes("A|*.mp3|B| *.mp3;;*.mp2 ||").Text(),
            "All supported types|*.mp3;*.mp3;*.mp2;|A|*.mp3|B| *.mp3;;*.mp2 ||");
  // A group cut off by the end of the text has no patterns to give.
  EXPECT_EQ(OpenFilter::ForTypes("A|*.a|B|*.b").Text(), "All supported types|*.a;|A|*.a|B|*.b");
}

TEST(OpenFilter, DialogGroupsEndAtTheFirstEmptyField) {
  const OpenFilter filter("All supported types|*.ogg; *.oga;|Ogg|*.ogg;*.oga||Late|*.late|");
  EXPECT_EQ(filter.NameFilters(), QStringList({"All supported types (*.ogg *.oga)", "Ogg (*.ogg *.oga)"}));
  EXPECT_EQ(OpenFilter("|*.x|A|*.a|").NameFilters(), QStringList());
  EXPECT_EQ(OpenFilter("A|*.a").NameFilters(), QStringList({"A (*.a)"}));
  EXPECT_EQ(OpenFilter("A|").NameFilters(), QStringList());
}

}  // namespace
