// Opening and saving a record file of an instrument's full memory (1000
// records, ~100 MB; VELT_BENCH_RECORDS changes the count) against the
// practical limit of the format measured in the same run, and the peak
// memory of opening against the size of the opened collection.
//
//   RecordFilesBench [benchmark options]
//
// Targets: open <= 2 x minimal reader, save <= 2 x minimal writer, peak
// memory while opening <= collection + 64 MB. The exit status is 1 when a
// target is missed.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "MinimalTextIO.h"
#include "RecordFileGenerator.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using namespace velt;
using namespace velt::bench;

constexpr long long kMemoryAllowance = 64LL << 20;

int IterationsFromEnvironment() {
  const char* text = std::getenv("VELT_BENCH_ITERATIONS");
  const long n = text != nullptr ? std::strtol(text, nullptr, 10) : 0;
  return n >= 1 && n <= 100 ? static_cast<int>(n) : 3;
}

// kB figures of /proc/self/status.
long long StatusKb(const char* key) {
  std::ifstream status("/proc/self/status");
  std::string line;
  const std::string prefix = std::string(key) + ":";
  while (std::getline(status, line)) {
    if (line.rfind(prefix, 0) == 0) {
      return std::atoll(line.c_str() + prefix.size());
    }
  }
  return -1;
}

// The child run: opens the file once in a fresh process and prints the
// resident size before, the peak while opening, the resident size after and
// the estimated size of the collection, all in bytes.
int MeasurePeakMemory(const char* path) {
  const long long before = StatusKb("VmRSS") * 1024;
  const long long peakBefore = StatusKb("VmHWM") * 1024;
  TFlawDataBlock block;
  const TFileResult opened = OpenRecordFile(block, path);
  if (!opened) {
    std::cerr << "cannot open " << path << ": " << opened.Error << '\n';
    return 1;
  }
  const long long peak = StatusKb("VmHWM") * 1024;
  const long long after = StatusKb("VmRSS") * 1024;
  std::cout << before << ' ' << peakBefore << ' ' << peak << ' ' << after << ' '
            << EstimatedCollectionBytes(block) << '\n';
  return 0;
}

struct TMemoryFigures {
  long long Before = 0, PeakBefore = 0, Peak = 0, After = 0, Collection = 0;
};

bool RunMemoryChild(const fs::path& file, TMemoryFigures& figures) {
  const fs::path output = file.parent_path() / "memory.txt";
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  std::string self = fs::read_symlink("/proc/self/exe").string();
  std::string flag = "--peak-memory";
  std::string target = file.string();
  char* argv[] = {self.data(), flag.data(), target.data(), nullptr};
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, self.c_str(), &actions, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  int status = 0;
  if (spawned != 0 || ::waitpid(pid, &status, 0) < 0 || !WIFEXITED(status) ||
      WEXITSTATUS(status) != 0) {
    return false;
  }
  std::ifstream in(output);
  return static_cast<bool>(in >> figures.Before >> figures.PeakBefore >> figures.Peak >>
                           figures.After >> figures.Collection);
}

struct TTimes {
  double Real = 0;  // seconds per iteration
  double Cpu = 0;
};

// Keeps the mean times of every benchmark for the ratios.
class TCollectingReporter : public benchmark::ConsoleReporter {
 public:
  TCollectingReporter() : ConsoleReporter(::isatty(1) ? OO_ColorTabular : OO_Tabular) {}
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const auto& run : runs) {
      if (run.run_type == Run::RT_Iteration && !run.error_occurred && run.iterations > 0) {
        const auto n = static_cast<double>(run.iterations);
        Times[run.run_name.function_name] = {run.real_accumulated_time / n,
                                             run.cpu_accumulated_time / n};
      }
    }
    ConsoleReporter::ReportRuns(runs);
  }
  std::map<std::string, TTimes> Times;
};

double Ratio(double a, double b) {
  return b > 0 ? a / b : 0;
}

