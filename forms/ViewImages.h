// TViewImages: the two image lists a system list or tree view draws from (item pictures and
// state pictures) — the free notification of each while it is set, and the comctl32 copies
// the window is given, which go only once the window no longer uses them.
#pragma once

#include "forms/ImageList.h"

namespace forms {

class TViewImages {
 public:
  explicit TViewImages(TComponent* view) : view_(view) {}
  ~TViewImages() { DestroyCopies(); }
  TViewImages(const TViewImages&) = delete;
  TViewImages& operator=(const TViewImages&) = delete;

  TImageList* Images() const { return images_; }
  TImageList* StateImages() const { return state_images_; }
  // False when the list was already set.
  bool SetImages(TImageList* v) { return Replace(images_, state_images_, v); }
  bool SetStateImages(TImageList* v) { return Replace(state_images_, images_, v); }
  // The copy of the state pictures the window was given last (nil: none).
  HIMAGELIST StateCopy() const { return state_copy_; }
  // Forgets `component` where it is one of the two lists; true when it was.
  bool Removed(TComponent* component);

  // Makes the lists the window draws from and hands them over: `give(false, list)` for the
  // item pictures, `give(true, list)` for the state pictures; then the previous copies go.
  template <class Give>
  void Apply(Give give) {
    HIMAGELIST owned_images, owned_state;
    give(false, ViewImageList(images_, &owned_images));
    give(true, ViewImageList(state_images_, &owned_state));
    DestroyCopies();
    images_copy_ = owned_images;
    state_copy_ = owned_state;
  }
  void DestroyCopies();

 private:
  bool Replace(TImageList*& slot, TImageList* other, TImageList* v);
  TComponent* view_;
  TImageList* images_ = nullptr;
  TImageList* state_images_ = nullptr;
  HIMAGELIST images_copy_ = nullptr;  // owned
  HIMAGELIST state_copy_ = nullptr;   // owned
};

}  // namespace forms
