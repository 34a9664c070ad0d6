#include "core/WStrList.h"

#include <cstdint>
#include <cstdlib>
#include <new>

#include "core/PtrList.h"

TWStrList* TWStrList::Create() { return NewObject<TWStrList>(); }

void TWStrList::Init() { ItemList = TPtrList::Create(); }

int TWStrList::Count() const { return ItemList->Count; }

int TWStrList::Add(const WideString& text) { return Add(text.c_str()); }

int TWStrList::Add(const wchar_t* text) {
  int index = Count();
  Insert(index, text);
  return index;
}

void TWStrList::Insert(int index, const wchar_t* text) {
  if (index < 0) return;  // a negative index changes nothing
  while (ItemList->Count < index) ItemList->Add(nullptr);
  const wchar_t* source = text != nullptr ? text : L"";
  size_t length = static_cast<size_t>(StrLenW(source));
  wchar_t* buffer = static_cast<wchar_t*>(malloc(sizeof(wchar_t) * (length + 1)));
  if (buffer == nullptr) throw std::bad_alloc();
  StrCopyW(buffer, source);
  try {
    ItemList->Insert(index, buffer);
  } catch (...) {
    free(buffer);
    throw;
  }
}

WideString TWStrList::Get(int index) const {
  const wchar_t* item = static_cast<const wchar_t*>(ItemList->Get(index));
  return item != nullptr ? WideString(item) : WideString();
}

void TWStrList::Clear() {
  for (int i = 0; i < ItemList->Count; ++i) free(ItemList->Items[i]);
  ItemList->Clear();
}

void TWStrList::Destroy(bool dispose) {
  Clear();
  FreeAndNil(ItemList);
  TBaseObject::Destroy(false);
  if (dispose) FreeInstance();
}

void StrCopyW(wchar_t* dest, const wchar_t* src) {
  while ((*dest++ = *src++) != 0) {
  }
}

void StrLCopyW(wchar_t* dest, const wchar_t* src, int maxChars) {
  if (maxChars <= 0) return;
  int i = 0;
  for (; i < maxChars; ++i) {
    dest[i] = src[i];
    if (src[i] == 0) return;
  }
  dest[i] = 0;
}

int StrCompW(const wchar_t* a, const wchar_t* b) {
  while (*a != 0 && *a == *b) {
    ++a;
    ++b;
  }
  return static_cast<int>(static_cast<uint16_t>(*a)) - static_cast<int>(static_cast<uint16_t>(*b));
}

int StrLenW(const wchar_t* text) {
  if (text == nullptr) return 0;
  const wchar_t* p = text;
  while (*p != 0) ++p;
  return static_cast<int>(p - text);
}
