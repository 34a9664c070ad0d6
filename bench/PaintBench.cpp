#include "bench/PaintBench.h"

#include <windows.h>

#include <string>
#include <vector>

#include "tests/support/CallProfile.h"
#include "bench/FloorPaint.h"
#include "bench/Measure.h"
#include "bench/PaintClock.h"
#include "controls/Application.h"
#include "controls/Control.h"
#include "core/Timer.h"
#include "core/WStrList.h"
#include "listbox/GlideStripbox.h"
#include "tests/support/TestWindows.h"

namespace {

const int WarmUp = 20;
const int Repetitions = 201;
const int PanelWidth = 240;
const int PanelHeight = 256;  // the demo's panel on a 240 x 320 screen
const int ProfiledRuns = 50;

std::wstring ItemText(int i) { return L"Deneme: " + std::to_wstring(i); }

// Runs whose UpdateWindow found nothing to paint: their time is not filed.
int MissedPaints = 0;

// One list box as the demo sets it up, with Count items, and the time of
// its last PanelPaint (negative: none since the case prepared).
struct TBenchList {
  int Count = 0;
  TGlideStripbox* List = nullptr;
  HWND Panel = nullptr;
  double LastPaintMs = -1;
};

void FileLastPaint(TBenchList* bench, double extraMs, std::vector<double>& samples) {
  if (bench->LastPaintMs < 0)
    ++MissedPaints;
  else
    samples.push_back(bench->LastPaintMs + extraMs);
  bench->LastPaintMs = -1;
}

void TimedPanelPaint(void* data, TControl* sender, HDC dc) {
  TBenchList* bench = static_cast<TBenchList*>(data);
  double start = NowMs();
  TGlideStripbox::PanelPaint(bench->List, sender, dc);
  bench->LastPaintMs = NowMs() - start;
}

void BuildList(TBenchList& bench, TControl* form, int count, int left) {
  bench.Count = count;
  bench.List = TGlideStripbox::Create(form, left, 0, PanelWidth, PanelHeight, alNone);
  // As the demo sets its list up.
  TGraphicTool* font = bench.List->GetPanel()->GetFont();
  font->SetFontName(L"Arial");
  font->SetIntProp(FontHeightProp, 15);
  bench.List->SetLineColor(0x00C0C0C0);
  TWStrList* items = bench.List->GetItems();
  for (int i = 0; i < count; ++i) items->Add(ItemText(i));
  bench.Panel = bench.List->GetPanel()->Handle;
  // PanelPaint itself, timed inside the paint the framework runs.
  bench.List->GetPanel()->OnPaint = {TimedPanelPaint, &bench};
}

// A real paint, as the list's Invalidate asks for one: the whole window, erase requested.
void PaintWindow(HWND window) {
  InvalidateRect(window, nullptr, TRUE);
  UpdateWindow(window);
}

// One paint at a given offset, with a given row selected (-1: none).
struct TPaintCase {
  TBenchList* Bench;
  int Offset;
  int Selected;
  std::vector<double> Inner;
};
void PreparePaint(void* data) {
  TPaintCase* c = static_cast<TPaintCase*>(data);
  c->Bench->List->Offset = {0, c->Offset};
  c->Bench->List->Selected = {c->Selected < 0 ? -1 : 0, c->Selected};
  c->Bench->LastPaintMs = -1;  // other cases paint this panel too
}
void RunPaint(void* data) { PaintWindow(static_cast<TPaintCase*>(data)->Bench->Panel); }
void FinishPaint(void* data) {
  TPaintCase* c = static_cast<TPaintCase*>(data);
  FileLastPaint(c->Bench, 0, c->Inner);
  c->Bench->List->Selected = {-1, -1};
}

// One tick of a glide at full speed that never reaches the end of the list,
// and the paint it asks for.
struct TTickCase {
  TBenchList* Bench;
  double TickMs;
  std::vector<double> Inner;
};
void PrepareTick(void* data) {
  TTickCase* c = static_cast<TTickCase*>(data);
  TGlideStripbox* list = c->Bench->List;
  if (list->Offset.y > list->MaxOffsetY() - 200) list->Offset.y = 0;
  list->Speed = {0, list->MaxSpeed};
  c->Bench->LastPaintMs = -1;
}
void RunTick(void* data) {
  TTickCase* c = static_cast<TTickCase*>(data);
  double start = NowMs();
  TGlideStripbox::TimerTick(c->Bench->List, c->Bench->List->Timer);
  c->TickMs = NowMs() - start;
  UpdateWindow(c->Bench->Panel);
}
void FinishTick(void* data) {
  TTickCase* c = static_cast<TTickCase*>(data);
  FileLastPaint(c->Bench, c->TickMs, c->Inner);
}

// The platform's list box: same items, row height, font and size.
struct TPlatformList {
  HWND Box = nullptr;
  HFONT Font = nullptr;  // owned; lives as long as the process
};

void BuildPlatformList(TPlatformList& box, HWND parent, int count, const LOGFONTW& font,
                       int left) {
  // No scroll bar: its rows are as wide as ours.
  box.Box = CreateWindowExW(0, L"LISTBOX", L"", WS_CHILD | WS_VISIBLE | LBS_NOINTEGRALHEIGHT,
                            left, 0, PanelWidth, PanelHeight, parent, nullptr,
                            GetModuleHandleW(nullptr), nullptr);
  box.Font = CreateFontIndirectW(&font);
  SendMessageW(box.Box, WM_SETFONT, reinterpret_cast<WPARAM>(box.Font), FALSE);
  SendMessageW(box.Box, LB_SETITEMHEIGHT, 0, 50);
  for (int i = 0; i < count; ++i)
    SendMessageW(box.Box, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(ItemText(i).c_str()));
}

// Scrolled by one row, then repainted whole; the clock times the WM_PAINT.
struct TScrollCase {
  TBenchList* Ours;  // null for the platform's list box
  HWND Window;
  int Row;
  std::vector<double> Inner;
  TPaintClock* Clock;
};
const int ScrollRows = 90;  // the top rows the scroll runs through before it starts over
void PrepareScroll(void* data) {
  TScrollCase* c = static_cast<TScrollCase*>(data);
  c->Clock->Attach(c->Window);
}
void RunScroll(void* data) {
  TScrollCase* c = static_cast<TScrollCase*>(data);
  c->Row = (c->Row + 1) % ScrollRows;
  if (c->Ours != nullptr)
    c->Ours->List->Offset.y = c->Row * c->Ours->List->ItemHeight;
  else
    SendMessageW(c->Window, LB_SETTOPINDEX, static_cast<WPARAM>(c->Row), 0);
  PaintWindow(c->Window);
}
void FinishScroll(void* data) { static_cast<TScrollCase*>(data)->Clock->Detach(); }

// A floor paints the 101-item panel's own window in place of the list box.
struct TFloorCase {
  TFloorPaint* Floor;
  HWND Window;
  TFloorKind Kind;
  std::vector<double> Inner;
};
void PrepareFloor(void* data) {
  TFloorCase* c = static_cast<TFloorCase*>(data);
  c->Floor->Samples = &c->Inner;
  c->Floor->Attach(c->Window, c->Kind);
}
void RunFloor(void* data) { PaintWindow(static_cast<TFloorCase*>(data)->Window); }
void FinishFloor(void* data) {
  TFloorCase* c = static_cast<TFloorCase*>(data);
  c->Floor->Detach();
  c->Floor->Samples = nullptr;
}

// A paint that never reached the panel would make every figure meaningless.
bool PaintReachesPanel(TBenchList& bench) {
  TCallProfile profile;
  PaintWindow(bench.Panel);
  return profile.Count("BitBlt") == 1 && profile.Count("DrawTextW") > 0;
}

enum TCaseIndex {
  ciDemoTop, ciDemoMiddle, ciHundredThousandTop, ciHundredThousandMiddle, ciMillionTop,
  ciMillionMiddle, ciSelected, ciTick, ciHandWritten, ciBitBlt, ciEmpty, ciOursScroll,
  ciTheirScroll
};

std::string PaintName(int count, const char* where) {
  return "paint_" + std::to_string(count) + "_items_240x256_offset_" + where;
}

void ReportCase(const TCase& c, double cycleMs) {
  if (c.Inner != nullptr) Report(c.Name, Median(*c.Inner), "ms");
  Report(c.Name + "_cycle", cycleMs, "ms");
}

}  // namespace

