// Bad data in the demo's list: texts the platform treats specially, texts
// far too long for a row, a million items scrolled end to end by flicks, and
// activations outside the list. Each test ends as the program does and
// checks that only what the list box holds survives.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "support/ApiPatch.h"
#include "support/ReliabilityDemo.h"
#include "support/TestWindows.h"
#include "app/DemoForm.h"
#include "controls/Application.h"
#include "controls/Control.h"
#include "core/Timer.h"
#include "core/WStrList.h"
#include "graphics/Bitmap.h"
#include "graphics/Canvas.h"
#include "listbox/GlideStripbox.h"
#include "tests/support/HandleAccounting.h"

namespace {

const COLORREF White = 0x00FFFFFF;

// DrawTextW as the list called it, then drawn for real.
struct TDrawCall {
  std::wstring Text;
  int Length;
  RECT Rect;
  UINT Format;
};
std::vector<TDrawCall> Drawn;

int WINAPI RecordDrawText(HDC dc, LPCWSTR text, int length, LPRECT rect, UINT format) {
  TDrawCall call;
  call.Length = length;
  call.Text = length >= 0 ? std::wstring(text, length) : std::wstring(text);
  call.Rect = *rect;
  call.Format = format;
  Drawn.push_back(call);
  return DefaultApi.DrawTextW(dc, text, length, rect, format);
}

class BadData : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetFrameworkState(crUnregisterClasses);
    StartHandleAccounting();
    NewDemoForm(DemoForm, nullptr);
    Holder = DemoForm;
    Form = Holder->Form;
    List = Holder->ListBox;
    Form->CreateHandle();  // shown, as the loop does first
    PumpMessages();
  }
  void TearDown() override {
    // As the program ends: the loop's shutdown frees the form, the list stays.
    Shutdown(Form);
    DemoForm = nullptr;
    EXPECT_EQ(SurvivorFault(List), "");
    List->Destroy();
    EXPECT_EQ(LeftAliveFault(), "");
    StopHandleAccounting();
    ResetFrameworkState(crUnregisterClasses);
  }

  void SetItems(const std::vector<std::wstring>& texts) {
    List->GetItems()->Clear();
    for (const std::wstring& text : texts) List->GetItems()->Add(text);
  }

  // A real WM_PAINT of the panel; returns what it drew.
  std::vector<TDrawCall> Paint() {
    Drawn.clear();
    TScopedPatch<decltype(TPlatformApi::DrawTextW)> record(Api.DrawTextW, &RecordDrawText);
    RedrawWindow(List->Panel->Handle, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    return Drawn;
  }

  COLORREF Pixel(int x, int y) { return GetPixel(List->BackBuffer->GetCanvas()->GetHandle(), x, y); }
  int Height() { return List->Panel->GetHeight(); }

  TDeviceScreen Screen;
  TMessageBoxRecorder Boxes;
  TScriptedClock Clock{1000000};
  TDemoForm* Holder = nullptr;
  TControl* Form = nullptr;
  TGlideStripbox* List = nullptr;
};

TEST_F(BadData, SpecialTextsReachTheRowWholeAndAmpersandsStayLiteral) {
  const std::vector<std::wstring> texts = {
      L"&Kapat", L"a && b &",                                  // prefix characters
      L"\xD83D\xDE00 smile \xD834\xDD1E",                      // surrogate pairs
      L"e\x0301 a\x0308\x0323 \x0915\x094D\x0937",             // combining marks
      L"\x05E9\x05DC\x05D5\x05DD abc \x0645\x0631\x062D\x0628\x0627",  // right-to-left
      L"\xDC00 lone \xD800"};                                  // unpaired surrogates
  SetItems(texts);
  std::vector<TDrawCall> drawn = Paint();
  ASSERT_EQ(drawn.size(), texts.size());
  for (size_t i = 0; i < texts.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(List->GetItems()->Get(static_cast<int>(i)), texts[i]);
    EXPECT_EQ(drawn[i].Text, texts[i]);
    EXPECT_EQ(drawn[i].Length, static_cast<int>(texts[i].size()));
    // An ampersand is drawn as itself: no prefix processing, one line.
    EXPECT_EQ(drawn[i].Format & (DT_NOPREFIX | DT_SINGLELINE), static_cast<UINT>(DT_NOPREFIX | DT_SINGLELINE));
    EXPECT_EQ(drawn[i].Format & DT_WORDBREAK, 0u);
  }
  EXPECT_EQ(ListInvariantFault(List), "");
}

TEST_F(BadData, EmptyTextAndAZeroCodeUnitInTheMiddle) {
  WideString withZero(L"ab\0cd", 5);
  SetItems({L"", withZero, L"after"});
  // The list keeps zero-terminated copies: the text ends at the zero.
  EXPECT_EQ(List->GetItems()->Count(), 3);
  EXPECT_EQ(List->GetItems()->Get(0), L"");
  EXPECT_EQ(List->GetItems()->Get(1), L"ab");
  std::vector<TDrawCall> drawn = Paint();
  ASSERT_EQ(drawn.size(), 3u);
  EXPECT_EQ(drawn[0].Length, 0);
  EXPECT_EQ(drawn[1].Text, L"ab");
  EXPECT_EQ(drawn[1].Length, 2);
  EXPECT_EQ(drawn[2].Text, L"after");
  // The empty row still has its separator lines and a clean inside.
  EXPECT_EQ(Pixel(10, 0), List->LineColor);
  EXPECT_EQ(Pixel(10, 50), List->LineColor);
  for (int y = 2; y < 49; y += 3) EXPECT_EQ(Pixel(List->ItemWidth / 2, y), White) << y;
}

