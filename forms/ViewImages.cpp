// TViewImages: setting, forgetting and copying the two image lists of a system view.
#include "forms/ViewImages.h"

namespace forms {

bool TViewImages::Replace(TImageList*& slot, TImageList* other, TImageList* v) {
  if (v == slot) return false;
  // One list may serve as both: its notification stays while the other slot holds it.
  if (slot && slot != other) view_->RemoveFreeNotification(slot);
  slot = v;
  if (v) view_->FreeNotification(v);
  return true;
}

bool TViewImages::Removed(TComponent* component) {
  bool was = false;
  if (component == images_) was = SetImages(nullptr) || was;
  if (component == state_images_) was = SetStateImages(nullptr) || was;
  return was;
}

void TViewImages::DestroyCopies() {
  if (images_copy_) ImageList_Destroy(images_copy_);
  if (state_copy_) ImageList_Destroy(state_copy_);
  images_copy_ = state_copy_ = nullptr;
}

}  // namespace forms
