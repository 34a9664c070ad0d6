#include <gtest/gtest.h>

#include <new>
#include <vector>

#include "core/PtrList.h"

namespace {

void* P(intptr_t n) { return reinterpret_cast<void*>(n); }

std::vector<void*> Entries(const TPtrList* list) {
  return std::vector<void*>(list->Items, list->Items + list->Count);
}

class PtrList : public ::testing::Test {
 protected:
  void TearDown() override { Free(List); }
  TPtrList* List = TPtrList::Create();
};

}  // namespace

TEST_F(PtrList, NewListIsEmptyWithoutArray) {
  EXPECT_EQ(List->Count, 0);
  EXPECT_EQ(List->Capacity, 0);
  EXPECT_EQ(List->Items, nullptr);
  EXPECT_EQ(List->Delta, 4);
  EXPECT_EQ(List->Get(0), nullptr);
  EXPECT_EQ(List->IndexOf(P(1)), -1);
}

TEST_F(PtrList, GrowsInStepsOfFour) {
  std::vector<int> capacities;
  for (int i = 1; i <= 13; ++i) {
    List->Add(P(i));
    capacities.push_back(List->Capacity);
  }
  EXPECT_EQ(capacities, (std::vector<int>{4, 4, 4, 4, 8, 8, 8, 8, 12, 12, 12, 12, 16}));
  for (int i = 0; i < 13; ++i) EXPECT_EQ(List->Items[i], P(i + 1));
}

TEST_F(PtrList, ProportionalGrowthWhenDeltaIsNotPositive) {
  List->Delta = 0;
  std::vector<int> capacities;
  for (int i = 0; i < 18; ++i) {
    List->Add(P(i));
    if (capacities.empty() || capacities.back() != List->Capacity) capacities.push_back(List->Capacity);
  }
  EXPECT_EQ(capacities, (std::vector<int>{1, 2, 3, 4, 6, 8, 11, 14, 18}));
}

TEST_F(PtrList, ProportionalGrowthAddsAtMostAThousand) {
  List->Delta = -1;
  List->SetCapacity(8000);
  while (List->Count < 8000) List->Add(P(1));
  List->Add(P(2));
  EXPECT_EQ(List->Capacity, 9000);
}

TEST_F(PtrList, InsertShiftsLaterEntriesUp) {
  List->Add(P(1));
  List->Add(P(2));
  List->Insert(0, P(9));
  EXPECT_EQ(Entries(List), (std::vector<void*>{P(9), P(1), P(2)}));
  List->Insert(3, P(7));  // at Count: appends
  List->Insert(2, P(5));
  EXPECT_EQ(Entries(List), (std::vector<void*>{P(9), P(1), P(5), P(2), P(7)}));
}

TEST_F(PtrList, InsertOutsideTheRangeChangesNothing) {
  List->Add(P(1));
  List->Insert(5, P(2));
  List->Insert(-1, P(3));
  EXPECT_EQ(Entries(List), (std::vector<void*>{P(1)}));
}

TEST_F(PtrList, DeleteRangeClipsAtTheEndAndIgnoresEmptyRuns) {
  for (int i = 1; i <= 3; ++i) List->Add(P(i));
  List->DeleteRange(3, 1);  // starts at Count
  List->DeleteRange(0, 0);
  List->DeleteRange(1, -2);
  List->DeleteRange(-1, 1);  // a negative start changes nothing
  EXPECT_EQ(Entries(List), (std::vector<void*>{P(1), P(2), P(3)}));
  List->DeleteRange(1, 10);
  EXPECT_EQ(Entries(List), (std::vector<void*>{P(1)}));
}

TEST_F(PtrList, DeleteRangeInTheMiddleMovesTheRestDown) {
  for (int i = 1; i <= 6; ++i) List->Add(P(i));
  List->DeleteRange(1, 3);
  EXPECT_EQ(Entries(List), (std::vector<void*>{P(1), P(5), P(6)}));
}

TEST_F(PtrList, CapacityStaysAfterDeletesUntilClear) {
  for (int i = 1; i <= 5; ++i) List->Add(P(i));
  List->DeleteRange(0, 5);
  EXPECT_EQ(List->Count, 0);
  EXPECT_EQ(List->Capacity, 8);
  List->Clear();
  EXPECT_EQ(List->Capacity, 0);
  EXPECT_EQ(List->Items, nullptr);
}

TEST_F(PtrList, DuplicatesAndNullEntries) {
  List->Add(P(4));
  List->Add(nullptr);
  List->Add(P(4));
  EXPECT_EQ(List->IndexOf(P(4)), 0);
  EXPECT_EQ(List->IndexOf(nullptr), 1);
  List->Remove(P(4));  // only the first
  EXPECT_EQ(Entries(List), (std::vector<void*>{nullptr, P(4)}));
  List->Remove(P(99));
  EXPECT_EQ(List->Count, 2);
}

TEST_F(PtrList, GetOutsideTheRangeIsNull) {
  List->Add(P(3));
  EXPECT_EQ(List->Get(0), P(3));
  EXPECT_EQ(List->Get(1), nullptr);
  EXPECT_EQ(List->Get(-1), nullptr);
}

TEST_F(PtrList, SetCapacityNeverDropsEntriesInUse) {
  for (int i = 1; i <= 6; ++i) List->Add(P(i));
  List->SetCapacity(2);
  EXPECT_EQ(List->Capacity, 6);
  List->SetCapacity(20);
  EXPECT_EQ(List->Capacity, 20);
  EXPECT_EQ(Entries(List), (std::vector<void*>{P(1), P(2), P(3), P(4), P(5), P(6)}));
}

// 2^30 entries are 4 GiB on the 32-bit device, where the byte size wraps to 0.
TEST_F(PtrList, SetCapacityRefusesBlocksBeyondTheAddressSpace) {
  for (int i = 1; i <= 3; ++i) List->Add(P(i));
  void** items = List->Items;
  for (int n : {1 << 30, 0x7FFFFFFF}) {
    EXPECT_THROW(List->SetCapacity(n), std::bad_alloc) << n;
    EXPECT_EQ(List->Items, items);
    EXPECT_EQ(List->Capacity, 4);
    EXPECT_EQ(Entries(List), (std::vector<void*>{P(1), P(2), P(3)}));
  }
}