TEST_F(BadData, HundredThousandCharactersAreCutAtTheRowsRightMargin) {
  SetItems({std::wstring(100000, L'W'), L""});
  std::vector<TDrawCall> drawn = Paint();
  ASSERT_EQ(drawn.size(), 2u);
  EXPECT_EQ(drawn[0].Length, 100000);
  EXPECT_NE(drawn[0].Format & DT_SINGLELINE, 0u);
  EXPECT_EQ(drawn[0].Rect.right, List->ItemWidth - 2);
  const int width = List->ItemWidth;
  // Text right up to the margin, nothing in it, nothing in the row below.
  bool nearMargin = false;
  for (int x = width - 14; x < width - 2; ++x)
    for (int y = 2; y < 49; ++y) nearMargin = nearMargin || Pixel(x, y) != White;
  EXPECT_TRUE(nearMargin);
  for (int x = width - 2; x < width; ++x)
    for (int y = 1; y < 50; ++y) EXPECT_EQ(Pixel(x, y), White) << x << ", " << y;
  for (int x = 0; x < width; x += 7)
    for (int y = 51; y < 100; y += 3) EXPECT_EQ(Pixel(x, y), White) << x << ", " << y;
}

TEST_F(BadData, MillionItemsScrollToTheEndAndBackByFlicks) {
  TBusyCore busy;
  const int count = 1000000;
  List->GetItems()->Clear();
  for (int i = 0; i < count; ++i) List->GetItems()->Add(L"Item " + std::to_wstring(i));
  const int height = Height();
  const int width = List->Panel->GetWidth();
  ASSERT_EQ(List->ItemWidth, width);
  EXPECT_EQ(List->MaxOffsetY(), count * 50 - height);
  EXPECT_EQ(List->MaxOffsetX(), count * width - width);
  HWND panel = List->Panel->Handle;

  // The rows a paint draws: one beyond each visible end, none past the list.
  auto checkPaint = [&](const char* where) {
    std::vector<TDrawCall> drawn = Paint();
    long first = List->Offset.y / 50 - 1;
    if (first < 0) first = 0;
    long last = (List->Offset.y + height) / 50 + 1;
    if (last > count) last = count;
    ASSERT_EQ(drawn.size(), static_cast<size_t>(last - first)) << where;
    EXPECT_EQ(drawn.front().Text, L"Item " + std::to_wstring(first)) << where;
    EXPECT_EQ(drawn.back().Text, L"Item " + std::to_wstring(last - 1)) << where;
    EXPECT_EQ(drawn.front().Rect.top, first * 50 - List->Offset.y + 1) << where;
  };
  // One flick: a stroke of 60,000 pixels, as far as 16-bit stylus
  // coordinates reach, then the glide at full speed to rest, tick by tick.
  long long ticks = 0;
  auto flick = [&](int from, int to) {
    Clock.Advance(1000);
    SendMessageW(panel, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(100, static_cast<WORD>(from)));
    SendMessageW(panel, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(100, static_cast<WORD>(to)));
    SendMessageW(panel, WM_LBUTTONUP, 0, MAKELPARAM(100, static_cast<WORD>(to)));
    for (int i = 0; i < 1000 && List->Timer->Enabled; ++i, ++ticks)
      TGlideStripbox::TimerTick(List, List->Timer);
    EXPECT_FALSE(List->Timer->Enabled);
    EXPECT_EQ(ListInvariantFault(List), "");
  };

  checkPaint("top");
  int flicks = 0;
  while (List->Offset.y < List->MaxOffsetY() && flicks < 2000) {
    flick(30000, -30000);
    if (++flicks % 200 == 0) checkPaint("down");
  }
  EXPECT_EQ(List->Offset.y, count * 50 - height);
  checkPaint("end");
  std::vector<TDrawCall> end = Paint();
  EXPECT_EQ(end.back().Text, L"Item 999999");
  EXPECT_EQ(end.back().Rect.bottom, height - 1);  // the last row ends at the bottom edge
  const int down = flicks;

  while (List->Offset.y > 0 && flicks < 4000) {
    flick(-30000, 30000);
    if (++flicks % 200 == 0) checkPaint("up");
  }
  EXPECT_EQ(List->Offset.y, 0);
  checkPaint("back at the top");
  Figure("baddata.million.flicks_down", static_cast<long long>(down));
  Figure("baddata.million.flicks_up", static_cast<long long>(flicks - down));
  Figure("baddata.million.glide_ticks", ticks);
}

TEST_F(BadData, ActivationOutsideTheListShowsAnEmptyText) {
  for (int index : {-1, 101, 102, INT_MAX, INT_MIN}) {
    SCOPED_TRACE(index);
    TMessageBoxRecorder::Text = L"unchanged";
    ItemClick(Holder, List, index);
    EXPECT_EQ(TMessageBoxRecorder::Text, L"");
    EXPECT_EQ(TMessageBoxRecorder::Caption, L"GlideStrip Demo");
  }
  EXPECT_EQ(TMessageBoxRecorder::Count, 5);
  ItemClick(Holder, List, 100);
  EXPECT_EQ(TMessageBoxRecorder::Text, L"Deneme: 100");
}

}  // namespace
