// The engine's code-page seam: the portable Windows-1252 code page, and the texts that go
// through whichever code page is installed (the NTFS scan's progress text, as the FAT one).
#include "engine/ansi_text.h"

#include <gtest/gtest.h>

#include <string>

#include "engine/engine.h"
#include "engine/ntfs_scan.h"
#include "tests/engine/ntfs_test_volume.h"

namespace scavrel {
namespace {

TEST(AnsiText, PortableCodePageIsWindows1252AndMarksWhatItCannotHold) {
  EXPECT_EQ(AnsiToWide("caf\xE9 \x80\x99"), u"caf\u00E9 \u20AC\u2122");
  EXPECT_EQ(WideToAnsi(u"caf\u00E9 \u20AC\u2122"), "caf\xE9 \x80\x99");
  EXPECT_EQ(WideToAnsi(u"\u6587\u4EF6.txt"), "??.txt");
  EXPECT_EQ(WideToAnsi(static_cast<const char16_t*>(nullptr)), "");
  // The five bytes Windows-1252 leaves unassigned come back as the C1 controls.
  EXPECT_EQ(AnsiToWide("\x81\x8D"), u"\u0081\u008D");
  EXPECT_EQ(WideToAnsi(u"\u0081"), "\x81");
}

// A double-byte code page whose lead bytes are 0x81..0x9F (as in Shift-JIS), bytes otherwise
// read as Latin-1.
class DoubleByte : public AnsiCodePage {
 public:
  bool IsLeadByte(uint8_t byte) const override { return byte >= 0x81 && byte <= 0x9F; }
  std::string FromWide(const std::u16string& text) const override {
    std::string out;
    for (char16_t c : text) out += c < 0x100 ? static_cast<char>(c) : '#';
    return out;
  }
};

TEST(AnsiText, UpperCaseLeavesTrailBytesOfADoubleByteCodePageAlone) {
  DoubleByte code_page;
  EXPECT_EQ(code_page.UpperCase("a\x81" "b.doc"), "A\x81" "b.DOC");
  EXPECT_EQ(AnsiCodePage().UpperCase("a\x81" "b.doc"), "A\x81" "B.DOC");
}

class ImagePlatform : public WorkerPlatform {
 public:
  std::unique_ptr<VolumeReader> OpenVolume(const std::string&, uint32_t*) override {
    return std::make_unique<MemoryVolumeReader>(image);
  }
  // The scan clears its text when it ends: keep the last one shown while it ran.
  void PumpMessages() override {
    std::string text = engine->scan_progress.text.Get();
    if (!text.empty()) shown = text;
  }
  void ShowReadError(const std::string&) override {}
  std::vector<uint8_t> image;
  Engine* engine = nullptr;
  std::string shown;
};

std::string NtfsProgressTextAfterScan() {
  ntfs_test::Volume vol;
  vol.SetRecord(16, ntfs_test::Record(0).FileName(5, u"caf\u00E9 \u20AC.txt").Finish());
  ImagePlatform platform;
  platform.image = vol.Image();
  LastError error;
  Engine engine{EngineKind::kNtfs};
  engine.last_error = &error;
  engine.platform = &platform;
  platform.engine = &engine;
  engine.volume_device_path = "image";
  engine.root_name = "C:\\";
  engine.extra_pass = 0;
  engine.scan_flags.stop = 0;
  EXPECT_EQ(NtfsScanMain(engine), 1);
  return platform.shown;
}

TEST(AnsiText, NtfsProgressTextIsInTheInstalledCodePage) {
  EXPECT_EQ(NtfsProgressTextAfterScan(), "caf\xE9 \x80.txt");  // Windows-1252, not UTF-8
  DoubleByte code_page;
  SetAnsiCodePage(&code_page);
  EXPECT_EQ(NtfsProgressTextAfterScan(), "caf\xE9 #.txt");
  SetAnsiCodePage(nullptr);
}

}  // namespace
}  // namespace scavrel
