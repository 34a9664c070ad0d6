// TControl: the one object type behind every window (forms, buttons,
// labels, drawing panels, the hidden timer window). A control keeps its
// window's settings in fields until something needs the window, creates it
// on demand, binds window and object through the "SELF_" property, and
// keeps the tree of parent and child controls (the parent owns its children).
//
//   TControl* form = NewForm(nullptr, L"GlideStrip Demo");
//   TControl* button = NewButton(form, L"Kapat");
//   button->SetSize(0, 38);
//   HWND wnd = button->GetHandle();   // creates the form's window too, hidden
#pragma once

#include <windows.h>

#include <cstdint>

#include "core/BaseObject.h"
#include "core/WStrList.h"
#include "graphics/GraphicTool.h"
#include "platform/Platform.h"

struct TControl;
struct TCanvas;
struct TPtrList;

// The message as hooks see it; hooks may change Msg and WParam in place.
struct TMessageRecord {
  HWND Wnd;
  UINT Msg;
  WPARAM WParam;
  LPARAM LParam;
};

// True consumes the message: no later hook, built-in handling or default processing.
typedef bool (*TMessageHook)(TControl* control, TMessageRecord& message, LRESULT& result);

const unsigned char mbNone = 0;
const unsigned char mbLeft = 1;
const unsigned char mbRight = 2;
const unsigned char mbMiddle = 3;

// For WM_MOUSEWHEEL, X and Y are screen coordinates, as the message gives
// them, and the wheel's signed delta is the high word of Shift.
struct TMouseEventInfo {
  unsigned char Button;
  bool Handled;     // a handler sets it to consume the message
  uint32_t Shift;   // the message's WParam, plus 0x20 while Alt is down
  int16_t X;        // sign-extended client coordinates
  int16_t Y;
};

struct TKeyEventInfo {
  WORD Key;         // the virtual key of a WM_KEYDOWN, repeats included
  bool Handled;     // a handler sets it to consume the message
  bool Repeat;      // the key was down already: an auto-repeat (lParam bit 30)
  uint32_t Shift;   // MK_SHIFT and MK_CONTROL while those keys are down, 0x20 while Alt is
};

typedef void (*TNotifyProc)(void* data, TControl* sender);
typedef void (*TMouseProc)(void* data, TControl* sender, TMouseEventInfo& info);
typedef void (*TPaintProc)(void* data, TControl* sender, HDC dc);
typedef void (*TKeyProc)(void* data, TControl* sender, TKeyEventInfo& info);
typedef TEventPair<TNotifyProc> TNotifyEvent;
typedef TEventPair<TMouseProc> TMouseEvent;
typedef TEventPair<TKeyProc> TKeyEvent;
typedef TEventPair<TPaintProc> TPaintEvent;

// A class's notification codes, compared in the order click, focus, blur.
struct TNotifyCodes {
  uint16_t ClickCode;
  uint16_t FocusCode;
  uint16_t BlurCode;
};

typedef unsigned char TAlign;
const TAlign alNone = 0;
const TAlign alLeft = 1;
const TAlign alTop = 2;
const TAlign alRight = 3;
const TAlign alBottom = 4;
const TAlign alClient = 5;

// AlignState bits
const unsigned char RealignPending = 1;
const unsigned char Positioning = 2;
const unsigned char Aligning = 4;

// BoundsSet bits
const unsigned char BoundsLeftSet = 1;
const unsigned char BoundsTopSet = 2;
const unsigned char BoundsSizeSet = 4 | 8;

