#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <vector>

#include "core/WStrList.h"
#include "graphics/GraphicTool.h"
#include "support/ApiPatch.h"
#include "support/GdiLedger.h"

namespace {

// System colours as the test sets them; indexes arrive with the platform's flag.
DWORD WindowColor, WindowTextColor;
std::vector<int> SysColorIndexes;
DWORD WINAPI ScriptedSysColor(int index) {
  SysColorIndexes.push_back(index);
  return index == 0x40000005 ? WindowColor : index == 0x40000008 ? WindowTextColor : 0x00ABCDEF;
}
struct TSysColors {
  TScopedPatch<DWORD(WINAPI*)(int)> Patch{Api.GetSysColor, ScriptedSysColor};
  TSysColors() { WindowColor = 0x00336699, WindowTextColor = 0x00112233, SysColorIndexes.clear(); }
};

LOGFONTW LastFontRecord;
HFONT WINAPI CapturingCreateFont(const LOGFONTW* record) {
  LastFontRecord = *record;
  return DefaultApi.CreateFontIndirectW(record);
}

// What a listener saw; with AskForHandle it asks for a handle, as a control
// does that gives its font to its window.
struct TListener {
  int Calls = 0;
  HGDIOBJ HandleDuring = nullptr;
  size_t DeletesBefore = 0;
  TApiRecorder* Rec = nullptr;
  bool AskForHandle = false;
  HGDIOBJ HandedOut = nullptr;
  std::vector<TToolProps> Seen;
  void Attach(TGraphicTool* tool) { tool->OnChange = {Listen, this}; }
  static void Listen(void* data, TGraphicTool* tool) {
    TListener* l = static_cast<TListener*>(data);
    ++l->Calls;
    l->HandleDuring = tool->Handle;
    l->Seen.push_back(tool->Props);
    if (l->Rec != nullptr) l->DeletesBefore = l->Rec->Count("DeleteObject");
    if (l->AskForHandle) l->HandedOut = tool->GetHandle();
  }
};

bool IsLive(HGDIOBJ handle) { return GetObjectType(handle) != 0; }
bool SameProps(const TToolProps& a, const TToolProps& b) { return SameBytes(&a, &b, 96); }

}  // namespace

TEST(GraphicTool, NewToolsStartFromTheDefaultsAndInstallTheHooks) {
  TSysColors colors;
  TScopedPatch font(Api.CreateFontIndirectW, CapturingCreateFont);
  TApiRecorder rec;
  RECORD(rec, CreateSolidBrush);
  TControlBrushProc savedBrush = ControlBrushHook, savedProvider = ToolBrushProvider;
  TControlFontProc savedFont = ControlFontHook, savedApplier = FontApplier;
  TControlBrushProc plain = [](TControl*) { return reinterpret_cast<HBRUSH>(1); };
  TControlBrushProc fromTool = [](TControl*) { return reinterpret_cast<HBRUSH>(2); };
  TControlFontProc apply = [](TControl*) {};
  ControlBrushHook = plain, ControlFontHook = nullptr;
  ToolBrushProvider = nullptr, FontApplier = nullptr;

  TGraphicTool* brush = NewBrushTool();  // nothing provided yet: hooks untouched
  EXPECT_EQ(ControlBrushHook, plain);
  EXPECT_NE(brush->GetHandle(), nullptr);
  ASSERT_EQ(rec.Count("CreateSolidBrush"), 1u);
  EXPECT_EQ(rec.Calls[0].Arg(0), 0x00336699u);
  EXPECT_EQ(SysColorIndexes.front(), 0x40000005);

  ToolBrushProvider = fromTool, FontApplier = apply;
  Free(NewPenTool());
  EXPECT_EQ(ControlBrushHook, plain);
  TGraphicTool* other = NewBrushTool();
  EXPECT_EQ(ControlBrushHook, fromTool);
  EXPECT_TRUE(SameProps(brush->Props, other->Props));  // no stray bytes

  TGraphicTool* text = NewFontTool();
  EXPECT_EQ(ControlFontHook, apply);
  EXPECT_EQ(text->Color(), 0xC0000008u);
  ASSERT_NE(text->GetHandle(), nullptr);
  LOGFONTW expected = {};
  expected.lfCharSet = 1;
  std::memcpy(expected.lfFaceName, L"MS Sans Serif", sizeof(L"MS Sans Serif"));
  EXPECT_EQ(std::memcmp(&LastFontRecord, &expected, sizeof(LOGFONTW)), 0);

  EXPECT_EQ(ResolveColor(0x00C0C0C0), 0x00C0C0C0u);
  EXPECT_EQ(ResolveColor(0x80000000), 0x00ABCDEFu);
  EXPECT_EQ(SysColorIndexes.back(), 0);
  ControlBrushHook = savedBrush, ToolBrushProvider = savedProvider;
  ControlFontHook = savedFont, FontApplier = savedApplier;
  Free(text);
  Free(other);
  Free(brush);
}

