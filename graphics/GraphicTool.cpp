#include "graphics/GraphicTool.h"

#include <cstring>

#include "core/Assert.h"
#include "core/WStrList.h"
#include "graphics/Canvas.h"  // the listening canvas, in debug builds' checks
#include "platform/Platform.h"

namespace {

const int FaceNameUnits = 32;  // lfFaceName, terminating zero included

void MakeBrushHandle(TGraphicTool* tool) {
  if (tool->Handle != nullptr) return;
  tool->Handle = Api.CreateSolidBrush(ResolveColor(tool->Props.Tool.Color));
}

void MakeFontHandle(TGraphicTool* tool) {
  if (tool->Handle != nullptr) return;
  tool->Handle = Api.CreateFontIndirectW(&tool->Props.Font.Record);
}

void MakePenHandle(TGraphicTool* tool) {
  if (tool->Handle != nullptr) return;
  LOGPEN pen = {};
  pen.lopnStyle = tool->Props.Tool.PenStyle;
  pen.lopnWidth.x = tool->Props.Tool.PenWidth;  // lopnWidth.y is not used by the platform
  pen.lopnColor = ResolveColor(tool->Props.Tool.Color);
  tool->Handle = Api.CreatePenIndirect(&pen);
}

// Brushes and pens own the bitmap whose handle sits at position 4; for fonts
// those bytes are lfHeight.
bool HasPatternBitmap(const TGraphicTool* tool) { return tool->Kind != tkFont; }

#ifndef NDEBUG
// Whether the canvas this tool tells of its changes has object selected still.
bool ListeningCanvasHolds(const TGraphicTool* tool, HGDIOBJ object) {
  if (tool->OnChange.Code != ToolChanged) return false;
  return CanvasHolds(static_cast<const TCanvas*>(tool->OnChange.Data), object);
}
#endif

TGraphicTool* NewTool(TToolKind kind, TGraphicTool* (*newSameKind)(),
                      void (*makeHandle)(TGraphicTool*)) {
  TGraphicTool* tool = NewObject<TGraphicTool>();
  tool->Kind = kind;
  tool->NewSameKind = newSameKind;
  tool->MakeHandle = makeHandle;
  return tool;
}

}  // namespace

// Constant-initialised, so it is in place before any other unit's start-up code runs.
LOGFONTW DefaultFontRecord = {0, 0, 0, 0, 0, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"MS Sans Serif"};
TColorValue DefaultFontColor = SysColorWindowText;

TControlBrushProc ControlBrushHook = nullptr;
TControlFontProc ControlFontHook = nullptr;
TControlBrushProc ToolBrushProvider = nullptr;
TControlFontProc FontApplier = nullptr;

uint32_t ResolveColor(TColorValue c) {
  if (static_cast<int32_t>(c) < 0) return Api.GetSysColor(static_cast<int>(c & 0x7FFFFFFF));
  return c;
}

bool SameBytes(const void* a, const void* b, size_t n) {
  return a == b || n == 0 || std::memcmp(a, b, n) == 0;
}

TGraphicTool* NewBrushTool() {
  if (ToolBrushProvider != nullptr) ControlBrushHook = ToolBrushProvider;
  TGraphicTool* tool = NewTool(tkBrush, NewBrushTool, MakeBrushHandle);
  tool->Props.Tool.Color = SysColorWindow;
  return tool;
}

TGraphicTool* NewFontTool() {
  if (FontApplier != nullptr) ControlFontHook = FontApplier;
  TGraphicTool* tool = NewTool(tkFont, NewFontTool, MakeFontHandle);
  tool->Props.Font.Color = DefaultFontColor;
  tool->Props.Font.Record = DefaultFontRecord;
  return tool;
}

TGraphicTool* NewPenTool() {
  TGraphicTool* tool = NewTool(tkPen, NewPenTool, MakePenHandle);
  tool->Props.Tool.PenMode = 12;  // SetROP2 gets 13, R2_COPYPEN
  return tool;
}

void TGraphicTool::Destroy(bool dispose) {
  if (HasPatternBitmap(this) && Props.Tool.PatternBitmap != 0)
    // Handles are sign-extended 32-bit values on 64-bit targets.
    Api.DeleteObject(reinterpret_cast<HGDIOBJ>(
        static_cast<intptr_t>(static_cast<int32_t>(Props.Tool.PatternBitmap))));
  // The canvas gives its DC back before it frees its tools.
  DEBUG_ASSERT(!ListeningCanvasHolds(this, Handle),
               "a tool is freed while its canvas has it selected");
  if (Handle != nullptr) Api.DeleteObject(Handle);
  Handle = nullptr;
  TBaseObject::Destroy(false);
  if (dispose) FreeInstance();
}

