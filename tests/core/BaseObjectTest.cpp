#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/BaseObject.h"
#include "core/PtrList.h"

namespace {

// Records its own destruction into a shared log; may remove others from an owner.
struct TProbe : TBaseObject {
  std::vector<std::string>* Log;
  std::string Name;
  TBaseObject* Owner;
  std::vector<TBaseObject*> RemoveOnDestroy;
  int InitRuns;

  void Init() override { ++InitRuns; }
  void Destroy(bool dispose) override {
    Log->push_back(Name);
    for (TBaseObject* other : RemoveOnDestroy) {
      Owner->RemoveOwned(other);
      Free(other);
    }
    TBaseObject::Destroy(false);
    if (dispose) FreeInstance();
  }
};

TProbe* NewProbe(std::vector<std::string>* log, const std::string& name) {
  TProbe* probe = NewObject<TProbe>();
  probe->Log = log;
  probe->Name = name;
  return probe;
}

void RecordDestroyNotification(void* data, TBaseObject* sender) {
  auto* log = static_cast<std::vector<std::string>*>(data);
  log->push_back(sender->OwnedList != nullptr ? "notified-before-release" : "notified-late");
}

}  // namespace

TEST(BaseObject, NewObjectZeroFillsThenRunsInit) {
  std::vector<std::string> log;
  TProbe* probe = NewProbe(&log, "a");
  EXPECT_EQ(probe->RefCount, 0);
  EXPECT_EQ(probe->OwnedList, nullptr);
  EXPECT_FALSE(probe->OnDestroy.Assigned());
  EXPECT_EQ(probe->InitRuns, 1);  // zero before Init, one after
  Free(probe);
  EXPECT_EQ(log, std::vector<std::string>{"a"});
}

TEST(BaseObject, RefCountMovesInStepsOfTwoAndDestroysBelowZero) {
  std::vector<std::string> log;
  TProbe* probe = NewProbe(&log, "shared");
  AddRef(probe);
  EXPECT_EQ(probe->RefCount, 2);
  Free(probe);
  EXPECT_EQ(probe->RefCount, 0);
  EXPECT_TRUE(log.empty()) << "the first Free after an AddRef must leave the object alive";
  Free(probe);
  EXPECT_EQ(log, std::vector<std::string>{"shared"});
}

TEST(BaseObject, FreeAndNilClearsTheVariableFirstAndAcceptsNull) {
  std::vector<std::string> log;
  TBaseObject* held = nullptr;
  FreeAndNil(held);  // nothing to release
  Free(nullptr);
  TProbe* probe = NewProbe(&log, "x");
  FreeAndNil(probe);
  EXPECT_EQ(probe, nullptr);
  EXPECT_EQ(log.size(), 1u);
}

TEST(BaseObject, OwnedObjectsAreReleasedInRegistrationOrder) {
  std::vector<std::string> log;
  TProbe* owner = NewProbe(&log, "owner");
  owner->AddOwned(NewProbe(&log, "first"));
  owner->AddOwned(NewProbe(&log, "second"));
  owner->AddOwned(NewProbe(&log, "third"));
  ASSERT_NE(owner->OwnedList, nullptr);
  EXPECT_EQ(owner->OwnedList->Count, 6);
  Free(owner);
  EXPECT_EQ(log, (std::vector<std::string>{"owner", "first", "second", "third"}));
}

TEST(BaseObject, RemoveOwnedStopsOwningAndReleasesAnEmptyList) {
  std::vector<std::string> log;
  TProbe* owner = NewProbe(&log, "owner");
  TProbe* kept = NewProbe(&log, "kept");
  TProbe* stranger = NewProbe(&log, "stranger");
  owner->AddOwned(kept);
  owner->RemoveOwned(stranger);  // never registered: nothing changes
  EXPECT_EQ(owner->OwnedList->Count, 2);
  owner->RemoveOwned(kept);
  EXPECT_EQ(owner->OwnedList, nullptr);
  owner->AddOwned(stranger);  // a later AddOwned makes a new list
  ASSERT_NE(owner->OwnedList, nullptr);
  Free(owner);
  EXPECT_EQ(log, (std::vector<std::string>{"owner", "stranger"}));
  Free(kept);
}

TEST(BaseObject, RemoveOwnedFindsThePairOfAnObjectInTheMiddle) {
  std::vector<std::string> log;
  TProbe* owner = NewProbe(&log, "owner");
  TProbe* a = NewProbe(&log, "a");
  TProbe* b = NewProbe(&log, "b");
  TProbe* c = NewProbe(&log, "c");
  owner->AddOwned(a);
  owner->AddOwned(b);
  owner->AddOwned(c);
  owner->RemoveOwned(b);
  Free(owner);
  EXPECT_EQ(log, (std::vector<std::string>{"owner", "a", "c"}));
  Free(b);
}

TEST(BaseObject, ReleaseLoopSurvivesAnObjectRemovingOthersEvenTheLast) {
  std::vector<std::string> log;
  TProbe* owner = NewProbe(&log, "owner");
  TProbe* first = NewProbe(&log, "first");
  TProbe* middle = NewProbe(&log, "middle");
  TProbe* last = NewProbe(&log, "last");
  owner->AddOwned(first);
  owner->AddOwned(middle);
  owner->AddOwned(last);
  // Releasing the first removes and frees both others: the list empties and goes away.
  first->Owner = owner;
  first->RemoveOnDestroy = {middle, last};
  Free(owner);
  EXPECT_EQ(log, (std::vector<std::string>{"owner", "first", "middle", "last"}));
}

TEST(BaseObject, DestroyNotificationFiresOnceBeforeOwnedObjectsGo) {
  std::vector<std::string> log;
  TProbe* owner = NewProbe(&log, "owner");
  owner->AddOwned(NewProbe(&log, "child"));
  owner->OnDestroy.Code = RecordDestroyNotification;
  owner->OnDestroy.Data = &log;
  owner->ReleaseOwned();
  EXPECT_EQ(log, (std::vector<std::string>{"notified-before-release", "child"}));
  EXPECT_FALSE(owner->OnDestroy.Assigned());
  EXPECT_EQ(owner->OwnedList, nullptr);
  owner->ReleaseOwned();  // a second call fires nothing and releases nothing
  EXPECT_EQ(log.size(), 2u);
  Free(owner);
}
