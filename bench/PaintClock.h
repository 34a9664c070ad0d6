// Timing a window's WM_PAINT as its own procedure handles it: while
// attached, a TPaintClock stands in front of the window's procedure and
// files the time of each WM_PAINT it passes on (BeginPaint to EndPaint and
// everything between, whatever class the window is).
//
//   TPaintClock clock(&samples);
//   clock.Attach(listBoxWindow);  ... UpdateWindow(listBoxWindow) ...
//   clock.Detach();               // samples holds one time per WM_PAINT
#pragma once

#include <windows.h>

#include <vector>

class TPaintClock {
 public:
  explicit TPaintClock(std::vector<double>* samples) : Samples(samples) {}
  ~TPaintClock() { Detach(); }
  TPaintClock(const TPaintClock&) = delete;
  TPaintClock& operator=(const TPaintClock&) = delete;

  void Attach(HWND window);
  void Detach();

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

  static TPaintClock* Active;  // one clock at a time stands in front of a window
  std::vector<double>* Samples;
  HWND Window = nullptr;
  WNDPROC SavedProc = nullptr;
};
