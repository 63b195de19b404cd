// TListColumn: its properties, mirrored into the list view's column when there is a window.
#include "forms/ListColumn.h"

#include "forms/CustomListView.h"

namespace forms {

namespace {

int FormatOf(TAlignment a) {
  switch (a) {
    case TAlignment::taRightJustify: return LVCFMT_RIGHT;
    case TAlignment::taCenter: return LVCFMT_CENTER;
    default: return LVCFMT_LEFT;
  }
}

}  // namespace

void TListColumn::Apply(bool insert) {
  if (!owner_->HandleAllocated()) return;
  LVCOLUMNA c{};
  c.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
  c.fmt = FormatOf(alignment_);
  c.cx = width_;
  c.pszText = const_cast<char*>(caption_.c_str());
  c.iSubItem = index_;
  owner_->Send(insert ? LVM_INSERTCOLUMNA : LVM_SETCOLUMNA, static_cast<WPARAM>(index_),
               reinterpret_cast<LPARAM>(&c));
}

void TListColumn::SetCaption(const std::string& v) {
  caption_ = v;
  Apply(false);
}

int TListColumn::Width() const {
  if (!owner_->HandleAllocated()) return width_;
  return static_cast<int>(owner_->Send(LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(index_)));
}

void TListColumn::SetWidth(int v) {
  if (v < 0) v = 0;
  if (min_width_ && v < min_width_) v = min_width_;
  if (max_width_ && v > max_width_) v = max_width_;
  width_ = v;
  if (owner_->HandleAllocated())
    owner_->Send(LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(index_), MAKELPARAM(v, 0));
}

void TListColumn::SetMinWidth(int v) {
  min_width_ = v < 0 ? 0 : v;
  if (min_width_ && Width() < min_width_) SetWidth(min_width_);
}

void TListColumn::SetMaxWidth(int v) {
  max_width_ = v < 0 ? 0 : v;
  if (max_width_ && Width() > max_width_) SetWidth(max_width_);
}

void TListColumn::SetAlignment(TAlignment v) {
  alignment_ = v;
  Apply(false);
}

void TListColumn::SetImageIndex(int v) {
  image_index_ = v;
  Apply(false);  // the header hears of it (HDM_SETITEM) and repaints
}

}  // namespace forms
