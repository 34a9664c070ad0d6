// Layers over the platform table, the one mechanism behind the test kit's
// recorder, fault injection, call profile and handle accounting. A layer
// wraps entries of the table: each call of a wrapped entry passes through the
// layer's Before (which may answer the call itself) and After, and is
// forwarded to what the entry held before. Put back, newest first, when the
// layer goes.
//
//   class TCounter : public TApiLayer<TCounter> {
//    public:
//     void Before(TApiCall& call) { ++Calls; }
//     void After(TApiCall&) {}
//     int Calls = 0;
//   };
//   TCounter counter;  counter.Wrap<&TPlatformApi::GetDC>("GetDC");  // or WrapAll()
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <type_traits>
#include <vector>

#include "platform/Platform.h"

// An argument or result as a number: pointers and handles by value, integers
// as they are; anything else (structures passed by value) as 0.
template <typename T>
uint64_t RecordedValue(T value) {
  if constexpr (std::is_pointer_v<T>)
    return static_cast<uint64_t>(reinterpret_cast<uintptr_t>(value));
  else if constexpr (std::is_integral_v<T> || std::is_enum_v<T>)
    return static_cast<uint64_t>(value);
  else
    return 0;
}

// A handle or pointer argument back from its number.
template <typename T>
T CallHandle(uint64_t value) {
  return reinterpret_cast<T>(static_cast<uintptr_t>(value));
}

// One call of a wrapped entry as a layer sees it.
struct TApiCall {
  static const size_t MaxArgs = 12;  // CreateWindowExW has the most
  const char* Name;                  // the entry, as the list names it
  size_t Tag;                        // what the layer gave Wrap for this entry
  uint64_t Args[MaxArgs];
  size_t ArgCount;
  uint64_t Result;  // After: what the call answered
  bool Answered;    // set by Before: the call is not forwarded and answers Result
  uint64_t Cookie;  // the layer's own, from Before to After of the same call
  uint64_t Arg(size_t i) const { return i < ArgCount ? Args[i] : 0; }
};

template <typename Layer, auto Slot>
struct TLayerThunk;

template <typename Layer, typename R, typename... A, R(WINAPI* TPlatformApi::*Slot)(A...)>
struct TLayerThunk<Layer, Slot> {
  static_assert(sizeof...(A) <= TApiCall::MaxArgs, "an entry with more arguments than TApiCall holds");
  static inline Layer* Active = nullptr;
  static inline R(WINAPI* Forward)(A...) = nullptr;
  static inline const char* Name = nullptr;
  static inline size_t Tag = 0;

  static R WINAPI Call(A... args) {
    Layer* layer = Active;
    if (layer == nullptr) return Forward(args...);
    TApiCall call = {Name, Tag, {RecordedValue(args)...}, sizeof...(A), 0, false, 0};
    layer->Before(call);
    if constexpr (std::is_void_v<R>) {
      if (!call.Answered) Forward(args...);
      layer->After(call);
    } else {
      R result = call.Answered ? AnswerOf(call.Result) : Forward(args...);
      call.Result = RecordedValue(result);
      layer->After(call);
      return result;
    }
  }

  static R AnswerOf(uint64_t value) {
    if constexpr (std::is_pointer_v<R>)
      return CallHandle<R>(value);
    else
      return static_cast<R>(value);
  }
};

// Base of every layer: Derived supplies Before(TApiCall&) and After(TApiCall&).
// One layer of a kind per entry at a time: wrapping an entry again takes it
// over (to wrap a patch set since), wrapping it while it is the outermost
// layer aborts, as the layer would forward to itself.
template <typename Derived>
class TApiLayer {
 public:
  TApiLayer() = default;
  ~TApiLayer() { Unwrap(); }
  TApiLayer(const TApiLayer&) = delete;
  TApiLayer& operator=(const TApiLayer&) = delete;

  template <auto Slot>
  void Wrap(const char* name, size_t tag = 0) {
    typedef TLayerThunk<Derived, Slot> Thunk;
    auto saved = Api.*Slot;
    if (saved == &Thunk::Call) {  // the thunk would forward to itself
      std::fprintf(stderr, "%s is already wrapped by a layer of this kind\n", name);
      std::abort();
    }
    Thunk::Forward = saved;
    Thunk::Name = name;
    Thunk::Tag = tag;
    Thunk::Active = static_cast<Derived*>(this);
    Api.*Slot = &Thunk::Call;
    Restorers.push_back([saved]() {
      Api.*Slot = saved;
      Thunk::Active = nullptr;
    });
  }

  // Every entry of the table, tagged with its place in the list.
  void WrapAll() {
    size_t tag = 0;
#define PLATFORM_FUNCTION(name, ret, params, desktop, device, ordinal, module, since) \
  Wrap<&TPlatformApi::name>(#name, tag++);
#include "platform/PlatformFunctions.inc"
#undef PLATFORM_FUNCTION
  }

  // Puts the wrapped entries back, newest first.
  void Unwrap() {
    for (auto it = Restorers.rbegin(); it != Restorers.rend(); ++it) (*it)();
    Restorers.clear();
  }

 private:
  std::vector<std::function<void()>> Restorers;
};

// The number of entries in the table's list.
constexpr size_t PlatformEntryCount() {
  size_t count = 0;
#define PLATFORM_FUNCTION(name, ret, params, desktop, device, ordinal, module, since) ++count;
#include "platform/PlatformFunctions.inc"
#undef PLATFORM_FUNCTION
  return count;
}
