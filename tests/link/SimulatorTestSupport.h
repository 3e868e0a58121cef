// The simulated instrument driven through the real library algorithms, as
// the program drives it: service requests, their answers, bulk blocks in
// and out. Also a scratch folder per test for memory folders.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ConduitLibrary.h"
#include "SimulatedPlatform.h"
#include "SimulatorProfile.h"
#include "link/FakePlatform.h"

namespace conduit::testing {

using TBytes = std::vector<std::uint8_t>;

inline TSimulatorProfile ProfileOf(const std::string& text) {
  std::string error;
  auto profile = ParseSimulatorProfile(text, error);
  EXPECT_TRUE(profile.has_value()) << text << ": " << error;
  return profile.value_or(TSimulatorProfile{});
}

class TSimulatorSession {
 public:
  explicit TSimulatorSession(const std::string& profile)
      : Platform(std::make_unique<TSimulatedPlatform>(ProfileOf(profile))),
        Library(std::make_unique<TConduitLibrary>(*Platform, Messages)) {
    Type = Library->InitUSB();
  }
  TSimulatorSession(const TSimulatorSession&) = delete;
  TSimulatorSession& operator=(const TSimulatorSession&) = delete;
  ~TSimulatorSession() { Library.reset(); }

  TSimulatedInstrument& Device() { return *Platform->Instrument(); }

  // Sends an 8-byte request; false when the link call failed.
  bool Send(std::initializer_list<std::uint8_t> bytes) {
    std::array<std::uint8_t, 8> request{};
    std::copy(bytes.begin(), bytes.end(), request.begin());
    return Library->SendServiceBuffer(request.data()) != 0;
  }
  // The next service answer, or nothing when the read failed.
  std::optional<TBytes> Answer() {
    std::array<std::uint8_t, 8> answer{};
    if (Library->CheckServiceBuffer(answer.data()) == 0) {
      return std::nullopt;
    }
    return TBytes(answer.begin(), answer.end());
  }
  // One bulk block of n bytes from the instrument, or nothing when it failed.
  std::optional<TBytes> Receive(std::size_t n) {
    TBytes block(n);
    if (Library->CheckBulkBuffer(block.data(), static_cast<std::uint16_t>(n)) == 0) {
      return std::nullopt;
    }
    return block;
  }
  bool Transmit(const TBytes& block) {
    return Library->SendBulkBuffer(block.data(), static_cast<std::uint16_t>(block.size())) != 0;
  }

  // The exchanges of the program, byte for byte.
  TBytes ReadConfiguration(std::uint16_t n) {
    EXPECT_TRUE(Send({3, static_cast<std::uint8_t>(n >> 8), static_cast<std::uint8_t>(n)}));
    return Receive(512).value_or(TBytes{});
  }
  // The answer status; the image goes out only after status 2.
  std::uint8_t WriteConfiguration(std::uint16_t n, const TBytes& image) {
    EXPECT_TRUE(Send({1, static_cast<std::uint8_t>(n >> 8), static_cast<std::uint8_t>(n)}));
    const auto answer = Answer();
    if (!answer) {
      return 0xEE;
    }
    if ((*answer)[0] == 2) {
      EXPECT_TRUE(Transmit(image));
    }
    return (*answer)[0];
  }
  std::vector<TBytes> ReadBlocks(std::uint16_t n, std::size_t blocks) {
    EXPECT_TRUE(Send({5, static_cast<std::uint8_t>(n >> 8), static_cast<std::uint8_t>(n)}));
    std::vector<TBytes> received;
    for (std::size_t i = 0; i < blocks; ++i) {
      received.push_back(Receive(512).value_or(TBytes{}));
    }
    return received;
  }
  std::vector<TBytes> LiveFrame() { return ReadBlocks(0xFFFF, 4); }
  std::uint8_t SendGain(std::uint16_t attenuator) {
    EXPECT_TRUE(Send({19, static_cast<std::uint8_t>(attenuator & 0xFF),
                      static_cast<std::uint8_t>(attenuator >> 8), 0, 0}));
    return Answer().value_or(TBytes(8, 0xEE))[0];
  }
  std::uint8_t SendRange(std::uint8_t indexMarkMks, std::uint8_t pixelGridLength) {
    EXPECT_TRUE(Send({20, indexMarkMks, pixelGridLength}));
    return Answer().value_or(TBytes(8, 0xEE))[0];
  }

  TRecordingMessages Messages;
  std::unique_ptr<TSimulatedPlatform> Platform;
  std::unique_ptr<TConduitLibrary> Library;
  std::uint8_t Type = 0;
};

// A folder of its own for one test, removed afterwards.
class TScratchFolder {
 public:
  TScratchFolder() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    Path = std::filesystem::temp_directory_path() /
           ("velt-sim-" + std::to_string(::getpid()) + "-" + info->name());
    std::filesystem::remove_all(Path);
    std::filesystem::create_directories(Path);
  }
  ~TScratchFolder() { std::filesystem::remove_all(Path); }
  TScratchFolder(const TScratchFolder&) = delete;
  TScratchFolder& operator=(const TScratchFolder&) = delete;

  std::string Sub(const std::string& name) const { return (Path / name).string(); }

  std::filesystem::path Path;
};

inline TBytes ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return TBytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteFile(const std::filesystem::path& path, const TBytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

inline void WriteText(const std::filesystem::path& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
}

template <std::size_t N>
TBytes BytesOf(const std::array<std::uint8_t, N>& array) {
  return TBytes(array.begin(), array.end());
}

}  // namespace conduit::testing
