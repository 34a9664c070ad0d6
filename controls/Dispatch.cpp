#include "controls/Dispatch.h"

#include "controls/Application.h"
#include "core/Assert.h"
#include "core/PlatformInfo.h"
#include "core/PtrList.h"
#include "platform/Platform.h"

namespace {

const uint32_t AltShift = 0x20;  // added to a mouse event's Shift while Alt is down
const UINT KeyLast = 0x108;      // WM_KEYLAST as the device has it; desktop headers add WM_UNICHAR
const LPARAM KeyWasDown = 0x40000000;  // a key message's previous key state: an auto-repeat

bool KeyDown(int key) { return Api.GetKeyState(key) < 0; }

// The framework's rules for WM_KEYFIRST to KeyLast.
LRESULT HandleKey(TControl* control, TMessageRecord& message) {
  HWND focus = Api.GetFocus();
  if (focus != nullptr && focus != control->Handle) return 0;  // meant for another window
  if (KeyDown(VK_CONTROL) || KeyDown(VK_MENU)) return CallDefault(control, message);
  if (message.Msg == WM_CHAR && message.WParam == 9) {
    message.WParam = 0;  // the Tab character is swallowed
    return 0;
  }
  if (message.Msg == WM_KEYDOWN && control->OnKeyDown.Assigned()) {
    TKeyEventInfo info = {static_cast<WORD>(message.WParam), false, false, 0};
    info.Repeat = (message.LParam & KeyWasDown) != 0;
    if (KeyDown(VK_SHIFT)) info.Shift |= MK_SHIFT;
    if (KeyDown(VK_CONTROL)) info.Shift |= MK_CONTROL;
    if (KeyDown(VK_MENU)) info.Shift |= AltShift;
    control->OnKeyDown.Code(control->OnKeyDown.Data, control, info);
    if (info.Handled) return 0;
  }
  return CallDefault(control, message);
}

// The deepest shown descendant of parent under the screen point that takes the wheel.
TControl* WheelTarget(TControl* parent, POINT point) {
  for (int i = 0; i < parent->ChildCount(); ++i) {
    TControl* child = parent->GetChild(i);
    RECT rect;
    if (child->Handle == nullptr || !child->Visible || !Api.GetWindowRect(child->Handle, &rect))
      continue;
    if (!InRect(rect, point.x, point.y)) continue;
    if (TControl* inner = WheelTarget(child, point)) return inner;
    if (child->OnMouseWheel.Assigned()) return child;
  }
  return nullptr;
}

bool RoutingWheel = false;

// The platform gives the wheel to the focused window; the control of the same
// form under the pointer that takes the wheel gets it instead.
bool RouteWheel(TControl* control, TMessageRecord& message, LRESULT& result) {
  // Once only: the target's default processing may pass the message up to
  // its parent, which must not send it round again.
  if (RoutingWheel) return false;
  TControl* form = control->GetForm();
  if (form == nullptr) return false;
  POINT point = {static_cast<int16_t>(LOWORD(message.LParam)),
                 static_cast<int16_t>(HIWORD(message.LParam))};  // screen coordinates
  TControl* target = WheelTarget(form, point);
  if (target == nullptr || target == control) return false;
  RoutingWheel = true;
  result = Api.SendMessageW(target->Handle, message.Msg, message.WParam, message.LParam);
  RoutingWheel = false;
  return true;
}

void SetMouseEvent(TControl* control, TMouseEvent TControl::*field, TMouseEvent handler) {
  control->*field = handler;
  AttachHook(control, MouseHook);
}

// The destruction message being handled came through the queue or from
// another thread: the window is not going.
bool PostedDestruction = false;

LRESULT DispatchToControl(TMessageRecord& message) {
  TControl* control = nullptr;
  if (message.Wnd != nullptr) {
    if (CreatingControl != nullptr) {
      // The first message of a window being created binds it.
      control = CreatingControl;
      control->Handle = message.Wnd;
      Api.SetPropW(message.Wnd, SelfProp, control);
      CreatingControl = nullptr;
    } else {
      control = static_cast<TControl*>(Api.GetPropW(message.Wnd, SelfProp));
    }
  }
  // Destroy unbinds the window right after it marks the control: what a
  // message still reaches is alive, if perhaps being destroyed further up.
  DEBUG_ASSERT(control == nullptr || !control->Destroying,
               "a message reaches a control whose Destroy has unbound it");
  if (control == nullptr) {
    // A main form without a window would adopt this window as its own (WindowProc's first step).
    if (MainForm != nullptr && MainForm->Handle != nullptr) {
      // A main form's Destroy clears MainForm before anything else.
      DEBUG_ASSERT(!MainForm->Destroying, "a message reaches a main form being destroyed");
      return MainForm->WindowProc(message);
    }
    return Api.DefWindowProcW(message.Wnd, message.Msg, message.WParam, message.LParam);
  }
  // A control whose Destroy is running (its windows still send messages while
  // it hides them) is already being freed further up the stack: no hold.
  if (control->RefCount < 0) return control->WindowProc(message);
  // Held for the whole message: a handler may free the control (its sender,
  // its form) and WindowProc still reads it afterwards. A control released
  // meanwhile goes when this reference is given back.
  AddRef(control);
  ++control->DispatchDepth;
  LRESULT result = control->WindowProc(message);
  --control->DispatchDepth;
  DEBUG_ASSERT(control->DispatchDepth >= 0, "a control's dispatch depth below zero");
  // The platform destroyed the window and nobody but this message holds the
  // control: it goes when its outermost message returns.
  const bool orphaned = control->RefCount == 2 && control->DispatchDepth <= 0 &&
                        control->WindowDestroyed && control != MainForm;
  Free(control);
  if (orphaned) Free(control);
  return result;
}

}  // namespace

