// Theme components: TSkinFileTheme finds and loads a skin archive and re-applies itself to the
// skinned controls of its form; TSkinBuiltInFileTheme carries the archive inside the form
// resource ("SkinData"). ResolveStyle decides between a theme's look and a built-in one;
// controls ask it through their TSkinLook (SkinLook.h).
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "forms/Forms.h"
#include "skin/Skin2Define.h"
#include "skin/SkinThemes.h"

namespace skin {

class Tsk2SkinFileReader;

// A loaded skin archive: its reader and its bitmaps turned into GDI bitmaps (by bitmap key).
// Never changed once made, so themes that loaded the same archive bytes share one.
struct TLoadedSkin {
  std::unique_ptr<Tsk2SkinFileReader> reader;
  std::unique_ptr<forms::TBitmap> bitmaps[kSkin2BitmapCount];
  ~TLoadedSkin();
};

// Holds the loaded skin, when there is one, and maps the key indexes of the four SKIN2 key
// groups to values. The archive's bitmaps are turned into GDI bitmaps once, at load time.
class TSkinFileThemeMgr : public forms::TObject {
 public:
  TSkinFileThemeMgr();
  ~TSkinFileThemeMgr() override;
  TSkinFileThemeMgr(const TSkinFileThemeMgr&) = delete;
  TSkinFileThemeMgr& operator=(const TSkinFileThemeMgr&) = delete;

  virtual bool Loaded() const { return skin_ != nullptr; }
  // Loads `fileName`; false (and the current reader kept) when the file does not exist. An
  // existing file always drops the current reader first: a failed load leaves none.
  virtual bool LoadThemeFile(const std::string& fileName, const std::string& password);
  // The loaded skin (nil when none), and taking one that another manager loaded.
  std::shared_ptr<const TLoadedSkin> Skin() const { return skin_; }
  void Share(std::shared_ptr<const TLoadedSkin> skin) { skin_ = std::move(skin); }

  // By index within the key group (masked with 0x7F). Nothing loaded: nil, 0, 0, 0. Loaded
  // but the key missing (or outside its group): nil, -1, -1, 0.
  forms::TBitmap* GetBitmap(int key) const;
  forms::TColor GetColor(int key) const;
  int GetInteger(int key) const;
  int GetFlag(int key) const;

 private:
  int ReaderInteger(Skin2Group group, int key) const;

  std::shared_ptr<const TLoadedSkin> skin_;
};

class TSkinFileTheme : public forms::TComponent {
 public:
  explicit TSkinFileTheme(forms::TComponent* owner);
  ~TSkinFileTheme() override;
  const char* ClassName() const override { return "TSkinFileTheme"; }

  const std::string& ThemeFile() const { return theme_file_; }
  virtual void SetThemeFile(const std::string& name);
  const std::string& Password() const { return password_; }
  void SetPassword(const std::string& password);
  bool Ready() const { return ready_; }
  void SetReady(bool) {}  // form resources store it; it has no effect

  // Skin mode (true) when `style` is FromThemeFile and `theme` is assigned and ready;
  // otherwise the built-in style to use is left in `effective`.
  static bool ResolveStyle(const TSkinFileTheme* theme, TSkinUIStyle style,
                           TSkinUIStyle& effective);

  // SKIN2 lookups by index within the key group (masked with 0x7F).
  forms::TBitmap* GetBitmap(int key) const;
  void GetBitmapFrame(int key, forms::TBitmap* graphic, int index, int count) const;
  forms::TColor GetColor(int key) const;
  int GetInteger(int key) const;
  int GetFlag(int key) const;

  bool GetPublished(std::string_view name, forms::TPropValue* out) const override;
  bool SetPublished(std::string_view name, const forms::TPropValue& value) override;

 protected:
  // The ThemeFile setting of the base class (search, load, re-apply).
  void LoadFrom(const std::string& name);
  // Takes `skin`, already loaded from an archive the same as the one named `name`, as if
  // `name` had been loaded (ThemeFile, Ready, re-apply).
  void AdoptLoaded(const std::string& name, std::shared_ptr<const TLoadedSkin> skin);
  TSkinFileThemeMgr& Manager() const { return *mgr_; }
  // Takes `mgr` (owned) in place of the current manager.
  void ReplaceManager(TSkinFileThemeMgr* mgr);

 private:
  // After a load: the owner form's skinned controls that use this theme re-read their look.
  void Reapply(bool was_empty, bool was_ready);

  std::string theme_file_;
  std::string password_;
  bool ready_ = false;
  TSkinFileThemeMgr* mgr_;
};

class TSkinBuiltInFileTheme : public TSkinFileTheme {
 public:
  explicit TSkinBuiltInFileTheme(forms::TComponent* owner) : TSkinFileTheme(owner) {}
  const char* ClassName() const override { return "TSkinBuiltInFileTheme"; }

  // The design-time path; the inherited ThemeFile keeps the path actually loaded.
  const std::string& DesignThemeFile() const { return design_theme_file_; }
  void SetThemeFile(const std::string& name) override;
  // Reads the "SkinData" property: the whole archive, loaded through a temporary file that
  // is deleted again. An archive of the same bytes that another theme holds loaded is shared
  // instead: the windows' themes all carry one archive, and unpacking it costs two temporary
  // files each time.
  void ReadSkinData(std::span<const std::uint8_t> data);

 private:
  std::string design_theme_file_;
};

// Helpers of the SkinData reader, exposed for tests.
std::string GetTempFolder();
std::string NewGuidFileName();
std::string MakeUniqueFileName(const std::string& name);

}  // namespace skin
