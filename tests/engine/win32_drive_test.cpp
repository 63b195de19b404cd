// The drive functions of Scavrel.dll and the DLL's worker platform against real volumes:
// run under Wine in a prefix of its own (tests/support/image_drive_prefix.sh) whose drives are
//   F: a FAT16 image (label TOLVANEF) made by mkfs.fat, M: a folder (fixed drive),
//   N: a folder typed CD-ROM, O: a folder typed network drive.
// What Wine cannot give (mount points, reading a volume through its volume name) is covered
// by drive_list_test through the seam; here the real calls show what Wine does give.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "engine/found_tree.h"
#include "engine/run_control.h"
#include "engine/text_list.h"
#include "engine/win/win32_platform.h"

namespace scavrel {
namespace {

using Bool8 = uint8_t;

class ScavrelDrives : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { module_ = LoadLibraryA("Scavrel.dll"); }
  static void TearDownTestSuite() {
    if (module_) FreeLibrary(module_);
    module_ = nullptr;
  }
  void SetUp() override { ASSERT_NE(module_, nullptr) << "LoadLibrary: " << GetLastError(); }

  template <typename F>
  static F Call(const char* name) {
    return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module_, name)));
  }

  struct Info {
    bool ok = false;
    std::string volume_name, file_system;
    uint64_t total = 0, free_to_caller = 0, total_free = 0;
  };
  static Info DriverInfo(const char* path) {
    auto get_info = Call<Bool8 (*)(const char*, char**, char**, uint64_t*, uint64_t*,
                                   uint64_t*)>("GetDriverInfo");
    char volume[1001] = "", file_system[101] = "";
    char* volume_out = volume;
    char* file_system_out = file_system;
    Info info;
    info.ok = get_info(path, &volume_out, &file_system_out, &info.total, &info.free_to_caller,
                       &info.total_free) != 0;
    info.volume_name = volume;
    info.file_system = file_system;
    return info;
  }

  static std::vector<std::string> DriveList() {
    auto get_list = Call<Bool8 (*)(ListPosition*)>("GetDriverList");
    auto get_name = Call<Bool8 (*)(ListPosition*, char**)>("GetDriverName");
    std::vector<std::string> names;
    ListPosition position = nullptr;
    if (!get_list(&position)) return names;
    char buffer[1001];
    char* out = buffer;
    while (get_name(&position, &out)) names.push_back(buffer);
    return names;
  }

  static HMODULE module_;
};

HMODULE ScavrelDrives::module_ = nullptr;

// Must run before any GetDriverList in this process: the NT 5 flag is still 0.
TEST_F(ScavrelDrives, BeforeTheFirstDriveListTheVolumeNameIsThePathItself) {
  Info info = DriverInfo("F:\\");
  ASSERT_TRUE(info.ok);
  EXPECT_EQ(info.volume_name, "F:\\");
}

TEST_F(ScavrelDrives, TheDriveListHoldsTheFixedDrivesAndNoCdromOrNetworkDrive) {
  std::vector<std::string> names = DriveList();
  auto position = [&](const char* name) {
    return std::find(names.begin(), names.end(), name) - names.begin();
  };
  ASSERT_LT(position("F:\\"), static_cast<ptrdiff_t>(names.size()));
  ASSERT_LT(position("M:\\"), static_cast<ptrdiff_t>(names.size()));
  EXPECT_LT(position("F:\\"), position("M:\\"));  // in the system's order
  EXPECT_EQ(position("N:\\"), static_cast<ptrdiff_t>(names.size())) << "CD-ROM listed";
  EXPECT_EQ(position("O:\\"), static_cast<ptrdiff_t>(names.size())) << "network drive listed";
}

TEST_F(ScavrelDrives, GetDriverNameWithANullPositionTouchesNothing) {
  auto get_name = Call<Bool8 (*)(ListPosition*, char**)>("GetDriverName");
  ListPosition position = nullptr;
  char buffer[8] = "keep";
  char* out = buffer;
  EXPECT_EQ(get_name(&position, &out), 0);
  EXPECT_STREQ(buffer, "keep");
}

