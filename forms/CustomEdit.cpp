// TCustomEdit: the EDIT window holds the text while it exists; the object keeps a copy that
// EN_CHANGE refreshes, so Text is right after typing and survives a recreated window.
#include "forms/CustomEdit.h"

#include <optional>
#include <string>
#include <vector>

#include "forms/WindowText.h"

namespace forms {

TCustomEdit::TCustomEdit(TComponent* owner) : TWinControl(owner) {
  SetBounds(0, 0, 121, 21);
  SetTabStop(true);
  SetColor(clWindow);
}

TCustomEdit::~TCustomEdit() {
  BeginDestroy();
  DestroyHandle();
}

void TCustomEdit::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  CreateSubClass(p, "EDIT");
  p.Style &= ~WS_CLIPCHILDREN;
  p.Style |= ES_AUTOHSCROLL | WS_TABSTOP;
  if (read_only_) p.Style |= ES_READONLY;
  if (password_char_) p.Style |= ES_PASSWORD;
  if (char_case_ == TEditCharCase::ecUpperCase) p.Style |= ES_UPPERCASE;
  if (char_case_ == TEditCharCase::ecLowerCase) p.Style |= ES_LOWERCASE;
  if (!hide_selection_) p.Style |= ES_NOHIDESEL;
  if (border_style_ == TBorderStyle::bsSingle) p.ExStyle |= WS_EX_CLIENTEDGE;
}

void TCustomEdit::CreateWnd() {
  TWinControl::CreateWnd();
  if (!handle_) return;
  SendMessageA(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(Font().Handle()), FALSE);
  SendMessageA(handle_, EM_LIMITTEXT, static_cast<WPARAM>(max_length_), 0);
  if (password_char_)
    SendMessageA(handle_, EM_SETPASSWORDCHAR, static_cast<unsigned char>(password_char_), 0);
  SendMessageA(handle_, EM_SETSEL, sel_start_, sel_start_ + sel_length_);
  SendMessageA(handle_, EM_SETMODIFY, modified_, 0);
}

void TCustomEdit::DestroyWnd() {
  if (handle_) {
    sel_start_ = SelStart();
    sel_length_ = SelLength();
    modified_ = Modified();
  }
  TWinControl::DestroyWnd();
}

void TCustomEdit::SetMaxLength(int v) {
  if (v < 0) v = 0;
  max_length_ = v;
  // A new limit leaves a longer text as it is; it only stops further typing.
  if (handle_) SendMessageA(handle_, EM_LIMITTEXT, static_cast<WPARAM>(v), 0);
}

void TCustomEdit::SetReadOnly(bool v) {
  read_only_ = v;
  if (handle_) SendMessageA(handle_, EM_SETREADONLY, v, 0);
}

void TCustomEdit::SetPasswordChar(char c) {
  if (c == password_char_) return;
  password_char_ = c;
  if (handle_) {
    SendMessageA(handle_, EM_SETPASSWORDCHAR, static_cast<unsigned char>(c), 0);
    InvalidateRect(handle_, nullptr, TRUE);
  }
}

void TCustomEdit::SetCharCase(TEditCharCase c) {
  if (c == char_case_) return;
  char_case_ = c;
  // The case styles are among the few an EDIT takes after it was made; the text already in
  // it is converted here.
  if (handle_) {
    LONG_PTR style = GetWindowLongPtrA(handle_, GWL_STYLE) & ~(ES_UPPERCASE | ES_LOWERCASE);
    if (c == TEditCharCase::ecUpperCase) style |= ES_UPPERCASE;
    if (c == TEditCharCase::ecLowerCase) style |= ES_LOWERCASE;
    SetWindowLongPtrA(handle_, GWL_STYLE, style);
  }
  if (c == TEditCharCase::ecNormal || Text().empty()) return;
  std::vector<char> t(Text().begin(), Text().end());
  t.push_back('\0');
  if (c == TEditCharCase::ecUpperCase) CharUpperA(t.data());
  else CharLowerA(t.data());
  SetText(t.data());
}

