#include "controls/Control.h"

#include <cstdint>

#include "controls/Dispatch.h"
#include "core/PlatformInfo.h"
#include "core/PtrList.h"
#include "graphics/Canvas.h"
#include "platform/Platform.h"

const wchar_t SelfProp[] = L"SELF_";

uint16_t NextControlId = 0x8000;
TControl* CreatingControl = nullptr;
TControl* MainForm = nullptr;
bool Terminated = false;
bool PlatformDelivering = false;
TRealignProc RealignHook = nullptr;

namespace {

const uint32_t DefaultStyle = WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_BORDER;
const int ClassNameLimit = 63;  // units of the class-name buffer before its terminator

// cbSize is the structure's own size: 36 bytes on the 32-bit device, 56 on x86_64.
static_assert(sizeof(void*) != 4 || sizeof(SHMENUBARINFO) == 36, "the device's SHMENUBARINFO");

void CallRealignHook(TControl* control) {
  if (RealignHook != nullptr) RealignHook(control);
}

// The control whose window GetHandle is making hidden, on demand.
TControl* CreatingOnDemand = nullptr;

bool SameSize(const RECT& a, const RECT& b) {
  return a.right - a.left == b.right - b.left && a.bottom - a.top == b.bottom - b.top;
}

}  // namespace

// ---- construction --------------------------------------------------------

TControl* NewControl(TControl* parent, const wchar_t* className) {
  TControl* control = new TControl();  // value-initialised: every field zero before Construct
  control->Construct(parent);
  control->ClassName = className;
  if (parent == nullptr) return control;
  control->AlignMargin = parent->AlignMargin;
  control->FontColor = parent->FontColor;
  control->Color = parent->Color;
  if (parent->Font != nullptr) {
    control->Font = Assign(nullptr, parent->Font);
    control->AddOwned(control->Font);
    control->Font->ParentTool = parent->Font;  // lends its handle while the properties agree
    control->Font->OnChange = {FontToolChanged, control};
    FontToolChanged(control, control->Font);
  }
  if (parent->Brush != nullptr) {
    control->Brush = Assign(nullptr, parent->Brush);
    control->AddOwned(control->Brush);
    control->Brush->ParentTool = parent->Brush;
    control->Brush->OnChange = {BrushToolChanged, control};
    BrushToolChanged(control, control->Brush);
  }
  return control;
}

void TControl::Init() {
  TBaseObject::Init();
  Style = DefaultStyle;
  Visible = true;
  FontColor = SysColorWindowText;
  Color = SysColorWindow;
  AlignMargin = 2;
  Hooks = TPtrList::Create();
  Children = TPtrList::Create();
}

void TControl::Construct(TControl* parent) {
  Init();
  if (parent != nullptr) Color = parent->Color;
  SetParentControl(parent);
}

// ---- window creation -----------------------------------------------------

HWND TControl::GetHandle() {
  if (Handle != nullptr) return Handle;
  // Held across the creation: a hook may free the control meanwhile, and it
  // is then reported gone (0) instead of read and written after its release.
  AddRef(this);
  const int held = RefCount;
  if (!ExplicitVisible) {
    // Something merely needs the handle: create the window hidden and let
    // the next CreateHandle show it.
    SetVisible(false);
    TControl* outer = CreatingOnDemand;
    CreatingOnDemand = this;
    CreateHandle();
    CreatingOnDemand = outer;
    if (RefCount >= held) ShowPending = true;
  } else {
    CreateHandle();
  }
  HWND handle = RefCount >= held ? Handle : nullptr;
  Free(this);  // destroys the control if it was released meanwhile
  return handle;
}

void TControl::CreateChildHandles() {
  // Count is read on every pass: creating a child may attach others.
  for (int i = 0; Children != nullptr && i < Children->Count; ++i)
    static_cast<TControl*>(Children->Items[i])->CreateHandle();
}

