// The demo: one main form captioned "GlideStrip Demo" with the close button
// "Kapat" docked at its bottom and a TGlideStripbox of 101 items above it.
// Activating an item shows its text in a message box; the button ends the
// program. Without a stylus the keys move the focus between the list and the
// button, and Enter or Space presses a focused button.
#pragma once

#include "core/BaseObject.h"

struct TControl;
struct TKeyEventInfo;
class TGlideStripbox;

struct TDemoForm : TBaseObject {
  TControl* Button;
  TControl* Form;
  TGlideStripbox* ListBox;
};

extern TDemoForm* DemoForm;

void NewDemoForm(TDemoForm*& result, TControl* parent);
void PopulateList(TDemoForm* self);
void ItemClick(void* receiver, TGlideStripbox* sender, int index);
void CloseClick(void* receiver, TControl* sender);
void ButtonKeyDown(void* receiver, TControl* sender, TKeyEventInfo& info);
void ListKeyDown(void* receiver, TControl* sender, TKeyEventInfo& info);
void FormKeyDown(void* receiver, TControl* sender, TKeyEventInfo& info);

// The program's body, from building the form to the end of its loop.
int RunDemo();
