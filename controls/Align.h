// Child alignment: children aligned to an edge of their parent, or filling
// what the others leave, are laid out again whenever the parent changes
// size or a child is shown, hidden or realigned.
//
//   WithAlign(NewButton(form, L"Kapat"), alBottom)->SetSize(0, 38);
//   SetAlign(panel, alClient);
#pragma once

#include "controls/Control.h"

void SetAlign(TControl* control, TAlign value);
TControl* WithAlign(TControl* control, TAlign value);
void Realign(TControl* control);
void AlignChildren(TControl* parent);
bool IsShowing(TControl* control);