void TCustomEdit::SetHideSelection(bool v) {
  if (v == hide_selection_) return;
  hide_selection_ = v;
  RecreateWnd();
}

void TCustomEdit::SetBorderStyle(TBorderStyle b) {
  if (b == border_style_) return;
  border_style_ = b;
  RecreateWnd();
}

bool TCustomEdit::Modified() const {
  if (handle_) return SendMessageA(handle_, EM_GETMODIFY, 0, 0) != 0;
  return modified_;
}

void TCustomEdit::SetModified(bool v) {
  modified_ = v;
  if (handle_) SendMessageA(handle_, EM_SETMODIFY, v, 0);
}

int TCustomEdit::SelStart() const {
  if (!handle_) return sel_start_;
  DWORD start = 0, end = 0;
  SendMessageA(handle_, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  return static_cast<int>(start);
}

int TCustomEdit::SelLength() const {
  if (!handle_) return sel_length_;
  DWORD start = 0, end = 0;
  SendMessageA(handle_, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  return static_cast<int>(end - start);
}

void TCustomEdit::SetSelStart(int v) {
  if (v < 0) v = 0;
  sel_start_ = v;
  sel_length_ = 0;
  if (handle_) SendMessageA(handle_, EM_SETSEL, v, v);
}

void TCustomEdit::SetSelLength(int v) {
  if (v < 0) v = 0;
  int start = SelStart();
  sel_start_ = start;
  sel_length_ = v;
  if (handle_) SendMessageA(handle_, EM_SETSEL, start, start + v);
}

std::string TCustomEdit::SelText() const {
  const std::string& t = Text();
  size_t start = static_cast<size_t>(SelStart());
  size_t length = static_cast<size_t>(SelLength());
  if (start >= t.size()) return {};
  return t.substr(start, length);
}

void TCustomEdit::SetSelText(const std::string& text) {
  if (handle_) {
    SendMessageA(handle_, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
    TextFromWindow();
    return;
  }
  std::string t = Text();
  size_t start = std::min(static_cast<size_t>(sel_start_), t.size());
  size_t length = std::min(static_cast<size_t>(sel_length_), t.size() - start);
  t.replace(start, length, text);
  sel_start_ = static_cast<int>(start + text.size());
  sel_length_ = 0;
  SetText(t);
}

void TCustomEdit::SelectAll() {
  sel_start_ = 0;
  sel_length_ = static_cast<int>(Text().size());
  if (handle_) SendMessageA(handle_, EM_SETSEL, 0, -1);
}

void TCustomEdit::Change() {
  if (OnChange) OnChange(this);
}

bool TCustomEdit::TextFromWindow() {
  std::optional<std::string> text = ChangedWindowText(handle_, Text());
  if (!text) return false;
  // The window has it already: only the copy is brought up to date.
  TControl::SetText(*text);
  return true;
}

void TCustomEdit::CNCommand(TMessage& m) {
  // Wine also reports a key that the length limit refused: only a real change counts.
  if (HIWORD(m.WParam) == EN_CHANGE && TextFromWindow()) Change();
}

void TCustomEdit::CMColorChanged(TMessage& m) {
  brush_.Drop();
  TWinControl::CMColorChanged(m);
  if (handle_) InvalidateRect(handle_, nullptr, TRUE);
}

void TCustomEdit::CMFontChanged(TMessage& m) {
  TWinControl::CMFontChanged(m);
  if (handle_) SendMessageA(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(Font().Handle()), TRUE);
}

void TCustomEdit::WMSetFocus(TMessage& m) {
  TWinControl::WMSetFocus(m);
  // Tabbing in selects the text; a click places the caret where it went down.
  if (auto_select_ && handle_ && GetKeyState(VK_LBUTTON) >= 0) SelectAll();
}

void TCustomEdit::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case CN_COMMAND: CNCommand(m); return;
    case CN_CTLCOLOREDIT:
    case CN_CTLCOLORSTATIC: brush_.Answer(m, Color(), Font().Color()); return;
    default: TWinControl::Dispatch(m);
  }
}

}  // namespace forms