TEST(GraphicTool, SettersStoreOnlyChangesInsideTheBlock) {
  TScopedPatch font(Api.CreateFontIndirectW, CapturingCreateFont);
  TListener listener;
  TGraphicTool* tool = NewFontTool();
  listener.Attach(tool);
  tool->SetIntProp(4, 15);
  HGDIOBJ handle = tool->GetHandle();
  EXPECT_EQ(LastFontRecord.lfHeight, 15);
  tool->SetIntProp(4, 15);
  tool->SetColor(SysColorWindowText);
  tool->SetFontName(L"MS Sans Serif");
  EXPECT_EQ(listener.Calls, 1);
  EXPECT_EQ(tool->GetHandle(), handle);

  // Selectors whose four bytes would leave the block are ignored.
  TToolProps before = tool->Props;
  auto sameKind = tool->NewSameKind;
  for (int selector : {93, 96, 1000, INT_MAX, -1, -4, INT_MIN}) tool->SetIntProp(selector, -1);
  EXPECT_TRUE(SameProps(before, tool->Props));
  EXPECT_EQ(tool->NewSameKind, sameKind);
  EXPECT_EQ(listener.Calls, 1);
  tool->SetIntProp(92, 0x01020304);
  EXPECT_EQ(tool->Props.Bytes[95], 0x01);
  Free(tool);
}

TEST(GraphicTool, AChangedSystemColourRenewsTheHandle) {
  TSysColors colors;
  TGdiLedger ledger;
  TListener listener;
  listener.Rec = &ledger.Rec;
  TGraphicTool* brush = NewBrushTool();
  listener.Attach(brush);
  HGDIOBJ first = brush->GetHandle();
  EXPECT_EQ(brush->GetHandle(), first);

  WindowColor = 0x00445566;
  HGDIOBJ second = brush->GetHandle();
  EXPECT_EQ(listener.Calls, 1);
  EXPECT_EQ(listener.HandleDuring, nullptr);
  EXPECT_EQ(listener.DeletesBefore, 0u);  // the old brush goes after the listener
  EXPECT_FALSE(IsLive(first));
  EXPECT_EQ(ledger.Rec.Only("CreateSolidBrush").back().Arg(0), 0x00445566u);

  // An equal SetColor must not hide the next change from GetHandle.
  WindowColor = 0x00778899;
  brush->SetColor(SysColorWindow);
  EXPECT_NE(brush->GetHandle(), second);
  EXPECT_EQ(ledger.Rec.Only("CreateSolidBrush").back().Arg(0), 0x00778899u);

  // A handle the listener asked for meanwhile is kept, not deleted under it.
  listener.AskForHandle = true;
  WindowColor = 0x00000080;
  HGDIOBJ renewed = brush->GetHandle();
  EXPECT_EQ(renewed, listener.HandedOut);
  EXPECT_TRUE(IsLive(renewed));
  Free(brush);
  EXPECT_EQ(ledger.Faults(), std::vector<std::string>{});
}

