// TListItem: one row of a list view: caption, sub-item texts, picture, state picture, selection
// and the program's data. The list view asks for texts and pictures when it draws (callback
// items), so a change shows after Update or the next repaint. In owner-data mode a row is a
// short-lived item that OnData fills.
#pragma once

#include <string>
#include <vector>

#include "forms/Types.h"

namespace forms {

class TCustomListView;

enum class TDisplayCode { drBounds, drIcon, drLabel, drSelectBounds };

class TListItem : public TObject {
 public:
  TListItem(TCustomListView* owner, int index) : owner_(owner), index_(index) {}

  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& v);
  // Texts of columns 1, 2, ... Edited in place; Update shows the change.
  std::vector<std::string>& SubItems() { return sub_items_; }
  const std::vector<std::string>& SubItems() const { return sub_items_; }
  // The picture of SmallImages (-1: none).
  int ImageIndex() const { return image_index_; }
  void SetImageIndex(int v);
  // The picture of StateImages shown left of the item (-1: none), 0 to 14.
  int StateIndex() const { return state_index_; }
  void SetStateIndex(int v);
  // In a list with the system's check boxes: the ticked box (state picture 1; 0 or none is
  // the empty box).
  bool Checked() const { return state_index_ == 1; }
  void SetChecked(bool v) { SetStateIndex(v ? 1 : 0); }
  void* Data() const { return data_; }
  void SetData(void* v) { data_ = v; }
  int Index() const { return index_; }

  bool Selected() const;
  void SetSelected(bool v);
  bool Focused() const;
  void SetFocused(bool v);
  RECT DisplayRect(TDisplayCode code) const;
  void MakeVisible(bool partial_ok);
  // Redraws the row.
  void Update();
  void Delete();
  TCustomListView* ListView() const { return owner_; }

 private:
  friend class TListItems;
  friend class TCustomListView;
  // Clears the fields before OnData fills the row again.
  void Reset(int index);
  TCustomListView* owner_;
  int index_;
  std::string caption_;
  std::vector<std::string> sub_items_;
  int image_index_ = -1;
  int state_index_ = -1;
  void* data_ = nullptr;
};

}  // namespace forms
