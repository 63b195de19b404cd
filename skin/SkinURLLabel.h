// The hyperlink label: an underlined label in the link colour that turns to the hover colour
// under the pointer and, when clicked, has the shell open its URL. Only a text that is a URL
// is handed to the shell; the opening goes through a replaceable function, so that tests and
// the program's own checks see what would be opened.
#pragma once

#include <functional>
#include <string>

#include "forms/Label.h"

namespace skin {

// True for a text (blanks around it left out) that names something the shell opens as a link:
// a scheme of letters followed by "://" and more (http, https, ftp, file...), "mailto:" and an
// address, or a "www." host.
bool IsOpenableUrl(const std::string& text);

using TUrlOpener = std::function<void(const std::string& url)>;
// Replaces the function that hands a URL to the shell (ShellExecute "open"); returns the one
// it replaces. Nil puts the shell back.
TUrlOpener SetUrlOpener(TUrlOpener opener);

class TSkinURLLabel : public forms::TCustomLabel {
 public:
  explicit TSkinURLLabel(forms::TComponent* owner);
  const char* ClassName() const override { return "TSkinURLLabel"; }

  const std::string& URL() const { return url_; }
  void SetURL(const std::string& url);
  forms::TColor FontHoverColor() const { return hover_color_; }
  void SetFontHoverColor(forms::TColor c) { hover_color_ = c; }
  forms::TColor FontLinkColor() const { return link_color_; }
  void SetFontLinkColor(forms::TColor c);
  forms::TCursor KeptCursor() const { return kept_cursor_; }

  void Click() override;

  bool GetPublished(std::string_view name, forms::TPropValue* out) const override;
  bool SetPublished(std::string_view name, const forms::TPropValue& value) override;

 protected:
  void CMMouseEnter(forms::TMessage& m) override;
  void CMMouseLeave(forms::TMessage& m) override;

 private:
  std::string url_;
  forms::TColor hover_color_ = 0x0000FF;
  forms::TColor link_color_ = 0xFF0000;
  forms::TCursor kept_cursor_ = forms::crHandPoint;
};

}  // namespace skin
