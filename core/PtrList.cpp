#include "core/PtrList.h"
#include "core/PlatformInfo.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {

// The largest block a list asks for, on every target: a handheld's process
// has far less address space, and on a 32-bit device the byte size of a
// larger count would wrap around to a small block.
const size_t MaxBlockBytes = 0x7FFFFFFF;

}  // namespace

TPtrList* TPtrList::Create() {
  TPtrList* list = NewObject<TPtrList>();
  list->Delta = 4;
  return list;
}

void TPtrList::Add(void* item) {
  if (Capacity <= Count) {
    if (Delta > 0)
      SetCapacity(Count + Delta);
    else
      SetCapacity(Count + Min(1000, Count / 4 + 1));
  }
  Items[Count] = item;
  ++Count;
}

void TPtrList::Insert(int index, void* item) {
  // Indexes outside 0..Count change nothing.
  if (index < 0 || index > Count) return;
  Add(nullptr);
  if (index < Count)
    memmove(&Items[index + 1], &Items[index], sizeof(void*) * static_cast<size_t>(Count - index - 1));
  Items[index] = item;
}

void TPtrList::DeleteRange(int index, int n) {
  if (n <= 0 || Count <= index || index < 0) return;  // a negative index changes nothing
  if (n > Count - index) n = Count - index;
  memmove(&Items[index], &Items[index + n], sizeof(void*) * static_cast<size_t>(Count - index - n));
  Count -= n;
}

void TPtrList::Remove(void* item) {
  int index = IndexOf(item);
  if (index >= 0) Delete(index);
}

int TPtrList::IndexOf(void* item) const {
  for (int i = 0; i < Count; ++i)
    if (Items[i] == item) return i;
  return -1;
}

void* TPtrList::Get(int index) const {
  if (index < 0 || index >= Count) return nullptr;
  return Items[index];
}

void TPtrList::SetCapacity(int n) {
  if (n < Count) n = Count;
  if (n == Capacity) return;
  if (n == 0) {
    free(Items);
    Items = nullptr;
  } else {
    if (static_cast<size_t>(n) > MaxBlockBytes / sizeof(void*)) throw std::bad_alloc();
    void* grown = realloc(Items, sizeof(void*) * static_cast<size_t>(n));
    if (grown == nullptr) throw std::bad_alloc();  // the entries stay as they were
    Items = static_cast<void**>(grown);
  }
  Capacity = n;
}

void TPtrList::Clear() {
  free(Items);
  Items = nullptr;
  Count = 0;
  Capacity = 0;
}

void TPtrList::Destroy(bool dispose) {
  Clear();
  TBaseObject::Destroy(false);
  if (dispose) FreeInstance();
}
