// TPtrList: a growable array of pointer-sized entries. Entries are untyped;
// the list never frees what they point to. Other code may read Items and
// Count directly when it walks a list.
//
//   TPtrList* list = TPtrList::Create();   // grows in steps of 4
//   list->Add(item);
//   for (int i = 0; i < list->Count; ++i) Use(list->Items[i]);
//   Free(list);
#pragma once

#include "core/BaseObject.h"

struct TPtrList : TBaseObject {
  void** Items;   // Capacity entries, null while Capacity is 0
  int Count;
  int Capacity;
  int Delta;      // growth step; 0 or less grows in proportion to Count

  static TPtrList* Create();

  void Add(void* item);
  void Insert(int index, void* item);
  void DeleteRange(int index, int n);
  void Delete(int index) { DeleteRange(index, 1); }
  void Remove(void* item);
  int IndexOf(void* item) const;
  void* Get(int index) const;
  // Throws std::bad_alloc, entries unchanged, when the block cannot be had
  // (also for counts whose byte size exceeds 2 GiB).
  void SetCapacity(int n);
  void Clear();

  void Destroy(bool dispose) override;
};
