// TTimer: a periodic tick on the user-interface thread. All timers share one
// hidden "TWND" window, made at the first start and freed with the last timer.
//
//   TTimer* timer = NewTimer(10);
//   timer->OnTimer = {TimerTick, listBox};
//   timer->SetEnabled(true);
#pragma once

#include <windows.h>

#include "core/BaseObject.h"

struct TTimer;
struct TControl;

typedef void (*TTimerProc)(void* data, TTimer* sender);
typedef TEventPair<TTimerProc> TTimerEvent;

struct TTimer : TBaseObject {
  UINT_PTR TimerId;   // what SetTimer returned; 0 while not running; SetEnabled, SetInterval
  bool Enabled;       // the state the owner asked for with SetEnabled
  int Interval;       // milliseconds; SetInterval
  TTimerEvent OnTimer;

  void Destroy(bool dispose) override;
  virtual void SetEnabled(bool value);
  void SetInterval(int value);
};

// A stopped timer; a non-positive interval gives 1000.
TTimer* NewTimer(int interval);

// The platform's timer callback, shared by all timers.
void CALLBACK TimerProc(HWND window, UINT message, UINT_PTR id, DWORD time);

extern int TimerCount;          // timers constructed and not yet destroyed
extern TControl* TimerWindow;   // the shared hidden window; null until the first start
