#include "controls/Painting.h"

#include "controls/Dispatch.h"
#include "graphics/Canvas.h"
#include "platform/Platform.h"

namespace {

// The graphics layer reaches these procedures only through its hooks, so it
// never names the controls. Set before main; a hook that a brush tool made
// during start-up already switched is left as it is.
bool InstallProviders() {
  if (ControlBrushHook == nullptr) ControlBrushHook = PlainControlBrush;
  ToolBrushProvider = ToolControlBrush;
  FontApplier = ApplyFont;
  ControlDCProvider = ProvideDC;
  return true;
}

const bool ProvidersInstalled = InstallProviders();

}  // namespace

void SetOnPaint(TControl* control, TPaintEvent handler) {
  control->OnPaint = handler;
  AttachHook(control, PaintHook);
}

bool PaintHook(TControl* control, TMessageRecord& message, LRESULT& result) {
  if (message.Msg != WM_PAINT || !control->OnPaint.Assigned()) return false;
  // A paint nested in another one (a WM_PAINT sent from OnPaint) hands both back.
  HDC outerDC = control->PaintDC;
  HRGN outerRegion = control->UpdateRegion;
  // Let go of the outer paint DC while PaintDC still names it: attaching the
  // nested one would otherwise give it back with ReleaseDC. The outer OnPaint
  // attaches it again at its next drawing call.
  if (outerDC != nullptr && control->Canvas != nullptr) control->Canvas->SetHandle(nullptr);

  // Before BeginPaint, which validates the window and empties the region.
  HRGN region = Api.CreateRectRgn(0, 0, 0, 0);
  if (region != nullptr) {
    int kind = Api.GetUpdateRgn(control->Handle, region, FALSE);
    if (kind == NULLREGION || kind == ERROR) {
      Api.DeleteObject(region);
      region = nullptr;
    }
  }
  control->UpdateRegion = region;

  PAINTSTRUCT paint = {};
  HDC given = reinterpret_cast<HDC>(message.WParam);
  control->PaintDC = given != nullptr ? given : Api.BeginPaint(control->Handle, &paint);
  // A failed BeginPaint leaves the window invalid, and the platform would ask
  // for this paint again and again, starving every message behind it.
  if (given == nullptr && control->PaintDC == nullptr) Api.ValidateRect(control->Handle, nullptr);
  control->OnPaint.Code(control->OnPaint.Data, control, control->PaintDC);
  // While PaintDC still names the paint DC, so the canvas only lets go of it.
  if (control->Canvas != nullptr) control->Canvas->SetHandle(nullptr);
  if (given == nullptr) Api.EndPaint(control->Handle, &paint);

  control->PaintDC = outerDC;
  if (control->UpdateRegion != nullptr) Api.DeleteObject(control->UpdateRegion);
  control->UpdateRegion = outerRegion;
  result = 0;
  return true;
}

bool EraseBackgroundHook(TControl* form, TMessageRecord& message, LRESULT& result) {
  if (message.Msg != WM_ERASEBKGND) return false;
  form->CreateChildHandles();
  HDC dc = reinterpret_cast<HDC>(message.WParam);
  Api.SetBkMode(dc, OPAQUE);
  Api.SetBkColor(dc, ResolveColor(form->Color));
  Api.SetBrushOrgEx(dc, 0, 0, nullptr);
  RECT rect = {};
  Api.GetClientRect(form->Handle, &rect);
  Api.FillRect(dc, &rect, BackgroundBrush(form));
  result = 1;
  return false;  // default processing follows; its answer becomes the result
}

TCanvas* GetCanvas(TControl* control) {
  if (control->Canvas == nullptr) {
    TCanvas* canvas = NewCanvasOnDC(nullptr);
    canvas->OnGetDC = TCanvasGetDCEvent{ProvideDC, control};
    canvas->Owner = control;  // not AddOwned: the control's Destroy frees its canvas itself
    if (control->Font != nullptr) canvas->Font = Assign(nullptr, control->Font);
    if (control->Brush != nullptr) canvas->Brush = Assign(nullptr, control->Brush);
    canvas->AttachToolHandlers();
    control->Canvas = canvas;
  }
  return control->Canvas;
}

HDC ProvideDC(void* data, TCanvas* canvas) {
  TControl* control = static_cast<TControl*>(data);
  if (control->PaintDC != nullptr) {
    canvas->SetHandle(control->PaintDC);
    return control->PaintDC;
  }
  if (canvas->DC != nullptr) return canvas->DC;
  HWND window = control->GetHandle();
  // GetDC(0) would hand a windowless control the whole screen to draw on.
  if (window == nullptr) return nullptr;
  return Api.GetDC(window);
}

void ApplyFont(TControl* control) {
  TGraphicTool* font = control->Font;
  if (font == nullptr) return;
  if (control->Handle != nullptr) {
    control->FontColor = font->Color();
    control->Perform(WM_SETFONT, reinterpret_cast<WPARAM>(font->GetHandle()), 1);
  }
  if (control->Canvas != nullptr && control->Canvas->Font != nullptr)
    control->Canvas->Font = Assign(control->Canvas->Font, font);
}

HBRUSH PlainControlBrush(TControl* control) {
  // A chain of same-coloured controls shares the brush of its topmost member.
  TControl* owner = control;
  while (owner->Parent != nullptr && owner->Parent->Color == owner->Color) owner = owner->Parent;
  uint32_t rgb = ResolveColor(owner->Color);
  // A system colour changed since the brush was made.
  if (owner->BrushHandle != nullptr && rgb != owner->BrushRGB) {
    Api.DeleteObject(owner->BrushHandle);
    owner->BrushHandle = nullptr;
  }
  if (owner->BrushHandle == nullptr) {
    owner->BrushRGB = rgb;
    owner->BrushHandle = Api.CreateSolidBrush(rgb);
  }
  return owner->BrushHandle;
}

HBRUSH ToolControlBrush(TControl* control) {
  TGraphicTool* brush = control->GetBrush();
  // Link to the current parent's tool only, never to one of a former parent,
  // and make that tool when the colours agree, so that equal brushes share
  // one platform object; the tool borrows only while the blocks are equal.
  TControl* parent = control->Parent;
  if (parent == nullptr)
    brush->ParentTool = nullptr;
  else
    brush->ParentTool = parent->Color == control->Color ? parent->GetBrush() : parent->Brush;
  return static_cast<HBRUSH>(brush->GetHandle());
}

HBRUSH BackgroundBrush(TControl* control) {
  return ControlBrushHook != nullptr ? ControlBrushHook(control) : PlainControlBrush(control);
}