namespace {

// Where CreateWindowExW puts the window: CW_USEDEFAULT leaves a value to the platform.
struct TWindowPlace {
  int X;
  int Y;
  int Width;
  int Height;
};

// The place the control's settings ask for: its bounds, with the platform's
// default for a size of 0 and, for a top-level window never moved, for the corner.
TWindowPlace RequestedPlace(const TControl* control) {
  const RECT& bounds = control->Bounds;
  TWindowPlace place = {bounds.left, bounds.top, bounds.right - bounds.left,
                        bounds.bottom - bounds.top};
  if (place.Width == 0) place.Width = CW_USEDEFAULT;
  if (place.Height == 0) place.Height = CW_USEDEFAULT;
  if (!control->IsChild && (control->BoundsSet & (BoundsLeftSet | BoundsTopSet)) == 0) {
    place.X = CW_USEDEFAULT;
    place.Y = CW_USEDEFAULT;
  }
  return place;
}

// A full-screen form: what is still left to the platform comes from the work area.
void PlaceInWorkArea(TWindowPlace& place) {
  RECT area = {};
  // Without a work area the platform's default placement stays.
  if (!Api.SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0)) return;
  if (place.X == CW_USEDEFAULT) place.X = area.left;
  if (place.Y == CW_USEDEFAULT) place.Y = area.top;
  if (place.Width == CW_USEDEFAULT) place.Width = area.right - place.X;
  // The screen height, not the work area's bottom: the soft-key bar cuts the window back.
  if (place.Height == CW_USEDEFAULT) place.Height = ScreenHeight() - place.Y;
}

// Whether the class exists. A class that is not ours ("BUTTON", "STATIC") is
// subclassed: its procedure is kept in OldWindowProc. Procedures are compared
// whole, since code addresses here have more than 24 bits.
bool FindClass(TControl* control, HINSTANCE instance, const wchar_t* className) {
  WNDCLASSW known = {};
  const bool registered = Api.GetClassInfoW(instance, className, &known) != 0;
  if (control->OldWindowProc == nullptr && registered && known.lpfnWndProc != GlobalWindowProc)
    control->OldWindowProc = known.lpfnWndProc;
  return registered;
}

// A framework class is registered once, by the first control that uses it,
// with that control's ClassStyle.
bool RegisterFrameworkClass(const TControl* control, HINSTANCE instance,
                            const wchar_t* className) {
  WNDCLASSW wc = {};
  wc.style = control->ClassStyle;
  wc.lpfnWndProc = GlobalWindowProc;
  wc.hInstance = instance;
  wc.lpszClassName = className;
  return Api.RegisterClassW(&wc) != 0;
}

// Creates the window and takes it as the control's Handle; a subclassed
// window gets GlobalWindowProc. False when no window was made, or when a
// handler released the control meanwhile: it is gone then, and the caller
// must not touch it again.
bool MakeWindow(TControl* control, const TWindowPlace& place, const wchar_t* className,
                const wchar_t* windowName, HWND parentWindow, HINSTANCE instance) {
  // Set just before creation: the window's first message binds it to this control.
  if (control->OldWindowProc == nullptr) CreatingControl = control;
  // Held while the window is made: a window that dies inside CreateWindowExW
  // (a hook failing WM_CREATE) would otherwise free this control under us.
  // Compared with the count before, since a caller (GetHandle) may hold it too.
  const int held = control->RefCount;
  AddRef(control);
  HWND window = Api.CreateWindowExW(
      control->ExStyle, className, windowName, control->Style, place.X, place.Y, place.Width,
      place.Height, parentWindow,
      reinterpret_cast<HMENU>(static_cast<UINT_PTR>(control->ControlId)), instance, nullptr);
  if (control->RefCount < held + 2) {
    // Released by a handler meanwhile: it goes now, with whatever was made.
    Free(control);
    return false;
  }
  Free(control);
  control->Handle = window;
  if (window == nullptr) {
    // A window that never sent a message must not bind the next window created.
    if (CreatingControl == control) CreatingControl = nullptr;
    // The window that died during creation was never this control's to keep.
    control->WindowDestroyed = false;
    return false;
  }
  if (control->OldWindowProc != nullptr)
    Api.SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&GlobalWindowProc));
  return true;
}

