// Standard child controls: a push button ("BUTTON"), a label ("STATIC") and
// a drawing panel (a label without text). They subclass the system classes;
// the framework turns their notifications into events and keeps track of
// which child of a form has the focus.
//
//   TControl* button = NewButton(form, L"Kapat");
//   button->OnClick = {CloseClick, holder};
#pragma once

#include "controls/Control.h"

const TNotifyCodes ButtonCodes = {0 /*BN_CLICKED*/, 6 /*BN_SETFOCUS*/, 7 /*BN_KILLFOCUS*/};
const TNotifyCodes LabelCodes = {0 /*STN_CLICKED*/, 0, 0};

const uint32_t ButtonStyle = 0x50015000;  // WS_CHILD|WS_VISIBLE|WS_TABSTOP|BS_NOTIFY|BS_PUSHLIKE
const uint32_t LabelStyle = 0x5000018C;   // WS_CHILD|WS_VISIBLE|SS_NOTIFY|SS_NOPREFIX|SS_LEFTNOWORDWRAP

TControl* NewChildControl(TControl* parent, const wchar_t* className, uint32_t style,
                          const TNotifyCodes* codes);
TControl* NewButton(TControl* parent, const WideString& caption);
TControl* NewLabel(TControl* parent, const WideString& caption);
TControl* NewPanel(TControl* parent);

bool ChildControlHook(TControl* control, TMessageRecord& message, LRESULT& result);
bool ButtonDblClickHook(TControl* control, TMessageRecord& message, LRESULT& result);
bool ButtonFocusHook(TControl* control, TMessageRecord& message, LRESULT& result);

void Click(TControl* control);
void SetFocused(TControl* control, bool value);
// Creates the window if needed, shows it, brings it forward and gives it the focus.
void Activate(TControl* control);