LRESULT CALLBACK GlobalWindowProc(HWND window, UINT msg, WPARAM wparam, LPARAM lparam) {
  TMessageRecord message = {window, msg, wparam, lparam};
  // A real destruction is the platform's DestroyWindow on this thread (called
  // by the framework, by default processing of WM_CLOSE, for a parent or an
  // owner going, or by any other code of the thread), which sends WM_DESTROY
  // and WM_NCDESTROY itself. The same messages taken from the queue, or sent
  // by another program while the thread waits, are messages like any other:
  // no other thread can destroy our windows. Whatever this message causes is
  // not delivered by the platform's machinery, and a handler may nest others:
  // both flags are kept per message.
  const bool delivered = PlatformDelivering;
  const bool outer = PostedDestruction;
  PlatformDelivering = false;
  PostedDestruction = delivered && (msg == WM_DESTROY || msg == WM_NCDESTROY);
  LRESULT result = DispatchToControl(message);
  PostedDestruction = outer;
  PlatformDelivering = delivered;
  return result;
}

LRESULT TControl::WindowProc(TMessageRecord& message) {
  LRESULT result = 0;
  if (message.Wnd != nullptr && Handle == nullptr) Handle = message.Wnd;
  if (RunHooks(this, message, result)) return result;

  // The main form also sees the messages of windows without a control; what
  // marks, unbinds, closes, lays out or focuses applies to its own window only.
  const bool own = message.Wnd == Handle;
  switch (message.Msg) {
    case WM_DESTROY:
      if (!own) return CallDefault(this, message);
      // Not passed on either: the system classes free their state on it.
      if (PostedDestruction) return 0;
      WindowDestroyed = true;
      // The focus must not stay in, or be handed back to, a window that goes.
      FocusLeavesGoingControl(this);
      return CallDefault(this, message);
    case WM_SIZE:
      result = CallDefault(this, message);
      if (!own) return result;
      SizeType = static_cast<unsigned char>(message.WParam & 0xFF);
      if (RealignHook != nullptr) RealignHook(this);
      return result;
    case WM_SETFOCUS:
      if (!own) return CallDefault(this, message);
      if (!TakeFocus(this)) return 0;
      ++FocusDepth;
      result = CallDefault(this, message);
      --FocusDepth;
      return result;
    case WM_CLOSE:
      if (own && (this == MainForm || (MainForm == nullptr && !IsChild))) {
        Api.PostQuitMessage(0);  // the window stays; the loop ends when it takes WM_QUIT
        return 0;
      }
      return CallDefault(this, message);
    case WM_WINDOWPOSCHANGED:
      result = CallDefault(this, message);
      // A subclassed system control gets the default answer too, which sends WM_SIZE and WM_MOVE.
      if (OldWindowProc != nullptr)
        result = Api.DefWindowProcW(message.Wnd, message.Msg, message.WParam, message.LParam);
      return result;
    case WM_NCDESTROY:
      if (!own) return CallDefault(this, message);
      if (!PostedDestruction) Api.RemovePropW(Handle, SelfProp);
      return 0;
    case WM_MOUSEWHEEL:
      if (own && RouteWheel(this, message, result)) return result;
      return CallDefault(this, message);
    case WM_COMMAND: {
      HWND child = reinterpret_cast<HWND>(message.LParam);
      // A framework child answers its own notification.
      if (Api.GetPropW(child, SelfProp) != nullptr)
        return Api.SendMessageW(child, CommandNotify, message.WParam, message.LParam);
      return CallDefault(this, message);
    }
    default:
      break;
  }
  if (message.Msg >= WM_KEYFIRST && message.Msg <= KeyLast) return HandleKey(this, message);
  if (message.Msg >= WM_CTLCOLORMSGBOX && message.Msg <= WM_CTLCOLORSTATIC) {
    HWND child = reinterpret_cast<HWND>(message.LParam);
    // Only a real window answers: HWND_BROADCAST would send the private
    // message to every top-level window on the desktop.
    if (!Api.IsWindow(child)) return CallDefault(this, message);
    // The child control answers its own colour request.
    return Api.SendMessageW(child, message.Msg + ReflectBase, message.WParam, message.LParam);
  }
  return CallDefault(this, message);
}

