#include "graphics/Bitmap.h"

#include "core/Assert.h"
#include "platform/Platform.h"

TBitmap* NewOffscreenBitmap(int width, int height) {
  TBitmap* bitmap = NewObject<TBitmap>();
  bitmap->Width = width;
  bitmap->Height = height;
  if (width != 0 && height != 0) {
    // The screen DC is held only for the one call that makes the bitmap compatible with it.
    HDC screen = Api.GetDC(nullptr);
    bitmap->Handle = Api.CreateCompatibleBitmap(screen, width, height);
    Api.ReleaseDC(nullptr, screen);
  }
  return bitmap;
}

void CanvasChanged(void* bitmap, TCanvas* canvas) {
  // Creates the brush with its defaults when the canvas has none, so every
  // drawing operation fills with a known colour.
  static_cast<TBitmap*>(bitmap)->BkColor = canvas->GetBrush()->Color();
}

void TBitmap::Deselect() {
  if (SavedBitmap == nullptr) return;
  if (Canvas != nullptr) Api.SelectObject(Canvas->DC, SavedBitmap);
  SavedBitmap = nullptr;
}

HBITMAP TBitmap::GetHandle() {
  if (IsEmpty()) return nullptr;
  Deselect();  // free to be used in another DC or deleted
  return Handle;
}

TCanvas* TBitmap::GetCanvas() {
  if (IsEmpty()) return nullptr;
  if (GetHandle() == nullptr) return nullptr;
  if (Canvas == nullptr) {
    // No owner and no DC supplier: the canvas owns the memory DC and deletes it.
    Canvas = NewCanvasOnDC(Api.CreateCompatibleDC(nullptr));
    Canvas->OnChange.Code = CanvasChanged;
    Canvas->OnChange.Data = this;
    if (BkColor != 0) Canvas->GetBrush()->SetColor(BkColor);
  }
  if (Canvas->DC == nullptr) {
    // Detached, or the platform refused the first one.
    Canvas->SetHandle(Api.CreateCompatibleDC(nullptr));
    SavedBitmap = nullptr;
  }
  if (SavedBitmap == nullptr)
    SavedBitmap = static_cast<HBITMAP>(Api.SelectObject(Canvas->GetHandle(), Handle));
  return Canvas;
}

void TBitmap::ReleaseHandle() {
  Deselect();
  DEBUG_ASSERT(SavedBitmap == nullptr && (Canvas == nullptr || !CanvasHolds(Canvas, Handle)),
               "the bitmap is deleted while selected into its memory DC");
  if (Handle != nullptr) Api.DeleteObject(Handle);
  Handle = nullptr;
}

void TBitmap::FreeCanvas() {
  // The bitmap comes out first, so the DC is deleted with nothing of ours in it.
  Deselect();
  FreeAndNil(Canvas);
}

void TBitmap::Clear() {
  // Canvas before handle: the bitmap is deleted while selected nowhere.
  FreeCanvas();
  ReleaseHandle();
  Width = 0;
  Height = 0;
}

void TBitmap::Destroy(bool dispose) {
  Clear();
  TBaseObject::Destroy(false);
  if (dispose) FreeInstance();
}
