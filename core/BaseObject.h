// TBaseObject: the base of every framework object. Reference counting in
// steps of 2 (Free destroys when the count drops below zero), a destroy
// notification, and owned objects released oldest first.
//
//   TPtrList* list = TPtrList::Create();
//   owner->AddOwned(list);          // freed with the owner
//   AddRef(list); ... Free(list);   // keeps it alive across work that may free it
#pragma once

#include <cstddef>

struct TBaseObject;
struct TPtrList;

// An event handler: code plus the receiving object, called with the receiver
// first. Empty while the code is null.
template <typename Fn>
struct TEventPair {
  Fn Code = nullptr;
  void* Data = nullptr;
  bool Assigned() const { return Code != nullptr; }
  void Clear() {
    Code = nullptr;
    Data = nullptr;
  }
};

typedef void (*TObjectNotifyProc)(void* data, TBaseObject* sender);
typedef TEventPair<TObjectNotifyProc> TObjectNotifyEvent;

// Root of the type tree: the only virtual operation is Init. Objects are
// made through NewObject, which zero-fills the instance before Init runs.
struct TRootObject {
  virtual void Init() {}

 protected:
  // Storage is returned through Destroy; the destructor is never called
  // directly by users.
  virtual ~TRootObject() = default;
};

struct TBaseObject : TRootObject {
  int RefCount;              // 0 after creation; negative while being destroyed
  TObjectNotifyEvent OnDestroy;
  TPtrList* OwnedList;       // pairs (release procedure, object), newest first; null when empty

  // Releases what the object holds; with dispose it also frees the storage.
  // An override releases its own resources, calls its parent's Destroy(false)
  // and frees the storage last when dispose is set.
  virtual void Destroy(bool dispose);

  void AddOwned(TBaseObject* obj);
  void RemoveOwned(TBaseObject* obj);
  void ReleaseOwned();

 protected:
  // Returns the storage to the heap; the last step of a disposing Destroy.
  void FreeInstance() { delete this; }
};

// Allocates a zero-filled T, then runs its virtual Init.
template <typename T>
T* NewObject() {
  T* obj = new T();  // value-initialised: every field zero before Init
  obj->Init();
  return obj;
}

// Null-safe release: subtracts 2 and destroys the object when the count turns negative.
void Free(TBaseObject* obj);
// Keeps obj alive across one extra Free. obj must not be null.
void AddRef(TBaseObject* obj);

// Clears the variable first, then releases what it held.
template <typename T>
void FreeAndNil(T*& ref) {
  T* old = ref;
  ref = nullptr;
  Free(old);
}

// The release procedure stored beside each owned object.
typedef void (*TReleaseProc)(TBaseObject* obj);