TEST_F(ScavrelDrives, AnImageDriveReportsItsVolumeNameFileSystemAndSizes) {
  DriveList();  // sets the NT 5 flag: the system names the volume from now on
  Info info = DriverInfo("F:\\");
  ASSERT_TRUE(info.ok);
  EXPECT_EQ(info.volume_name.rfind("\\\\?\\Volume{", 0), 0u) << info.volume_name;
  EXPECT_EQ(info.volume_name.back(), '\\');
  // Windows names FAT12 and FAT16 volumes "FAT"; Wine reads the image's boot sector.
  EXPECT_EQ(info.file_system, "FAT");
  // Wine reports the sizes of the host folder the drive maps to, not of the image.
  EXPECT_GT(info.total, 0u);
  EXPECT_LE(info.free_to_caller, info.total);
  EXPECT_LE(info.total_free, info.total);

  EXPECT_FALSE(DriverInfo("Q:\\").ok);  // no such drive
}

TEST_F(ScavrelDrives, CheckCurrentDriverIsFalseOnAnEmptyTree) {
  auto clear = Call<Bool8 (*)()>("ClearRecovery");
  auto set_ntfs = Call<Bool8 (*)(uint8_t)>("SetNtfs");
  auto check = Call<Bool8 (*)(const char*)>("CheckCurrentDriver");
  clear();
  for (uint8_t choice : {0, 1}) {
    set_ntfs(choice);
    EXPECT_EQ(check("F:\\"), 0);
    EXPECT_EQ(check("C:\\windows"), 0);
  }
  set_ntfs(0);
}

TEST_F(ScavrelDrives, GetVolumeGivesTheRootThatHoldsAPath) {
  auto get_volume = Call<Bool8 (*)(const char*, char**, uint32_t)>("GetVolume");
  char buffer[1001] = "";
  char* out = buffer;
  ASSERT_NE(get_volume("F:\\some\\folder", &out, sizeof(buffer)), 0);
  EXPECT_STREQ(buffer, "F:\\");
  ASSERT_NE(get_volume("C:\\windows\\system32", &out, sizeof(buffer)), 0);
  EXPECT_STREQ(buffer, "C:\\");
}

// The scan's device path is the volume name without its last character. Windows reads the
// volume through it; Wine opens it but fails every read (error 1), and the platform goes
// through the drive letter instead. Either way the boot sector of the image comes back.
TEST(Win32Platform, TheScanDevicePathOfAnImageDriveReadsItsBootSector) {
  char volume_name[100] = "";
  ASSERT_TRUE(GetVolumeNameForVolumeMountPointA("F:\\", volume_name, sizeof(volume_name)));
  std::string device_path(volume_name);
  device_path.pop_back();

  Win32WorkerPlatform platform;
  for (const std::string& path : {device_path, std::string("\\\\.\\F:")}) {
    uint32_t error = 0;
    std::unique_ptr<VolumeReader> volume = platform.OpenVolume(path, &error);
    ASSERT_NE(volume, nullptr) << path << " error " << error;
    uint8_t sector[512];
    ASSERT_TRUE(volume->Read(0, sector, sizeof(sector))) << path;
    EXPECT_EQ(sector[510], 0x55);
    EXPECT_EQ(sector[511], 0xAA);
    EXPECT_EQ(std::memcmp(sector + 54, "FAT16   ", 8), 0);
    EXPECT_EQ(std::memcmp(sector + 43, "TOLVANEF", 8), 0);
    EXPECT_EQ(volume->Size(), 16384u * 1024u);
  }

  uint32_t error = 0;
  EXPECT_EQ(platform.OpenVolume("\\\\.\\Q:", &error), nullptr);
  EXPECT_NE(error, 0u);
}

TEST(Win32Platform, SystemErrorTextIsTheSystemsTextAsGivenOrUnknowError) {
  std::string text = SystemErrorText(ERROR_FILE_NOT_FOUND);
  EXPECT_NE(text, "Unknow Error!");
  ASSERT_GE(text.size(), 3u);
  EXPECT_EQ(text.substr(text.size() - 2), "\r\n");  // kept as the system gives it
  EXPECT_EQ(SystemErrorText(0x2FFFFFFFu), "Unknow Error!");
  Win32WorkerPlatform platform;
  EXPECT_EQ(platform.SystemErrorText(0x2FFFFFFFu), "Unknow Error!");
}

// --- worker threads through CreateThread ------------------------------------------------------