void RunPaintBench() {
  // One form for every list, side by side, none covering another: a covered
  // window would get no WM_PAINT at all.
  TControl* form = NewForm(nullptr, L"GlideStrip bench");
  TBenchList lists[3];
  const int counts[3] = {101, 100000, 1000000};
  for (int i = 0; i < 3; ++i) BuildList(lists[i], form, counts[i], i * 250);
  TBenchList& demo = lists[0];
  TGraphicTool* font = demo.List->GetPanel()->GetFont();
  TPlatformList platform;
  BuildPlatformList(platform, form->GetHandle(), demo.Count, font->FontRecord(), 760);
  form->CreateHandle();  // shows the form, as Run does
  PumpMessages();

  RECT client = {};
  GetClientRect(demo.Panel, &client);
  Note("panel " + std::to_string(client.right) + " x " + std::to_string(client.bottom) +
       ", Arial 15, as the demo; each paint is InvalidateRect(window, NULL, TRUE) + "
       "UpdateWindow(window), a real WM_PAINT");
  for (TBenchList& bench : lists) {
    if (!PaintReachesPanel(bench)) {
      Note("a paint of the " + std::to_string(bench.Count) + "-item panel drew nothing; stopped");
      return;
    }
    bench.LastPaintMs = -1;
  }

  std::vector<TPaintCase> paints;
  paints.reserve(7);
  for (int i = 0; i < 3; ++i) {
    paints.push_back({&lists[i], 0, -1, {}});
    paints.push_back({&lists[i], lists[i].List->MaxOffsetY() / 2, -1, {}});
  }
  paints.push_back({&demo, 0, 2, {}});
  TTickCase tick = {&demo, 0, {}};

  std::vector<std::wstring> texts;
  for (int i = 0; i < demo.Count; ++i) texts.push_back(ItemText(i));
  TFloorPaint floor(PanelWidth, PanelHeight, texts, font->FontRecord());
  TFloorCase handWritten = {&floor, demo.Panel, fkHandWritten, {}};
  TFloorCase blit = {&floor, demo.Panel, fkBitBlt, {}};
  TFloorCase empty = {&floor, demo.Panel, fkEmptyCycle, {}};

  std::vector<double> oursPaints;
  std::vector<double> theirPaints;
  TPaintClock oursClock(&oursPaints);
  TPaintClock theirClock(&theirPaints);
  TScrollCase oursScroll = {&demo, demo.Panel, 0, {}, &oursClock};
  TScrollCase theirScroll = {nullptr, platform.Box, 0, {}, &theirClock};

  // In the order of TCaseIndex.
  std::vector<TCase> cases = {
      {PaintName(101, "0"), PreparePaint, RunPaint, &paints[0], FinishPaint, &paints[0].Inner},
      {PaintName(101, "middle"), PreparePaint, RunPaint, &paints[1], FinishPaint, &paints[1].Inner},
      {PaintName(100000, "0"), PreparePaint, RunPaint, &paints[2], FinishPaint, &paints[2].Inner},
      {PaintName(100000, "middle"), PreparePaint, RunPaint, &paints[3], FinishPaint,
       &paints[3].Inner},
      {PaintName(1000000, "0"), PreparePaint, RunPaint, &paints[4], FinishPaint, &paints[4].Inner},
      {PaintName(1000000, "middle"), PreparePaint, RunPaint, &paints[5], FinishPaint,
       &paints[5].Inner},
      {"paint_101_items_240x256_row_2_selected", PreparePaint, RunPaint, &paints[6], FinishPaint,
       &paints[6].Inner},
      {"glide_tick_with_paint_101_items", PrepareTick, RunTick, &tick, FinishTick, &tick.Inner},
      {"floor_handwritten_paint_101_items_240x256", PrepareFloor, RunFloor, &handWritten,
       FinishFloor, &handWritten.Inner},
      {"floor_bitblt_240x256", PrepareFloor, RunFloor, &blit, FinishFloor, &blit.Inner},
      {"floor_empty_paint", PrepareFloor, RunFloor, &empty, FinishFloor, nullptr},
      {"scroll_repaint_101_items_ours", PrepareScroll, RunScroll, &oursScroll, FinishScroll,
       &oursPaints},
      {"scroll_repaint_101_items_platform_listbox", PrepareScroll, RunScroll, &theirScroll,
       FinishScroll, &theirPaints},
  };
  std::vector<TCase*> all;
  for (TCase& c : cases) all.push_back(&c);
  std::vector<double> cycle = MeasureSideBySide(all, WarmUp, Repetitions);

  Note(std::to_string(Repetitions) + " repetitions after " + std::to_string(WarmUp) +
       " warm-up rounds, cases taking turns; medians. NAME: PanelPaint alone (the floors: "
       "BeginPaint to EndPaint; scroll: the window's WM_PAINT); NAME_cycle: InvalidateRect + "
       "UpdateWindow as the caller sees it");
  for (size_t i = 0; i < cases.size(); ++i) ReportCase(cases[i], cycle[i]);
  if (MissedPaints > 0) ReportCount("paint_runs_without_a_paint", MissedPaints, "runs");

  auto inner = [&](TCaseIndex i) { return Median(*cases[i].Inner); };
  ReportRatio("paint_1000000_to_101_items_offset_0", inner(ciMillionTop), inner(ciDemoTop));
  ReportRatio("paint_1000000_to_101_items_offset_middle", inner(ciMillionMiddle),
              inner(ciDemoMiddle));
  ReportRatio("paint_ours_to_handwritten", inner(ciDemoTop), inner(ciHandWritten));
  ReportRatio("paint_ours_to_bitblt", inner(ciDemoTop), inner(ciBitBlt));
  ReportRatio("paint_ours_to_handwritten_cycle", cycle[ciDemoTop], cycle[ciHandWritten]);
  ReportRatio("paint_ours_to_bitblt_cycle", cycle[ciDemoTop], cycle[ciBitBlt]);
  ReportRatio("scroll_repaint_ours_to_platform_listbox", inner(ciOursScroll),
              inner(ciTheirScroll));
  ReportRatio("scroll_repaint_ours_to_platform_listbox_cycle", cycle[ciOursScroll],
              cycle[ciTheirScroll]);

  {
    demo.List->Offset = {0, 0};
    TCallProfile profile;
    for (int i = 0; i < ProfiledRuns; ++i) PaintWindow(demo.Panel);
    ReportProfile("paint_101_items_offset_0", profile, ProfiledRuns);
  }
  {
    TCallProfile profile;
    for (int i = 0; i < ProfiledRuns; ++i) {
      PrepareTick(&tick);
      RunTick(&tick);
    }
    ReportProfile("glide_tick_with_paint", profile, ProfiledRuns);
  }
  // The process ends with the group: the form, its lists and the windows go with it.
}
