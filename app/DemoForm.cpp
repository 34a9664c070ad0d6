#include "app/DemoForm.h"

#include <string>

#include "controls/Align.h"
#include "controls/Application.h"
#include "controls/ChildControls.h"
#include "controls/Control.h"
#include "controls/Dispatch.h"
#include "core/PlatformInfo.h"
#include "core/WStrList.h"
#include "listbox/GlideStripbox.h"
#include "platform/Platform.h"

TDemoForm* DemoForm = nullptr;

namespace {

const int ItemCount = 101;

// The item texts are made as 8-bit text; the platform's code page turns them into UTF-16.
WideString ToWide(const std::string& text) {
  int length = static_cast<int>(text.size());
  if (length == 0) return WideString();
  int needed = Api.MultiByteToWideChar(CP_ACP, 0, text.data(), length, nullptr, 0);
  if (needed <= 0) return WideString();
  WideString wide(static_cast<size_t>(needed), L'\0');
  int written = Api.MultiByteToWideChar(CP_ACP, 0, text.data(), length, &wide[0], needed);
  wide.resize(written > 0 ? static_cast<size_t>(written) : 0);
  return wide;
}

// "Kapat", the form's one tab stop, looked up afresh: a button closed from
// outside has left the form, and the holder's pointer to it is stale.
TControl* TabStopOf(TControl* form) {
  for (int i = 0; i < form->ChildCount(); ++i)
    if (form->GetChild(i)->TabStop) return form->GetChild(i);
  return nullptr;
}

}  // namespace

void NewDemoForm(TDemoForm*& result, TControl* parent) {
  result = NewObject<TDemoForm>();
  result->Form = NewForm(parent, L"GlideStrip Demo");
  MainForm = result->Form;
  result->Form->AddOwned(result);  // the holder goes when the form is freed
  result->Form->AlignMargin = 0;   // aligned children touch the edges and each other
  result->Button = NewButton(result->Form, L"Kapat");
  WithAlign(result->Button, alBottom)->SetSize(0, 38);
  result->Button->OnClick = {CloseClick, result};
  result->Button->OnKeyDown = {ButtonKeyDown, result};
  result->Form->OnKeyDown = {FormKeyDown, result};
  PopulateList(result);
}

// The button was aligned first: the list takes what the button leaves above it.
void PopulateList(TDemoForm* self) {
  self->ListBox = TGlideStripbox::Create(self->Form, 0, 0, 0, 0, alClient);
  TGraphicTool* font = self->ListBox->GetPanel()->GetFont();
  font->SetFontName(L"Arial");
  font->SetIntProp(FontHeightProp, 15);
  self->ListBox->SetLineColor(0x00C0C0C0);
  self->ListBox->OnItemClick = {ItemClick, self};
  self->ListBox->OnKeyDown = {ListKeyDown, self};
  TWStrList* items = self->ListBox->GetItems();
  for (int i = 0; i < ItemCount; ++i) items->Add(ToWide("Deneme: " + IntToStr(i)));
}

// An index outside the list (-1, or a tap below the last row) shows an empty text.
void ItemClick(void*, TGlideStripbox* sender, int index) {
  ShowMessage(sender->GetItems()->Get(index));
}

void CloseClick(void* receiver, TControl*) { Close(static_cast<TDemoForm*>(receiver)->Form); }

// The list lies above "Kapat": Up, and Tab either way, go up to it; the list
// keeps its selection.
void ButtonKeyDown(void* receiver, TControl* sender, TKeyEventInfo& info) {
  TDemoForm* self = static_cast<TDemoForm*>(receiver);
  if ((info.Key == VK_UP || info.Key == VK_TAB) && self->ListBox != nullptr) {
    self->ListBox->Focus();
    info.Handled = true;
  } else if (info.Key == VK_RETURN) {
    // The system button clicks on Space only; a keypad's action key sends Enter.
    // A held key presses once: its repeats are ignored.
    if (!info.Repeat) Click(sender);
    info.Handled = true;
  } else if (info.Key == VK_SPACE && info.Repeat) {
    info.Handled = true;  // the button presses once, when Space goes up
  }
}

// The form has the focus itself only when the control that had it went (a
// window closed from outside): Tab, Up and Down bring the focus back to the
// list, or to "Kapat" when the list has gone too.
void FormKeyDown(void* receiver, TControl* sender, TKeyEventInfo& info) {
  TDemoForm* self = static_cast<TDemoForm*>(receiver);
  if (info.Key != VK_TAB && info.Key != VK_UP && info.Key != VK_DOWN) return;
  info.Handled = true;
  if (self->ListBox != nullptr && self->ListBox->GetPanel() != nullptr) {
    self->ListBox->Focus();
  } else if (TControl* kapat = TabStopOf(sender)) {
    SetFocused(kapat, true);
  }
}

// Tab either way, and Down on the last row, leave the list for "Kapat".
void ListKeyDown(void* receiver, TControl*, TKeyEventInfo& info) {
  TDemoForm* self = static_cast<TDemoForm*>(receiver);
  TGlideStripbox* list = self->ListBox;
  const bool onLastRow = list->Selected.y == list->GetItems()->Count() - 1;
  TControl* kapat = TabStopOf(self->Form);
  if (kapat != nullptr && (info.Key == VK_TAB || (info.Key == VK_DOWN && onLastRow))) {
    SetFocused(kapat, true);
    info.Handled = true;
  }
}

int RunDemo() {
  NewDemoForm(DemoForm, nullptr);
  Run(DemoForm->Form);
  DemoForm = nullptr;  // the form owned the holder, and Run has freed the form
  return 0;
}