LRESULT CallDefault(TControl* control, TMessageRecord& message) {
  // A subclassed system control runs its class's procedure on its own window.
  if (control->OldWindowProc != nullptr)
    return Api.CallWindowProcW(control->OldWindowProc, control->Handle, message.Msg,
                               message.WParam, message.LParam);
  return Api.DefWindowProcW(message.Wnd, message.Msg, message.WParam, message.LParam);
}

// ---- hooks -----------------------------------------------------------------

void AttachHook(TControl* control, TMessageHook hook, bool keep) {
  TPtrList* hooks = control->Hooks;
  if (hooks == nullptr) return;
  void* entry = reinterpret_cast<void*>(hook);
  // Hooks stand at the even places, their keep flags after them.
  for (int i = 0; i < hooks->Count; i += 2)
    if (hooks->Items[i] == entry) return;
  hooks->Add(entry);
  hooks->Add(reinterpret_cast<void*>(static_cast<UINT_PTR>(keep ? 1 : 0)));
}

bool RunHooks(TControl* control, TMessageRecord& message, LRESULT& result) {
  if (control->RefCount < 0 || control->Hooks == nullptr || control->Hooks->Count == 0)
    return false;
  AddRef(control);  // survives whatever a hook does
  bool consumed = false;
  // Newest first. A hook may attach others: they go to the end, behind this walk.
  for (int i = control->Hooks->Count - 2; i >= 0; i -= 2) {
    TPtrList* hooks = control->Hooks;
    if (hooks == nullptr) break;
    if (i + 1 >= hooks->Count) continue;
    const bool keep = hooks->Items[i + 1] != nullptr;
    if (Terminated && !keep) continue;
    TMessageHook hook = reinterpret_cast<TMessageHook>(hooks->Items[i]);
    if (hook(control, message, result)) {
      consumed = true;
      break;
    }
  }
  Free(control);
  return consumed;
}

