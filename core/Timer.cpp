#include "core/Timer.h"

#include "controls/Control.h"
#include "core/PtrList.h"
#include "platform/Platform.h"

int TimerCount = 0;
TControl* TimerWindow = nullptr;

namespace {

// Every timer constructed and not yet destroyed. The platform keeps ticks that
// were queued before KillTimer, so an identifier is trusted only while its
// timer is listed here. Made with the first timer, freed with the last.
TPtrList* LiveTimers = nullptr;

TTimer* FindLiveTimer(UINT_PTR id) {
  if (LiveTimers == nullptr) return nullptr;
  void* address = reinterpret_cast<void*>(id);
  return LiveTimers->IndexOf(address) >= 0 ? static_cast<TTimer*>(address) : nullptr;
}

// The hidden window can go without us: another program or the shell may
// close it, since it is a top-level window. Its timers went with it; they are
// marked stopped, so that the next SetEnabled(true) starts them on a new window.
void TimerWindowDestroyed(void*, TBaseObject* sender) {
  if (sender != TimerWindow) return;
  TimerWindow = nullptr;
  for (int i = 0; LiveTimers != nullptr && i < LiveTimers->Count; ++i) {
    TTimer* timer = static_cast<TTimer*>(LiveTimers->Items[i]);
    timer->TimerId = 0;
    timer->Enabled = false;
  }
}

}  // namespace

TTimer* NewTimer(int interval) {
  TTimer* timer = NewObject<TTimer>();
  timer->Interval = interval > 0 ? interval : 1000;
  if (LiveTimers == nullptr) LiveTimers = TPtrList::Create();
  LiveTimers->Add(timer);
  ++TimerCount;
  return timer;
}

void TTimer::SetEnabled(bool value) {
  bool old = Enabled;
  Enabled = value;
  if (old == value) return;
  if (value) {
    if (TimerWindow == nullptr) {
      TimerWindow = NewControl(nullptr, L"TWND");
      TimerWindow->Style = 0;       // never shown
      TimerWindow->IsChild = true;  // no soft-key bar, no default position
      TimerWindow->OnDestroy = {TimerWindowDestroyed, nullptr};
    }
    HWND window = TimerWindow->GetHandle();
    // Without its window SetTimer would make a thread timer under an
    // identifier of its own choosing; treat that like a failed SetTimer.
    if (window == nullptr) return;
    // The identifier is this object's address, so TimerProc finds the timer from it alone.
    TimerId = Api.SetTimer(window, reinterpret_cast<UINT_PTR>(this), static_cast<UINT>(Interval),
                           TimerProc);
  } else if (TimerId != 0) {
    Api.KillTimer(TimerWindow->Handle, TimerId);
    TimerId = 0;
  }
}

void TTimer::SetInterval(int value) {
  if (Interval == value) return;
  Interval = value;
  bool was = Enabled;
  SetEnabled(false);
  SetEnabled(was);
}

void CALLBACK TimerProc(HWND, UINT, UINT_PTR id, DWORD) {
  // A tick queued before its timer was destroyed names freed memory: ignore it.
  TTimer* timer = FindLiveTimer(id);
  if (timer == nullptr || !timer->OnTimer.Assigned()) return;
  // The tick came from the queue; what its handler does, it does itself.
  const bool delivered = PlatformDelivering;
  PlatformDelivering = false;
  timer->OnTimer.Code(timer->OnTimer.Data, timer);
  PlatformDelivering = delivered;
}

void TTimer::Destroy(bool dispose) {
  // Unlisted first: from here on no tick, queued or nested, reaches this object.
  if (LiveTimers != nullptr) LiveTimers->Remove(this);
  SetEnabled(false);
  TBaseObject::Destroy(false);
  if (--TimerCount == 0) {
    // Not notified: it is ours to free, and the timers are all gone.
    if (TimerWindow != nullptr) TimerWindow->OnDestroy.Clear();
    FreeAndNil(TimerWindow);
    FreeAndNil(LiveTimers);
  }
  if (dispose) FreeInstance();
}
