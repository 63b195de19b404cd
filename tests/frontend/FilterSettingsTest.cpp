// The filter and find dialogs' rules without their windows: the order of the checks, the
// file-name reading and matching, the size entries' digits-only rule and the picker's place.
#include "frontend/FilterSettings.h"

#include <gtest/gtest.h>

namespace vardeck {
namespace {

const LocaleSettings kEnglish;  // M/d/yyyy h:mm:ss tt, times as they stand

FilterCheck Check(FilterEntries e) { return CheckFilterEntries(e, kEnglish); }

TEST(FilterChecks, TheFirstFailingEntryNamesItsTextAndTheEntryToFocus) {
  FilterEntries bad_everywhere{"no date", "no date", "no date", "no date", "x", "y"};
  struct Step {
    const char* key;
    FilterEntry focus;
  };
  // Mending each failure in turn uncovers the next one, in the dialog's order.
  const Step order[] = {{"validdate1", FilterEntry::kCreateMin}, {"validdate1", FilterEntry::kCreateMax},
                        {"validdate2", FilterEntry::kCreateMin}, {"validdate1", FilterEntry::kModifyMin},
                        {"validdate1", FilterEntry::kModifyMax}, {"validdate2", FilterEntry::kModifyMin},
                        {"validnumber1", FilterEntry::kSizeMin}, {"validnumber1", FilterEntry::kSizeMax},
                        {"validnumber2", FilterEntry::kSizeMin}};
  FilterEntries e = bad_everywhere;
  auto mend = [&](int step) {
    switch (step) {
      case 0: e.create_min = "3/1/2024 10:00:00 AM"; break;
      case 1: e.create_max = "3/1/2024 10:00:00 AM"; break;  // same instant: refused below
      case 2: e.create_max = "3/2/2024"; break;
      case 3: e.modify_min = "3/1/2024"; break;
      case 4: e.modify_max = "2/1/2024"; break;  // before its "from"
      case 5: e.modify_max = "4/1/2024"; break;
      case 6: e.size_min = "500"; break;
      case 7: e.size_max = "100"; break;  // below the minimum
      case 8: e.size_max = "500"; break;
    }
  };
  for (int i = 0; i < 9; ++i) {
    FilterCheck c = Check(e);
    ASSERT_FALSE(c.ok) << "step " << i;
    EXPECT_EQ(c.text_key, order[i].key) << "step " << i;
    EXPECT_EQ(c.focus, order[i].focus) << "step " << i;
    mend(i);
  }
  FilterCheck c = Check(e);
  ASSERT_TRUE(c.ok);
  EXPECT_EQ(c.bounds.size_min, 500u);
  EXPECT_EQ(c.bounds.size_max, 500u);  // equal sizes pass
  EXPECT_LT(c.bounds.create_min, c.bounds.create_max);
  // And the bounds come back to the same entries.
  FilterCheck again = Check(EntriesOfBounds(c.bounds, kEnglish));
  ASSERT_TRUE(again.ok);
  EXPECT_EQ(again.bounds, c.bounds);
}

TEST(FilterChecks, EmptyMeansNotSetAndOnlyAMinimumOfZeroBoundsNothing) {
  FilterCheck c = Check({" ", "", "", "", " 0 ", "0"});
  ASSERT_TRUE(c.ok);
  EXPECT_EQ(c.bounds.create_min, kFilterBoundNotSet);
  EXPECT_EQ(c.bounds.size_min, kFilterBoundNotSet);
  EXPECT_EQ(c.bounds.size_max, 0u);  // "at most 0 bytes" is a bound
  EXPECT_EQ(EntriesOfBounds(c.bounds, kEnglish).size_max, "0");
  EXPECT_EQ(EntriesOfBounds(c.bounds, kEnglish).size_min, "");
  EXPECT_FALSE(Check({"", "", "", "", "-5", ""}).ok);
}

TEST(FiltersActive, AnySetBoundOrNameMakesTheFilterActive) {
  EXPECT_FALSE(FiltersActive(FilterBounds{}, ""));
  EXPECT_FALSE(FiltersActive(FilterBounds{}, " , "));
  EXPECT_TRUE(FiltersActive(FilterBounds{}, "*.jpg"));
  FilterBounds bounds;
  bounds.modify_max = 0;  // a bound of zero is set
  EXPECT_TRUE(FiltersActive(bounds, ""));
}

TEST(FindCriteria, TheFileNameSplitsAtItsLastDot) {
  EXPECT_EQ(MakeFilename("*.jpg"), (FindCriteria{"*.jpg", "", true, true}));
  EXPECT_EQ(MakeFilename(" Report "), (FindCriteria{"*.", "report", false, false}));
  EXPECT_EQ(MakeFilename("rep*.doc"), (FindCriteria{"*.doc", "rep", false, true}));
  EXPECT_EQ(MakeFilename("*"), (FindCriteria{"", "", true, true}));
  EXPECT_EQ(MakeFilename("my.report.DOC"), (FindCriteria{"*.doc", "my.report", false, false}));
  EXPECT_EQ(MakeFilename("notes."), (FindCriteria{"*.", "notes", false, false}));
  EXPECT_EQ(MakeFilename("*ab*.*"), (FindCriteria{"", "ab", true, true}));
  EXPECT_EQ(MakeFilename("a*b"), (FindCriteria{"*.", "a*b", false, false}));  // inner star is plain
}

TEST(FindCriteria, StarsMeanEndsWithStartsWithOrContains) {
  const FindCriteria ends = MakeFilename("*ab.txt"), starts = MakeFilename("ab*.txt"),
                     holds = MakeFilename("*ab*.txt"), exact = MakeFilename("my.report.doc");
  EXPECT_TRUE(NameMatches(ends, "abab.txt"));  // the second occurrence ends the name
  EXPECT_FALSE(NameMatches(ends, "abc.txt"));
  EXPECT_TRUE(NameMatches(starts, "ABC.txt"));
  EXPECT_FALSE(NameMatches(starts, "cab.txt"));
  EXPECT_TRUE(NameMatches(holds, "xaby.txt"));
  EXPECT_FALSE(NameMatches(holds, "a.b.txt"));
  EXPECT_TRUE(NameMatches(exact, "My.Report.doc"));
  EXPECT_FALSE(NameMatches(exact, "my.doc"));
  EXPECT_TRUE(NameMatches(MakeFilename("*.jpg"), "anything.jpg"));
}

TEST(SizeEntries, OnlyDigitsAreTakenAndAStrayKeyGivesTheLastTextBack) {
  std::string last;
  EXPECT_EQ(DigitsOnly("12", last).text, "12");
  DigitsOnlyResult r = DigitsOnly("12a", last);
  EXPECT_EQ(r.text, "12");
  EXPECT_TRUE(r.move_caret_to_end);
  EXPECT_EQ(DigitsOnly("", last).text, "");  // emptied by the user: taken
  std::string never = "x";                   // nothing acceptable yet
  r = DigitsOnly("1x", never);
  EXPECT_EQ(r.text, "");
  EXPECT_FALSE(r.move_caret_to_end);
}

TEST(DatePicker, StaysOnTheScreen) {
  EXPECT_EQ(PlacePicker({100, 50}, 264, 250, 1024, 768).x, 100);
  ScreenPoint p = PlacePicker({1000, 700}, 264, 250, 1024, 768);
  EXPECT_EQ(p.x, 1024 - 264);
  EXPECT_EQ(p.y, 768 - 250);
  p = PlacePicker({-20, -1}, 264, 250, 1024, 768);
  EXPECT_EQ(p.x, 0);
  EXPECT_EQ(p.y, 0);
}

TEST(DatePicker, WindowGrowsAroundACalendarLargerThanTheDesign) {
  // A month that fits keeps the design's 258 x 225 and its places.
  PickerLayout l = LayOutPicker(240, 150);
  EXPECT_EQ(l.client_width, 258);
  EXPECT_EQ(l.client_height, 225);
  EXPECT_EQ(l.bottom_row_top, 192);
  EXPECT_EQ(l.cancel_left, 177);
  // An Arabic month (as Wine's calendar measures it), wider and taller: all of it shown, the
  // bottom row below it, the buttons kept at the right edge.
  l = LayOutPicker(504, 171);
  EXPECT_EQ(l.calendar_width, 504);
  EXPECT_EQ(l.calendar_height, 171);
  EXPECT_GE(l.calendar_left, 4);
  EXPECT_LE(l.calendar_left + l.calendar_width, l.client_width - 4);
  EXPECT_GE(l.bottom_row_top, l.calendar_top + l.calendar_height);
  EXPECT_EQ(l.client_height, l.bottom_row_top + 24 + 9);
  EXPECT_EQ(l.cancel_left + 73 + 8, l.client_width);
  EXPECT_EQ(l.ok_left + 73 + 4, l.cancel_left);
  // No size from the system: the design's space.
  l = LayOutPicker(0, -1);
  EXPECT_EQ(l.client_width, 258);
  EXPECT_EQ(l.client_height, 225);
}

}  // namespace
}  // namespace vardeck
