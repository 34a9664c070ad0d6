// TWStrList: an ordered list of UTF-16 texts, each item a separately
// allocated zero-terminated copy; plus the zero-terminated UTF-16 helpers.
//
//   TWStrList* items = TWStrList::Create();
//   items->Add(L"Deneme: 0");
//   std::wstring text = items->Get(0);   // empty for an index out of range
#pragma once

#include <string>

#include "core/BaseObject.h"

struct TPtrList;

// The framework's wide text: UTF-16 code units (wchar_t is 16-bit on Windows).
typedef std::wstring WideString;

struct TWStrList : TBaseObject {
  TPtrList* ItemList;  // entry k: the buffer of item k, or null for an empty item

  static TWStrList* Create();

  int Count() const;
  int Add(const WideString& text);
  int Add(const wchar_t* text);
  void Insert(int index, const wchar_t* text);
  WideString Get(int index) const;
  void Clear();

  void Init() override;
  void Destroy(bool dispose) override;
};

// Copies src and a terminator into dest, which must have room for both.
void StrCopyW(wchar_t* dest, const wchar_t* src);
// Copies at most maxChars code units, then always terminates; nothing for maxChars <= 0.
void StrLCopyW(wchar_t* dest, const wchar_t* src, int maxChars);
// Ordinal, case-sensitive: the first differing code units (unsigned) subtracted.
int StrCompW(const wchar_t* a, const wchar_t* b);
// Length in code units up to the first zero; 0 for null.
int StrLenW(const wchar_t* text);
