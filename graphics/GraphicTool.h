// Colours and graphic tools. TGraphicTool stands for a brush, a font or a
// pen: its properties live in a packed 96-byte block, and the GDI object is
// made only when GetHandle is asked. Every change drops the handle after the
// listener was told, so a canvas can deselect it before it is deleted.
//
//   TGraphicTool* font = NewFontTool();
//   font->SetFontName(L"Arial");
//   font->SetIntProp(FontHeightProp, 15);
//   HFONT handle = (HFONT)font->GetHandle();
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "core/BaseObject.h"

struct TControl;

// bit 31 clear: RGB 0x00BBGGRR; bit 31 set: system colour index (with its 0x40000000 flag).
typedef uint32_t TColorValue;
const TColorValue SysColorWindow = 0xC0000005;
const TColorValue SysColorWindowText = 0xC0000008;
const TColorValue SysColorButtonFace = 0xC000000F;

// The RGB value of a colour, system colours looked up now.
uint32_t ResolveColor(TColorValue c);
// True for the same address or equal first n bytes.
bool SameBytes(const void* a, const void* b, size_t n);

typedef unsigned char TToolKind;
const TToolKind tkBrush = 0;
const TToolKind tkFont = 1;
const TToolKind tkPen = 2;

#pragma pack(push, 1)
// Compared byte by byte and copied whole, so bytes no field covers stay zero.
union TToolProps {
  unsigned char Bytes[96];
  struct {
    TColorValue Color;        // 0
    uint32_t PatternBitmap;   // 4: brush and pen; never set in this system
    unsigned char BrushStyle; // 8: 0 solid, else clear
    unsigned char PenStyle;   // 9: PS_SOLID .. PS_NULL
    int32_t PenWidth;         // 10
    unsigned char PenMode;    // 14: SetROP2 gets PenMode + 1
  } Tool;
  struct {
    TColorValue Color;        // 0
    LOGFONTW Record;          // 4..95
  } Font;
};
#pragma pack(pop)

static_assert(sizeof(TToolProps) == 96, "the property block is 96 bytes");
static_assert(offsetof(TToolProps, Tool.PatternBitmap) == 4, "PatternBitmap at 4");
static_assert(offsetof(TToolProps, Tool.BrushStyle) == 8, "BrushStyle at 8");
static_assert(offsetof(TToolProps, Tool.PenStyle) == 9, "PenStyle at 9");
static_assert(offsetof(TToolProps, Tool.PenWidth) == 10, "PenWidth at 10");
static_assert(offsetof(TToolProps, Tool.PenMode) == 14, "PenMode at 14");
static_assert(offsetof(TToolProps, Font.Record) == 4, "the LOGFONTW at 4");
static_assert(offsetof(TToolProps, Font.Record.lfHeight) == 4, "lfHeight at 4");
static_assert(offsetof(TToolProps, Font.Record.lfWeight) == 20, "lfWeight at 20");
static_assert(offsetof(TToolProps, Font.Record.lfCharSet) == 27, "lfCharSet at 27");
static_assert(offsetof(TToolProps, Font.Record.lfFaceName) == 32, "lfFaceName at 32");

// SetIntProp's selectors are byte offsets into the block; the ones in use, by name.
const int FontHeightProp = offsetof(TToolProps, Font.Record.lfHeight);  // the cell height, in pixels

struct TGraphicTool;
typedef void (*TToolNotifyProc)(void* data, TGraphicTool* sender);
typedef TEventPair<TToolNotifyProc> TToolNotifyEvent;

struct TGraphicTool : TBaseObject {
  TToolKind Kind;
  HGDIOBJ Handle;              // owned; deleted when dropped or at Destroy
  TGraphicTool* ParentTool;    // not owned; lends its handle while the blocks are equal
  uint32_t ResolvedColor;      // the RGB the current handle was made with
  TToolNotifyEvent OnChange;
  TToolProps Props;
  TGraphicTool* (*NewSameKind)();
  void (*MakeHandle)(TGraphicTool* tool);

  HGDIOBJ GetHandle();
  void Changed();
  HGDIOBJ DetachHandle();

  void SetColor(TColorValue c);
  void SetIntProp(int selector, int value);
  void SetBrushStyle(unsigned char style);
  void SetPenStyle(unsigned char style);
  void SetFontName(const wchar_t* name);

  TColorValue Color() const { return Props.Tool.Color; }
  unsigned char BrushStyle() const { return Props.Tool.BrushStyle; }
  unsigned char PenStyle() const { return Props.Tool.PenStyle; }
  unsigned char PenMode() const { return Props.Tool.PenMode; }
  const LOGFONTW& FontRecord() const { return Props.Font.Record; }

  void Destroy(bool dispose) override;
};

TGraphicTool* NewBrushTool();
TGraphicTool* NewFontTool();
TGraphicTool* NewPenTool();

// Copies src's properties into dest and returns the tool the caller keeps:
// a new tool when dest is null, null (dest freed) when src is null.
TGraphicTool* Assign(TGraphicTool* dest, TGraphicTool* src);

// Process-wide defaults every new font tool copies.
extern LOGFONTW DefaultFontRecord;
extern TColorValue DefaultFontColor;

// Replaceable procedures between the graphics and the control framework.
typedef HBRUSH (*TControlBrushProc)(TControl* control);
typedef void (*TControlFontProc)(TControl* control);
extern TControlBrushProc ControlBrushHook;  // the plain provider until the first brush tool
extern TControlFontProc ControlFontHook;    // empty until the first font tool

// What NewBrushTool and NewFontTool install into the hooks above. The control
// framework provides both (and the plain provider) when it starts, so this
// layer never names the layer above it.
extern TControlBrushProc ToolBrushProvider;
extern TControlFontProc FontApplier;
