// TCustomSysView: image lists, style rewrites, colours and the client rectangle of the
// wrapped system views.
#include "forms/CustomSysView.h"

namespace forms {

TCustomSysView::TCustomSysView(TComponent* owner, int width, int height) : TWinControl(owner) {
  // The system's drag-detect loop swallows the button release; the view hands it on itself.
  release_taken_by_system_ = true;
  SetBounds(0, 0, width, height);
  SetColor(clWindow);
  SetTabStop(true);
}

LRESULT TCustomSysView::Send(UINT msg, WPARAM w, LPARAM l) const {
  return handle_ ? SendMessageA(handle_, msg, w, l) : 0;
}

RECT TCustomSysView::ClientRect() const {
  RECT r{};
  if (handle_ && GetClientRect(handle_, &r)) return r;
  return TWinControl::ClientRect();
}

void TCustomSysView::ApplyStyle() {
  if (!handle_) return;
  TCreateParams p;
  CreateParams(p);
  const DWORD mask = StyleMask();
  auto style = static_cast<DWORD>(GetWindowLongPtrA(handle_, GWL_STYLE));
  SetWindowLongPtrA(handle_, GWL_STYLE, static_cast<LONG_PTR>((style & ~mask) | (p.Style & mask)));
  auto ex = static_cast<DWORD>(GetWindowLongPtrA(handle_, GWL_EXSTYLE));
  SetWindowLongPtrA(handle_, GWL_EXSTYLE,
                    static_cast<LONG_PTR>((ex & ~WS_EX_CLIENTEDGE) | (p.ExStyle & WS_EX_CLIENTEDGE)));
  SetWindowPos(handle_, nullptr, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  InvalidateRect(handle_, nullptr, TRUE);
}

void TCustomSysView::ApplyImages() {
  if (!handle_) return;
  // The views never free image lists; the old copies go once the window no longer uses them.
  images_.Apply([this](bool state, HIMAGELIST list) { GiveImageList(state, list); });
}

void TCustomSysView::SetItemImages(TImageList* v) {
  if (images_.SetImages(v)) ApplyImages();
}

void TCustomSysView::SetStateImages(TImageList* v) {
  if (images_.SetStateImages(v)) ApplyImages();
}

void TCustomSysView::Notification(TComponent* component, TOperation operation) {
  TWinControl::Notification(component, operation);
  if (operation != TOperation::opRemove) return;
  if (images_.Removed(component)) ApplyImages();
}

// Without a window there is nothing to tell (and while the view is being built the colour
// setters run before the derived view exists).
void TCustomSysView::CMColorChanged(TMessage& m) {
  if (handle_) ApplyColors();
  TWinControl::CMColorChanged(m);
}

void TCustomSysView::CMFontChanged(TMessage& m) {
  TWinControl::CMFontChanged(m);
  if (handle_) ApplyColors();
}

}  // namespace forms
