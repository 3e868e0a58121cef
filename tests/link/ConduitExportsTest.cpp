// The real libConduit.so, loaded as the program loads it. The library reads
// its environment once, when it is loaded, so every test here must run in a
// process of its own (ctest runs each test case separately).
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

namespace {

const std::string kLibrary = VELT_RUNTIME_DIR "/libConduit.so";

struct TExports {
  std::uint8_t (*InitUSB)();
  std::uint8_t (*CloseUSB)();
  std::uint8_t (*ConnectUSB)();
  std::uint8_t (*USBStatus)();
  std::uint8_t (*SendServiceBuffer)(const std::uint8_t*);
  std::uint8_t (*CheckServiceBuffer)(std::uint8_t*);
  std::uint8_t (*SendBulkBuffer)(const std::uint8_t*, std::uint16_t);
  std::uint8_t (*CheckBulkBuffer)(std::uint8_t*, std::uint16_t);
};

template <typename T>
void Bind(void* library, const char* name, T& function) {
  function = reinterpret_cast<T>(dlsym(library, name));
  ASSERT_NE(function, nullptr) << name;
}

class ConduitExportsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Folder = std::filesystem::temp_directory_path() /
             ("conduit-exports-" + std::to_string(::getpid()));
    std::filesystem::create_directories(Folder);
    setenv("XDG_STATE_HOME", Folder.c_str(), 1);
    unsetenv("CONDUIT_SIMULATOR");
  }
  void TearDown() override { std::filesystem::remove_all(Folder); }

  void Load() {
    ASSERT_EQ(dlopen(kLibrary.c_str(), RTLD_NOW | RTLD_NOLOAD), nullptr)
        << "Conduit was loaded before this test: run one test per process, as ctest does";
    Library = dlopen(kLibrary.c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(Library, nullptr) << dlerror();
    Bind(Library, "InitUSB", Exports.InitUSB);
    Bind(Library, "CloseUSB", Exports.CloseUSB);
    Bind(Library, "ConnectUSB", Exports.ConnectUSB);
    Bind(Library, "USBStatus", Exports.USBStatus);
    Bind(Library, "SendServiceBuffer", Exports.SendServiceBuffer);
    Bind(Library, "CheckServiceBuffer", Exports.CheckServiceBuffer);
    Bind(Library, "SendBulkBuffer", Exports.SendBulkBuffer);
    Bind(Library, "CheckBulkBuffer", Exports.CheckBulkBuffer);
  }

  std::vector<std::string> ReadLines(const std::filesystem::path& path) {
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
      lines.push_back(line);
    }
    return lines;
  }

  std::filesystem::path Folder;
  void* Library = nullptr;
  TExports Exports{};
};

TEST_F(ConduitExportsTest, ExportsTheEightFunctionsAndTheStateDescription) {
  FILE* nm = popen(("nm -D --defined-only " + kLibrary).c_str(), "r");
  ASSERT_NE(nm, nullptr);
  std::set<std::string> defined;
  char line[512];
  while (std::fgets(line, sizeof line, nm) != nullptr) {
    std::istringstream fields(line);
    std::string address, type, name;
    fields >> address >> type >> name;
    defined.insert(type + " " + name);
  }
  ASSERT_EQ(pclose(nm), 0);
  EXPECT_EQ(defined, (std::set<std::string>{"T CheckBulkBuffer", "T CheckServiceBuffer",
                                            "T CloseUSB", "T ConnectUSB", "T InitUSB",
                                            "T SendBulkBuffer", "T SendServiceBuffer",
                                            "T USBStateDescription", "T USBStatus"}));
}

