// Theme components: the archive search order, loading, re-applying to the form's skinned
// controls, and the temporary file behind "SkinData".
#include "skin/SkinMgr.h"

#include <objbase.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "skin/Sk2Container.h"
#include "skin/SkinPublic.h"

namespace skin {

namespace {

bool FileExists(const std::string& path) {
  DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

std::string WithBackslash(std::string s) {
  if (!s.empty() && s.back() != '\\') s += '\\';
  return s;
}

std::string FileNamePart(const std::string& path) {
  size_t p = path.find_last_of("\\/:");
  return p == std::string::npos ? path : path.substr(p + 1);
}

std::string ProgramFolder() {
  char buf[MAX_PATH];
  DWORD n = GetModuleFileNameA(nullptr, buf, MAX_PATH);
  std::string s(buf, n);
  size_t p = s.find_last_of('\\');
  return WithBackslash(p == std::string::npos ? std::string() : s.substr(0, p));
}

// The decoded pixels (0x00RRGGBB, top row first) as a GDI bitmap, in one copy; nil when the
// system cannot make one of that size.
std::unique_ptr<forms::TBitmap> ToGdiBitmap(const SkinBitmap& source) {
  auto b = std::make_unique<forms::TBitmap>();
  if (!b->SetPixels(source.width, source.height, source.pixels.data())) return nullptr;
  return b;
}

// Skins loaded from SkinData, by the archive's bytes and password, while some theme holds them.
struct SharedSkin {
  std::vector<std::uint8_t> bytes;
  std::string password;
  std::weak_ptr<const TLoadedSkin> skin;
};

std::vector<SharedSkin>& SharedSkins() {
  static std::vector<SharedSkin> skins;
  return skins;
}

std::shared_ptr<const TLoadedSkin> FindSharedSkin(std::span<const std::uint8_t> bytes,
                                                  const std::string& password) {
  auto& skins = SharedSkins();
  std::erase_if(skins, [](const SharedSkin& s) { return s.skin.expired(); });
  for (const SharedSkin& s : skins)
    if (s.password == password && std::equal(s.bytes.begin(), s.bytes.end(), bytes.begin(),
                                             bytes.end()))
      if (auto skin = s.skin.lock()) return skin;
  return nullptr;
}

void RememberSharedSkin(std::span<const std::uint8_t> bytes, const std::string& password,
                        std::shared_ptr<const TLoadedSkin> skin) {
  if (!skin) return;
  SharedSkins().push_back(SharedSkin{{bytes.begin(), bytes.end()}, password, skin});
}

}  // namespace

TLoadedSkin::~TLoadedSkin() = default;

TSkinFileThemeMgr::TSkinFileThemeMgr() = default;

TSkinFileThemeMgr::~TSkinFileThemeMgr() = default;

bool TSkinFileThemeMgr::LoadThemeFile(const std::string& fileName, const std::string& password) {
  if (!FileExists(fileName)) return false;
  skin_.reset();
  try {
    // An unusable archive throws "Failed to read skin file!"; for a theme that only means
    // the skin is not ready, so nothing leaves this function.
    auto skin = std::make_shared<TLoadedSkin>();
    skin->reader = std::make_unique<Tsk2SkinFileReader>(fileName, password);
    if (!skin->reader->Ready()) return false;
    for (int i = 0; i < kSkin2BitmapCount; ++i)
      if (const SkinBitmap* b = skin->reader->GetBitmap(Skin2KeyName(Skin2Group::kBitmap, i)))
        skin->bitmaps[i] = ToGdiBitmap(*b);
    skin_ = std::move(skin);
    return true;
  } catch (...) {
    skin_.reset();
    return false;
  }
}

forms::TBitmap* TSkinFileThemeMgr::GetBitmap(int key) const {
  key &= 0x7F;
  if (!skin_ || key >= kSkin2BitmapCount) return nullptr;
  return skin_->bitmaps[key].get();
}

int TSkinFileThemeMgr::ReaderInteger(Skin2Group group, int key) const {
  const char* name = Skin2KeyName(group, key);
  if (!skin_ || !name) return -1;
  return skin_->reader->GetInteger(name);
}

forms::TColor TSkinFileThemeMgr::GetColor(int key) const {
  if (!Loaded()) return 0;
  return static_cast<forms::TColor>(ReaderInteger(Skin2Group::kColor, key));
}

int TSkinFileThemeMgr::GetInteger(int key) const {
  if (!Loaded()) return 0;
  return ReaderInteger(Skin2Group::kInteger, key);
}

int TSkinFileThemeMgr::GetFlag(int key) const {
  const char* name = Skin2KeyName(Skin2Group::kFlag, key);
  if (!skin_ || !name) return 0;
  return skin_->reader->GetFlag(name);
}

TSkinFileTheme::TSkinFileTheme(forms::TComponent* owner)
    : forms::TComponent(owner), mgr_(new TSkinFileThemeMgr) {}

TSkinFileTheme::~TSkinFileTheme() {
  BeginDestroy();
  delete mgr_;
  mgr_ = nullptr;
  ready_ = false;
}

bool TSkinFileTheme::ResolveStyle(const TSkinFileTheme* theme, TSkinUIStyle style,
                                  TSkinUIStyle& effective) {
  effective = style;
  if (style != TSkinUIStyle::FromThemeFile) return false;
  if (theme && theme->ready_) return true;
  effective = TSkinUIStyle::DeepBlue;
  return false;
}

void TSkinFileTheme::SetThemeFile(const std::string& name) { LoadFrom(name); }

void TSkinFileTheme::ReplaceManager(TSkinFileThemeMgr* mgr) {
  delete mgr_;
  mgr_ = mgr;
}

void TSkinFileTheme::LoadFrom(const std::string& name) {
  bool was_empty = theme_file_.empty();
  std::string found;
  if (FileExists(name)) {
    found = name;
  } else {
    std::string file = FileNamePart(name);
    char buf[260];
    std::string candidates[3] = {ProgramFolder() + file, "", ""};
    UINT n = GetWindowsDirectoryA(buf, sizeof buf);
    if (n && n < sizeof buf) candidates[1] = WithBackslash(std::string(buf, n)) + file;
    n = GetSystemDirectoryA(buf, sizeof buf);
    if (n && n < sizeof buf) candidates[2] = WithBackslash(std::string(buf, n)) + file;
    for (const std::string& c : candidates)
      if (!file.empty() && !c.empty() && FileExists(c)) {
        found = c;
        break;
      }
  }
  if (found.empty()) return;  // not found anywhere: everything stays as it was
  theme_file_ = found;
  bool was_ready = ready_;
  ready_ = mgr_->LoadThemeFile(theme_file_, password_);
  Reapply(was_empty, was_ready);
}

void TSkinFileTheme::AdoptLoaded(const std::string& name, std::shared_ptr<const TLoadedSkin> skin) {
  bool was_empty = theme_file_.empty();
  bool was_ready = ready_;
  theme_file_ = name;
  mgr_->Share(std::move(skin));
  ready_ = mgr_->Loaded();
  Reapply(was_empty, was_ready);
}

void TSkinFileTheme::Reapply(bool was_empty, bool was_ready) {
  // A reload that fails has dropped the skin the controls took their colours and flags from:
  // they re-read their look then too, or they would mix the old skin's values with DeepBlue.
  auto* form = dynamic_cast<forms::TCustomForm*>(Owner());
  if (!(ready_ || was_ready) || !form) return;
  bool framed = false;
  for (forms::TComponent* c : std::vector<forms::TComponent*>(form->Components())) {
    std::string_view cls = c->ClassName();
    forms::TPropValue v;
    bool uses_me = c->GetPublished("FileTheme", &v) &&
                   std::holds_alternative<forms::TComponent*>(v) &&
                   std::get<forms::TComponent*>(v) == this;
    if (cls == "TSkinForm" && uses_me) framed = true;
    // Only the library's own controls re-read their look; others keep theirs.
    if (cls.substr(0, 5) == "TSkin" && uses_me) {
      c->SetPublished("FileTheme", forms::TPropValue{static_cast<forms::TComponent*>(nullptr)});
      c->SetPublished("FileTheme", forms::TPropValue{static_cast<forms::TComponent*>(this)});
    }
  }
  if (framed && !was_empty && form->HandleAllocated())
    SetWindowPos(form->Handle(), nullptr, 0, 0, 0, 0,
                 SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void TSkinFileTheme::SetPassword(const std::string& password) {
  password_ = password;
  if (!password.empty()) SetThemeFile(theme_file_);
}

forms::TBitmap* TSkinFileTheme::GetBitmap(int key) const { return mgr_->GetBitmap(key); }

void TSkinFileTheme::GetBitmapFrame(int key, forms::TBitmap* graphic, int index,
                                    int count) const {
  if (!graphic) return;
  forms::TBitmap* b = GetBitmap(key);
  if (index != 0 && count != 0) {
    if (b) ExtractFrame(*b, *graphic, count, index);
    else graphic->Assign(nullptr);
  } else {
    graphic->Assign(b);
  }
}

forms::TColor TSkinFileTheme::GetColor(int key) const { return mgr_->GetColor(key); }
int TSkinFileTheme::GetInteger(int key) const { return mgr_->GetInteger(key); }
int TSkinFileTheme::GetFlag(int key) const { return mgr_->GetFlag(key); }

bool TSkinFileTheme::GetPublished(std::string_view name, forms::TPropValue* out) const {
  if (name == "ThemeFile") {
    if (out) *out = theme_file_;
  } else if (name == "Password") {
    if (out) *out = password_;
  } else if (name == "Ready") {
    if (out) *out = static_cast<std::int64_t>(ready_);
  } else {
    return false;
  }
  return true;
}

bool TSkinFileTheme::SetPublished(std::string_view name, const forms::TPropValue& v) {
  if (name == "ThemeFile" && std::holds_alternative<std::string>(v)) {
    SetThemeFile(std::get<std::string>(v));
  } else if (name == "Password" && std::holds_alternative<std::string>(v)) {
    SetPassword(std::get<std::string>(v));
  } else if (name == "Ready") {
  } else {
    return false;
  }
  return true;
}

void TSkinBuiltInFileTheme::SetThemeFile(const std::string& name) {
  design_theme_file_ = name;
  LoadFrom(name);
}

std::string GetTempFolder() {
  char buf[260];
  DWORD n = GetTempPathA(sizeof buf, buf);
  return WithBackslash(n && n < sizeof buf ? std::string(buf, n) : std::string());
}

std::string NewGuidFileName() {
  GUID g{};
  CoCreateGuid(&g);
  char buf[64];
  std::snprintf(buf, sizeof buf, "{%08lX-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}.ssk",
                static_cast<unsigned long>(g.Data1), g.Data2, g.Data3, g.Data4[0], g.Data4[1],
                g.Data4[2], g.Data4[3], g.Data4[4], g.Data4[5], g.Data4[6], g.Data4[7]);
  return buf;
}

std::string MakeUniqueFileName(const std::string& name) {
  if (!FileExists(name)) return name;
  size_t dot = name.find_last_of('.');
  size_t slash = name.find_last_of('\\');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) dot = name.size();
  std::string stem = name.substr(0, dot), ext = name.substr(dot);
  for (unsigned i = 1;; ++i) {
    std::string candidate = stem + std::to_string(i) + ext;
    if (!FileExists(candidate)) return candidate;
  }
}

void TSkinBuiltInFileTheme::ReadSkinData(std::span<const std::uint8_t> data) {
  if (auto skin = FindSharedSkin(data, Password())) {
    AdoptLoaded(GetTempFolder() + NewGuidFileName(), std::move(skin));
    return;
  }
  // A temporary folder that cannot be written must not hang form creation.
  constexpr int kMaxSaveAttempts = 16;
  std::string name;
  bool saved = false;
  for (int attempt = 0; attempt < kMaxSaveAttempts && !saved; ++attempt) {
    name = MakeUniqueFileName(GetTempFolder() + NewGuidFileName());
    HANDLE f = CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_TEMPORARY, nullptr);
    if (f == INVALID_HANDLE_VALUE) continue;
    DWORD written = 0;
    saved = WriteFile(f, data.data(), static_cast<DWORD>(data.size()), &written, nullptr) &&
            written == data.size();
    CloseHandle(f);
    if (!saved) DeleteFileA(name.c_str());
  }
  if (!saved) return;
  try {
    LoadFrom(name);
    if (Ready()) RememberSharedSkin(data, Password(), Manager().Skin());
  } catch (...) {
  }
  DeleteFileA(name.c_str());
}

}  // namespace skin
