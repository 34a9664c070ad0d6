// Platform faults injected through the table: one entry fails always, or only
// on its n-th use, and counts its uses and the faults it injected. A failing
// call does nothing and answers 0 (a null handle, FALSE, no atom, no timer,
// no box shown), as the platform does when it cannot make what was asked for.
//
//   for (const TFaultPoint& point : CreatingCalls()) {
//     std::unique_ptr<TInjectedFault> fault = point.Make(3);   // the 3rd use fails
//     RunScenario();
//     Figure(std::string("faults.") + point.Name, fault->Injected());
//   }
#pragma once

#include <memory>
#include <vector>

#include "platform/Platform.h"
#include "tests/support/ApiLayer.h"

const int FailNever = 0;
const int FailAlways = -1;

class TInjectedFault {
 public:
  virtual ~TInjectedFault() = default;
  virtual int Uses() const = 0;
  virtual int Injected() const = 0;
};

// One entry that fails as told; a failed call is not forwarded and answers 0.
class TFaultLayer : public TApiLayer<TFaultLayer>, public TInjectedFault {
 public:
  explicit TFaultLayer(int failOn) : FailOn(failOn) {}
  int Uses() const override { return UseCount; }
  int Injected() const override { return InjectedCount; }

  void Before(TApiCall& call) {
    ++UseCount;
    if (FailOn == FailAlways || UseCount == FailOn) {
      ++InjectedCount;
      call.Answered = true;
      call.Result = 0;
    }
  }
  void After(TApiCall&) {}

 private:
  int FailOn;
  int UseCount = 0;
  int InjectedCount = 0;
};

// The fault of one entry for the life of a scope.
template <auto Slot>
class TFault : public TFaultLayer {
 public:
  explicit TFault(int failOn) : TFaultLayer(failOn) { Wrap<Slot>("fault"); }
};

struct TFaultPoint {
  const char* Name;
  std::unique_ptr<TInjectedFault> (*Make)(int failOn);
};

template <auto Slot>
std::unique_ptr<TInjectedFault> MakeFault(int failOn) {
  return std::make_unique<TFault<Slot>>(failOn);
}

#define FAULT_POINT(entry) \
  TFaultPoint { #entry, &MakeFault<&TPlatformApi::entry> }

// Every call of the table that creates or acquires something, and the box.
inline std::vector<TFaultPoint> CreatingCalls() {
  return {FAULT_POINT(RegisterClassW),      FAULT_POINT(CreateWindowExW),
          FAULT_POINT(SetPropW),            FAULT_POINT(GetDC),
          FAULT_POINT(BeginPaint),          FAULT_POINT(CreateCompatibleDC),
          FAULT_POINT(CreateCompatibleBitmap), FAULT_POINT(CreateSolidBrush),
          FAULT_POINT(CreateFontIndirectW), FAULT_POINT(CreatePenIndirect),
          FAULT_POINT(CreateRectRgn),       FAULT_POINT(SetTimer),
          FAULT_POINT(SHCreateMenuBar),     FAULT_POINT(MessageBoxW)};
}
