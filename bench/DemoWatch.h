// Watching the demo while it runs as its program runs it (RunDemo): while a
// TDemoWatch lives, every completed paint of the list's panel (the panel's
// EndPaint, through the platform table) calls the watcher's procedure.
//
//   TDemoWatch watch(FirstPaint, &state);
//   RunDemo();                           // FirstPaint posts WM_CLOSE when done
#pragma once

#include "tests/support/ApiPatch.h"

class TGlideStripbox;

class TDemoWatch {
 public:
  typedef void (*TPaintProc)(void* data);
  TDemoWatch(TPaintProc onPanelPaint, void* data);
  ~TDemoWatch();

  // The running demo's list box and form window; null before they exist.
  static TGlideStripbox* List();
  static HWND FormWindow();
  static HWND PanelWindow();
  // Closes the demo the way "Kapat" does: WM_CLOSE to the main form.
  static void CloseDemo();

 private:
  static BOOL WINAPI EndPaint(HWND window, const PAINTSTRUCT* paint);

  static TDemoWatch* Active;
  TPaintProc OnPanelPaint;
  void* Data;
  TScopedPatch<decltype(TPlatformApi::EndPaint)> Patch;
};
