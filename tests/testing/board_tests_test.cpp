// The board tests on a virtual board in virtual time: the self-test's answers and wire bytes, the
// echo and memory report exchanges, the refusals before connecting, a failed download, the
// windows' states and a serial error in the middle of an exchange.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <optional>

#include "board/board_messages.h"
#include "board/board_protocol.h"
#include "serial/com_error.h"
#include "support/testing_bench.h"

namespace orvane::boardtest {
namespace {

using sim::BoardConfig;
using sim::FaultCount;
using sim::ProgramBehaviour;
using test_support::TestingBench;
using Bytes = std::vector<std::uint8_t>;

constexpr int kSerialItem = 3;
constexpr int kMemoryItem = 4;
constexpr int kPpiItem = 2;

// ---- the self-test

struct SelftestCase {
  const char* name;
  std::optional<std::uint8_t> memoryType;
  std::optional<std::uint8_t> result;
  std::string text;
  bool passed;
};

class SelftestAnswers : public ::testing::TestWithParam<SelftestCase> {};

TEST_P(SelftestAnswers, ShowTheirLines) {
  const SelftestCase& c = GetParam();
  BoardConfig config;
  config.memoryType = c.memoryType;
  config.selftestResult = c.result;
  TestingBench b(config);
  b.bench.StatusBar1.SetPanelText(ui::kFileNamePanel, "mine.hex");
  b.bench.StatusBar1.history.clear();

  EXPECT_EQ(b.Run(kSelftestItem), c.passed);
  EXPECT_EQ(b.form3.Text(), c.text);
  EXPECT_EQ(b.form3.PanelText(), "Selftest");
  EXPECT_TRUE(b.form3.Visible());
  EXPECT_FALSE(b.form3.okVisibleAtShow);
  EXPECT_TRUE(b.form3.OkButtonVisible());
  EXPECT_EQ(b.form3.textRepaints, 1);
  EXPECT_FALSE(b.bench.Form1.Enabled());
  EXPECT_TRUE(b.bench.errors.messages.empty());
  // The port stays open with the self-test's read time-out; the status bar is left alone.
  EXPECT_TRUE(b.bench.ComPort1.Connected());
  EXPECT_EQ(b.bench.ComPort1.Timeouts().ReadTotalConstant(), 1000);
  EXPECT_TRUE(b.bench.StatusBar1.history.empty());
  EXPECT_EQ(b.bench.StatusBar1.panels[ui::kFileNamePanel], "mine.hex");
  EXPECT_EQ(b.form2.shows, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Selftest, SelftestAnswers,
    ::testing::Values(
        SelftestCase{"At28c64bCompleted", 0x01, 0x03, "Memory : AT28C64B\r\nSelftest completed\r\n",
                     true},
        SelftestCase{"At28c64Failed", 0x02, 0x04, "Memory : AT28C64\r\nSelftest failed\r\n", false},
        SelftestCase{"Silent", std::nullopt, std::nullopt, "Communication failed", false},
        SelftestCase{"MemoryTypeThenSilent", 0x01, std::nullopt, "Communication failed\r\n", false},
        SelftestCase{"UnknownChipCompleted", 0x07, 0x03, "Selftest completed\r\n", true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Selftest, SendsStarAndTheCommandTwiceAfterTheHandshakeAndWaitsAtMostTwoSeconds) {
  BoardConfig config;
  config.memoryType.reset();
  config.selftestResult.reset();
  TestingBench b(config);
  ASSERT_TRUE(b.bench.link.ConnectBoard("COM3", "57600"));
  const double connected = b.bench.ElapsedMs();
  b.board->ClearRecord();
  b.Run(kSelftestItem);

  EXPECT_EQ(b.HostBytesAfterHandshake(),
            (Bytes{board::kCommandStart, board::kSelftestCommand, board::kSelftestCommand}));
  // Connecting again costs a few milliseconds; the two reads a second each.
  const double waited = b.bench.ElapsedMs() - connected;
  EXPECT_GE(waited, 2000);
  EXPECT_LT(waited, 2020);
  EXPECT_EQ(b.bench.pump.runs, 0);
}

TEST(Selftest, WithoutABoardShowsCantFindAndNoWindow) {
  TestingBench b;
  b.bench.AddSilentPort("COM5");
  b.bench.cbCOMOption.SetText("COM5");
  EXPECT_FALSE(b.Run(kSelftestItem));
  EXPECT_EQ(b.bench.errors.messages, (std::vector<std::string>{"Can't find Orvane board at COM5"}));
  EXPECT_EQ(b.form3.shows, 0);
  EXPECT_TRUE(b.bench.Form1.Enabled());
}

// ---- refusals before the board is reached

struct RefusalCase {
  const char* name;
  int item;
  const char* fileText;  // written as the test file into the current folder; null: no file
  const char* port;
  const char* baud;
  std::vector<std::string> messages;
};

class Refusals : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(Refusals, ShowOnlyTheirMessage) {
  const RefusalCase& c = GetParam();
  TestingBench b;
  // Only the current folder holds test files here.
  boardtest::BoardTests tests(b.bench.link, b.form2, b.form3, b.hexFile, *b.image,
                              {std::filesystem::path()});
  if (c.fileText) std::ofstream(kBoardTests[c.item].fileName) << c.fileText;
  b.bench.cbCOMOption.SetText(c.port);
  b.bench.cbBaudrateOption.SetText(c.baud);
  b.bench.rgTestingOption.SetItemIndex(c.item);

  EXPECT_FALSE(tests.Testing1Click());
  EXPECT_EQ(b.bench.errors.messages, c.messages);
  EXPECT_TRUE(b.bench.openAttempts.empty());
  EXPECT_EQ(b.form2.shows, 0);
  EXPECT_FALSE(b.form3.Visible());
  EXPECT_TRUE(b.bench.Form1.Enabled());
  // What the hidden window got is cleared the next time it is shown.
  if (kBoardTests[c.item].fileName != nullptr) {
    EXPECT_EQ(b.form3.Text(),
              std::string("Failed to download file ") + kBoardTests[c.item].fileName);
  }
}

constexpr const char* kGood = ":0140000000BF\n:00000001FF\n";
INSTANTIATE_TEST_SUITE_P(
    BoardTests, Refusals,
    ::testing::Values(
        RefusalCase{"MissingFile", 1, nullptr, "COM3", "57600", {"Test file wave1.hex not found"}},
        RefusalCase{"ChecksumError",
                    3,
                    ":0140000000BE\n:00000001FF\n",
                    "COM3",
                    "57600",
                    {"Checksum error"}},
        RefusalCase{"NoData", 4, ":00000001FF\n", "COM3", "57600", {"No data to download"}},
        RefusalCase{"PastProgramMemory",
                    5,
                    ":035FFE00AABBCC17\n:00000001FF\n",
                    "COM3",
                    "57600",
                    {"Address range error"}},
        RefusalCase{"NoBaudRate", 2, kGood, "COM3", "", {"Please select COM and Baudrate"}},
        RefusalCase{
            "SelftestWithoutPort", 0, nullptr, "", "57600", {"Please select COM and Baudrate"}}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- the test programs

TEST(TestPrograms, PpiDownloadsItsProgramAndShowsTheDescription) {
  TestingBench b;
  b.bench.StatusBar1.SetPanelText(ui::kFileNamePanel, "mine.hex");
  b.bench.StatusBar1.history.clear();
  EXPECT_TRUE(b.Run(kPpiItem));

  EXPECT_EQ(b.form3.PanelText(), "PPI Testing");
  EXPECT_EQ(b.form3.Text(), "This test output squarewave\r\nsignal at PortA..PortC");
  EXPECT_TRUE(b.form3.OkButtonVisible());
  EXPECT_FALSE(b.form3.ProgressBarVisible());
  EXPECT_EQ(b.form3.focuses, 1);
  // The progress window closed at once, with no pause for its result.
  EXPECT_EQ(b.form2.closes, 1);
  EXPECT_FALSE(b.form2.Visible());
  EXPECT_FALSE(b.bench.Form1.Enabled());
  // The board holds the program; panel 4 still names the user's file.
  const Bytes memory(b.image->bytes.begin(),
                     b.image->bytes.begin() + static_cast<long>(b.image->ImageBytesUsed()));
  const auto board = b.board->Memory();
  EXPECT_TRUE(std::equal(memory.begin(), memory.end(), board.begin()));
  EXPECT_EQ(b.bench.StatusBar1.panels[ui::kFileNamePanel], "mine.hex");
  EXPECT_TRUE(b.bench.StatusBar1.history.empty());
}

// With auto-detection on, the board is looked for on every port first; a scan that finds none
// ends the test with the scan's own message, before any window shows.
TEST(TestPrograms, AutoDetectionFindsTheBoardOrEndsTheTestWithItsMessage) {
  for (const int item : {kSelftestItem, kPpiItem}) {
    SCOPED_TRACE(item);
    TestingBench found;
    found.bench.AddSilentPort("COM5");
    found.bench.SetPortList({"COM5", "COM3"});
    found.bench.cbAutoDetect.SetChecked(true);
    EXPECT_TRUE(found.Run(item));
    EXPECT_TRUE(found.bench.errors.messages.empty());
    EXPECT_TRUE(found.form3.Visible());

    TestingBench none;
    none.bench.AddSilentPort("COM5");
    none.bench.SetPortList({"COM5"});
    none.bench.cbAutoDetect.SetChecked(true);
    EXPECT_FALSE(none.Run(item));
    EXPECT_EQ(none.bench.errors.messages, std::vector<std::string>{board::kBoardCheckText});
    EXPECT_EQ(none.form2.shows, 0);
    EXPECT_EQ(none.form3.shows, 0);
    EXPECT_TRUE(none.bench.Form1.Enabled());
  }
}

TEST(TestPrograms, AFailedDownloadClosesTheProgressWindowAndSaysSo) {
  BoardConfig config;
  config.faultCount = FaultCount::SinceCommand;
  config.silentAfter = 5;
  TestingBench b(config);
  EXPECT_FALSE(b.Run(kSerialItem));

  EXPECT_EQ(b.form2.labelHistory.back(), "Downloading failure");
  EXPECT_EQ(b.form2.closes, 1);
  EXPECT_TRUE(b.form3.Visible());
  EXPECT_EQ(b.form3.PanelText(), "Serial Testing");
  EXPECT_EQ(b.form3.Text(), "Failed to download file echo.hex");
  EXPECT_TRUE(b.form3.OkButtonVisible());
  EXPECT_FALSE(b.form3.ProgressBarVisible());
}

// ---- the echo exchange

struct EchoCase {
  const char* name;
  std::optional<std::uint64_t> silentAfter;
  std::optional<std::uint64_t> wrongAt;
  int bar;
  std::size_t sent;
  bool passed;
};

class Echo : public ::testing::TestWithParam<EchoCase> {};

TEST_P(Echo, EndsAsTheEchoesCame) {
  const EchoCase& c = GetParam();
  BoardConfig config;
  config.program = ProgramBehaviour::Echo;
  config.faultCount = FaultCount::SinceProgramStart;
  config.silentAfter = c.silentAfter;
  config.wrongAnswerAt = c.wrongAt;
  TestingBench b(config);
  int pumpRunsAtStart = -1;  // no window messages are taken during the exchange
  b.form3.onRepaint = [&] { pumpRunsAtStart = b.bench.pump.runs; };
  EXPECT_EQ(b.Run(kSerialItem), c.passed);
  EXPECT_EQ(b.bench.pump.runs, pumpRunsAtStart);

  const std::string expected = std::string(kBoardTests[kSerialItem].description) + "\r\n\r\n" +
                               (c.passed ? "Serial testing done" : "Serial testing failed");
  EXPECT_EQ(b.form3.Text(), expected);
  EXPECT_TRUE(b.form3.ProgressBarVisible());
  EXPECT_EQ(b.form3.ProgressBar().Max(), 256);
  EXPECT_EQ(b.form3.ProgressBar().Position(), c.bar);
  EXPECT_EQ(b.form3.repaints, 1);
  EXPECT_EQ(b.bench.Form1.repaints, 1);
  EXPECT_EQ(b.bench.ComPort1.Timeouts().ReadTotalConstant(), 100);
  // The values the program got: 0, 1, ... up to where the exchange stopped.
  const Bytes all = b.board->HostBytes();
  ASSERT_GE(all.size(), c.sent);
  Bytes expectedTail(c.sent);
  for (std::size_t i = 0; i < c.sent; ++i) expectedTail[i] = static_cast<std::uint8_t>(i);
  EXPECT_EQ(Bytes(all.end() - static_cast<long>(c.sent), all.end()), expectedTail);
}

INSTANTIATE_TEST_SUITE_P(BoardTests, Echo,
                         ::testing::Values(EchoCase{"AllEchoed", {}, {}, 256, 256, true},
                                           EchoCase{"StopsAfter100", 100, {}, 100, 101, false},
                                           EchoCase{"WrongBeforeTheLast", {}, 50, 256, 256, true},
                                           EchoCase{"WrongLast", {}, 256, 256, 256, false}),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- the memory report exchange

struct ReportCase {
  const char* name;
  std::string report;
  int bar;
  bool passed;
};

class MemoryReport : public ::testing::TestWithParam<ReportCase> {};

TEST_P(MemoryReport, EndsOnTheOutcomeOrASecondOfSilence) {
  const ReportCase& c = GetParam();
  BoardConfig config;
  config.program = ProgramBehaviour::MemoryTest;
  config.memoryTestReport.assign(c.report.begin(), c.report.end());
  TestingBench b(config);
  int pumpRunsAtStart = -1;
  b.form3.onRepaint = [&] { pumpRunsAtStart = b.bench.pump.runs; };
  EXPECT_EQ(b.Run(kMemoryItem), c.passed);
  EXPECT_EQ(b.bench.pump.runs, pumpRunsAtStart);

  EXPECT_EQ(b.form3.PanelText(), "Memory Testing");
  EXPECT_EQ(b.form3.Text(), std::string(kBoardTests[kMemoryItem].description) + "\r\n\r\n" +
                                (c.passed ? "Memory testing done" : "Memory testing failed"));
  EXPECT_EQ(b.form3.ProgressBar().Max(), 4);
  EXPECT_EQ(b.form3.ProgressBar().Position(), c.bar);
  EXPECT_EQ(b.bench.ComPort1.Timeouts().ReadTotalConstant(), 1000);
}

INSTANTIATE_TEST_SUITE_P(BoardTests, MemoryReport,
                         ::testing::Values(ReportCase{"Passed", "LLLLS", 4, true},
                                           ReportCase{"Failed", "LF", 1, false},
                                           ReportCase{"OtherBytesIgnored", "L?L\x01LzLS", 4, true},
                                           ReportCase{"Silent", "L", 1, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(MemoryReport, ASilentProgramFailsOneSecondAfterItsLastByte) {
  BoardConfig config;
  config.program = ProgramBehaviour::MemoryTest;
  config.memoryTestReport = {'L'};
  TestingBench b(config);
  b.Run(kMemoryItem);
  const auto record = b.board->Record();
  const auto last = std::find_if(record.rbegin(), record.rend(), [](const sim::LineEvent& e) {
    return e.kind == sim::LineEventKind::BoardByte;
  });
  ASSERT_NE(last, record.rend());
  ASSERT_EQ(last->byte, 'L');
  const double silence = b.bench.ElapsedMs() - last->time.count() / 1000.0;
  EXPECT_GE(silence, 1000);
  EXPECT_LT(silence, 1010);
}

TEST(MemoryReport, ABabblingLineEndsAsFailed) {
  BoardConfig config;
  config.program = ProgramBehaviour::MemoryTest;
  config.memoryTestInterval = std::chrono::microseconds(200);
  config.memoryTestReport.assign(kMaxIgnoredReportBytes + 10, '?');
  config.memoryTestReport.push_back('S');
  TestingBench b(config);
  EXPECT_FALSE(b.Run(kMemoryItem));
  EXPECT_NE(b.form3.Text().find("Memory testing failed"), std::string::npos);
}

// ---- the OK button and errors

TEST(TestingWindow, OkHidesTheBarAndTheWindowAndTheNextTestStartsEmpty) {
  BoardConfig config;
  config.program = ProgramBehaviour::Echo;
  TestingBench b(config);
  b.Run(kSerialItem);
  ASSERT_TRUE(b.form3.ProgressBarVisible());
  b.form3.events.BitBtn1Click();
  EXPECT_FALSE(b.form3.ProgressBarVisible());
  EXPECT_FALSE(b.form3.Visible());
  EXPECT_TRUE(b.bench.Form1.Enabled());

  b.Run(kPpiItem);
  EXPECT_EQ(b.form3.Text(), kBoardTests[kPpiItem].description);
  EXPECT_FALSE(b.form3.ProgressBarVisible());
}

TEST(TestingWindow, ASerialErrorInAnExchangeLeavesTheProgramUsable) {
  BoardConfig config;
  config.program = ProgramBehaviour::Echo;
  TestingBench b(config);
  // The port goes away (a converter pulled out) as the echo exchange begins.
  b.form3.onRepaint = [&] { b.board->SetVanished(true); };
  EXPECT_THROW(b.Run(kSerialItem), serial::EComPort);
  EXPECT_TRUE(b.form3.Visible());
  EXPECT_TRUE(b.form3.OkButtonVisible());
  EXPECT_TRUE(b.bench.Form1.Enabled());
}

TEST(TestingWindow, ASerialErrorInTheSelftestGivesBackTheOkButton) {
  BoardConfig config;
  config.vanishAfterWrites = 2;  // the handshake's two bytes go out, the command's do not
  TestingBench b(config);
  EXPECT_THROW(b.Run(kSelftestItem), serial::EComPort);
  EXPECT_TRUE(b.form3.Visible());
  EXPECT_FALSE(b.form3.okVisibleAtShow);
  EXPECT_TRUE(b.form3.OkButtonVisible());
  EXPECT_TRUE(b.bench.Form1.Enabled());
}

// ---- where test files are found

TEST(TestFileLookup, TheCurrentFolderFirstThenTheOthersInOrder) {
  test_support::TempFolder current, program, data;
  test_support::ScopedCurrentFolder inside(current.Path());
  const std::vector<std::filesystem::path> folders{std::filesystem::path(), program.Path(),
                                                   data.Path()};
  EXPECT_FALSE(FindTestFile("wave1.hex", folders));
  std::ofstream(data / "wave1.hex") << kGood;
  EXPECT_EQ(FindTestFile("wave1.hex", folders), data / "wave1.hex");
  std::ofstream(program / "wave1.hex") << kGood;
  EXPECT_EQ(FindTestFile("wave1.hex", folders), program / "wave1.hex");
  std::ofstream("wave1.hex") << kGood;
  EXPECT_EQ(FindTestFile("wave1.hex", folders), std::filesystem::path("wave1.hex"));
  // A folder of that name is no file.
  std::filesystem::create_directory(current / "echo.hex");
  EXPECT_FALSE(FindTestFile("echo.hex", folders));
}

#ifdef _WIN32
constexpr bool kLinuxLayout = false;
#else
constexpr bool kLinuxLayout = true;
#endif

// The layouts the packages install: the Windows zip and installer put the test programs beside
// the program, the Debian package in <prefix>/share/orvane beside <prefix>/bin. From a current
// folder that holds none of them, each is found where it was installed.
TEST(TestFileLookup, FindsTheTestProgramsWhereThePackagesInstallThem) {
  struct Layout {
    const char* programFolder;
    const char* dataFolder;
    bool onThisPlatform;
  };
  const Layout layouts[] = {
      {"Orvane Downloader", "Orvane Downloader", true},
      {"usr/bin", "usr/share/orvane", kLinuxLayout},
  };
  const char* const names[] = {"wave1.hex", "wave2.hex", "echo.hex", "memrw.hex", "dispmsg.hex"};
  for (const Layout& layout : layouts) {
    if (!layout.onThisPlatform) continue;
    SCOPED_TRACE(layout.dataFolder);
    test_support::TempFolder root, elsewhere;
    test_support::ScopedCurrentFolder inside(elsewhere.Path());
    const std::filesystem::path program = root / layout.programFolder;
    std::filesystem::create_directories(program);
    std::filesystem::create_directories(root / layout.dataFolder);
    std::vector<std::filesystem::path> folders{std::filesystem::path(), program};
    for (const auto& data : InstalledDataFolders(program)) folders.push_back(data);
    for (const char* name : names) {
      EXPECT_FALSE(FindTestFile(name, folders)) << name;
      std::ofstream(root / layout.dataFolder / name) << kGood;
      const auto found = FindTestFile(name, folders);
      ASSERT_TRUE(found) << name;
      EXPECT_TRUE(std::filesystem::equivalent(*found, root / layout.dataFolder / name)) << name;
    }
  }
}

TEST(TestFileLookup, SearchesTheCurrentFolderThenThisProgramsFolder) {
  const auto folders = TestFileFolders();
  ASSERT_GE(folders.size(), 2u);
  EXPECT_TRUE(folders[0].empty());
  EXPECT_EQ(folders[1], ExecutableFolder());
  // This test program is testing_tests in the build's tests folder.
  EXPECT_TRUE(std::filesystem::exists(folders[1] / "testing_tests") ||
              std::filesystem::exists(folders[1] / "testing_tests.exe"));
#ifndef _WIN32
  ASSERT_EQ(folders.size(), 3u);
  EXPECT_EQ(folders[2], (folders[1] / ".." / "share" / "orvane").lexically_normal());
#endif
}

}  // namespace
}  // namespace orvane::boardtest
