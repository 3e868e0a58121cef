// The file types the program installs, through the shared MIME database
// that update-mime-database builds from them and Qt reads like the desktop:
// by name, and by content where a file has a recognisable start.
#include <gtest/gtest.h>

#include <unistd.h>

#include <QMimeDatabase>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;

class TFileTypes : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    Folder = fs::temp_directory_path() / ("velt-mime-" + std::to_string(::getpid()));
    fs::create_directories(Folder / "mime" / "packages");
    fs::copy_file(VELT_SOURCE_DIR "/packaging/com.velt.VeltStudio3.xml",
                  Folder / "mime" / "packages" / "com.velt.VeltStudio3.xml");
    const std::string update = "update-mime-database '" + (Folder / "mime").string() + "'";
    Built = std::system(update.c_str()) == 0;
    // Ours alone, then the system's: Qt reads the folders on first use.
    const std::string dirs = Folder.string() + ":/usr/share";
    ::setenv("XDG_DATA_DIRS", dirs.c_str(), 1);
  }
  static void TearDownTestSuite() {
    std::error_code ignored;
    fs::remove_all(Folder, ignored);
  }
  static fs::path Write(const std::string& name, const std::string& bytes) {
    const fs::path path = Folder / name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }
  static inline fs::path Folder;
  static inline bool Built = false;
};

const std::string kRecords =
    "PROGRAM NAME:VELT\r\nPROGRAM MAJOR VERSION:0\r\nPROGRAM MINOR VERSION:1\r\n"
    "FLAWS QUANTITY:12\r\nDEVICE TYPE:2\r\n";
const std::string kConfigurations =
    "PROGRAM NAME:VELT\r\nPROGRAM MAJOR VERSION:0\r\nPROGRAM MINOR VERSION:1\r\n"
    "CONFIGS QUANTITY:100\r\nDEVICE TYPE:1\r\n";
const std::string kProtocol = std::string("VELTQRP\n") + std::string(16, '\0');

TEST_F(TFileTypes, RecordsConfigurationsReportsAndProtocolsAreKnown) {
  ASSERT_TRUE(Built) << "update-mime-database failed";
  struct TCase {
    const char* Name;
    const std::string* Bytes;
    const char* Type;
  };
  const std::string report = "\xCE\xF0\xE3\xE0\xED\xE8\xE7\xE0\xF6\xE8\xFF\r\n01.01.2007\r\n";
  const TCase cases[] = {
      {"r.dtf", &kRecords, "application/x-velt-records"},
      {"records", &kRecords, "application/x-velt-records"},  // by content
      {"c.ctf", &kConfigurations, "application/x-velt-configurations"},
      {"configurations", &kConfigurations, "application/x-velt-configurations"},
      {"p.rct", &report, "application/x-velt-report"},
      {"s.qrp", &kProtocol, "application/x-velt-protocol"},
      {"saved", &kProtocol, "application/x-velt-protocol"},
  };
  const QMimeDatabase types;
  for (const TCase& c : cases) {
    const fs::path path = Write(c.Name, *c.Bytes);
    const QMimeType type = types.mimeTypeForFile(QString::fromStdString(path.string()));
    EXPECT_EQ(type.name().toStdString(), c.Type) << c.Name;
    // A file manager shows the program's icon on them.
    EXPECT_EQ(type.iconName().toStdString(), "com.velt.VeltStudio3") << c.Name;
  }
}

}  // namespace
