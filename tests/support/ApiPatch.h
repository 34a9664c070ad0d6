// Test support for the platform table: a scoped patch that replaces one entry
// for the life of a test, a recorder that logs calls with their arguments and
// results while forwarding to what the entry held, and a scripted clock.
//
//   TScopedPatch fail(Api.CreateSolidBrush, [](COLORREF) -> HBRUSH { return nullptr; });
//   TApiRecorder rec;
//   RECORD(rec, SelectObject);
//   ... EXPECT_EQ(rec.Count("SelectObject"), 2u);
//   TScriptedClock clock(1000);  clock.Advance(150);
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <type_traits>
#include <vector>

#include "platform/Platform.h"
#include "tests/support/ApiLayer.h"

template <typename T>
struct TIdentity {
  typedef T type;
};

// Replaces one table entry and always puts the old one back.
template <typename F>
class TScopedPatch {
 public:
  TScopedPatch(F& slot, typename TIdentity<F>::type replacement) : Slot(slot), Saved(slot) {
    Slot = replacement;
  }
  ~TScopedPatch() { Slot = Saved; }
  TScopedPatch(const TScopedPatch&) = delete;
  TScopedPatch& operator=(const TScopedPatch&) = delete;
  F Original() const { return Saved; }

 private:
  F& Slot;
  F Saved;
};

struct TRecordedCall {
  std::string Name;
  std::vector<uint64_t> Args;
  uint64_t Result = 0;
  uint64_t Arg(size_t i) const { return i < Args.size() ? Args[i] : 0; }
};

// Logs each call of the entries it wraps, with its arguments and result.
class TApiRecorder : public TApiLayer<TApiRecorder> {
 public:
  // Wraps the entry: each call is logged, then forwarded to what the entry held.
  template <auto Slot>
  void Record(const char* name) {
    Wrap<Slot>(name);
  }

  void Before(TApiCall& call) {
    call.Cookie = UINT64_MAX;  // not logged
    if (Paused) return;
    call.Cookie = Calls.size();
    Calls.push_back(TRecordedCall{call.Name, {call.Args, call.Args + call.ArgCount}, 0});
  }
  void After(TApiCall& call) {
    if (call.Cookie < Calls.size()) Calls[call.Cookie].Result = call.Result;
  }

  size_t Count(const std::string& name) const {
    size_t n = 0;
    for (const auto& c : Calls) n += c.Name == name;
    return n;
  }
  std::vector<TRecordedCall> Only(const std::string& name) const {
    std::vector<TRecordedCall> out;
    for (const auto& c : Calls)
      if (c.Name == name) out.push_back(c);
    return out;
  }
  // Names of the recorded calls in order, for sequence checks.
  std::vector<std::string> Names() const {
    std::vector<std::string> out;
    for (const auto& c : Calls) out.push_back(c.Name);
    return out;
  }
  void ClearCalls() { Calls.clear(); }

  std::vector<TRecordedCall> Calls;
  bool Paused = false;
};

#define RECORD(recorder, entry) (recorder).Record<&TPlatformApi::entry>(#entry)

// GetTickCount as the test says: queued values first, then Now.
class TScriptedClock {
 public:
  explicit TScriptedClock(DWORD start = 1000) : Patch(Api.GetTickCount, &TScriptedClock::Tick) {
    Now = start;
    Queue.clear();
    Reads = 0;
  }
  void Set(DWORD value) { Now = value; }
  void Advance(DWORD ms) { Now += ms; }
  // The next reads return these values in turn.
  void Script(std::initializer_list<DWORD> values) { Queue.assign(values.begin(), values.end()); }
  static DWORD WINAPI Tick() {
    ++Reads;
    if (!Queue.empty()) {
      DWORD v = Queue.front();
      Queue.pop_front();
      return v;
    }
    return Now;
  }
  static inline DWORD Now = 0;
  static inline std::deque<DWORD> Queue;
  static inline int Reads = 0;

 private:
  TScopedPatch<DWORD(WINAPI*)()> Patch;
};
