// The report headers: the flaw list and its row records, what they show in
// and read from the report tab (through a fake form), and the report file.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <future>
#include <iterator>
#include <map>
#include <memory>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

#include <ports/Errors.h>
#include <reports/ReportHeadersUnit.h>

#include "support/FileSizeLimit.h"
#include "support/TemporaryFolder.h"

namespace velt {
namespace {

namespace fs = std::filesystem;

// ---- A report tab: two panels of 36 fields and two report grids ---------------------------

class TFakeReportForm : public IReportForm {
 public:
  explicit TFakeReportForm(bool mainWindow = true) : MainWindow(mainWindow) {
    for (const int type : {kReportType1, kReportType2}) {
      Panels[type].fill("");
      Grids[type].assign(2, std::vector<std::string>(static_cast<std::size_t>(Columns(type))));
    }
  }

  static int Columns(int type) { return type == kReportType1 ? 9 : 10; }

  bool IsMainWindow() const override { return MainWindow; }

  std::string HeaderFieldText(int type, int field) const override {
    return Panels.at(CheckedType(type))[CheckedField(field)];
  }
  void SetHeaderFieldText(int type, int field, const std::string& text) override {
    Panels.at(CheckedType(type))[CheckedField(field)] = text;
    ++Writes;
  }

  int ReportGridRowCount(int type) const override {
    return static_cast<int>(Grids.at(CheckedType(type)).size());
  }
  void SetReportGridRowCount(int type, int rows) override {
    EXPECT_GE(rows, 0);
    Grids.at(CheckedType(type))
        .resize(static_cast<std::size_t>(rows),
                std::vector<std::string>(static_cast<std::size_t>(Columns(type))));
    ++Writes;
  }
  std::string ReportGridCell(int type, int column, int row) const override {
    if (!InGrid(type, column, row)) {
      return {};
    }
    return Grids.at(type)[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
  }
  void SetReportGridCell(int type, int column, int row, const std::string& text) override {
    if (InGrid(type, column, row)) {
      Grids.at(type)[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)] = text;
    }
    ++Writes;
  }

  // Direct access for the tests (no write counted).
  std::string& Cell(int type, int column, int row) {
    return Grids.at(type).at(static_cast<std::size_t>(row)).at(static_cast<std::size_t>(column));
  }
  void FillGrid(int type, int rows, const std::string& text) {
    SetReportGridRowCount(type, rows);
    for (auto& row : Grids.at(type)) {
      std::fill(row.begin(), row.end(), text);
    }
    Writes = 0;
  }

  bool MainWindow;
  std::map<int, std::array<std::string, kReportHeaderFields>> Panels;
  std::map<int, std::vector<std::vector<std::string>>> Grids;  // [row][column]
  int Writes = 0;  // every field, cell and row count written by a header

 private:
  static int CheckedType(int type) {
    EXPECT_TRUE(type == kReportType1 || type == kReportType2) << "report type " << type;
    return type == kReportType2 ? kReportType2 : kReportType1;
  }
  static std::size_t CheckedField(int field) {
    EXPECT_TRUE(field >= 1 && field <= kReportHeaderFields) << "header field " << field;
    return static_cast<std::size_t>(std::clamp(field, 1, kReportHeaderFields) - 1);
  }
  // A header touching a cell the grid does not have is a fault.
  bool InGrid(int type, int column, int row) const {
    const bool inside = column >= 0 && column < Columns(CheckedType(type)) && row >= 0 &&
                        row < ReportGridRowCount(type);
    EXPECT_TRUE(inside) << "cell (" << column << ", " << row << ") of the type-" << type
                        << " grid with " << ReportGridRowCount(type) << " rows";
    return inside;
  }
};

// What each report type must do with its grid, written down here on its own.
template <typename THeader>
struct TExpectedLayout;

template <>
struct TExpectedLayout<TSimpleReportHeader> {
  static constexpr int Type = 1;
  static constexpr int OtherType = 2;
  static constexpr int Columns = 9;
  static constexpr int FlawNumberColumn = 7;
  static inline const std::vector<int> StringColumns = {1, 2, 3, 4, 5, 6, 8};
};

template <>
struct TExpectedLayout<TSimpleReport2Header> {
  static constexpr int Type = 2;
  static constexpr int OtherType = 1;
  static constexpr int Columns = 10;
  static constexpr int FlawNumberColumn = 1;
  static inline const std::vector<int> StringColumns = {2, 3, 4, 5, 6, 7, 8, 9};
};

// Flaw records with distinct flaw numbers.
std::vector<std::unique_ptr<TDataCell>> Records(int count) {
  std::vector<std::unique_ptr<TDataCell>> records;
  for (int i = 0; i < count; ++i) {
    records.push_back(std::make_unique<TDataCell>());
    records.back()->FlawNumber = static_cast<std::uint16_t>(101 + 17 * i);
  }
  return records;
}

std::vector<std::string> Strings(const TFrameAdditionalData& row) {
  return row.Strings;
}

// ---- Flaw list and row records, both types ----------------------------------------------

template <typename THeader>
class ReportHeadersRows : public ::testing::Test {
 protected:
  using TLayout = TExpectedLayout<THeader>;

