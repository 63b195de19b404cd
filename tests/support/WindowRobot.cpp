// The window tests' robot (see WindowRobot.h): waits with load-scaled deadlines, input, the
// robot thread's flush through a message hook, and pictures.
#include "tests/support/WindowRobot.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace tolvane_test {

namespace {

// The machine's one-minute load over its processors; 0 where there is no /proc to read (a
// real Windows). Wine shows the Linux root as drive Z:.
double LoadPerProcessor() {
  HANDLE f = CreateFileA("Z:\\proc\\loadavg", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                         nullptr, OPEN_EXISTING, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return 0;
  char text[64] = {};
  DWORD got = 0;
  ReadFile(f, text, sizeof text - 1, &got, nullptr);
  CloseHandle(f);
  double load = std::strtod(text, nullptr);
  SYSTEM_INFO info{};
  GetSystemInfo(&info);
  return info.dwNumberOfProcessors ? load / info.dwNumberOfProcessors : 0;
}

double EnvironmentFactor() {
  char text[32] = {};
  DWORD n = GetEnvironmentVariableA("TOLVANE_WAIT_FACTOR", text, sizeof text);
  if (n == 0 || n >= sizeof text) return 1;
  double f = std::strtod(text, nullptr);
  return f >= 1 ? f : 1;
}

using Clock = std::chrono::steady_clock;

Clock::time_point DeadlineAfter(DWORD base_ms) {
  return Clock::now() + std::chrono::milliseconds(Scaled(base_ms));
}

// The flush marker: a WM_NULL posted with this wParam and a serial number, seen taken from the
// queue by a WH_GETMESSAGE hook on the window's thread.
constexpr WPARAM kFlushMarker = 0x7A0B07;
std::atomic<LPARAM> g_flush_taken{0};
std::atomic<LPARAM> g_flush_serial{0};
// Left button presses and releases taken from the queue of a thread the hook watches.
std::atomic<int> g_presses_taken{0};
std::atomic<int> g_releases_taken{0};
// The window the last release taken was for.
std::atomic<HWND> g_release_window{nullptr};

LRESULT CALLBACK QueueHook(int code, WPARAM removed, LPARAM lparam) {
  const MSG* msg = reinterpret_cast<const MSG*>(lparam);
  if (code == HC_ACTION && removed == PM_REMOVE) {
    if (msg->message == WM_NULL && msg->wParam == kFlushMarker) g_flush_taken = msg->lParam;
    if (msg->message == WM_LBUTTONDOWN || msg->message == WM_NCLBUTTONDOWN) ++g_presses_taken;
    if (msg->message == WM_LBUTTONUP || msg->message == WM_NCLBUTTONUP) {
      g_release_window = msg->hwnd;
      ++g_releases_taken;
    }
  }
  return CallNextHookEx(nullptr, code, removed, lparam);
}

// Watches the queue of `wnd`'s thread while it lives.
class QueueWatch {
 public:
  explicit QueueWatch(HWND wnd) : QueueWatch(GetWindowThreadProcessId(wnd, nullptr)) {}
  explicit QueueWatch(DWORD thread)
      : hook_(SetWindowsHookExA(WH_GETMESSAGE, QueueHook, nullptr, thread)) {}
  ~QueueWatch() {
    if (hook_) UnhookWindowsHookEx(hook_);
  }
  bool Watching() const { return hook_ != nullptr; }

 private:
  HHOOK hook_;
};

bool OnThreadOf(HWND wnd) { return GetWindowThreadProcessId(wnd, nullptr) == GetCurrentThreadId(); }

// A screen coordinate as the input queue's absolute form takes it: the centre of the pixel,
// so that the scaling back to pixels lands on it whichever way it rounds.
LONG Normalized(LONG pixel, int extent) {
  return static_cast<LONG>((static_cast<long long>(2 * pixel + 1) * 65536) / (2LL * extent));
}

// A press and a release at `at`. Each carries its position: a motion the display reports
// late (from an earlier move of the pointer) can then not carry either of them elsewhere.
INPUT ButtonAt(POINT at, DWORD flag) {
  INPUT in{};
  in.type = INPUT_MOUSE;
  in.mi.dx = Normalized(at.x, GetSystemMetrics(SM_CXSCREEN));
  in.mi.dy = Normalized(at.y, GetSystemMetrics(SM_CYSCREEN));
  in.mi.dwFlags = flag | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  return in;
}

void MouseButtons(POINT at, DWORD down, DWORD up) {
  SetCursorPos(at.x, at.y);
  INPUT in[2] = {ButtonAt(at, down), ButtonAt(at, up)};
  SendInput(2, in, sizeof(INPUT));
}

POINT ClientToScreenPoint(HWND wnd, int x, int y) {
  POINT p{x, y};
  ClientToScreen(wnd, &p);
  return p;
}

std::uint32_t Crc32(const std::uint8_t* p, size_t n) {
  std::uint32_t crc = ~0u;
  for (size_t i = 0; i < n; ++i) {
    crc ^= p[i];
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

}  // namespace

// ---- time ----------------------------------------------------------------------------------

double WaitFactor() {
  return std::clamp(EnvironmentFactor() * std::max(1.0, LoadPerProcessor()), 1.0, 6.0);
}

DWORD Scaled(DWORD base_ms) {
  // Stretched no further than four minutes (unless the wait asks for more on a quiet machine):
  // a wait that fails then says so before ctest ends the test at five.
  const DWORD stretched = static_cast<DWORD>(base_ms * WaitFactor());
  return std::max(base_ms, std::min<DWORD>(stretched, 240000));
}

void Pump(int ms) {
  const auto end = Clock::now() + std::chrono::milliseconds(ms);
  do {
    forms::Application()->ProcessMessages();
    Sleep(2);
  } while (Clock::now() < end);
}

bool WaitUntil(const std::function<bool()>& done, DWORD base_ms) {
  const auto end = DeadlineAfter(base_ms);
  for (;;) {
    forms::Application()->ProcessMessages();
    if (done()) return true;
    if (Clock::now() > end) return false;
    Sleep(5);
  }
}

bool WaitFor(const std::function<bool()>& done, DWORD base_ms) {
  const auto end = DeadlineAfter(base_ms);
  for (;;) {
    if (done()) return true;
    if (Clock::now() > end) return false;
    Sleep(10);
  }
}

bool WaitVisible(HWND wnd, DWORD base_ms) {
  return WaitFor([wnd] { return IsWindowVisible(wnd) != FALSE; }, base_ms);
}

bool WaitHidden(HWND wnd, DWORD base_ms) {
  return WaitFor([wnd] { return !IsWindowVisible(wnd); }, base_ms);
}

bool Flush(HWND wnd, DWORD base_ms) {
  if (OnThreadOf(wnd)) {
    forms::Application()->ProcessMessages();
    return true;
  }
  QueueWatch watch(wnd);
  const LPARAM serial = ++g_flush_serial;
  if (watch.Watching() && PostMessageA(wnd, WM_NULL, kFlushMarker, serial))
    return WaitFor([serial] { return g_flush_taken.load() >= serial; }, base_ms);
  // Without a hook: at least the thread has come back to its queue once.
  DWORD_PTR r = 0;
  return SendMessageTimeoutA(wnd, WM_NULL, 0, 0, SMTO_BLOCK, Scaled(base_ms), &r) != 0;
}

bool WaitReady(HWND wnd, DWORD base_ms) {
  return WaitFor([wnd] { return IsWindowVisible(wnd) && IsWindowEnabled(wnd); }, base_ms) &&
         Flush(wnd, base_ms);
}

// ---- input ---------------------------------------------------------------------------------

POINT ScreenOf(forms::TWinControl* c, int x, int y) { return ClientToScreenPoint(c->Handle(), x, y); }

bool ClickAt(POINT screen, HWND taken_by) {
  if (!taken_by || OnThreadOf(taken_by)) {
    MouseButtons(screen, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
    return true;
  }
  QueueWatch watch(taken_by);
  const int before = g_releases_taken;
  MouseButtons(screen, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
  if (!watch.Watching()) return true;
  if (!WaitFor([before] { return g_releases_taken > before; })) return false;
  const HWND got = g_release_window;
  return got == taken_by || IsChild(taken_by, got);
}

void ClickClient(HWND wnd, int x, int y) {
  ClickAt(ClientToScreenPoint(wnd, x, y));
  Pump();
}

void DoubleClickClient(HWND wnd, int x, int y) {
  POINT p = ClientToScreenPoint(wnd, x, y);
  ClickAt(p);
  ClickAt(p);
  Pump();
}

void RightClickClient(HWND wnd, int x, int y) {
  POINT p = ClientToScreenPoint(wnd, x, y);
  MouseButtons(p, MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP);
  Pump();
}

POINT MiddleOf(HWND wnd) {
  RECT r{};
  GetWindowRect(wnd, &r);
  return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

bool ClickMiddle(HWND wnd) { return ClickAt(MiddleOf(wnd), OnThreadOf(wnd) ? nullptr : wnd); }

bool Press(HWND control, const std::function<bool()>& done, DWORD base_ms) {
  // A release that another window took (the pointer was not where it was sent, or a window
  // lay over the control) made no click: that press is made again, a few times at most. A
  // release the control took and that changed nothing is a fault of the control.
  for (int attempt = 0; attempt < 3; ++attempt) {
    if (!WaitReady(GetAncestor(control, GA_ROOT), base_ms)) return false;
    WaitFor([control] {
      const HWND under = WindowFromPoint(MiddleOf(control));
      return under == control || IsChild(control, under);
    }, 2000);
    const int before = g_releases_taken;
    if (ClickAt(MiddleOf(control), control)) return WaitFor(done, base_ms);
    char name[64] = "?";
    const HWND got = g_releases_taken > before ? g_release_window.load() : nullptr;
    if (got) GetClassNameA(got, name, sizeof name);
    std::fprintf(stderr, "robot: a click on %p was taken by %s (%p); clicking again\n",
                 static_cast<void*>(control), got ? name : "no window of its thread",
                 static_cast<void*>(got));
  }
  return false;
}

void MoveMouseTo(POINT screen) {
  INPUT in{};
  in.type = INPUT_MOUSE;
  in.mi.dx = static_cast<LONG>(screen.x * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1));
  in.mi.dy = static_cast<LONG>(screen.y * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1));
  in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  SendInput(1, &in, sizeof in);
}

void ParkPointer() {
  SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
}

void PostClick(HWND wnd, int x, int y) {
  PostMessageA(wnd, WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
  PostMessageA(wnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
  PostMessageA(wnd, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}

namespace {
LPARAM KeyDownBits(WORD vk) { return 1 | (MapVirtualKeyA(vk, MAPVK_VK_TO_VSC) << 16); }
LPARAM KeyUpBits(WORD vk) { return KeyDownBits(vk) | (1u << 30) | (1u << 31); }
}  // namespace

void PressKey(HWND wnd, WORD vk) {
  PostMessageA(wnd, WM_KEYDOWN, vk, KeyDownBits(vk));
  Flush(wnd);
  if (OnThreadOf(wnd)) Pump();
  PostMessageA(wnd, WM_KEYUP, vk, KeyUpBits(vk));
  Flush(wnd);
  if (OnThreadOf(wnd)) Pump();
}

void PostKey(HWND wnd, WORD vk) {
  PostMessageA(wnd, WM_KEYDOWN, vk, KeyDownBits(vk));
  PostMessageA(wnd, WM_KEYUP, vk, KeyUpBits(vk));
}

void KeyStrokes(std::initializer_list<std::pair<WORD, bool>> strokes) {
  std::vector<INPUT> in;
  for (auto [vk, up] : strokes) {
    INPUT i{};
    i.type = INPUT_KEYBOARD;
    i.ki.wVk = vk;
    i.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    in.push_back(i);
  }
  SendInput(static_cast<UINT>(in.size()), in.data(), sizeof(INPUT));
}

void TapKey(WORD vk) { KeyStrokes({{vk, false}, {vk, true}}); }

void Type(HWND wnd, const std::string& text) {
  for (char c : text) PostMessageA(wnd, WM_CHAR, static_cast<unsigned char>(c), 1);
  Flush(wnd);
  if (OnThreadOf(wnd)) Pump();
}

namespace {

// The keys for a popup menu while its loop runs: a thread timer sends one a tick, once the
// menu window is up; after the last it closes a menu left open.
std::vector<WORD>* g_menu_keys = nullptr;
size_t g_menu_next = 0;
const std::function<void(HWND)>* g_menu_shown = nullptr;
bool g_menu_repainted = false;

void CALLBACK MenuTick(HWND, UINT, UINT_PTR, DWORD) {
  HWND menu = FindWindowA("#32768", nullptr);
  if (!g_menu_keys || !menu || !IsWindowVisible(menu)) return;
  if (g_menu_shown) {
    // One tick repaints the menu, frame and all; the next finds it on the screen, once the
    // menu's own loop has run in between (a window's painting reaches the X server from
    // there, not from inside the paint).
    if (!g_menu_repainted) {
      RedrawWindow(menu, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ERASE | RDW_UPDATENOW);
      g_menu_repainted = true;
      return;
    }
    const std::function<void(HWND)>* shown = g_menu_shown;
    g_menu_shown = nullptr;
    (*shown)(menu);
    return;
  }
  if (g_menu_next >= g_menu_keys->size()) {
    EndMenu();
    return;
  }
  TapKey((*g_menu_keys)[g_menu_next++]);
}

}  // namespace

void RightClickAndChoose(HWND wnd, POINT at, std::vector<WORD> keys,
                         const std::function<void(HWND menu)>& shown) {
  g_menu_keys = &keys;
  g_menu_next = 0;
  g_menu_shown = shown ? &shown : nullptr;
  g_menu_repainted = false;
  UINT_PTR timer = SetTimer(nullptr, 0, 80, MenuTick);
  RightClickClient(wnd, at.x, at.y);
  WaitUntil([&] { return g_menu_next >= keys.size() && !FindWindowA("#32768", nullptr); }, 5000);
  KillTimer(nullptr, timer);
  g_menu_keys = nullptr;
  g_menu_shown = nullptr;
  Pump();
}

void DragWithTheMouse(POINT from, int dx, int dy) {
  SetCursorPos(from.x, from.y);
  Pump();
  // The hand moves once this thread has taken the press: whatever loop the press starts then
  // follows the pointer from the press's point. A press the thread never takes (the system
  // eats one when it cannot bring the window forward) is let go and made again, as a hand
  // would, a few times at most; the waits outlast the double-click time, so no press becomes
  // a double click.
  QueueWatch watch(GetCurrentThreadId());
  const int before = g_presses_taken;
  INPUT down = ButtonAt(from, MOUSEEVENTF_LEFTDOWN);
  SendInput(1, &down, sizeof(down));
  Robot hand([=, &watch] {
    const auto taken = [before] { return g_presses_taken > before; };
    for (int attempt = 1; watch.Watching() && !WaitFor(taken, 2000) && attempt < 3; ++attempt) {
      std::fprintf(stderr, "robot: the press at %ld,%ld was not taken; pressing again\n",
                   static_cast<long>(from.x), static_cast<long>(from.y));
      INPUT again[2] = {ButtonAt(from, MOUSEEVENTF_LEFTUP), ButtonAt(from, MOUSEEVENTF_LEFTDOWN)};
      SendInput(2, again, sizeof(INPUT));
    }
    for (int i = 1; i <= 10; ++i) {
      SetCursorPos(from.x + dx * i / 10, from.y + dy * i / 10);
      Sleep(20);  // the pace of a hand
    }
    INPUT up = ButtonAt(POINT{from.x + dx, from.y + dy}, MOUSEEVENTF_LEFTUP);
    SendInput(1, &up, sizeof(up));
  });
  WaitUntil([&hand] { return hand.Done(); });
  hand.Join();
  Pump();
}

bool HoldDownAt(POINT at, const std::function<bool()>& done, DWORD base_ms) {
  SetCursorPos(at.x, at.y);
  Pump();
  INPUT down = ButtonAt(at, MOUSEEVENTF_LEFTDOWN);
  SendInput(1, &down, sizeof(down));
  const bool held = WaitUntil(done, base_ms);
  INPUT up = ButtonAt(at, MOUSEEVENTF_LEFTUP);
  SendInput(1, &up, sizeof(up));
  Pump();
  return held;
}

void PostedMouse::Send(forms::TWinControl* c, int x, int y, UINT msg) {
  POINT screen = ClientToScreenPoint(c->Handle(), x, y);
  SetCursorPos(screen.x, screen.y);
  HWND target = GetCapture();
  if (!target) target = WindowFromPoint(screen);
  POINT client = screen;
  ScreenToClient(target, &client);
  if (msg == WM_LBUTTONDOWN) down_ = true;
  if (msg == WM_LBUTTONUP) down_ = false;
  WPARAM keys = down_ ? MK_LBUTTON : 0;
  PostMessageA(target, msg, keys, MAKELPARAM(client.x, client.y));
  Pump(10);
}

// ---- pictures ------------------------------------------------------------------------------

bool WritePng(const forms::TBitmap& bmp, const std::string& path) {
  const int w = bmp.Width(), h = bmp.Height();
  std::vector<std::uint8_t> raw;
  for (int y = 0; y < h; ++y) {
    raw.push_back(0);  // filter: none
    for (int x = 0; x < w; ++x) {
      auto c = static_cast<std::uint32_t>(bmp.GetPixel(x, y));
      raw.push_back(c & 0xFF);
      raw.push_back((c >> 8) & 0xFF);
      raw.push_back((c >> 16) & 0xFF);
    }
  }
  std::vector<std::uint8_t> z = {0x78, 0x01};
  for (size_t at = 0; at < raw.size() || at == 0;) {
    size_t n = std::min<size_t>(65535, raw.size() - at);
    bool last = at + n >= raw.size();
    z.push_back(last ? 1 : 0);
    z.push_back(n & 0xFF);
    z.push_back(n >> 8);
    z.push_back(~n & 0xFF);
    z.push_back((~n >> 8) & 0xFF);
    z.insert(z.end(), raw.begin() + at, raw.begin() + at + n);
    at += n;
    if (last) break;
  }
  std::uint32_t a = 1, b = 0;
  for (std::uint8_t v : raw) {
    a = (a + v) % 65521;
    b = (b + a) % 65521;
  }
  std::uint32_t adler = (b << 16) | a;
  for (int s = 24; s >= 0; s -= 8) z.push_back((adler >> s) & 0xFF);

  std::vector<std::uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  auto chunk = [&](const char* type, const std::vector<std::uint8_t>& data) {
    std::uint32_t n = static_cast<std::uint32_t>(data.size());
    for (int s = 24; s >= 0; s -= 8) out.push_back((n >> s) & 0xFF);
    std::vector<std::uint8_t> td(type, type + 4);
    td.insert(td.end(), data.begin(), data.end());
    out.insert(out.end(), td.begin(), td.end());
    std::uint32_t crc = Crc32(td.data(), td.size());
    for (int s = 24; s >= 0; s -= 8) out.push_back((crc >> s) & 0xFF);
  };
  std::vector<std::uint8_t> ihdr;
  for (int v : {w, h})
    for (int s = 24; s >= 0; s -= 8) ihdr.push_back((static_cast<std::uint32_t>(v) >> s) & 0xFF);
  ihdr.insert(ihdr.end(), {8, 2, 0, 0, 0});
  chunk("IHDR", ihdr);
  chunk("IDAT", z);
  chunk("IEND", {});
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  bool ok = std::fwrite(out.data(), 1, out.size(), f) == out.size();
  return std::fclose(f) == 0 && ok;
}

void GrabScreen(const RECT& r, forms::TBitmap& out) {
  out.SetSize(r.right - r.left, r.bottom - r.top);
  HDC screen = GetDC(nullptr);
  BitBlt(out.Canvas().Handle(), 0, 0, out.Width(), out.Height(), screen, r.left, r.top, SRCCOPY);
  ReleaseDC(nullptr, screen);
}

void GrabWindow(HWND wnd, forms::TBitmap& out) {
  RECT r{};
  GetWindowRect(wnd, &r);
  GrabScreen(r, out);
}

std::unique_ptr<forms::TBitmap> Grab(HWND wnd) {
  auto b = std::make_unique<forms::TBitmap>();
  GrabWindow(wnd, *b);
  return b;
}

void SavePicture(const forms::TBitmap& picture, const std::string& file) {
  CreateDirectoryA("..\\tests", nullptr);
  CreateDirectoryA("..\\tests\\artifacts", nullptr);
  EXPECT_TRUE(WritePng(picture, "..\\tests\\artifacts\\" + file)) << file;
}

void Shoot(HWND wnd, const std::string& file) {
  RedrawWindow(wnd, nullptr, nullptr,
               RDW_INVALIDATE | RDW_FRAME | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  if (OnThreadOf(wnd)) {
    Pump();
  } else {
    Flush(wnd);
  }
  forms::TBitmap shot;
  GrabWindow(wnd, shot);
  SavePicture(shot, file);
}

std::unique_ptr<forms::TBitmap> Render(forms::TControl* c) {
  auto b = std::make_unique<forms::TBitmap>(c->Width(), c->Height());
  c->Perform(WM_PAINT, reinterpret_cast<WPARAM>(b->Canvas().Handle()), 0);
  return b;
}

void PaintTree(forms::TControl* c, HDC dc, int x, int y) {
  int saved = SaveDC(dc);
  OffsetViewportOrgEx(dc, x, y, nullptr);
  IntersectClipRect(dc, 0, 0, c->Width(), c->Height());
  c->Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
  RestoreDC(dc, saved);
  if (auto* w = dynamic_cast<forms::TWinControl*>(c))
    for (forms::TControl* child : w->Controls())
      if (child->IsWindowed() && child->Visible())
        PaintTree(child, dc, x + child->Left(), y + child->Top());
}

DWORD GdiObjectCount() {
  DWORD n = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  if (n) return n;
  for (ULONG_PTR i = 1; i <= 0xFFFF; ++i)
    if (GetObjectType(reinterpret_cast<HGDIOBJ>(i))) ++n;
  return n;
}

// ---- Wine without a window manager ----------------------------------------------------------

bool UnmanageWineWindows() {
  HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  if (!ntdll || !GetProcAddress(ntdll, "wine_get_version")) return false;
  char path[MAX_PATH];
  DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string exe(path, n);
  exe = exe.substr(exe.find_last_of("\\/") + 1);
  std::string key = "Software\\Wine\\AppDefaults\\" + exe + "\\X11 Driver";
  HKEY k;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE | KEY_QUERY_VALUE,
                      nullptr, &k, nullptr) != ERROR_SUCCESS)
    return false;
  char value[8] = {};
  DWORD size = sizeof value - 1;
  const bool already = RegQueryValueExA(k, "Managed", nullptr, nullptr,
                                        reinterpret_cast<BYTE*>(value), &size) == ERROR_SUCCESS &&
                       std::string(value) == "N";
  if (!already) RegSetValueExA(k, "Managed", 0, REG_SZ, reinterpret_cast<const BYTE*>("N"), 2);
  RegCloseKey(k);
  if (already) return true;
  // The X11 driver reads the setting once, when the process first uses the window system, and
  // a static object of the program may have done so before this ran: then this start keeps
  // managed windows, whose native caption Wine leaves to a window manager that is not there
  // (a press on it goes to the desktop). The first start in a prefix without the setting runs
  // the program again, with it, and ends as that run ends.
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION child{};
  std::wstring command = GetCommandLineW();
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                      &startup, &child))
    return true;
  CloseHandle(child.hThread);
  // Any window this start made before it got here keeps answering while the run goes on.
  while (MsgWaitForMultipleObjects(1, &child.hProcess, FALSE, INFINITE, QS_ALLINPUT) !=
         WAIT_OBJECT_0) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
  }
  DWORD code = 1;
  GetExitCodeProcess(child.hProcess, &code);
  ExitProcess(code);
}

}  // namespace tolvane_test
