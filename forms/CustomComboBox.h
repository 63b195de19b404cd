// TCustomComboBox / TComboBox: the system's COMBOBOX wrapped: an edit with a drop-down list,
// a drop-down list alone or a list always shown; its items mirrored in the object (so that
// they survive a recreated window), the selected index, the text, and the change, select,
// drop-down and close-up events from the CBN_* notifications. The edit part is subclassed like
// the combo box itself: its keys, characters, focus changes and mouse buttons are the combo
// box's (its key, enter/exit and mouse events run, dialog keys reach the form).
#pragma once

#include <vector>

#include "forms/ColorBrush.h"
#include "forms/WinControl.h"

namespace forms {

enum class TComboBoxStyle { csDropDown, csSimple, csDropDownList };

class TCustomComboBox : public TWinControl {
 public:
  // The items, in display order; every change goes to the window at once.
  class TItems {
   public:
    int Count() const { return static_cast<int>(list_.size()); }
    // Empty for an index out of range.
    std::string Strings(int index) const;
    // Where the item went (its sorted place when the combo box is sorted).
    int Add(const std::string& s);
    void Insert(int index, const std::string& s);
    void Delete(int index);
    void Clear();
    // The first item equal to `s` ignoring case, or -1.
    int IndexOf(const std::string& s) const;
    void Assign(const std::vector<std::string>& items);

   private:
    friend class TCustomComboBox;
    explicit TItems(TCustomComboBox* owner) : owner_(owner) {}
    TCustomComboBox* owner_;
    std::vector<std::string> list_;
  };

  explicit TCustomComboBox(TComponent* owner);
  ~TCustomComboBox() override;
  const char* ClassName() const override { return "TCustomComboBox"; }

  TItems& Items() { return items_; }
  const TItems& Items() const { return items_; }
  TComboBoxStyle Style() const { return style_; }
  void SetStyle(TComboBoxStyle s);
  // -1: none selected.
  int ItemIndex() const;
  void SetItemIndex(int index);
  // The number of items the dropped list shows before it scrolls.
  int DropDownCount() const { return drop_down_count_; }
  void SetDropDownCount(int n) { drop_down_count_ = n < 1 ? 1 : n; }
  bool Sorted() const { return sorted_; }
  void SetSorted(bool v);
  // The longest text the edit part takes; 0: no limit.
  int MaxLength() const { return max_length_; }
  void SetMaxLength(int v);
  bool DroppedDown() const;
  void SetDroppedDown(bool v);
  // With a drop-down list only an item's text can be set: the matching item is selected.
  void SetText(const std::string& text) override;

  TNotifyEvent OnChange;
  TNotifyEvent OnSelect;
  TNotifyEvent OnDropDown;
  TNotifyEvent OnCloseUp;

 protected:
  void CreateParams(TCreateParams& p) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  virtual void Change();
  virtual void Select();
  virtual void DropDown();
  virtual void CloseUp();
  void CMFontChanged(TMessage& m) override;
  void CMColorChanged(TMessage& m) override;
  void CNCommand(TMessage& m);
  void Dispatch(TMessage& m) override;
  void DefaultHandler(TMessage& m) override;

 private:
  friend class TItems;
  // Takes the edit part's text; false when it was the text already known.
  bool TextFromWindow();
  // The list drops to the window's height as it was made: make room for DropDownCount items.
  void SizeDropDown();
  // After items were deleted: the text follows a selection that went with them.
  void SelectionGone();
  static LRESULT CALLBACK EditProc(HWND wnd, UINT msg, WPARAM w, LPARAM l, UINT_PTR id,
                                   DWORD_PTR ref);
  void AttachEdit();
  LRESULT EditMessage(HWND wnd, UINT msg, WPARAM w, LPARAM l);
  // The combo box itself, its edit or its dropped list: focus moving among them stays inside.
  bool IsOwnWindow(HWND wnd) const;
  TItems items_{this};
  HWND edit_ = nullptr;
  // An edit message on its way through the combo box's handlers: its default handling goes
  // to the edit, with the edit's own coordinates.
  struct EditDefault {
    HWND wnd = nullptr;
    UINT msg = 0;
    LPARAM lparam = 0;
  } edit_default_;
  TComboBoxStyle style_ = TComboBoxStyle::csDropDown;
  int item_index_ = -1;  // kept while there is no window
  int drop_down_count_ = 8;
  bool sorted_ = false;
  int max_length_ = 0;
  TColorBrush brush_;
};

class TComboBox : public TCustomComboBox {
 public:
  explicit TComboBox(TComponent* owner) : TCustomComboBox(owner) {}
  const char* ClassName() const override { return "TComboBox"; }
};

}  // namespace forms