HGDIOBJ TGraphicTool::GetHandle() {
  // A system colour changed since the handle was made: drop it the usual way,
  // so listeners deselect it before it is deleted. A handle a listener asked
  // for meanwhile is made from the current colour and is kept: the listener
  // may already have handed it on (a window's WM_SETFONT).
  if (Handle != nullptr && ResolveColor(Props.Tool.Color) != ResolvedColor) Changed();
  if (Handle != nullptr) return Handle;
  // Borrowed, never stored: the comparison is repeated on every call.
  if (ParentTool != nullptr && SameBytes(&Props, &ParentTool->Props, sizeof(Props)))
    return ParentTool->GetHandle();
  ResolvedColor = ResolveColor(Props.Tool.Color);
  MakeHandle(this);
  return Handle;
}

void TGraphicTool::Changed() {
  // Order matters: the listener takes the old object out of its DC before it is deleted.
  HGDIOBJ old = Handle;
  Handle = nullptr;
  if (OnChange.Assigned()) OnChange.Code(OnChange.Data, this);
  DEBUG_ASSERT(!ListeningCanvasHolds(this, old), "a tool's old handle is deleted while selected");
  if (old != nullptr) Api.DeleteObject(old);
}

HGDIOBJ TGraphicTool::DetachHandle() {
  Changed();
  HGDIOBJ handle = Handle;
  Handle = nullptr;
  return handle;
}

void TGraphicTool::SetColor(TColorValue c) {
  if (Props.Tool.Color != c) {
    Props.Tool.Color = c;
    Changed();
  }
  // While an own handle exists, ResolvedColor is what it was made with; a
  // refresh would hide a system colour change from GetHandle.
  if (Handle == nullptr) ResolvedColor = ResolveColor(c);
}

void TGraphicTool::SetIntProp(int selector, int value) {
  // Only selectors whose four bytes lie inside the block; anything else
  // would write past it.
  if (selector < 0 || selector > static_cast<int>(sizeof(Props)) - 4) return;
  int32_t stored;
  std::memcpy(&stored, Props.Bytes + selector, 4);
  if (stored == value) return;
  int32_t v = value;
  std::memcpy(Props.Bytes + selector, &v, 4);
  Changed();
}

void TGraphicTool::SetBrushStyle(unsigned char style) {
  if (Props.Tool.BrushStyle == style) return;
  Props.Tool.BrushStyle = style;
  Changed();
}

void TGraphicTool::SetPenStyle(unsigned char style) {
  if (Props.Tool.PenStyle == style) return;
  Props.Tool.PenStyle = style;
  Changed();
}

void TGraphicTool::SetFontName(const wchar_t* name) {
  if (name == nullptr) name = L"";
  wchar_t* face = Props.Font.Record.lfFaceName;
  int length = 0;
  while (length < FaceNameUnits && face[length] != 0) ++length;
  if (StrLenW(name) == length && std::memcmp(face, name, length * sizeof(wchar_t)) == 0) return;
  // Cleared whole: the block is compared byte by byte, so nothing may linger after the zero.
  std::memset(face, 0, sizeof(Props.Font.Record.lfFaceName));
  StrLCopyW(face, name, FaceNameUnits - 1);
  Changed();
}

TGraphicTool* Assign(TGraphicTool* dest, TGraphicTool* src) {
  if (src == nullptr) {
    Free(dest);
    return nullptr;
  }
  if (dest == nullptr) dest = src->NewSameKind();
  if (dest == src) return dest;
  if (dest->Handle != nullptr && dest->Handle == src->Handle) return dest;
  dest->Changed();  // the listener hears this while dest still has its old properties
  // A pattern bitmap has one owner: a brush or pen keeps its own, so the
  // source's is never deleted twice.
  uint32_t ownPattern = dest->Props.Tool.PatternBitmap;
  dest->Props = src->Props;
  if (HasPatternBitmap(dest)) dest->Props.Tool.PatternBitmap = ownPattern;
  dest->Changed();
  return dest;
}
