#include <gtest/gtest.h>

#include <string>

#include "core/PtrList.h"
#include "core/WStrList.h"

namespace {

class WStrList : public ::testing::Test {
 protected:
  void TearDown() override { Free(List); }
  TWStrList* List = TWStrList::Create();
};

}  // namespace

TEST_F(WStrList, AddReturnsIndexesAndGetGivesTheTextsBack) {
  EXPECT_EQ(List->Count(), 0);
  EXPECT_EQ(List->Get(0), L"");
  EXPECT_EQ(List->Add(L"Deneme: 0"), 0);
  EXPECT_EQ(List->Add(L"\u00c7alI\u015fma \u011f\u00fc\u00f6"), 1);  // Turkish letters
  EXPECT_EQ(List->Get(0), L"Deneme: 0");
  EXPECT_EQ(List->Get(1), L"\u00c7alI\u015fma \u011f\u00fc\u00f6");
}

TEST_F(WStrList, SurrogatePairsAreKeptCodeUnitForCodeUnit) {
  const wchar_t text[] = {0xD83D, 0xDE00, L' ', 0xD834, 0xDD1E, 0};  // two astral characters
  List->Add(text);
  WideString back = List->Get(0);
  ASSERT_EQ(back.size(), 5u);
  EXPECT_EQ(back, WideString(text));
}

TEST_F(WStrList, EachItemIsItsOwnExactCopy) {
  wchar_t text[] = L"abc";
  List->Add(text);
  text[0] = L'X';  // the list never keeps the caller's text
  EXPECT_EQ(List->Get(0), L"abc");
  const wchar_t* stored = static_cast<const wchar_t*>(List->ItemList->Items[0]);
  EXPECT_NE(stored, text);
  EXPECT_EQ(stored[3], 0);
}

TEST_F(WStrList, EmptyAndAbsentTextsCountAsItems) {
  List->Add(L"");
  List->Add(static_cast<const wchar_t*>(nullptr));
  EXPECT_EQ(List->Count(), 2);
  EXPECT_EQ(List->Get(0), L"");
  EXPECT_EQ(List->Get(1), L"");
}

TEST_F(WStrList, InsertPastTheEndPadsWithEmptyItems) {
  List->Insert(5, L"five");
  EXPECT_EQ(List->Count(), 6);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(List->Get(i), L"") << i;
  EXPECT_EQ(List->Get(5), L"five");
}

TEST_F(WStrList, InsertAtZeroMovesTheOthersUp) {
  List->Add(L"a");
  List->Add(L"b");
  List->Insert(0, L"z");
  EXPECT_EQ(List->Get(0), L"z");
  EXPECT_EQ(List->Get(1), L"a");
  EXPECT_EQ(List->Get(2), L"b");
}

TEST_F(WStrList, GetOutOfRangeIsEmpty) {
  List->Add(L"only");
  EXPECT_EQ(List->Get(-1), L"");
  EXPECT_EQ(List->Get(1), L"");
  EXPECT_EQ(List->Get(INT_MIN), L"");
}

TEST_F(WStrList, ZeroInTheMiddleCutsTheText) {
  const wchar_t text[] = {L'a', L'b', 0, L'c', L'd', 0};
  List->Add(WideString(text, 5));
  EXPECT_EQ(List->Get(0), L"ab");
}

TEST_F(WStrList, ClearThenAddWorksLikeANewList) {
  List->Add(L"x");
  List->Add(L"y");
  List->Clear();
  EXPECT_EQ(List->Count(), 0);
  EXPECT_EQ(List->ItemList->Capacity, 0);
  EXPECT_EQ(List->Add(L"z"), 0);
  EXPECT_EQ(List->Get(0), L"z");
}

TEST(WideText, StrLCopyWStopsAtTheLimitAndAlwaysTerminates) {
  wchar_t dest[8];
  std::fill(std::begin(dest), std::end(dest), L'#');
  StrLCopyW(dest, L"abcde", 3);
  EXPECT_EQ(WideString(dest), L"abc");
  EXPECT_EQ(dest[4], L'#');  // nothing past the terminator

  std::fill(std::begin(dest), std::end(dest), L'#');
  StrLCopyW(dest, L"ab", 3);
  EXPECT_EQ(WideString(dest), L"ab");
  EXPECT_EQ(dest[3], L'#');  // stopped after the copied terminator

  std::fill(std::begin(dest), std::end(dest), L'#');
  StrLCopyW(dest, L"abc", 0);
  StrLCopyW(dest, L"abc", -4);
  EXPECT_EQ(dest[0], L'#');
}

TEST(WideText, StrCompWIsOrdinalOnUnsignedCodeUnits) {
  EXPECT_EQ(StrCompW(L"PocketPC", L"PocketPC"), 0);
  EXPECT_NE(StrCompW(L"PocketPC", L"pocketpc"), 0);
  EXPECT_LT(StrCompW(L"Pocket", L"PocketPC"), 0);  // the terminator sorts first
  EXPECT_GT(StrCompW(L"PocketPC", L"Pocket"), 0);
  const wchar_t high[] = {0xE000, 0};  // above 0x7FFF: still sorts after ASCII
  EXPECT_GT(StrCompW(high, L"z"), 0);
  EXPECT_EQ(StrCompW(high, L"z"), 0xE000 - L'z');
}

TEST(WideText, StrCopyWCopiesTheTerminator) {
  wchar_t dest[6] = {L'#', L'#', L'#', L'#', L'#', L'#'};
  StrCopyW(dest, L"abc");
  EXPECT_EQ(WideString(dest), L"abc");
  EXPECT_EQ(dest[4], L'#');
  EXPECT_EQ(StrLenW(nullptr), 0);
  EXPECT_EQ(StrLenW(L"abcd"), 4);
}
