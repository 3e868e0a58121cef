// The real libConduit.so with the simulated instrument chosen by a memory
// folder: it serves the folder's bytes, keeps the session in the save
// folder, and says why it presents no instrument when the folder is
// malformed. The library reads its environment once, when it is loaded, so
// every test here runs in a process of its own (as ctest runs them).
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using TBytes = std::vector<std::uint8_t>;

const std::string kLibrary = VELT_RUNTIME_DIR "/libConduit.so";

struct TExports {
  std::uint8_t (*InitUSB)();
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

TBytes Pattern(std::size_t n, std::uint8_t seed) {
  TBytes bytes(n);
  for (std::size_t i = 0; i < n; ++i) bytes[i] = static_cast<std::uint8_t>(seed + i * 3);
  bytes[1] = 0x31;
  return bytes;
}

void WriteFile(const fs::path& path, const TBytes& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

TBytes ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return TBytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class SimulatorEndToEndTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Folder = fs::temp_directory_path() / ("velt-sim-e2e-" + std::to_string(::getpid()));
    fs::remove_all(Folder);
    fs::create_directories(Folder / "memory");
    setenv("XDG_STATE_HOME", Folder.c_str(), 1);
  }
  void TearDown() override { fs::remove_all(Folder); }

  // Loads the library with `simulator` in CONDUIT_SIMULATOR; what it writes
  // to stderr while loading lands in Stderr.
  void Load(const std::string& simulator) {
    setenv("CONDUIT_SIMULATOR", simulator.c_str(), 1);
    ASSERT_EQ(dlopen(kLibrary.c_str(), RTLD_NOW | RTLD_NOLOAD), nullptr)
        << "Conduit was loaded before this test: run one test per process, as ctest does";
    const fs::path captured = Folder / "stderr.txt";
    std::fflush(stderr);
    const int saved = dup(STDERR_FILENO);
    FILE* sink = std::fopen(captured.c_str(), "w");
    ASSERT_NE(sink, nullptr);
    dup2(fileno(sink), STDERR_FILENO);
    void* library = dlopen(kLibrary.c_str(), RTLD_NOW | RTLD_LOCAL);
    std::fflush(stderr);
    dup2(saved, STDERR_FILENO);
    close(saved);
    std::fclose(sink);
    ASSERT_NE(library, nullptr) << dlerror();
    const TBytes text = ReadFile(captured);
    Stderr.assign(text.begin(), text.end());
    Bind(library, "InitUSB", Exports.InitUSB);
    Bind(library, "USBStatus", Exports.USBStatus);
    Bind(library, "SendServiceBuffer", Exports.SendServiceBuffer);
    Bind(library, "CheckServiceBuffer", Exports.CheckServiceBuffer);
    Bind(library, "SendBulkBuffer", Exports.SendBulkBuffer);
    Bind(library, "CheckBulkBuffer", Exports.CheckBulkBuffer);
  }

  void Send(std::initializer_list<std::uint8_t> bytes) {
    std::array<std::uint8_t, 8> request{};
    std::copy(bytes.begin(), bytes.end(), request.begin());
    ASSERT_EQ(Exports.SendServiceBuffer(request.data()), 1);
  }
  std::uint8_t Status() {
    std::array<std::uint8_t, 8> answer{};
    EXPECT_EQ(Exports.CheckServiceBuffer(answer.data()), 1);
    return answer[0];
  }
  TBytes Receive(std::size_t n) {
    TBytes block(n);
    EXPECT_EQ(Exports.CheckBulkBuffer(block.data(), static_cast<std::uint16_t>(n)), 1);
    return block;
  }

  fs::path Folder;
  TExports Exports{};
  std::string Stderr;
};

TEST_F(SimulatorEndToEndTest, ServesAMemoryFolderAndSavesTheSession) {
  std::ofstream(Folder / "memory" / "identity") << "DEVICE TYPE:2\nMAJOR:5\nMINOR:4\nLOCAL:4\n";
  const TBytes working = Pattern(512, 1);
  const TBytes record = Pattern(2560, 9);
  WriteFile(Folder / "memory" / "config-00.bin", working);
  WriteFile(Folder / "memory" / "record-0001.bin", record);
  const fs::path saved = Folder / "saved";
  Load((Folder / "memory").string() + ",save=" + saved.string());
  EXPECT_EQ(Stderr, "");
  ASSERT_EQ(Exports.InitUSB(), 2);

  Send({3, 0, 0});
  EXPECT_EQ(Receive(512), working);
  Send({3, 0, 1});
  EXPECT_EQ(Receive(512), TBytes(512, 0xFF));  // no file: an erased slot
  Send({5, 0, 1});
  TBytes received;
  for (int block = 0; block < 5; ++block) {
    const TBytes part = Receive(512);
    received.insert(received.end(), part.begin(), part.end());
  }
  EXPECT_EQ(received, record);

  const TBytes image = Pattern(512, 77);
  Send({1, 0, 9});
  ASSERT_EQ(Status(), 2);
  ASSERT_EQ(Exports.SendBulkBuffer(image.data(), 512), 1);
  EXPECT_EQ(ReadFile(saved / "config-09.bin"), image);
  EXPECT_EQ(ReadFile(saved / "config-00.bin"), working);
  EXPECT_EQ(ReadFile(saved / "record-0001.bin"), record);
  EXPECT_FALSE(fs::exists(saved / "config-01.bin"));
  EXPECT_EQ(ReadFile(saved / "identity"), ReadFile(Folder / "memory" / "identity"));
}

TEST_F(SimulatorEndToEndTest, AMalformedFolderPresentsNoInstrumentAndSaysWhy) {
  std::ofstream(Folder / "memory" / "identity") << "DEVICE TYPE:1\nMAJOR:3\nMINOR:26\nLOCAL:0\n";
  WriteFile(Folder / "memory" / "record-0001.bin", TBytes(2000, 0));
  Load((Folder / "memory").string());
  EXPECT_NE(Stderr.find("CONDUIT_SIMULATOR"), std::string::npos) << Stderr;
  EXPECT_NE(Stderr.find("record-0001.bin has 2000 bytes instead of 2560"), std::string::npos)
      << Stderr;
  EXPECT_EQ(Exports.InitUSB(), 0);
  EXPECT_EQ(Exports.USBStatus(), 0);
}

}  // namespace
