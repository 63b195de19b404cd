// TImageList: equal-sized images cut from bitmaps, each drawn whole, keyed by a mask colour
// or not, and greyed for a disabled look; or the system's shared image list of small shell
// icons (drives, folders, file types). A component, so that an action list that shows its
// images hears when it goes; drawing code also makes short-lived ones without an owner.
#pragma once

#include <windows.h>
// commctrl.h needs windows.h first.
#include <commctrl.h>

#include <memory>
#include <string>
#include <vector>

#include "forms/Bitmap.h"
#include "forms/Component.h"

namespace forms {

class TImageList : public TComponent {
 public:
  TImageList(int width, int height) : TImageList(nullptr, width, height) {}
  TImageList(TComponent* owner, int width, int height)
      : TComponent(owner), width_(width), height_(height) {}
  ~TImageList() override;
  const char* ClassName() const override { return "TImageList"; }

  int Width() const { return width_; }
  int Height() const { return height_; }
  int Count() const;

  // Cuts `bitmap` into images of the list's width (the last partial one is dropped, as the
  // system's image lists do); returns the index of the first or -1. Not for a system list.
  int Add(const TBitmap& bitmap);
  int AddMasked(const TBitmap& bitmap, TColor mask);
  void Draw(TCanvas& canvas, int x, int y, int index, bool enabled = true);
  // Copies image `index` into `bitmap` (with the mask colour where masked).
  bool GetBitmap(int index, TBitmap& bitmap) const;
  // True when image `index` was added keyed; its key colour in `mask`.
  bool Masked(int index, COLORREF* mask) const;

  // Makes this list show the system's small shell icons. The system list is shared by every
  // user in the process and is never destroyed here; the images added so far are dropped.
  // False when the shell gives no list.
  bool UseSystemSmallIcons();
  bool IsSystemList() const { return system_; }
  // The index in the system list of the small icon the shell shows for `path` (a drive root
  // such as "C:\", a folder or a file); -1 when there is none. With `attributes` (e.g.
  // FILE_ATTRIBUTE_DIRECTORY) the path need not exist: the icon is chosen by the attributes
  // and the name alone.
  static int SystemIconIndex(const std::string& path, DWORD attributes = 0);

  // A comctl32 image list of the images, for system controls (list and tree views). For the
  // system list it is the shared list; otherwise the list owns it and remakes it after a
  // change.
  HIMAGELIST Handle();
  // A new comctl32 list of the images, owned by the caller (nil for the system list or an
  // empty one).
  HIMAGELIST CreateCopy() const;

  TNotifyEvent OnChange;

 private:
  struct Image {
    std::unique_ptr<TBitmap> bits;
    bool masked = false;
    COLORREF mask = 0;
  };
  int AddImages(const TBitmap& bitmap, bool masked, COLORREF mask);
  void Changed();
  void DropHandle();
  int width_;
  int height_;
  std::vector<Image> images_;
  bool system_ = false;
  HIMAGELIST handle_ = nullptr;  // owned unless system_
};

// The comctl32 list a list or tree view draws `images` from. A copy taken now, which the view
// owns and destroys once it no longer uses it (`*owned`), so a later change of the TImageList
// cannot pull a list from under the window; the shared system list is handed on as it is and
// `*owned` stays nil.
HIMAGELIST ViewImageList(const TImageList* images, HIMAGELIST* owned);

}  // namespace forms