std::atomic<uint64_t> g_steps{0};
std::atomic<bool> g_queue_served{false};
std::atomic<int64_t> g_step_microseconds{0};
std::atomic<int64_t> g_pump_microseconds{0};

uint8_t StepUntilStopped(Engine& engine) {
  while (!engine.ScanStep()) {
    ++g_steps;
    Sleep(0);
  }
  return 1;
}

// Under Wine every PeekMessage is a server round trip (~40 us): a worker that pumped at each
// of these steps would need seconds. A message posted to the worker is still served.
constexpr int kCheapSteps = 200000;

uint8_t PumpAtEveryStep(Engine& engine) {
  MSG message;
  PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE);  // gives the thread its queue
  // What pumping at every step would cost here and now (a busy machine makes both the looks
  // and the steps slower): a look at the queue timed, times the steps.
  constexpr int kLooks = 2000;
  auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < kLooks; ++i) PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE);
  g_pump_microseconds = std::chrono::duration_cast<std::chrono::microseconds>(
                            std::chrono::steady_clock::now() - start)
                            .count() *
                        (kCheapSteps / kLooks);
  start = std::chrono::steady_clock::now();
  for (int i = 0; i < kCheapSteps; ++i) {
    if (engine.ScanStep()) return 0;
  }
  g_step_microseconds = std::chrono::duration_cast<std::chrono::microseconds>(
                            std::chrono::steady_clock::now() - start)
                            .count();
  PostThreadMessageA(GetCurrentThreadId(), WM_APP, 0, 0);
  auto posted = std::chrono::steady_clock::now();
  while (std::chrono::steady_clock::now() - posted < std::chrono::milliseconds(50)) {
    if (engine.ScanStep()) return 0;
  }
  g_queue_served = !PeekMessageA(&message, nullptr, WM_APP, WM_APP, PM_NOREMOVE);
  return 1;
}

// Polls until `predicate` holds, twenty seconds at most by the clock (a busy machine's sleeps
// run long and its workers slowly).
template <typename Predicate>
bool WaitFor(Predicate predicate) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (!predicate()) {
    if (std::chrono::steady_clock::now() > end) return predicate();
    Sleep(1);
  }
  return true;
}

TEST(Win32Platform, WorkerThreadsPauseContinueAndStop) {
  Win32WorkerPlatform platform;
  Engine engine(EngineKind::kNtfs);
  engine.platform = &platform;
  engine.scan_body = &StepUntilStopped;
  ASSERT_TRUE(StartScanThread(engine, nullptr));
  ASSERT_TRUE(WaitFor([] { return g_steps > 10; }));
  EXPECT_TRUE(PauseRun(engine, engine.scan_flags));
  EXPECT_TRUE(PauseRun(engine, engine.scan_flags));
  ASSERT_TRUE(WaitFor([] {
    uint64_t before = g_steps;
    Sleep(20);
    return g_steps == before;
  }));
  EXPECT_TRUE(ContinueRun(engine, engine.scan_flags));
  uint64_t resumed_at = g_steps;
  EXPECT_TRUE(WaitFor([&] { return g_steps > resumed_at + 10; }));
  EXPECT_TRUE(PauseRun(engine, engine.scan_flags));
  EXPECT_FALSE(StopRun(engine, engine.scan_flags));  // paused: resumed to see the stop byte
  ASSERT_TRUE(WaitFor([&] { return StopRun(engine, engine.scan_flags); }));
  EXPECT_EQ(engine.scan_flags.thread, nullptr);
}

TEST(Win32Platform, PumpingAtEveryStepStaysCheapAndStillServesTheQueue) {
  Win32WorkerPlatform platform;
  Engine engine(EngineKind::kFat);
  engine.platform = &platform;
  engine.scan_body = &PumpAtEveryStep;
  ASSERT_TRUE(StartScanThread(engine, nullptr));
  ASSERT_TRUE(WaitFor([&] { return engine.scan_flags.finished == 1; }));
  EXPECT_TRUE(g_queue_served);
  // Well under what a look at every step would cost; two seconds at least, where a look is
  // cheap (Windows).
  EXPECT_LT(g_step_microseconds, std::max<int64_t>(2000000, g_pump_microseconds / 4))
      << kCheapSteps << " steps; a look at the queue at each would take " << g_pump_microseconds
      << " us";
  StopRun(engine, engine.scan_flags);
}

}  // namespace
}  // namespace scavrel
