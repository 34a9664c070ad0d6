#include "core/BaseObject.h"

#include "core/PtrList.h"

namespace {

void FreeProc(TBaseObject* obj) { Free(obj); }

}  // namespace

void TBaseObject::Destroy(bool dispose) {
  ReleaseOwned();
  if (dispose) FreeInstance();
}

void TBaseObject::AddOwned(TBaseObject* obj) {
  if (OwnedList == nullptr) OwnedList = TPtrList::Create();
  // The newest pair stands at the front: object first, then its procedure before it.
  OwnedList->Insert(0, obj);
  OwnedList->Insert(0, reinterpret_cast<void*>(&FreeProc));
}

void TBaseObject::RemoveOwned(TBaseObject* obj) {
  if (OwnedList == nullptr) return;
  int index = OwnedList->IndexOf(obj);
  if (index < 0) return;
  OwnedList->DeleteRange(index & ~1, 2);  // the pair starts at the even index
  if (OwnedList->Count == 0) FreeAndNil(OwnedList);
}

void TBaseObject::ReleaseOwned() {
  if (OnDestroy.Assigned()) {
    TObjectNotifyEvent handler = OnDestroy;
    OnDestroy.Clear();
    handler.Code(handler.Data, this);
  }
  // Pairs are taken from the end, so the first registered goes first. The list
  // is read afresh on every pass: a released object may remove others, even
  // the last one, which frees the list.
  while (OwnedList != nullptr && OwnedList->Count > 0) {
    int i = OwnedList->Count - 2;
    TReleaseProc release = reinterpret_cast<TReleaseProc>(OwnedList->Items[i]);
    TBaseObject* obj = static_cast<TBaseObject*>(OwnedList->Items[i + 1]);
    OwnedList->DeleteRange(i, 2);  // before the call, so the object finds nothing to remove
    release(obj);
  }
  FreeAndNil(OwnedList);
}

void Free(TBaseObject* obj) {
  if (obj == nullptr) return;
  obj->RefCount -= 2;
  if (obj->RefCount < 0) obj->Destroy(true);
}

void AddRef(TBaseObject* obj) { obj->RefCount += 2; }