TEST_F(ConduitExportsTest, SimulatedInstrumentIdentifiesAndLogsEveryTransfer) {
  const auto log = Folder / "transfers.log";
  setenv("CONDUIT_SIMULATOR", ("2:5.4.4,log=" + log.string()).c_str(), 1);
  Load();
  EXPECT_EQ(Exports.USBStatus(), 1);
  ASSERT_EQ(Exports.InitUSB(), 2);
  std::uint8_t buffer[8] = {18, 0, 0, 0, 0, 0, 0, 0};
  EXPECT_NE(Exports.SendServiceBuffer(buffer), 0);
  EXPECT_NE(Exports.CheckServiceBuffer(buffer), 0);
  EXPECT_EQ(buffer[1], 5);
  EXPECT_EQ(buffer[2], 4);
  EXPECT_EQ(buffer[3], 4);
  EXPECT_EQ(Exports.CloseUSB(), 1);
  EXPECT_EQ(Exports.ConnectUSB(), 0);  // device type 2 stays open
  EXPECT_EQ(Exports.CloseUSB(), 1);
  EXPECT_EQ(ReadLines(log), (std::vector<std::string>{
                                "service-out ok 12 00 00 00 00 00 00 00",
                                "service-in ok 02 05 04 04 00 00 00 00"}));
}

TEST_F(ConduitExportsTest, DeviceTypeOneInItsSecondClassConnectsAndCloses) {
  setenv("CONDUIT_SIMULATOR", "1:3.26,class=2", 1);
  Load();
  EXPECT_EQ(Exports.ConnectUSB(), 1);
  EXPECT_EQ(Exports.InitUSB(), 1);
}

TEST_F(ConduitExportsTest, NoInstrumentAndBadProfilesFindNothing) {
  setenv("CONDUIT_SIMULATOR", "9:not-a-profile", 1);
  Load();
  EXPECT_EQ(Exports.InitUSB(), 0);
  EXPECT_EQ(Exports.USBStatus(), 0);
  std::uint8_t buffer[8] = {18};
  EXPECT_EQ(Exports.SendServiceBuffer(buffer), 0);
  EXPECT_EQ(Exports.CheckServiceBuffer(buffer), 0);
}

TEST_F(ConduitExportsTest, InstrumentThatVanishesFailsItsTransfers) {
  setenv("CONDUIT_SIMULATOR", "1:3.17,unplug-after=1", 1);
  Load();
  ASSERT_EQ(Exports.InitUSB(), 1);
  std::uint8_t buffer[8] = {18};
  EXPECT_NE(Exports.SendServiceBuffer(buffer), 0);
  EXPECT_EQ(Exports.CheckServiceBuffer(buffer), 0);
  EXPECT_EQ(Exports.USBStatus(), 0);
}

TEST_F(ConduitExportsTest, RealUsbBackendWithAnEmptyDeviceTableFindsNothing) {
  const auto table = Folder / "devices.txt";
  std::ofstream(table) << "# nothing here\n";
  setenv("CONDUIT_DEVICE_TABLE", table.c_str(), 1);
  Load();
  EXPECT_EQ(Exports.USBStatus(), 0);
  EXPECT_EQ(Exports.InitUSB(), 0);
  EXPECT_EQ(Exports.ConnectUSB(), 1);
  std::uint8_t buffer[512] = {};
  EXPECT_EQ(Exports.SendBulkBuffer(buffer, 512), 0);
  EXPECT_EQ(Exports.CloseUSB(), 1);
}

TEST_F(ConduitExportsTest, DebugFileIsCreatedAtLoadAndNeverWritten) {
  const auto debug = Folder / "velt-studio" / "usbdebug.txt";
  setenv("CONDUIT_SIMULATOR", "1:3.17", 1);
  Load();
  ASSERT_TRUE(std::filesystem::exists(debug));
  Exports.InitUSB();
  Exports.USBStatus();
  Exports.CloseUSB();
  EXPECT_EQ(std::filesystem::file_size(debug), 0u);
}

TEST_F(ConduitExportsTest, ExistingDebugFileIsKept) {
  const auto debug = Folder / "velt-studio" / "usbdebug.txt";
  std::filesystem::create_directories(debug.parent_path());
  std::ofstream(debug) << "kept";
  setenv("CONDUIT_SIMULATOR", "1:3.17", 1);
  Load();
  EXPECT_EQ(ReadLines(debug), std::vector<std::string>{"kept"});
}

}  // namespace