// A top-level window on a platform with a soft-key bar gets an empty one and
// ends at the bar's top edge.
void AddSoftKeyBar(TControl* control, const TWindowPlace& place) {
  if (control->IsChild || GetPlatformType() == ptSmartPhone) return;
  SHMENUBARINFO bar = {};
  bar.cbSize = sizeof(SHMENUBARINFO);
  bar.hwndParent = control->Handle;
  bar.dwFlags = SHCMBF_EMPTYBAR;
  RECT barRect = {};
  const bool made = Api.SHCreateMenuBar(&bar) != FALSE;
  control->MenuBar = made ? bar.hwndMB : nullptr;  // where the form's later layouts find the bar
  if (made && Api.GetWindowRect(bar.hwndMB, &barRect)) {
    // In 64 bits: a default y and height (CW_USEDEFAULT each) must not overflow.
    if (static_cast<int64_t>(place.Y) + place.Height > barRect.top)
      Api.SetWindowPos(control->Handle, nullptr, 0, 0, place.Width, barRect.top - place.Y,
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOOWNERZORDER);
  }
}

// Subclassed windows were created without CreatingControl: bind them now.
// False when the binding failed and the window was given up.
bool BindWindow(TControl* control) {
  if (Api.GetPropW(control->Handle, SelfProp) != nullptr) return true;
  CreatingControl = nullptr;
  if (Api.SetPropW(control->Handle, SelfProp, control)) return true;
  // An unbound window reaches neither this control nor, once subclassed,
  // its own class's procedure: a dead button nobody could press. It is
  // given up as not made; the next CreateHandle tries again. Handle is
  // cleared first, so the window's last messages find no control.
  HWND window = control->Handle;
  control->Handle = nullptr;
  if (control->OldWindowProc != nullptr)
    Api.SetWindowLongPtrW(window, GWLP_WNDPROC,
                          reinterpret_cast<LONG_PTR>(control->OldWindowProc));
  Api.DestroyWindow(window);
  return false;
}

}  // namespace

bool TControl::CreateHandle() {
  // The parent's window first: this is what brings a whole ancestry into being.
  if (Parent != nullptr && Parent->GetHandle() == nullptr) return false;

  if (Handle != nullptr) {
    if (ShowPending) {
      CreateChildHandles();
      SetVisible(true);
      ShowPending = false;
    } else {
      CreateChildHandles();
    }
    return true;
  }

  // A show still pending here means an earlier on-demand creation failed:
  // unless this is such a creation again, the new window is shown once made,
  // or the program would wait for ever behind an invisible form.
  const bool showWhenMade = ShowPending && CreatingOnDemand != this;

  TWindowPlace place = RequestedPlace(this);
  if (FullScreen) PlaceInWorkArea(place);

  const wchar_t* windowName = Text.c_str();  // an empty wide string, never null
  HINSTANCE instance = Api.GetModuleHandleW(nullptr);
  // A longer name is cut, never written past the buffer.
  wchar_t className[ClassNameLimit + 1] = {};
  StrLCopyW(className, ClassName != nullptr ? ClassName : L"", ClassNameLimit);

  // A class is registered only once the parent's window exists: a control
  // that cannot be made registers nothing.
  const bool registered = FindClass(this, instance, className);
  HWND parentWindow = GetParentHandle(true);
  if (parentWindow == nullptr && (Style & WS_CHILD) != 0) return false;
  if (!registered && !RegisterFrameworkClass(this, instance, className)) return false;

  // On failure reported before any child is asked to create its window: a
  // child would ask this control's GetHandle again, and that again its children.
  if (!MakeWindow(this, place, className, windowName, parentWindow, instance)) return false;
  AddSoftKeyBar(this, place);
  if ((Style & WS_VISIBLE) != 0) Perform(WM_SHOWWINDOW, 1, 0);
  if (!BindWindow(this)) return false;

  // The window takes its font before the children are made; a pending show comes last.
  if (ControlFontHook != nullptr) ControlFontHook(this);
  CreateChildHandles();
  if (showWhenMade) {
    SetVisible(true);
    ShowPending = false;
  }
  return true;
}

