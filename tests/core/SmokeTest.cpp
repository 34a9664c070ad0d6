#include <gtest/gtest.h>

#include "core/PtrList.h"

TEST(PtrListSmoke, FirstAddGivesCapacityFour) {
  TPtrList* list = TPtrList::Create();
  list->Add(nullptr);
  EXPECT_EQ(list->Capacity, 4);
  Free(list);
}