struct TControl : TBaseObject {
  HWND Handle;                 // 0 while no window exists; CreateHandle or its first message
  uint32_t ClassStyle;         // the class's style if this control registers it (forms: CS_DBLCLKS)
  uint32_t Style;              // its WS_VISIBLE bit follows Visible
  uint32_t ExStyle;            // extended style for CreateWindowExW; 0 for every control here
  unsigned char SizeType;      // low byte of the last WM_SIZE's wParam; set by WindowProc
  WNDPROC OldWindowProc;       // the system class's procedure when subclassing, else null
  TControl* Parent;            // not owned; the parent owns this control; SetParentControl
  bool Visible;                // the program's view; SetVisible, child constructors
  bool TabStop;                // may take the focus; set by the child-control constructor
  TPtrList* Hooks;             // pairs (hook, keep flag) in attach order; AttachHook
  TPtrList* Children;          // child controls in attach order (owned through OwnedList)
  HBRUSH BrushHandle;          // owned; the plain provider's cached background brush
  uint32_t BrushRGB;           // the RGB BrushHandle was made with; set by the plain provider
  bool Destroying;             // Destroy has begun its own release; never cleared
  bool WindowDestroyed;        // WM_DESTROY reached it: the platform is ending the window
  int DispatchDepth;           // its GlobalWindowProc calls in progress; never negative
  uint32_t ControlId;          // CreateWindowExW's identifier; children take NextControlId
  bool FullScreen;             // default place from the work area; set by NewForm
  bool IsChild;                // a child: no soft-key bar or default place; parent coordinates
  bool NoTextInvalidate;       // SetText does not repaint; set for labels
  unsigned char BoundsSet;     // BoundsSet bits: what SetBounds has set so far; never cleared
  HRGN UpdateRegion;           // owned while OnPaint runs; PaintHook
  HDC PaintDC;                 // the paint DC while OnPaint runs, else 0; PaintHook
  TNotifyEvent OnLostFocus;
  const wchar_t* ClassName;    // constant text, not owned
  TColorValue FontColor;       // text colour; taken from the parent, follows the font tool
  TColorValue Color;           // background colour; SetColor, or follows the brush tool
  TGraphicTool* Font;          // owned
  TGraphicTool* Brush;         // owned
  TCanvas* Canvas;             // made by the first GetCanvas; freed by Destroy
  int AlignMargin;             // alignment's gap; a new child's offset from the corner
  RECT Bounds;                 // screen coordinates for top-level windows, parent client for children
  TNotifyEvent OnClick;
  TControl* FocusedControl;    // forms: the child that has or last had the focus; not owned
  bool ExplicitVisible;        // the program chose the visibility with Show; never cleared
  bool ShowPending;            // made hidden on demand: the next CreateHandle shows it
  unsigned char FocusDepth;    // focus changes the framework is making (TakeFocus, WM_SETFOCUS)
  TMouseEvent OnMouseDown;
  TMouseEvent OnMouseUp;
  TMouseEvent OnMouseMove;
  TMouseEvent OnDblClick;
  TMouseEvent OnMouseWheel;
  TKeyEvent OnKeyDown;         // runs inside the framework's key rules (HandleKey)
  TNotifyEvent OnGotFocus;
  TNotifyCodes Notify;         // the class's codes; set by the child-control constructor
  TPaintEvent OnPaint;
  TAlign Align;                // the edge this child keeps to; SetAlign
  unsigned char AlignState;    // AlignState bits; changed by the alignment layout only
  TNotifyEvent OnResize;
  bool InvalidateOnResize;     // SetBounds repaints after a size change; set for labels
  WideString Text;             // the window text; SetText
  HWND MenuBar;                 // top-level windows: the soft-key bar made for the window
                                // (the shell's, gone with the window), 0 without one
  SHACTIVATEINFO ShellActivate; // top-level windows: the shell's activation and input-panel
                                // record, zero-filled with cbSize before its first use

  // virtual operations, in slot order after Init and Destroy
  void Init() override;
  void Destroy(bool dispose) override;
  virtual void Construct(TControl* parent);
  virtual bool CreateHandle();
  virtual LRESULT WindowProc(TMessageRecord& message);

  HWND GetHandle();
  void CreateChildHandles();
  void SetText(const WideString& text);
  void SetStyle(uint32_t style);
  void SetVisible(bool value);
  void Show(bool value);
  RECT GetBounds();
  void SetBounds(const RECT& rect);
  void SetLeft(int value);
  void SetTop(int value);
  void SetWidth(int value);
  void SetHeight(int value);
  int GetWidth();
  int GetHeight();
  TControl* SetSize(int width, int height);
  RECT GetClientArea();
  POINT MapToScreen(POINT pt);
  void Invalidate();
  bool IsEnabled();
  void SetColor(TColorValue color);
  TGraphicTool* GetFont();
  TGraphicTool* GetBrush();
  void SetParentControl(TControl* parent);
  HWND GetParentHandle(bool create);
  TControl* GetForm();
  TControl* GetChild(int index) const;
  int ChildCount() const;
  LRESULT Perform(UINT message, WPARAM wparam, LPARAM lparam);
};

// Allocates a zero-filled control and runs Construct(parent).
TControl* NewControl(TControl* parent, const wchar_t* className);

// The OnChange handlers of a control's own font and brush tools.
void FontToolChanged(void* control, TGraphicTool* tool);
void BrushToolChanged(void* control, TGraphicTool* tool);
// Applies the font again to descendants whose font tool borrows from above,
// so that no window keeps a handle its lender is about to delete.
void RenewChildFonts(TControl* control);
// Gives the windows of control and its descendants back the system font,
// before their font tools delete theirs.
void ReleaseWindowFonts(TControl* control);

// The window property that binds a window to its control.
extern const wchar_t SelfProp[];

extern uint16_t NextControlId;        // starts at 0x8000, wraps at 16 bits
extern TControl* CreatingControl;     // bound by the first message of the window being created
extern TControl* MainForm;           // the form whose closing ends the program
extern bool Terminated;              // the application loop has taken WM_QUIT
// Set while the platform's message machinery holds the thread: the loop's
// waits and dispatches, a message box. What it calls a window procedure
// with was posted, or sent by another thread; the framework's entry points
// (GlobalWindowProc, TimerProc) clear it for whatever they call in turn.
extern bool PlatformDelivering;

typedef void (*TRealignProc)(TControl* control);
extern TRealignProc RealignHook;      // empty until the first SetAlign