// ---- tree -----------------------------------------------------------------

void TControl::SetParentControl(TControl* parent) {
  if (parent == Parent) return;
  if (Parent != nullptr) {
    if (Parent->Children != nullptr) Parent->Children->Remove(this);
    Parent->RemoveOwned(this);
  }
  Parent = parent;
  // Inherited tools borrow from the parent's; never from a former parent,
  // which may be freed before this control.
  if (Font != nullptr) Font->ParentTool = parent != nullptr ? parent->Font : nullptr;
  if (Brush != nullptr) Brush->ParentTool = parent != nullptr ? parent->Brush : nullptr;
  if (parent == nullptr) return;
  parent->Children->Add(this);
  parent->AddOwned(this);
  if (Handle == nullptr) return;
  Api.SetParent(Handle, parent->GetHandle());
  // The window may hold a font borrowed from the former parent.
  if (ControlFontHook != nullptr) ControlFontHook(this);
  RenewChildFonts(this);
}

HWND TControl::GetParentHandle(bool create) {
  if (Parent == nullptr) return nullptr;
  return create ? Parent->GetHandle() : Parent->Handle;
}

TControl* TControl::GetForm() {
  TControl* control = this;
  while (control != nullptr && control->IsChild) control = control->Parent;
  return control;
}

TControl* TControl::GetChild(int index) const {
  return Children != nullptr ? static_cast<TControl*>(Children->Get(index)) : nullptr;
}

int TControl::ChildCount() const { return Children != nullptr ? Children->Count : 0; }

// ---- properties -------------------------------------------------------------

void TControl::SetText(const WideString& text) {
  Text = text;
  if (Handle != nullptr)
    Api.SendMessageW(Handle, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Text.c_str()));
  if (!NoTextInvalidate) Invalidate();
}

