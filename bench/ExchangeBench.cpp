// The batch exchanges through the real libConduit.so and its simulated
// instrument, against the pauses the instrument protocol prescribes
// (10 ms before each signal block, 1000 ms after each configuration write):
//
//   ExchangeBench [benchmark options]
//
// Targets: a download of 500 records takes at most 1 % longer than its
// prescribed pauses, and the program's own CPU time per record (the same
// download with the pauses skipped) stays below 100 us. Also shown: the
// download of the 100 configurations and an upload of 5 changed ones.
// VELT_BENCH_RECORDS changes the record count. Exit status 1 when a
// target is missed.
#include <ctime>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>

#include <benchmark/benchmark.h>

#include <connection/HI_Using_USB_ConnectionsUnit.h>
#include <ports/Progress.h>

#include "SimulatedMemory.h"
#include "SimulatedMemoryFolder.h"

namespace {

namespace fs = std::filesystem;
using namespace velt;

constexpr unsigned kSignalBlockPause = 10;
constexpr unsigned kWritePause = 1000;
constexpr unsigned kChangedConfigurations = 5;

class TQuietFeedback : public IUserFeedback {
 public:
  void ShowMessage(std::string_view caption, std::string_view text, TMessageIcon) override {
    std::cerr << "message: " << caption << ": " << text << '\n';
  }
  bool AskYesNo(std::string_view, std::string_view, TMessageIcon, TAnswer) override {
    return false;
  }
};

// Pauses skipped: what is left is the program's (and the simulator's) own work.
class TNoPauses : public TSystemTimeSource {
 public:
  void Sleep(unsigned) override {}
};

unsigned RecordCount() {
  const char* text = std::getenv("VELT_BENCH_RECORDS");
  const long n = text ? std::strtol(text, nullptr, 10) : 500;
  return n > 0 && n < 65536 ? static_cast<unsigned>(n) : 500;
}

// An instrument of firmware 5.4 (device type 2) holding `count` records.
fs::path WriteMemoryFolder(unsigned count) {
  const conduit::TSimulatorIdentity identity{2, 5, 4, 4};
  conduit::TSimulatedMemory memory = conduit::BuildDemoMemory(identity);
  const std::size_t demo = memory.Records.size();
  for (std::size_t k = demo; k < count; ++k) {
    memory.Records.push_back(memory.Records[k % demo]);
  }
  memory.Records.resize(count);
  conduit::TSimulatedSetup working = conduit::DemoSlotSetup(0);
  working.LastMemCell = static_cast<std::uint16_t>(count);
  memory.Slots[0] = conduit::WriteSimulatedImage(conduit::SimulatedLayoutFor(identity), working, 0);
  const fs::path folder = fs::temp_directory_path() / ("velt-exchange-bench-" + std::to_string(::getpid()));
  std::string error;
  if (!conduit::SaveMemoryFolder(memory, folder.string(), error)) {
    std::cerr << "cannot write the memory folder: " << error << '\n';
    std::exit(2);
  }
  return folder;
}

struct TLink {
  TQuietFeedback Feedback;
  TLocalStrings Strings{Feedback};
  TSilentProgress Progress;
  TSystemTimeSource RealTime;
  TNoPauses NoPauses;
  TConduitBinding Binding{{VELT_RUNTIME_DIR "/libConduit.so"}};
  std::unique_ptr<TInstrumentConnection> Connection;

  explicit TLink(bool pauses) {
    Strings.LoadStringFiles(VELT_RUNTIME_DIR "/strings");
    Connection = std::make_unique<TInstrumentConnection>(
        Binding, Strings, Feedback, Progress,
        pauses ? static_cast<ITimeSource&>(RealTime) : static_cast<ITimeSource&>(NoPauses));
    Connection->Connect();
  }
};

double CpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

double WallSeconds() {
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

TLink* gLink = nullptr;
bool gMissed = false;

void RecordDownload(benchmark::State& state) {
  const unsigned count = RecordCount();
  const double prescribed = count * 4.0 * kSignalBlockPause / 1000.0;
  double worst = 0;
  for (auto _ : state) {
    TFlawDataBlock records;
    const double start = WallSeconds();
    if (!gLink->Connection->DownloadAllRecords(records) || records.Count != count) {
      state.SkipWithError("the download failed");
      gMissed = true;
      return;
    }
    worst = std::max(worst, WallSeconds() - start);
  }
  state.counters["prescribed_s"] = prescribed;
  state.counters["measured/prescribed"] = worst / prescribed;
  if (worst > prescribed * 1.01) {
    gMissed = true;
  }
}

void RecordDownloadCpu(benchmark::State& state) {
  TLink link(false);
  const unsigned count = RecordCount();
  double perRecord = 0;
  for (auto _ : state) {
    TFlawDataBlock records;
    const double start = CpuSeconds();
    if (!link.Connection->DownloadAllRecords(records)) {
      state.SkipWithError("the download failed");
      gMissed = true;
      return;
    }
    perRecord = (CpuSeconds() - start) / count * 1e6;
  }
  state.counters["cpu_us_per_record"] = perRecord;
  if (perRecord >= 100) {
    gMissed = true;
  }
}

void ConfigurationDownload(benchmark::State& state) {
  double seconds = 0;
  for (auto _ : state) {
    TUSBConfigsBlock configs;
    const double start = WallSeconds();
    if (!gLink->Connection->DownloadAllConfigurations(configs)) {
      state.SkipWithError("the download failed");
      gMissed = true;
      return;
    }
    seconds = WallSeconds() - start;
  }
  state.counters["prescribed_s"] = 0;
  state.counters["measured_s"] = seconds;
}

void ConfigurationUpload(benchmark::State& state) {
  TUSBConfigsBlock configs;
  if (!gLink->Connection->DownloadAllConfigurations(configs)) {
    state.SkipWithError("the download failed");
    return;
  }
  const double prescribed = kChangedConfigurations * kWritePause / 1000.0;
  double seconds = 0;
  for (auto _ : state) {
    for (unsigned n = 1; n <= kChangedConfigurations; ++n) {
      configs.ChangedFlags[n * 10] = true;
    }
    const double start = WallSeconds();
    if (!gLink->Connection->UploadChangedConfigurations(configs)) {
      state.SkipWithError("the upload failed");
      gMissed = true;
      return;
    }
    seconds = WallSeconds() - start;
  }
  state.counters["prescribed_s"] = prescribed;
  state.counters["measured/prescribed"] = seconds / prescribed;
}

}  // namespace

int main(int argc, char** argv) {
  const fs::path folder = WriteMemoryFolder(RecordCount());
  ::setenv("CONDUIT_SIMULATOR", folder.c_str(), 1);
  TLink link(true);
  if (!link.Connection->State.Connected) {
    std::cerr << "the simulated instrument did not connect\n";
    return 2;
  }
  gLink = &link;
  benchmark::RegisterBenchmark("RecordDownload", RecordDownload)
      ->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
  benchmark::RegisterBenchmark("RecordDownloadCpu", RecordDownloadCpu)
      ->Iterations(3)->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("ConfigurationDownload", ConfigurationDownload)
      ->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();
  benchmark::RegisterBenchmark("ConfigurationUpload", ConfigurationUpload)
      ->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::error_code ignored;
  fs::remove_all(folder, ignored);
  if (gMissed) {
    std::cerr << "a target was missed\n";
  }
  return gMissed ? 1 : 0;
}