TEST(GraphicTool, FontNamesAreCutTo31UnitsAndLeaveNothingBehind) {
  TListener listener;
  TGraphicTool* font = NewFontTool();
  listener.Attach(font);
  const wchar_t* forty = L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmn";
  font->SetFontName(forty);
  EXPECT_EQ(std::memcmp(font->FontRecord().lfFaceName, forty, 31 * sizeof(wchar_t)), 0);
  EXPECT_EQ(font->FontRecord().lfFaceName[31], 0);
  font->SetFontName(std::wstring(forty, 31).c_str());
  EXPECT_EQ(listener.Calls, 1);

  font->SetFontName(L"Arial");
  TGraphicTool* fresh = NewFontTool();
  fresh->SetFontName(L"Arial");
  EXPECT_TRUE(SameProps(font->Props, fresh->Props));
  font->SetFontName(nullptr);
  font->SetFontName(L"");
  EXPECT_EQ(listener.Calls, 3);
  EXPECT_EQ(font->FontRecord().lfFaceName[0], 0);
  Free(fresh);
  Free(font);
}

TEST(GraphicTool, AssignCopiesTheBlockAndReturnsTheToolToKeep) {
  TGraphicTool* src = NewBrushTool();
  src->SetColor(0x00202020);
  src->SetBrushStyle(1);
  TGraphicTool* copy = Assign(nullptr, src);
  ASSERT_NE(copy, src);
  EXPECT_FALSE(copy->OnChange.Assigned());
  EXPECT_TRUE(SameProps(copy->Props, src->Props));

  TListener listener;
  listener.Attach(copy);
  EXPECT_EQ(Assign(copy, copy), copy);
  EXPECT_EQ(listener.Calls, 0);
  TGraphicTool* other = NewBrushTool();
  HGDIOBJ old = copy->GetHandle();
  EXPECT_EQ(Assign(copy, other), copy);
  ASSERT_EQ(listener.Calls, 2);  // first with the old properties, then with the new
  EXPECT_TRUE(SameProps(listener.Seen[0], src->Props));
  EXPECT_TRUE(SameProps(listener.Seen[1], other->Props));
  EXPECT_EQ(copy->OnChange.Data, &listener);
  EXPECT_FALSE(IsLive(old));

  bool freed = false;
  copy->OnDestroy = {[](void* data, TBaseObject*) { *static_cast<bool*>(data) = true; }, &freed};
  EXPECT_EQ(Assign(copy, nullptr), nullptr);
  EXPECT_TRUE(freed);

  // A pattern bitmap keeps its one owner; the copy does not delete it too.
  HBITMAP pattern = CreateBitmap(8, 8, 1, 1, nullptr);
  src->SetIntProp(4, static_cast<int>(reinterpret_cast<intptr_t>(pattern)));
  Free(Assign(nullptr, src));
  EXPECT_TRUE(IsLive(pattern));
  Free(src);
  EXPECT_FALSE(IsLive(pattern));
  Free(other);
}

TEST(GraphicTool, EqualBlocksBorrowTheParentsHandle) {
  TGdiLedger ledger;
  TGraphicTool* parent = NewFontTool();
  parent->SetFontName(L"Arial");
  TGraphicTool* child = Assign(nullptr, parent);
  child->ParentTool = parent;
  HGDIOBJ shared = child->GetHandle();
  EXPECT_EQ(shared, parent->Handle);
  EXPECT_EQ(child->Handle, nullptr);

  child->SetColor(0x000000FF);
  HGDIOBJ own = child->GetHandle();
  EXPECT_NE(own, shared);
  EXPECT_EQ(child->Handle, own);
  Free(child);
  EXPECT_TRUE(IsLive(shared));
  EXPECT_EQ(ledger.Rec.Count("CreateFontIndirectW"), 2u);
  Free(parent);
  EXPECT_EQ(ledger.Faults(), std::vector<std::string>{});
}
