// Saves that fail or are interrupted leave the previous file and nothing
// else; stale temporary files go at the next save; long names save.
#include <strings/SafeSaveUnit.h>

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "support/FileSizeLimit.h"
#include "support/TemporaryFolder.h"

namespace velt {
namespace {

namespace fs = std::filesystem;
using testing::TTemporaryFolder;

void WriteFile(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

const auto kBigContent = [](std::ostream& out) {
  const std::string chunk(4096, 'x');
  for (int i = 0; i < 64; ++i) {
    out << chunk;
  }
};

TEST(SafeSave, FailuresNameTheTargetAndTheSystemsReasonAndLeaveNothingBehind) {
  struct TCase {
    const char* Name;
    const char* Target;    // in the test's folder
    rlim_t SizeLimit;      // 0: none
    bool Throws;           // the content writer gives up halfway
    const char* Expected;  // the whole message, with TARGET for the target's path
  };
  const TCase cases[] = {
      {"size limit", "day.dtf", 10000, false, "cannot write TARGET: File too large"},
      {"target is a folder", "folder.dtf", 0, false, "cannot replace TARGET: Is a directory"},
      {"missing folder", "missing/day.dtf", 0, false,
       "cannot write TARGET: No such file or directory"},
      {"writer gives up", "day.dtf", 0, true, "the writer's own reason"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TTemporaryFolder folder("velt-save");
    WriteFile(folder / "day.dtf", "previous");
    fs::create_directory(folder / "folder.dtf");
    const std::vector<std::string> before = folder.Names();
    const fs::path target = folder / c.Target;
    std::string error;
    {
      const testing::TFileSizeLimit limit(c.SizeLimit == 0 ? RLIM_INFINITY : c.SizeLimit);
      ASSERT_TRUE(limit.Ok);
      error = SaveFileSafely(target, [&c](std::ostream& out) {
        kBigContent(out);
        if (c.Throws) {
          throw std::runtime_error("the writer's own reason");
        }
      });
    }
    std::string expected = c.Expected;
    if (const auto at = expected.find("TARGET"); at != std::string::npos) {
      expected.replace(at, 6, target.string());
    }
    EXPECT_EQ(error, expected);
    EXPECT_EQ(folder.Names(), before);
    EXPECT_EQ(ReadFile(folder / "day.dtf"), "previous");
  }
}

TEST(SafeSave, CaughtSignalsRemoveTheTemporaryFileAndSizeLimitsFailTheSave) {
  struct TCase {
    int Signal;       // raised halfway through the content; 0: a size limit instead
    int ExpectedEnd;  // the signal that ends the child, or 0 for its own exit
  };
  const TCase cases[] = {{SIGINT, SIGINT}, {SIGTERM, SIGTERM}, {SIGHUP, SIGHUP}, {0, 0}};
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Signal);
    TTemporaryFolder folder("velt-save");
    const fs::path target = folder / "day.dtf";
    WriteFile(target, "previous");
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      for (const int s : {SIGINT, SIGTERM, SIGHUP, SIGXFSZ}) {
        std::signal(s, SIG_DFL);
      }
      RemoveTemporaryFilesOnSignals();
      if (c.Signal == 0) {
        const rlimit limit{10000, RLIM_INFINITY};
        ::setrlimit(RLIMIT_FSIZE, &limit);
      }
      const std::string error = SaveFileSafely(target, [&c](std::ostream& out) {
        kBigContent(out);
        out.flush();
        if (c.Signal != 0) {
          ::kill(::getpid(), c.Signal);
        }
        kBigContent(out);
      });
      ::_exit(error.find("File too large") != std::string::npos ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    if (c.ExpectedEnd != 0) {
      ASSERT_TRUE(WIFSIGNALED(status)) << status;
      EXPECT_EQ(WTERMSIG(status), c.ExpectedEnd);
    } else {
      ASSERT_TRUE(WIFEXITED(status)) << status;
      EXPECT_EQ(WEXITSTATUS(status), 0);
    }
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"day.dtf"});
    EXPECT_EQ(ReadFile(target), "previous");
  }
}

TEST(SafeSave, TheNextSaveRemovesOnlyThisTargetsTemporaryFilesLeftByEarlierRuns) {
  TTemporaryFolder folder("velt-save");
  const std::string longName = std::string(250, 'n') + ".dtf";
  const std::string longPrefix = TemporaryNamePrefix(longName);
  struct TCase {
    std::string Name;
    bool Old;  // last written before this program started
    bool Removed;
  };
  const std::vector<TCase> cases = {
      {".day.dtf.AbC123", true, true},
      {".day.dtf.Zz0zz9", false, false},  // a save in progress elsewhere
      {".other.dtf.AbC123", true, false},
      {".day.dtf.AbC1234", true, false},
      {".day.dtf.Ab-123", true, false},
      {".day.dtf.AbC123.x", true, false},
      {longPrefix + "AbC123", true, true},
  };
  for (const TCase& c : cases) {
    WriteFile(folder / c.Name, "left over");
    if (c.Old) {
      const timespec times[2] = {{978307200, 0}, {978307200, 0}};  // 2001
      ASSERT_EQ(::utimensat(AT_FDCWD, (folder / c.Name).c_str(), times, 0), 0);
    }
  }
  ASSERT_EQ(SaveFileSafely(folder / "day.dtf", kBigContent), "");
  ASSERT_EQ(SaveFileSafely(folder / longName, kBigContent), "");
  for (const TCase& c : cases) {
    EXPECT_EQ(fs::exists(folder / c.Name), !c.Removed) << c.Name;
  }
}

TEST(SafeSave, NamesUpToTheFileSystemsLimitSaveWithTemporaryNamesThatFit) {
  // "x" and then two-byte characters: the start a long name keeps would
  // end inside a character.
  std::string twoByteName = "x";
  while (twoByteName.size() + 2 + 4 <= 255) {
    twoByteName += "\xd0\x96";
  }
  twoByteName += ".dtf";
  const std::vector<std::string> names = {std::string(247, 'a'), std::string(248, 'b'),
                                          std::string(255, 'c'), twoByteName};
  TTemporaryFolder folder("velt-save");
  for (const std::string& name : names) {
    SCOPED_TRACE(name.size());
    const std::string prefix = TemporaryNamePrefix(name);
    EXPECT_LE(prefix.size() + 6, 255u);
    if (prefix != "." + name + ".") {
      // "." + the name's start + "~" + 16 hex digits + ".": whole characters only.
      const std::size_t kept = prefix.size() - 19;
      EXPECT_EQ(name.compare(0, kept, prefix, 1, kept), 0);
      EXPECT_NE(static_cast<unsigned char>(name[kept]) & 0xC0, 0x80);
    }
    ASSERT_EQ(SaveFileSafely(folder / name, [&name](std::ostream& out) { out << name; }), "");
    EXPECT_EQ(ReadFile(folder / name), name);
  }
  EXPECT_EQ(folder.Names().size(), names.size());
  // Two long names that share their start share no temporary files.
  EXPECT_NE(TemporaryNamePrefix(std::string(250, 'd') + "1"),
            TemporaryNamePrefix(std::string(250, 'd') + "2"));
}

}  // namespace
}  // namespace velt