void TControl::SetStyle(uint32_t style) {
  if (style == Style) return;
  Style = style;
  if (Handle == nullptr) return;
  // Through LONG, so that the high bit reads back as GetWindowLongPtrW gives it.
  Api.SetWindowLongPtrW(Handle, GWL_STYLE, static_cast<LONG_PTR>(static_cast<LONG>(style)));
  Api.SetWindowPos(Handle, nullptr, 0, 0, 0, 0,
                   SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  Invalidate();
}

void TControl::SetVisible(bool value) {
  Style &= ~static_cast<uint32_t>(WS_VISIBLE);
  if (value) Style |= WS_VISIBLE;
  Visible = value;
  if (Handle == nullptr) return;
  Perform(WM_SHOWWINDOW, value ? 1 : 0, 0);
  // A shown child is laid out before it appears; a hidden one leaves its room after it is gone.
  if (value) {
    CallRealignHook(this);
    Api.ShowWindow(Handle, SW_SHOW);
  } else {
    ShowPending = false;
    Api.ShowWindow(Handle, SW_HIDE);
    CallRealignHook(this);
  }
}

void TControl::Show(bool value) {
  ExplicitVisible = true;
  SetVisible(value);
}

RECT TControl::GetBounds() {
  if (Handle == nullptr) return Bounds;
  RECT rect;
  if (!Api.GetWindowRect(Handle, &rect)) return Bounds;
  if (IsChild && Parent != nullptr) {
    POINT origin = Parent->MapToScreen(POINT{0, 0});
    rect.left -= origin.x;
    rect.right -= origin.x;
    rect.top -= origin.y;
    rect.bottom -= origin.y;
  }
  Bounds = rect;
  return rect;
}

void TControl::SetBounds(const RECT& rect) {
  RECT current = GetBounds();
  if (SameRect(rect, current)) return;
  // A form given explicit bounds becomes a captioned window, once.
  if (FullScreen && BoundsSet == 0) SetStyle(Style | WS_BORDER | WS_CAPTION | WS_SYSMENU);
  BoundsSet |= BoundsSizeSet;
  if (rect.left != current.left) BoundsSet |= BoundsLeftSet;
  if (rect.top != current.top) BoundsSet |= BoundsTopSet;
  Bounds = rect;
  if (Handle == nullptr) return;
  UINT flags = SWP_NOZORDER | SWP_NOACTIVATE;
  if (SameSize(rect, current))
    flags |= SWP_NOSIZE;
  else if (rect.left == current.left && rect.top == current.top)
    flags |= SWP_NOMOVE;
  Api.SetWindowPos(Handle, nullptr, rect.left, rect.top, rect.right - rect.left,
                   rect.bottom - rect.top, flags);
  if (InvalidateOnResize && (flags & SWP_NOSIZE) == 0) Invalidate();
}

void TControl::SetLeft(int value) {
  RECT rect = GetBounds();
  rect.right = value + (rect.right - rect.left);
  rect.left = value;
  SetBounds(rect);
}

void TControl::SetTop(int value) {
  RECT rect = GetBounds();
  rect.bottom = value + (rect.bottom - rect.top);
  rect.top = value;
  SetBounds(rect);
}

void TControl::SetWidth(int value) {
  RECT rect = GetBounds();
  rect.right = rect.left + value;
  SetBounds(rect);
}

void TControl::SetHeight(int value) {
  RECT rect = GetBounds();
  rect.bottom = rect.top + value;
  SetBounds(rect);
}

int TControl::GetWidth() {
  RECT rect = GetBounds();
  return rect.right - rect.left;
}

int TControl::GetHeight() {
  RECT rect = GetBounds();
  return rect.bottom - rect.top;
}

TControl* TControl::SetSize(int width, int height) {
  RECT rect = GetBounds();
  if (width > 0) rect.right = rect.left + width;
  if (height > 0) rect.bottom = rect.top + height;
  SetBounds(rect);
  return this;
}

RECT TControl::GetClientArea() {
  GetHandle();
  RECT rect;
  if (Handle != nullptr && Api.GetClientRect(Handle, &rect)) return rect;
  return Bounds;
}

POINT TControl::MapToScreen(POINT pt) {
  if (Handle != nullptr) Api.ClientToScreen(Handle, &pt);
  return pt;
}

void TControl::Invalidate() {
  if (Handle != nullptr) Api.InvalidateRect(Handle, nullptr, TRUE);
}

bool TControl::IsEnabled() {
  if (Handle != nullptr) return Api.IsWindowEnabled(Handle) != 0;
  return (Style & WS_DISABLED) == 0;
}

LRESULT TControl::Perform(UINT message, WPARAM wparam, LPARAM lparam) {
  return Api.SendMessageW(GetHandle(), message, wparam, lparam);
}

// ---- colours, font and brush -----------------------------------------------

void TControl::SetColor(TColorValue color) {
  GetHandle();  // the window exists afterwards, hidden if it did not before
  if (color == Color) return;
  Color = color;
  if (BrushHandle != nullptr) {
    Api.DeleteObject(BrushHandle);
    BrushHandle = nullptr;
  }
  if (Brush != nullptr) Brush->SetColor(color);
  Invalidate();
}

TGraphicTool* TControl::GetFont() {
  if (Font == nullptr) {
    Font = NewFontTool();
    AddOwned(Font);
    Font->SetColor(FontColor);  // before the listener: taking the colour is no change
    Font->OnChange = {FontToolChanged, this};
  }
  return Font;
}

TGraphicTool* TControl::GetBrush() {
  if (Brush == nullptr) {
    Brush = NewBrushTool();
    Brush->SetColor(Color);
    Brush->OnChange = {BrushToolChanged, this};
    AddOwned(Brush);
  }
  return Brush;
}

void FontToolChanged(void* data, TGraphicTool* tool) {
  TControl* control = static_cast<TControl*>(data);
  control->FontColor = tool->Color();
  if (ControlFontHook != nullptr) ControlFontHook(control);
  // Called while the tool's old handle still exists: windows below that
  // borrowed it get a live one before it is deleted.
  RenewChildFonts(control);
  control->Invalidate();
}

void RenewChildFonts(TControl* control) {
  if (ControlFontHook == nullptr) return;
  for (int i = 0; i < control->ChildCount(); ++i) {
    TControl* child = control->GetChild(i);
    if (child->Font == nullptr || child->Font->ParentTool == nullptr) continue;
    ControlFontHook(child);
    RenewChildFonts(child);
  }
}

void ReleaseWindowFonts(TControl* control) {
  if (control->Font != nullptr && control->Handle != nullptr)
    Api.SendMessageW(control->Handle, WM_SETFONT, 0, FALSE);
  for (int i = 0; i < control->ChildCount(); ++i) ReleaseWindowFonts(control->GetChild(i));
}

void BrushToolChanged(void* data, TGraphicTool* tool) {
  TControl* control = static_cast<TControl*>(data);
  control->Color = tool->Color();
  if (control->BrushHandle != nullptr) {
    Api.DeleteObject(control->BrushHandle);
    control->BrushHandle = nullptr;
  }
  // While painting, a repaint request would only schedule the same paint again.
  if (control->PaintDC == nullptr) control->Invalidate();
}

// ---- destruction -------------------------------------------------------------

void TControl::Destroy(bool dispose) {
  // Nothing may reach a freed main form through the global (a program that
  // frees its main form itself); with it goes what the loop waits for.
  if (MainForm == this) {
    MainForm = nullptr;
    if (!Terminated) Api.PostQuitMessage(0);
  }
  // The form forgets this control before hiding it moves the focus back to the form.
  TControl* form = GetForm();
  if (form != nullptr && form->FocusedControl == this) form->FocusedControl = nullptr;
  // The main form also remembers the last other form that had the focus.
  if (MainForm != nullptr && MainForm != this && MainForm->FocusedControl == this)
    MainForm->FocusedControl = nullptr;
  if (Handle != nullptr) Api.ShowWindow(Handle, SW_HIDE);
  // The fonts are deleted with the tools below, before the windows that use
  // them: the windows go back to the system font first. A parent being
  // destroyed (negative count) has done so for its whole tree already.
  if (!Destroying && (Parent == nullptr || Parent->RefCount >= 0)) ReleaseWindowFonts(this);
  // Children and tools go before this control's window, oldest first.
  ReleaseOwned();

  if (!Destroying) {
    Destroying = true;
    FreeAndNil(Canvas);
    // A child that one of its own messages still holds outlived the release
    // above; it must not reach this control, or its tools, once they are freed.
    for (int i = 0; i < ChildCount(); ++i) {
      TControl* child = GetChild(i);
      child->Parent = nullptr;
      if (child->Font != nullptr) child->Font->ParentTool = nullptr;
      if (child->Brush != nullptr) child->Brush->ParentTool = nullptr;
    }
    if (Handle != nullptr) {
      if (Api.IsWindow(Handle)) {
        // Unbound first: the destruction messages must not reach a control being freed.
        Api.RemovePropW(Handle, SelfProp);
        // After WM_DESTROY the platform is destroying the window already.
        if (!WindowDestroyed) Api.DestroyWindow(Handle);
      }
      Handle = nullptr;
    }
    if (BrushHandle != nullptr) {
      Api.DeleteObject(BrushHandle);
      BrushHandle = nullptr;
    }
    Text.clear();
    if (Parent != nullptr) {
      if (Parent->Children != nullptr) Parent->Children->Remove(this);
      Parent->RemoveOwned(this);
      if (Parent->FocusedControl == this) Parent->FocusedControl = nullptr;
      Parent = nullptr;  // a second Destroy must not walk up to a parent that may be gone
    }
    FreeAndNil(Children);
    FreeAndNil(Hooks);
    TBaseObject::Destroy(false);
  }

  WideString().swap(Text);
  if (dispose) FreeInstance();
}
