// TGdiLedger: logs the GDI objects and memory DCs made through the platform
// table and their deletions, and tells whether each was deleted exactly once
// and never while selected into a live memory DC made through the table.
// One ledger at a time; Rec may record more entries.
//
//   TGdiLedger ledger;
//   ... create tools, canvases, bitmaps; free them ...
//   EXPECT_EQ(ledger.Faults(), std::vector<std::string>{});
#pragma once

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "support/ApiPatch.h"

class TGdiLedger {
  // Declared first, so it is put back only after the recorder put back its entries.
  TScopedPatch<BOOL(WINAPI*)(HGDIOBJ)> Check;

 public:
  TGdiLedger() : Check(Api.DeleteObject, CheckedDeleteObject) {
    Active = this;
    Selected.clear();
    RECORD(Rec, CreateSolidBrush);
    RECORD(Rec, CreateFontIndirectW);
    RECORD(Rec, CreatePenIndirect);
    RECORD(Rec, CreateCompatibleBitmap);
    RECORD(Rec, CreateCompatibleDC);
    RECORD(Rec, DeleteObject);
    RECORD(Rec, DeleteDC);
  }
  ~TGdiLedger() { Active = nullptr; }

  size_t Created() const {
    size_t n = 0;
    for (const auto& call : Rec.Calls) n += IsCreation(call) && call.Result != 0;
    return n;
  }

  // Read in call order, so a handle value reused after a deletion is a new object.
  std::vector<std::string> Faults() const {
    std::map<uint64_t, std::string> alive;
    std::vector<std::string> faults = Selected;
    for (const auto& call : Rec.Calls) {
      if (IsCreation(call) && call.Result != 0) alive[call.Result] = call.Name;
      if (IsDeletion(call) && alive.erase(call.Arg(0)) == 0)
        faults.push_back(call.Name + " of a handle not alive: " + std::to_string(call.Arg(0)));
    }
    for (const auto& [handle, name] : alive)
      faults.push_back(name + " result never deleted: " + std::to_string(handle));
    return faults;
  }

  TApiRecorder Rec;

 private:
  static bool IsCreation(const TRecordedCall& call) { return call.Name.rfind("Create", 0) == 0; }
  static bool IsDeletion(const TRecordedCall& call) {
    return call.Name == "DeleteObject" || call.Name == "DeleteDC";
  }

  std::vector<HDC> LiveDCs() const {
    std::vector<HDC> dcs;
    for (const auto& call : Rec.Calls) {
      if (call.Name == "CreateCompatibleDC" && call.Result != 0)
        dcs.push_back(reinterpret_cast<HDC>(static_cast<uintptr_t>(call.Result)));
      if (call.Name == "DeleteDC")
        dcs.erase(std::remove(dcs.begin(), dcs.end(),
                              reinterpret_cast<HDC>(static_cast<uintptr_t>(call.Arg(0)))),
                  dcs.end());
    }
    return dcs;
  }

  static BOOL WINAPI CheckedDeleteObject(HGDIOBJ object) {
    if (Active != nullptr)
      for (HDC dc : Active->LiveDCs())
        for (UINT type : {OBJ_PEN, OBJ_BRUSH, OBJ_FONT, OBJ_BITMAP})
          if (GetCurrentObject(dc, type) == object)
            Selected.push_back("DeleteObject while selected: " +
                               std::to_string(reinterpret_cast<uintptr_t>(object)));
    return DefaultApi.DeleteObject(object);
  }

  static inline TGdiLedger* Active = nullptr;
  static inline std::vector<std::string> Selected;
};