  // Types a text into every row-record cell of grid rows 1..rows:
  // "<tag><row>.<column>".
  void TypeRows(int rows, const std::string& tag) {
    for (int row = 1; row <= rows; ++row) {
      for (const int column : TLayout::StringColumns) {
        Form.Cell(TLayout::Type, column, row) =
            tag + std::to_string(row) + "." + std::to_string(column);
      }
    }
  }
  // What TypeRows put into grid row `row`, in row-string order.
  std::vector<std::string> Typed(int row, const std::string& tag) const {
    std::vector<std::string> texts;
    for (const int column : TLayout::StringColumns) {
      texts.push_back(tag + std::to_string(row) + "." + std::to_string(column));
    }
    return texts;
  }
  std::vector<std::string> Empty() const {
    return std::vector<std::string>(TLayout::StringColumns.size());
  }

  TFakeReportForm Form;
  THeader Header;
  std::vector<std::unique_ptr<TDataCell>> Flaws = Records(3);
};

using HeaderTypes = ::testing::Types<TSimpleReportHeader, TSimpleReport2Header>;
TYPED_TEST_SUITE(ReportHeadersRows, HeaderTypes);

TYPED_TEST(ReportHeadersRows, ANewHeaderIsEmptyWithNoHintCell) {
  EXPECT_EQ(this->Header.Count(), 0);
  EXPECT_TRUE(this->Header.FlawList().empty());
  EXPECT_TRUE(this->Header.RowRecords().empty());
  EXPECT_EQ(this->Header.LastHintColumn, 255);
  EXPECT_EQ(this->Header.LastHintRow, 255);
}

TYPED_TEST(ReportHeadersRows, AddFlawAppendsTheRecordWithAnEmptyRowRecord) {
  auto& h = this->Header;
  EXPECT_EQ(h.AddFlaw(this->Form, *this->Flaws[0], false), 1);
  EXPECT_EQ(h.AddFlaw(this->Form, *this->Flaws[1], false), 2);
  EXPECT_EQ(h.AddFlaw(this->Form, *this->Flaws[2], false), 3);
  EXPECT_EQ(h.Count(), 3);
  EXPECT_EQ(h.FlawList(), (std::vector<TDataCell*>{this->Flaws[0].get(), this->Flaws[1].get(),
                                                   this->Flaws[2].get()}));
  ASSERT_EQ(h.RowRecords().size(), 3u);
  for (const auto& row : h.RowRecords()) {
    EXPECT_EQ(Strings(row), this->Empty());
  }
  // Without refresh the grid is not touched.
  EXPECT_EQ(this->Form.Writes, 0);

  // The row record stays empty until something is typed into the grid.
  this->Form.FillGrid(TExpectedLayout<TypeParam>::Type, 4, "");
  h.ReadRows(this->Form);
  for (const auto& row : h.RowRecords()) {
    EXPECT_EQ(Strings(row), this->Empty());
  }
}

TYPED_TEST(ReportHeadersRows, AddFlawWithRefreshShowsTheRows) {
  using L = TExpectedLayout<TypeParam>;
  auto& h = this->Header;
  h.AddFlaw(this->Form, *this->Flaws[0], true);
  h.AddFlaw(this->Form, *this->Flaws[1], true);
  EXPECT_EQ(this->Form.ReportGridRowCount(L::Type), 3);
  EXPECT_EQ(this->Form.Cell(L::Type, 0, 2), "2");
  EXPECT_EQ(this->Form.Cell(L::Type, L::FlawNumberColumn, 2),
            std::to_string(this->Flaws[1]->FlawNumber));
  // The other type's grid is not this header's.
  EXPECT_EQ(this->Form.ReportGridRowCount(L::OtherType), 2);
}

TYPED_TEST(ReportHeadersRows, AddFlawForAFormThatIsNotTheMainWindowChangesNothing) {
  auto& h = this->Header;
  h.AddFlaw(this->Form, *this->Flaws[0], false);
  TFakeReportForm other(/*mainWindow=*/false);
  EXPECT_EQ(h.AddFlaw(other, *this->Flaws[1], true), -1);
  EXPECT_EQ(h.Count(), 1);
  EXPECT_EQ(h.FlawList(), std::vector<TDataCell*>{this->Flaws[0].get()});
  EXPECT_EQ(h.RowRecords().size(), 1u);
  EXPECT_EQ(other.Writes, 0);
}

TYPED_TEST(ReportHeadersRows, RemovingTheMiddleOfThreeClosesTheGapButNotInTheGrid) {
  using L = TExpectedLayout<TypeParam>;
  auto& h = this->Header;
  for (const auto& flaw : this->Flaws) {
    h.AddFlaw(this->Form, *flaw, true);
  }
  this->TypeRows(3, "t");
  h.ReadRows(this->Form);

  EXPECT_EQ(h.RemoveFlaw(this->Form, *this->Flaws[1], true), 2);
  EXPECT_EQ(h.FlawList(), (std::vector<TDataCell*>{this->Flaws[0].get(), this->Flaws[2].get()}));
  ASSERT_EQ(h.RowRecords().size(), 2u);
  EXPECT_EQ(Strings(h.RowRecords()[0]), this->Typed(1, "t"));
  EXPECT_EQ(Strings(h.RowRecords()[1]), this->Typed(3, "t"));

  // The grid now shows the last record in row 2, but its typed columns
  // still hold the texts of the record that was removed ...
  EXPECT_EQ(this->Form.ReportGridRowCount(L::Type), 3);
  EXPECT_EQ(this->Form.Cell(L::Type, 0, 2), "2");
  EXPECT_EQ(this->Form.Cell(L::Type, L::FlawNumberColumn, 2),
            std::to_string(this->Flaws[2]->FlawNumber));
  // ... so reading the rows gives each record the text of the row it occupies.
  h.ReadRows(this->Form);
  EXPECT_EQ(Strings(h.RowRecords()[0]), this->Typed(1, "t"));
  EXPECT_EQ(Strings(h.RowRecords()[1]), this->Typed(2, "t"));
}

TYPED_TEST(ReportHeadersRows, DuplicatesAreKeptAndRemoveFlawTakesTheFirst) {
  auto& h = this->Header;
  TDataCell& a = *this->Flaws[0];
  TDataCell& b = *this->Flaws[1];
  EXPECT_EQ(h.AddFlaw(this->Form, a, true), 1);
  EXPECT_EQ(h.AddFlaw(this->Form, b, true), 2);
  EXPECT_EQ(h.AddFlaw(this->Form, a, true), 3);
  this->TypeRows(3, "d");
  h.ReadRows(this->Form);

  EXPECT_EQ(h.RemoveFlaw(this->Form, a, false), 2);
  EXPECT_EQ(h.FlawList(), (std::vector<TDataCell*>{&b, &a}));
  ASSERT_EQ(h.RowRecords().size(), 2u);
  EXPECT_EQ(Strings(h.RowRecords()[0]), this->Typed(2, "d"));
  EXPECT_EQ(Strings(h.RowRecords()[1]), this->Typed(3, "d"));
}

TYPED_TEST(ReportHeadersRows, RemovingARecordThatIsNotInTheListChangesNothing) {
  auto& h = this->Header;
  h.AddFlaw(this->Form, *this->Flaws[0], true);
  h.AddFlaw(this->Form, *this->Flaws[1], true);
  this->TypeRows(2, "n");
  h.ReadRows(this->Form);
  EXPECT_EQ(h.RemoveFlaw(this->Form, *this->Flaws[2], false), 2);
  EXPECT_EQ(h.FlawList(), (std::vector<TDataCell*>{this->Flaws[0].get(), this->Flaws[1].get()}));
  ASSERT_EQ(h.RowRecords().size(), 2u);
  EXPECT_EQ(Strings(h.RowRecords()[1]), this->Typed(2, "n"));
}

TYPED_TEST(ReportHeadersRows, RemovingTheLastEntryReleasesTheStorage) {
  auto& h = this->Header;
  h.AddFlaw(this->Form, *this->Flaws[0], false);
  EXPECT_EQ(h.RemoveFlaw(this->Form, *this->Flaws[0], false), 0);
  EXPECT_EQ(h.Count(), 0);
  EXPECT_EQ(h.FlawList().capacity(), 0u);
  EXPECT_EQ(h.RowRecords().capacity(), 0u);
  // Removing from the empty list is harmless.
  EXPECT_EQ(h.RemoveFlaw(this->Form, *this->Flaws[0], false), 0);
}

TYPED_TEST(ReportHeadersRows, ClearFlawsEmptiesTheListAndTheRowRecords) {
  using L = TExpectedLayout<TypeParam>;
  auto& h = this->Header;
  for (const auto& flaw : this->Flaws) {
    h.AddFlaw(this->Form, *flaw, false);
  }
  h.ClearFlaws();
  EXPECT_EQ(h.Count(), 0);
  EXPECT_TRUE(h.FlawList().empty());
  EXPECT_TRUE(h.RowRecords().empty());
  // The header stays usable.
  EXPECT_EQ(h.AddFlaw(this->Form, *this->Flaws[2], true), 1);
  EXPECT_EQ(h.RowRecords().size(), 1u);
  EXPECT_EQ(this->Form.Cell(L::Type, L::FlawNumberColumn, 1),
            std::to_string(this->Flaws[2]->FlawNumber));
}

TYPED_TEST(ReportHeadersRows, ShowRowsWritesNumbersOnlyAndClearsRowOneForAShortList) {
  using L = TExpectedLayout<TypeParam>;
  for (const int count : {0, 1, 2, 3}) {
    SCOPED_TRACE("count " + std::to_string(count));
    TFakeReportForm form;
    TypeParam header;
    for (int i = 0; i < count; ++i) {
      header.AddFlaw(form, *this->Flaws[static_cast<std::size_t>(i)], false);
    }
    form.FillGrid(L::Type, 5, "x");
    header.ShowRows(form);

    const int rows = std::max(count + 1, 2);
    ASSERT_EQ(form.ReportGridRowCount(L::Type), rows);
    for (int row = 0; row < rows; ++row) {
      for (int column = 0; column < L::Columns; ++column) {
        std::string expected = "x";
        if (row == 1 && count <= 1) {
          expected = "";
        }
        if (row >= 1 && row <= count && column == 0) {
          expected = std::to_string(row);
        }
        if (row >= 1 && row <= count && column == L::FlawNumberColumn) {
          expected = std::to_string(this->Flaws[static_cast<std::size_t>(row - 1)]->FlawNumber);
        }
        EXPECT_EQ(form.Cell(L::Type, column, row), expected)
            << "column " << column << ", row " << row;
      }
    }
    EXPECT_EQ(form.ReportGridRowCount(L::OtherType), 2);
  }
}

TYPED_TEST(ReportHeadersRows, ReadRowsTakesTheRowRecordColumnsOfEachEntrysRow) {
  using L = TExpectedLayout<TypeParam>;
  auto& h = this->Header;
  for (const auto& flaw : this->Flaws) {
    h.AddFlaw(this->Form, *flaw, false);
  }
  this->Form.FillGrid(L::Type, 4, "");
  for (int row = 0; row < 4; ++row) {
    for (int column = 0; column < L::Columns; ++column) {
      this->Form.Cell(L::Type, column, row) =
          "c" + std::to_string(column) + "r" + std::to_string(row);
    }
  }
  h.ReadRows(this->Form);
  ASSERT_EQ(h.RowRecords().size(), 3u);
  for (std::size_t i = 0; i < 3; ++i) {
    std::vector<std::string> expected;
    for (const int column : L::StringColumns) {
      expected.push_back("c" + std::to_string(column) + "r" + std::to_string(i + 1));
    }
    EXPECT_EQ(Strings(h.RowRecords()[i]), expected) << "entry " << i;
  }

  // Rows the grid does not have (yet) give empty texts.
  this->Form.SetReportGridRowCount(L::Type, 2);
  h.ReadRows(this->Form);
  EXPECT_EQ(Strings(h.RowRecords()[0]).front(), "c" + std::to_string(L::StringColumns[0]) + "r1");
  EXPECT_EQ(Strings(h.RowRecords()[1]), this->Empty());
  EXPECT_EQ(Strings(h.RowRecords()[2]), this->Empty());
}

TYPED_TEST(ReportHeadersRows, ReadHeaderTakesTheOwnPanelAndThenTheRows) {
  using L = TExpectedLayout<TypeParam>;
  auto& h = this->Header;
  for (int k = 1; k <= kReportHeaderFields; ++k) {
    this->Form.Panels[L::Type][static_cast<std::size_t>(k - 1)] = "own " + std::to_string(k);
    this->Form.Panels[L::OtherType][static_cast<std::size_t>(k - 1)] = "other";
  }
  h.AddFlaw(this->Form, *this->Flaws[0], true);
  this->TypeRows(1, "r");
  h.ReadHeader(this->Form);
  for (int k = 1; k <= kReportHeaderFields; ++k) {
    EXPECT_EQ(h.Field(k), "own " + std::to_string(k));
  }
  EXPECT_EQ(Strings(h.RowRecords()[0]), this->Typed(1, "r"));
}

TYPED_TEST(ReportHeadersRows, ShowHeaderFillsTheOwnPanelAndShowsRowsOnlyWhenThereAreAny) {
  using L = TExpectedLayout<TypeParam>;
  auto& h = this->Header;
  for (int k = 1; k <= kReportHeaderFields; ++k) {
    h.Field(k) = "field " + std::to_string(k);
  }
  this->Form.FillGrid(L::Type, 5, "x");
  h.ShowHeader(this->Form);
  for (int k = 1; k <= kReportHeaderFields; ++k) {
    EXPECT_EQ(this->Form.Panels[L::Type][static_cast<std::size_t>(k - 1)],
              "field " + std::to_string(k));
    EXPECT_EQ(this->Form.Panels[L::OtherType][static_cast<std::size_t>(k - 1)], "");
  }
  // No records: the grid stays as it was.
  EXPECT_EQ(this->Form.ReportGridRowCount(L::Type), 5);
  EXPECT_EQ(this->Form.Cell(L::Type, 0, 1), "x");

  h.AddFlaw(this->Form, *this->Flaws[0], false);
  h.AddFlaw(this->Form, *this->Flaws[1], false);
  h.ShowHeader(this->Form);
  EXPECT_EQ(this->Form.ReportGridRowCount(L::Type), 3);
  EXPECT_EQ(this->Form.Cell(L::Type, L::FlawNumberColumn, 2),
            std::to_string(this->Flaws[1]->FlawNumber));
}

// ---- The named fields and the base header -----------------------------------------------

TEST(ReportHeadersFields, EachNamedFieldHasItsReportFileNumber) {
  using TGet = std::function<std::string&(TReportHeaderFields&)>;
  std::vector<TGet> named = {
      [](TReportHeaderFields& f) -> std::string& { return f.OrganizationName; },
      [](TReportHeaderFields& f) -> std::string& { return f.ProtocolDate; },
      [](TReportHeaderFields& f) -> std::string& { return f.ProtocolNumber; },
      [](TReportHeaderFields& f) -> std::string& { return f.ControlObject; },
      [](TReportHeaderFields& f) -> std::string& { return f.ControlReasonAndDate; },
      [](TReportHeaderFields& f) -> std::string& { return f.ObjectDescription; },
      [](TReportHeaderFields& f) -> std::string& { return f.NormativeDocumentation; },
      [](TReportHeaderFields& f) -> std::string& { return f.DeviceType; },
      [](TReportHeaderFields& f) -> std::string& { return f.DeviceSerialNumber; },
      [](TReportHeaderFields& f) -> std::string& { return f.CertificateValidUntil; },
      [](TReportHeaderFields& f) -> std::string& { return f.ProbeType; },
      [](TReportHeaderFields& f) -> std::string& { return f.ProbeSerialNumber; },
      [](TReportHeaderFields& f) -> std::string& { return f.CertificateNumber; },
  };
  for (std::size_t i = 0; i < 4; ++i) {
    named.push_back(
        [i](TReportHeaderFields& f) -> std::string& { return f.Inspectors[i].InspectorName; });
    named.push_back(
        [i](TReportHeaderFields& f) -> std::string& { return f.Inspectors[i].InspectorLevel; });
    named.push_back([i](TReportHeaderFields& f) -> std::string& {
      return f.Inspectors[i].InspectorCertificateNumber;
    });
    named.push_back([i](TReportHeaderFields& f) -> std::string& {
      return f.Inspectors[i].InspectorCertificateExpiry;
    });
    named.push_back([i](TReportHeaderFields& f) -> std::string& {
      return f.Inspectors[i].InspectorIssuingOrganization;
    });
  }
  named.push_back([](TReportHeaderFields& f) -> std::string& { return f.ControlCharacteristics; });
  named.push_back([](TReportHeaderFields& f) -> std::string& { return f.Appendixes; });
  named.push_back([](TReportHeaderFields& f) -> std::string& { return f.Conclusion; });
  ASSERT_EQ(named.size(), 36u);

  TReportHeaderFields fields;
  for (int k = 1; k <= kReportHeaderFields; ++k) {
    fields.Field(k) = "value " + std::to_string(k);
  }
  const TReportHeaderFields& constant = fields;
  for (int k = 1; k <= kReportHeaderFields; ++k) {
    EXPECT_EQ(named[static_cast<std::size_t>(k - 1)](fields), "value " + std::to_string(k))
        << "field " << k;
    EXPECT_EQ(&constant.Field(k), &named[static_cast<std::size_t>(k - 1)](fields));
  }
  for (const int wrong : {0, 37, -1}) {
    EXPECT_THROW(fields.Field(wrong), std::out_of_range) << wrong;
  }
}

TEST(ReportHeadersBase, KeepsTheFlawListAloneAndHasNoFileToWrite) {
  TFakeReportForm form;
  TFakeReportForm notMain(/*mainWindow=*/false);
  auto flaws = Records(2);
  TBaseReportHeader header;
  EXPECT_EQ(header.AddFlaw(notMain, *flaws[0], false), -1);
  EXPECT_EQ(header.AddFlaw(form, *flaws[0], true), 1);
  EXPECT_EQ(header.AddFlaw(form, *flaws[1], true), 2);
  EXPECT_EQ(header.RemoveFlaw(form, *flaws[0], true), 1);
  EXPECT_EQ(header.FlawList(), std::vector<TDataCell*>{flaws[1].get()});
  // The base header has no grid to show the rows in.
  EXPECT_EQ(form.Writes, 0);
  header.ClearFlaws();
  EXPECT_EQ(header.Count(), 0);
  EXPECT_TRUE(header.FlawList().empty());

  const fs::path nowhere = fs::temp_directory_path() / "velt-no-such-folder-for-reports" / "x.rct";
  EXPECT_TRUE(header.SaveToFile(nowhere));
  EXPECT_TRUE(header.LoadFromFile(nowhere));
  EXPECT_FALSE(fs::exists(nowhere.parent_path()));
}

TEST(ReportHeadersBase, ReservedSlotsAnswerTrueInEveryType) {
  TBaseReportHeader base;
  TSimpleReportHeader type1;
  TSimpleReport2Header type2;
  for (TBaseReportHeader* header : std::vector<TBaseReportHeader*>{&base, &type1, &type2}) {
    EXPECT_TRUE(header->ReservedSlot3(nullptr));
    EXPECT_TRUE(header->ReservedSlot4());
    EXPECT_TRUE(header->ReservedSlot5());
  }
}

// ---- The report file ----------------------------------------------------------------------

using testing::TTemporaryFolder;

std::string ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  EXPECT_TRUE(in) << path;
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteBytes(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
  EXPECT_TRUE(out.good()) << path;
}

// Windows-1251 texts: "Труба", "Шов", "Заключение".
const std::string kPipe = "\xD2\xF0\xF3\xE1\xE0";
const std::string kSeam = "\xD8\xEE\xE2";
const std::string kConclusionWord = "\xC7\xE0\xEA\xEB\xFE\xF7\xE5\xED\xE8\xE5";

// Every byte but the line ends, as a field may hold them.
std::string AllBytesButLineEnds() {
  std::string bytes;
  for (int b = 1; b < 256; ++b) {
    if (b != '\r' && b != '\n') {
      bytes += static_cast<char>(b);
    }
  }
  return bytes;
}

// Distinct single-line fields and a three-line conclusion.
TReportHeaderFields SampleFields() {
  TReportHeaderFields fields;
  for (int k = 1; k < kReportHeaderFields; ++k) {
    fields.Field(k) = kPipe + " " + std::to_string(k) + " " + kSeam;
  }
  fields.ProtocolDate = "01.01.2007";
  fields.ObjectDescription = AllBytesButLineEnds();
  fields.Inspectors[3].InspectorIssuingOrganization = "";  // an empty line among the others
  fields.Conclusion = kConclusionWord + " 1\r\n" + kConclusionWord + " 2\r\n3";
  return fields;
}

void ExpectSameFields(const TReportHeaderFields& actual, const TReportHeaderFields& expected) {
  for (int k = 1; k <= kReportHeaderFields; ++k) {
    EXPECT_EQ(actual.Field(k), expected.Field(k)) << "field " << k;
  }
}

// The file a header with these single-line fields and conclusion lines
// must produce.
std::string FileOf(const TReportHeaderFields& fields, const std::vector<std::string>& conclusion) {
  std::string bytes;
  for (int k = 1; k < kReportHeaderFields; ++k) {
    bytes += fields.Field(k) + "\r\n";
  }
  for (const auto& line : conclusion) {
    bytes += line + "\r\n";
  }
  return bytes;
}

template <typename THeader>
class ReportHeadersFile : public ::testing::Test {
 protected:
  TTemporaryFolder Folder;
};
TYPED_TEST_SUITE(ReportHeadersFile, HeaderTypes);

TYPED_TEST(ReportHeadersFile, SavedFieldsComeBackExactlyIncludingAThreeLineConclusion) {
  const fs::path path = this->Folder / "protocol.rct";
  TypeParam saved;
  static_cast<TReportHeaderFields&>(saved) = SampleFields();
  EXPECT_TRUE(saved.SaveToFile(path));

  TypeParam loaded;
  EXPECT_TRUE(loaded.LoadFromFile(path));
  ExpectSameFields(loaded, SampleFields());
  // Nothing but the report file is left in the folder.
  EXPECT_EQ(this->Folder.Names(), std::vector<std::string>{"protocol.rct"});
}

TYPED_TEST(ReportHeadersFile, TheFileHoldsTheFieldsLineByLineWithCrLf) {
  const fs::path path = this->Folder / "bytes.rct";
  TypeParam header;
  static_cast<TReportHeaderFields&>(header) = SampleFields();
  header.SaveToFile(path);
  const TReportHeaderFields f = SampleFields();
  EXPECT_TRUE(ReadBytes(path) == FileOf(f, {kConclusionWord + " 1", kConclusionWord + " 2", "3"}));
}

TYPED_TEST(ReportHeadersFile, LoadingLeavesTheFlawListAndTheRowRecords) {
  const fs::path path = this->Folder / "rows.rct";
  TypeParam header;
  static_cast<TReportHeaderFields&>(header) = SampleFields();
  header.SaveToFile(path);

  TFakeReportForm form;
  auto flaws = Records(2);
  TypeParam loaded;
  loaded.AddFlaw(form, *flaws[0], true);
  loaded.AddFlaw(form, *flaws[1], true);
  const int type = TExpectedLayout<TypeParam>::Type;
  form.Cell(type, TExpectedLayout<TypeParam>::StringColumns.back(), 2) = "typed";
  loaded.ReadRows(form);
  loaded.LoadFromFile(path);
  EXPECT_EQ(loaded.FlawList(), (std::vector<TDataCell*>{flaws[0].get(), flaws[1].get()}));
  ASSERT_EQ(loaded.RowRecords().size(), 2u);
  EXPECT_EQ(loaded.RowRecords()[1].Strings.back(), "typed");
  ExpectSameFields(loaded, SampleFields());
}

TEST(ReportHeadersReportFile, AFileSavedFromTypeOneFillsTheTypeTwoPanel) {
  TTemporaryFolder folder("velt-reports");
  const fs::path path = folder / "shared.rct";
  TFakeReportForm form;
  for (int k = 1; k <= kReportHeaderFields; ++k) {
    form.Panels[kReportType1][static_cast<std::size_t>(k - 1)] =
        kSeam + " type one " + std::to_string(k);
  }
  form.Panels[kReportType1][35] = "first\r\nsecond";
  TSimpleReportHeader type1;
  type1.ReadHeader(form);
  type1.SaveToFile(path);

  TSimpleReport2Header type2;
  type2.LoadFromFile(path);
  type2.ShowHeader(form);
  EXPECT_EQ(form.Panels[kReportType2], form.Panels[kReportType1]);
}

struct TConclusionCase {
  const char* Name;
  std::string Conclusion;
  std::vector<std::string> Lines;  // lines 36 and after on disk
  std::string ReadBack;
};

void PrintTo(const TConclusionCase& c, std::ostream* out) {
  *out << c.Name;
}

class ReportHeadersConclusion : public ::testing::TestWithParam<TConclusionCase> {
 protected:
  TTemporaryFolder Folder;
};

TEST_P(ReportHeadersConclusion, IsWrittenLineByLineAndReadToTheEndOfTheFile) {
  const TConclusionCase& c = GetParam();
  const fs::path path = Folder / "c.rct";
  TReportHeaderFields fields = SampleFields();
  fields.Conclusion = c.Conclusion;
  SaveReportFile(fields, path);
  EXPECT_TRUE(ReadBytes(path) == FileOf(fields, c.Lines));
  TReportHeaderFields loaded;
  LoadReportFile(loaded, path);
  EXPECT_EQ(loaded.Conclusion, c.ReadBack);
  fields.Conclusion = c.ReadBack;
  ExpectSameFields(loaded, fields);
}

INSTANTIATE_TEST_SUITE_P(
    Conclusions, ReportHeadersConclusion,
    ::testing::Values(TConclusionCase{"Empty", "", {""}, ""},
                      TConclusionCase{"OneLine", "one line", {"one line"}, "one line"},
                      TConclusionCase{"CrLfLines", "a\r\nb\r\nc", {"a", "b", "c"}, "a\r\nb\r\nc"},
                      // Memo text with bare line feeds is saved with CR LF.
                      TConclusionCase{"LfLines", "a\nb\nc", {"a", "b", "c"}, "a\r\nb\r\nc"},
                      TConclusionCase{"CrLines", "a\rb", {"a", "b"}, "a\r\nb"},
                      TConclusionCase{"TrailingLineBreak", "a\r\n", {"a", ""}, "a\r\n"},
                      TConclusionCase{"EmptyLinesInside", "\r\n\r\nz", {"", "", "z"}, "\r\n\r\nz"},
                      // The memo holds 7 lines: the text of later ones goes on the 7th.
                      TConclusionCase{"MoreLinesThanTheMemoHolds", "1\r\n2\n3\r4\r\n5\r\n6\r\n7\r\n8\r\n9",
                                      {"1", "2", "3", "4", "5", "6", "7 8 9"},
                                      "1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7 8 9"}),
    [](const ::testing::TestParamInfo<TConclusionCase>& c) { return c.param.Name; });

// Files written by hand (or by older versions): the reading rules alone.
struct THandWrittenCase {
  const char* Name;
  std::string Bytes;
  std::map<int, std::string> Fields;  // every field not named is empty
};

std::string Lines(int from, int to, const std::string& end) {
  std::string bytes;
  for (int k = from; k <= to; ++k) {
    bytes += "L" + std::to_string(k) + end;
  }
  return bytes;
}

std::map<int, std::string> Numbered(int from, int to) {
  std::map<int, std::string> fields;
  for (int k = from; k <= to; ++k) {
    fields[k] = "L" + std::to_string(k);
  }
  return fields;
}

std::map<int, std::string> With(std::map<int, std::string> fields, int k, std::string text) {
  fields[k] = std::move(text);
  return fields;
}

void PrintTo(const THandWrittenCase& c, std::ostream* out) {
  *out << c.Name;
}

class ReportHeadersFileReading : public ::testing::TestWithParam<THandWrittenCase> {
 protected:
  TTemporaryFolder Folder;
};

TEST_P(ReportHeadersFileReading, TakesLineKIntoFieldK) {
  const THandWrittenCase& c = GetParam();
  const fs::path path = Folder / "hand.rct";
  WriteBytes(path, c.Bytes);
  TSimpleReportHeader header;
  for (int k = 1; k <= kReportHeaderFields; ++k) {
    header.Field(k) = "before";  // loading replaces every field
  }
  EXPECT_TRUE(header.LoadFromFile(path));
  for (int k = 1; k <= kReportHeaderFields; ++k) {
    const auto named = c.Fields.find(k);
    EXPECT_EQ(header.Field(k), named == c.Fields.end() ? "" : named->second) << "field " << k;
  }
}

INSTANTIATE_TEST_SUITE_P(
    HandWritten, ReportHeadersFileReading,
    ::testing::Values(THandWrittenCase{"ThirtySixCrLfLines", Lines(1, 36, "\r\n"), Numbered(1, 36)},
                      THandWrittenCase{"LfOnlyLines", Lines(1, 36, "\n"), Numbered(1, 36)},
                      THandWrittenCase{"NoLineEndAfterTheLastLine", Lines(1, 35, "\r\n") + "L36",
                                       Numbered(1, 36)},
                      THandWrittenCase{"MixedLineEnds", Lines(1, 20, "\n") + Lines(21, 36, "\r\n"),
                                       Numbered(1, 36)},
                      THandWrittenCase{"FewerThan36Lines", Lines(1, 3, "\r\n"), Numbered(1, 3)},
                      THandWrittenCase{"EmptyFile", "", {}},
                      THandWrittenCase{"EmptyLinesKeepTheirPlace",
                                       Lines(1, 4, "\r\n") + "\r\n\r\n" + Lines(7, 36, "\r\n"),
                                       With(With(Numbered(1, 36), 5, ""), 6, "")},
                      THandWrittenCase{"LinesAfter36GoIntoTheConclusion", Lines(1, 38, "\r\n"),
                                       With(Numbered(1, 35), 36, "L36\r\nL37\r\nL38")},
                      THandWrittenCase{"BlanksAndColonsAreText",
                                       "  lead: and trail  \r\n" + Lines(2, 36, "\r\n"),
                                       With(Numbered(1, 36), 1, "  lead: and trail  ")}),
    [](const ::testing::TestParamInfo<THandWrittenCase>& c) { return c.param.Name; });

TEST(ReportHeadersReportFile, LineBreaksInsideSingleLineFieldsAreSavedAsBlanks) {
  TTemporaryFolder folder("velt-reports");
  const fs::path path = folder / "breaks.rct";
  TReportHeaderFields fields = SampleFields();
  fields.OrganizationName = "a\r\nb";
  fields.ControlObject = "a\nb";
  fields.DeviceType = "a\rb";
  fields.Inspectors[1].InspectorName = "\r\n\r\n";
  fields.Appendixes = "end\n";
  fields.Conclusion = "last";
  SaveReportFile(fields, path);

  TReportHeaderFields expected = fields;
  expected.OrganizationName = "a b";
  expected.ControlObject = "a b";
  expected.DeviceType = "a b";
  expected.Inspectors[1].InspectorName = "  ";
  expected.Appendixes = "end ";
  // Still 36 lines, every later field on its own line.
  EXPECT_TRUE(ReadBytes(path) == FileOf(expected, {"last"}));
  TReportHeaderFields loaded;
  LoadReportFile(loaded, path);
  ExpectSameFields(loaded, expected);
}

TEST(ReportHeadersReportFile, SavingKeepsTheModeOfTheFileItReplaces) {
  TTemporaryFolder folder("velt-reports");
  const fs::path path = folder / "mode.rct";
  WriteBytes(path, "old\r\n");
  fs::permissions(path, static_cast<fs::perms>(0640));
  SaveReportFile(SampleFields(), path);
  EXPECT_EQ(fs::status(path).permissions() & fs::perms::mask, static_cast<fs::perms>(0640));

  const mode_t old = ::umask(022);
  SaveReportFile(SampleFields(), folder / "fresh.rct");
  ::umask(old);
  EXPECT_EQ(fs::status(folder / "fresh.rct").permissions() & fs::perms::mask,
            static_cast<fs::perms>(0644));
}

// The message of the input/output error a call raised; empty when it raised none.
std::string InOutErrorOf(const std::function<void()>& call) {
  try {
    call();
  } catch (const EInOutError& e) {
    return e.what();
  }
  return {};
}

TEST(ReportHeadersFileErrors, AFailedSaveRaisesAndKeepsThePreviousFile) {
  TTemporaryFolder folder("velt-reports");
  const fs::path path = folder / "keep.rct";
  TSimpleReport2Header header;
  static_cast<TReportHeaderFields&>(header) = SampleFields();
  header.SaveToFile(path);
  const std::string before = ReadBytes(path);
  fs::create_directory(folder / "occupied.rct");
  WriteBytes(folder / "occupied.rct" / "inside", "x");
  WriteBytes(folder / "plain", "a regular file");
  const std::vector<std::string> names = folder.Names();

  header.OrganizationName = "changed";
  const auto expectFailure = [&](const fs::path& target) {
    const std::string message = InOutErrorOf([&] { header.SaveToFile(target); });
    EXPECT_NE(message, "") << target;
    EXPECT_NE(message.find(target.string()), std::string::npos) << message;
  };
  {
    SCOPED_TRACE("writing fails midway");
    const testing::TFileSizeLimit limit(100);
    ASSERT_TRUE(limit.Ok);
    expectFailure(path);
  }
  {
    SCOPED_TRACE("the target is a folder");
    expectFailure(folder / "occupied.rct");
  }
  {
    SCOPED_TRACE("the folder is a regular file");
    expectFailure(folder / "plain" / "x.rct");
  }
  EXPECT_TRUE(ReadBytes(path) == before);
  EXPECT_EQ(ReadBytes(folder / "occupied.rct" / "inside"), "x");
  EXPECT_EQ(folder.Names(), names);  // no temporary file left behind
}

TEST(ReportHeadersFileErrors, AMissingFolderOrFileRaisesAnInputOutputErrorNamingThePath) {
  TTemporaryFolder folder("velt-reports");
  const fs::path missing = folder / "missing" / "report.rct";
  TSimpleReportHeader header;
  static_cast<TReportHeaderFields&>(header) = SampleFields();

  std::string message = InOutErrorOf([&] { header.SaveToFile(missing); });
  EXPECT_NE(message.find(missing.string()), std::string::npos) << message;
  EXPECT_FALSE(fs::exists(missing.parent_path()));

  // A failed load leaves every field as it was.
  for (const fs::path& unreadable : {missing, folder.Path}) {
    message = InOutErrorOf([&] { header.LoadFromFile(unreadable); });
    EXPECT_NE(message.find(unreadable.string()), std::string::npos) << message;
    ExpectSameFields(header, SampleFields());
  }
}

// A report file holds 36 short fields and a conclusion of at most the memo's
// 7 lines: blank lines may follow, a longer line or more text is damage and
// is refused without holding the file; a FIFO is refused without waiting.
TEST(ReportHeadersFileErrors, ReadingIsBoundedLikeEveryOtherFile) {
  TTemporaryFolder folder("velt-reports");
  const fs::path path = folder / "bounded.rct";
  const struct {
    const char* Name;
    std::string Bytes;
    const char* Said;  // nullptr: the file loads
    std::string Conclusion;
  } cases[] = {
      {"seven conclusion lines", Lines(1, 42, "\r\n"), nullptr,
       "L36\r\nL37\r\nL38\r\nL39\r\nL40\r\nL41\r\nL42"},
      {"two million blank lines after", Lines(1, 37, "\r\n") + std::string(4000000, '\n'), nullptr,
       "L36\r\nL37\r\n\r\n\r\n\r\n\r\n"},
      {"an eighth conclusion line", Lines(1, 43, "\r\n"),
       "line 43 \"L43\" is one line more than the conclusion's 7", ""},
      {"a long line", Lines(1, 2, "\r\n") + std::string(70000, 'x') + "\r\n",
       "line 3 is too long: a line of a report file holds at most 65536 bytes", ""},
      {"no line break at all", std::string(8 << 20, 'x'), "line 1 is too long", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    WriteBytes(path, c.Bytes);
    TSimpleReportHeader header;
    static_cast<TReportHeaderFields&>(header) = SampleFields();
    if (c.Said == nullptr) {
      header.LoadFromFile(path);
      EXPECT_EQ(header.Conclusion, c.Conclusion);
      EXPECT_EQ(header.Field(35), "L35");
    } else {
      const std::string message = InOutErrorOf([&] { header.LoadFromFile(path); });
      EXPECT_NE(message.find(c.Said), std::string::npos) << message;
      ExpectSameFields(header, SampleFields());
    }
  }
  fs::remove(path);
  ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
  auto loading = std::async(std::launch::async, [&path] {
    TSimpleReportHeader header;
    return InOutErrorOf([&] { header.LoadFromFile(path); });
  });
  if (loading.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
    ADD_FAILURE() << "loading waits for a writer";
    ::close(::open(path.c_str(), O_WRONLY | O_NONBLOCK));  // ends the wait
  }
  const std::string message = loading.get();
  EXPECT_NE(message.find("is not a regular file"), std::string::npos) << message;
}

}  // namespace
}  // namespace velt
