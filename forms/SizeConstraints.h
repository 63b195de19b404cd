// TSizeConstraints: the smallest and largest size a form may take.
#pragma once

#include "forms/Types.h"

namespace forms {

// Smallest and largest size of a form (0: no limit), kept by SetBounds and by the system's
// sizing (WM_GETMINMAXINFO).
class TSizeConstraints : public TObject {
 public:
  int MinWidth() const { return min_width_; }
  int MinHeight() const { return min_height_; }
  int MaxWidth() const { return max_width_; }
  int MaxHeight() const { return max_height_; }
  void SetMinWidth(int v) { Set(min_width_, v); }
  void SetMinHeight(int v) { Set(min_height_, v); }
  void SetMaxWidth(int v) { Set(max_width_, v); }
  void SetMaxHeight(int v) { Set(max_height_, v); }
  // `w` and `h` brought inside the limits (a minimum wins over a smaller maximum).
  void Apply(int& w, int& h) const;
  TNotifyEvent OnChange;

 private:
  void Set(int& field, int v);
  int min_width_ = 0, min_height_ = 0, max_width_ = 0, max_height_ = 0;
};

}  // namespace forms