bool MouseHook(TControl* control, TMessageRecord& message, LRESULT& result) {
  if (message.Msg < WM_MOUSEMOVE || message.Msg > WM_MOUSEWHEEL) return false;
  TMouseEventInfo info = {};
  info.Shift = static_cast<uint32_t>(message.WParam);
  // Or, not plus: the bit may already be set (MK_XBUTTON1 on the desktop).
  if (KeyDown(VK_MENU)) info.Shift |= AltShift;
  info.X = static_cast<int16_t>(LOWORD(message.LParam));
  info.Y = static_cast<int16_t>(HIWORD(message.LParam));
  result = 0;

  TMouseEvent event;
  switch (message.Msg) {
    case WM_MOUSEMOVE: event = control->OnMouseMove; info.Button = mbNone; break;
    case WM_LBUTTONDOWN: event = control->OnMouseDown; info.Button = mbLeft; break;
    case WM_LBUTTONUP: event = control->OnMouseUp; info.Button = mbLeft; break;
    case WM_LBUTTONDBLCLK: event = control->OnDblClick; info.Button = mbLeft; break;
    case WM_RBUTTONDOWN: event = control->OnMouseDown; info.Button = mbRight; break;
    case WM_RBUTTONUP: event = control->OnMouseUp; info.Button = mbRight; break;
    case WM_RBUTTONDBLCLK: event = control->OnDblClick; info.Button = mbRight; break;
    case WM_MBUTTONDOWN: event = control->OnMouseDown; info.Button = mbMiddle; break;
    case WM_MBUTTONUP: event = control->OnMouseUp; info.Button = mbMiddle; break;
    case WM_MBUTTONDBLCLK: event = control->OnDblClick; info.Button = mbMiddle; break;
    default: event = control->OnMouseWheel; info.Button = mbNone; break;  // WM_MOUSEWHEEL
  }
  if (event.Assigned()) event.Code(event.Data, control, info);
  return info.Handled;
}

bool ResizeHook(TControl* control, TMessageRecord& message, LRESULT&) {
  if (message.Msg == WM_SIZE && control->OnResize.Assigned())
    control->OnResize.Code(control->OnResize.Data, control);
  return false;  // the built-in WM_SIZE handling still follows
}

void SetOnMouseDown(TControl* control, TMouseEvent handler) {
  SetMouseEvent(control, &TControl::OnMouseDown, handler);
}
void SetOnMouseMove(TControl* control, TMouseEvent handler) {
  SetMouseEvent(control, &TControl::OnMouseMove, handler);
}
void SetOnMouseUp(TControl* control, TMouseEvent handler) {
  SetMouseEvent(control, &TControl::OnMouseUp, handler);
}
void SetOnDblClick(TControl* control, TMouseEvent handler) {
  SetMouseEvent(control, &TControl::OnDblClick, handler);
}
void SetOnMouseWheel(TControl* control, TMouseEvent handler) {
  SetMouseEvent(control, &TControl::OnMouseWheel, handler);
}

void SetOnResize(TControl* control, TNotifyEvent handler) {
  control->OnResize = handler;
  AttachHook(control, ResizeHook);
}

// ---- closing and focus ---------------------------------------------------------

void Close(TControl* control) { Api.PostMessageW(control->Handle, WM_CLOSE, 0, 0); }

bool TakeFocus(TControl* control) {
  if (!control->IsEnabled() || !(control->TabStop || (control->Style & WS_TABSTOP) != 0))
    return false;
  // FocusDepth tells the notifications this SetFocus causes from the user's.
  ++control->FocusDepth;
  Api.SetFocus(control->Handle);
  --control->FocusDepth;
  return true;
}
