#include "bench/PaintClock.h"

#include "bench/Measure.h"

TPaintClock* TPaintClock::Active = nullptr;

void TPaintClock::Attach(HWND window) {
  Detach();
  Window = window;
  Active = this;
  SavedProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WindowProc)));
}

void TPaintClock::Detach() {
  if (Window == nullptr) return;
  SetWindowLongPtrW(Window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(SavedProc));
  Window = nullptr;
  SavedProc = nullptr;
  if (Active == this) Active = nullptr;
}

LRESULT CALLBACK TPaintClock::WindowProc(HWND window, UINT message, WPARAM wparam,
                                         LPARAM lparam) {
  TPaintClock* self = Active;
  if (message != WM_PAINT) return CallWindowProcW(self->SavedProc, window, message, wparam, lparam);
  double start = NowMs();
  LRESULT result = CallWindowProcW(self->SavedProc, window, message, wparam, lparam);
  self->Samples->push_back(NowMs() - start);
  return result;
}
