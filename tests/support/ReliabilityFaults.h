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
#include <type_traits>
#include <vector>

#include "platform/Platform.h"

const int FailNever = 0;
const int FailAlways = -1;

class TInjectedFault {
 public:
  virtual ~TInjectedFault() = default;
  virtual int Uses() const = 0;
  virtual int Injected() const = 0;
};

template <auto Slot>
struct TFaultThunk;

template <typename R, typename... A, R(WINAPI* TPlatformApi::*Slot)(A...)>
struct TFaultThunk<Slot> {
  static inline R(WINAPI* Forward)(A...) = nullptr;
  static inline int FailOn = FailNever;
  static inline int Uses = 0;
  static inline int Injected = 0;
  static R WINAPI Call(A... args) {
    ++Uses;
    if (FailOn == FailAlways || Uses == FailOn) {
      ++Injected;
      return R{};
    }
    return Forward(args...);
  }
};

template <auto Slot>
class TFault : public TInjectedFault {
  typedef TFaultThunk<Slot> Thunk;

 public:
  explicit TFault(int failOn) : Saved(Api.*Slot) {
    Thunk::Forward = Saved;
    Thunk::FailOn = failOn;
    Thunk::Uses = 0;
    Thunk::Injected = 0;
    Api.*Slot = &Thunk::Call;
  }
  ~TFault() override { Api.*Slot = Saved; }
  int Uses() const override { return Thunk::Uses; }
  int Injected() const override { return Thunk::Injected; }

 private:
  std::remove_reference_t<decltype(Api.*Slot)> Saved;
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