std::string Megabytes(long long bytes) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f MB", static_cast<double>(bytes) / (1 << 20));
  return text;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "--peak-memory") == 0) {
    return MeasurePeakMemory(argv[2]);
  }
  benchmark::Initialize(&argc, argv);

  const std::uint16_t count = RecordCountFromEnvironment();
  const int iterations = IterationsFromEnvironment();
  const char* base = std::getenv("VELT_BENCH_DIR");
  std::string pattern =
      ((base != nullptr ? fs::path(base) : fs::temp_directory_path()) / "velt-bench-XXXXXX")
          .string();
  if (::mkdtemp(pattern.data()) == nullptr) {
    std::cerr << "cannot make a folder for the files\n";
    return 1;
  }
  const fs::path folder = pattern;
  const fs::path file = folder / "records.dtf";
  const fs::path saved = folder / "saved.dtf";
  const fs::path minimal = folder / "minimal.dtf";
  const auto cleanUp = [&folder] {
    std::error_code ignored;
    fs::remove_all(folder, ignored);
  };

  const TFileResult generated = GenerateRecordFile(file, count);
  if (!generated) {
    std::cerr << "cannot generate " << file << ": " << generated.Error << '\n';
    cleanUp();
    return 1;
  }
  const auto fileBytes = static_cast<long long>(fs::file_size(file));
  TFlawDataBlock opened;
  if (const TFileResult r = OpenRecordFile(opened, file); !r) {
    std::cerr << "cannot open " << file << ": " << r.Error << '\n';
    cleanUp();
    return 1;
  }
  const TLineShapes shapes = ScanLineShapes(file);
  std::cout << "Record file: " << count << " records, " << shapes.Lines.size() << " lines, "
            << Megabytes(fileBytes) << "\n";

  benchmark::RegisterBenchmark("OpenRecordFile",
                               [&](benchmark::State& state) {
                                 for (auto _ : state) {
                                   auto block = std::make_unique<TFlawDataBlock>();
                                   const TFileResult r = OpenRecordFile(*block, file);
                                   if (!r) {
                                     state.SkipWithError(r.Error.c_str());
                                     break;
                                   }
                                   benchmark::DoNotOptimize(block->Count);
                                   state.PauseTiming();
                                   block.reset();
                                   state.ResumeTiming();
                                 }
                               })
      ->Unit(benchmark::kMillisecond)
      ->UseRealTime()
      ->Iterations(iterations);
  benchmark::RegisterBenchmark("MinimalReader",
                               [&](benchmark::State& state) {
                                 for (auto _ : state) {
                                   benchmark::DoNotOptimize(MinimalRead(file));
                                 }
                               })
      ->Unit(benchmark::kMillisecond)
      ->UseRealTime()
      ->Iterations(iterations);
  benchmark::RegisterBenchmark("SaveRecordFile",
                               [&](benchmark::State& state) {
                                 for (auto _ : state) {
                                   const TFileResult r = SaveRecordFile(opened, saved);
                                   if (!r) {
                                     state.SkipWithError(r.Error.c_str());
                                     break;
                                   }
                                 }
                               })
      ->Unit(benchmark::kMillisecond)
      ->UseRealTime()
      ->Iterations(iterations);
  // Saving ends in fsync, as every save of the program does; the minimal
  // writer is measured with and without it.
  benchmark::RegisterBenchmark("MinimalWriter",
                               [&](benchmark::State& state) {
                                 for (auto _ : state) {
                                   MinimalWrite(shapes, minimal, false);
                                 }
                               })
      ->Unit(benchmark::kMillisecond)
      ->UseRealTime()
      ->Iterations(iterations);
  benchmark::RegisterBenchmark("MinimalWriterWithFsync",
                               [&](benchmark::State& state) {
                                 for (auto _ : state) {
                                   MinimalWrite(shapes, minimal, true);
                                 }
                               })
      ->Unit(benchmark::kMillisecond)
      ->UseRealTime()
      ->Iterations(iterations);

  TCollectingReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();

  // Both writers must have produced the generated file exactly.
  const auto same = [&file](const fs::path& other) {
    if (!fs::exists(other)) {
      return true;  // not run (filtered out)
    }
    std::ifstream a(file, std::ios::binary), b(other, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(a), {}) ==
           std::string(std::istreambuf_iterator<char>(b), {});
  };
  bool ok = true;
  if (!same(saved) || !same(minimal)) {
    std::cout << "FAULT: a written file differs from the generated one\n";
    ok = false;
  }

  // The targets are judged on real time; CPU time is shown beside it, as
  // other work on the machine stretches real time unevenly.
  const auto& times = reporter.Times;
  const auto time = [&times](const char* name) {
    const auto it = times.find(name);
    return it != times.end() ? it->second : TTimes{};
  };
  std::cout << "\nRatios (target at most 2.00)                     real     cpu\n";
  const auto target = [&](const char* what, const char* a, const char* b, bool binding) {
    const double real = Ratio(time(a).Real, time(b).Real);
    const double cpu = Ratio(time(a).Cpu, time(b).Cpu);
    const bool met = real <= 2.0;
    std::printf("  %-44s %6.2f  %6.2f  %s\n", what, real, cpu,
                real == 0 ? "not measured"
                : met     ? "met"
                : binding ? "MISSED"
                          : "above 2");
    if (binding && real > 0 && !met) {
      ok = false;
    }
  };
  target("open / minimal reader", "OpenRecordFile", "MinimalReader", true);
  target("save / minimal writer", "SaveRecordFile", "MinimalWriter", true);
  target("save / minimal writer with fsync", "SaveRecordFile", "MinimalWriterWithFsync", false);

  TMemoryFigures m;
  if (RunMemoryChild(file, m)) {
    const long long grown = m.Peak - m.Before;
    const long long limit = m.Collection + kMemoryAllowance;
    std::cout << "\nMemory while opening (fresh process):\n"
              << "  resident before opening      " << Megabytes(m.Before) << "\n"
              << "  peak while opening           " << Megabytes(m.Peak) << " (+" << Megabytes(grown)
              << ")\n"
              << "  resident after opening       " << Megabytes(m.After) << " (+"
              << Megabytes(m.After - m.Before) << ")\n"
              << "  collection, estimated        " << Megabytes(m.Collection) << "\n"
              << "  limit: collection + 64 MB    " << Megabytes(limit) << "  "
              << (grown <= limit ? "met" : "MISSED") << "\n";
    ok = ok && grown <= limit;
  } else {
    std::cout << "\nMemory: the measuring run failed\n";
    ok = false;
  }
  cleanUp();
  return ok ? 0 : 1;
}
