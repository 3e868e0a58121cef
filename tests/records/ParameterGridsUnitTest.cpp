// The parameter grids without widgets: which parameter each row of each
// group shows, what filling and applying do to the grid and to the
// configuration, the editing styles the rows get, and the characters a
// value cell takes.
#include <records/ParameterGridsUnit.h>

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <sstream>
#include <utility>
#include <vector>

#include <config/ConfigObject5_01ver_Unit.h>
#include <config/TextRecordIO.h>
#include <strings/LocalStringsUnit.h>

#include "support/RecordingFeedback.h"

namespace velt {
namespace {

class TRowEditor : public IParameterEditor {
 public:
  void SetEditMask(const std::string& mask) override {
    Style = "mask";
    Mask = mask;
  }
  void SetPickList(const std::vector<std::string>& entries) override {
    Style = "list";
    Entries = entries;
  }
  std::string Style;
  std::string Mask;
  std::vector<std::string> Entries;
};

class TGrid : public IParameterGrid {
 public:
  std::string Cell(int column, int row) const override {
    const auto it = Cells.find({column, row});
    return it == Cells.end() ? std::string() : it->second;
  }
  void SetCell(int column, int row, const std::string& text) override {
    Cells[{column, row}] = text;
    Writes.push_back(row);
  }
  IParameterEditor& RowEditor(int row) override { return Editors[row]; }
  std::map<std::pair<int, int>, std::string> Cells;
  std::map<int, TRowEditor> Editors;
  std::vector<int> Writes;
};

class TScale : public IScaleSelector {
 public:
  void Clear() override { Items.clear(); }
  void Add(const std::string& entry) override { Items.push_back(entry); }
  void SelectFirst() override { Selected = Items.empty() ? -1 : 0; }
  int ItemCount() const override { return static_cast<int>(Items.size()); }
  std::string ItemText(int index) const override { return Items[static_cast<std::size_t>(index)]; }
  void Select(int index) override { Selected = index; }
  std::string CurrentText() const override {
    return Selected < 0 ? std::string() : Items[static_cast<std::size_t>(Selected)];
  }
  std::vector<std::string> Items;
  int Selected = -1;
};

// A 5.01 cell that remembers the order in which parameters are written.
class TRecordingCell : public T5_01ConfigCell {
 public:
  std::uint8_t SetParameterText(const std::string& text, std::uint8_t p) override {
    Written.push_back(p);
    return T5_01ConfigCell::SetParameterText(text, p);
  }
  std::vector<std::uint8_t> Written;
};

// Everything a cell stores or sends (its text record and its device image)
// and what its editors remember (the last accepted values).
std::string Whole(TBaseConfigCell& cell) {
  // Encoding sets the level rows from the percents: first, so that taking
  // the print twice gives the same.
  TDeviceImage image{};
  cell.EncodeImage(image, cell.CONFIGURATION_NO);
  std::ostringstream text;
  TTextWriter writer(text);
  cell.WriteText(writer);
  text << std::string(image.begin(), image.end());
  for (const SINGLE_PARAM_SCHEME& scheme : cell.Schemes) {
    text << '|' << scheme.LastAccepted;
  }
  return text.str();
}

// The shipped strings, installed for the captions and the pick lists.
class ParameterGrids : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Strings.LoadStringFiles(VELT_SOURCE_DIR "/strings"));
    SetProgramStrings(&Strings);
    auto cell = std::make_unique<TRecordingCell>();
    Cell = cell.get();
    Cell->Initialise();
    Cell->SetDefaults(1);
    Cell->BuildParameterSchemes();
    Record.AttachOwned(std::move(cell));
  }
  void TearDown() override { SetProgramStrings(nullptr); }

  testing::TRecordingFeedback Feedback;
  TLocalStrings Strings{Feedback};
  TDataCell Record;
  TRecordingCell* Cell = nullptr;
};

TEST_F(ParameterGrids, EachGroupShowsItsParametersUnderItsCaptions) {
  Cell->PROBE_ARROW = 12.5;
  Cell->VELOCITY = 3250;
  Cell->POISK = 12;
  TGrid first;
  FillGroupCaptions(Strings, TParameterGroup::First, first);
  FillGroup(Record, TParameterGroup::First, first);
  EXPECT_EQ(first.Cell(0, 0), Strings.Value(20));
  EXPECT_EQ(first.Cell(0, 4), Strings.Value(26));
  EXPECT_EQ(first.Cell(1, 2), Cell->ParameterText(10));  // the angle row
  EXPECT_NE(first.Cell(1, 4).find("12.5"), std::string::npos);  // the probe arrow

  TGrid third;
  FillGroup(Record, TParameterGroup::Third, third);
  EXPECT_NE(third.Cell(1, 0).find("3250"), std::string::npos);  // velocity first
  EXPECT_NE(third.Cell(1, 2).find("12"), std::string::npos);    // then thickness, search
  EXPECT_EQ(third.Cell(1, 4), "");                              // four rows only

  // The second group carries parameter 29 in its fifth row.
  TGrid second;
  FillGroup(Record, TParameterGroup::Second, second);
  EXPECT_EQ(second.Cell(1, 4), Cell->ParameterText(29));
  TGrid conditions;
  FillGroupCaptions(Strings, TParameterGroup::Conditions, conditions);
  FillGroup(Record, TParameterGroup::Conditions, conditions);
  EXPECT_EQ(conditions.Cell(0, 7), Strings.Value(33));
  EXPECT_EQ(conditions.Cell(1, 7), Cell->ParameterText(17));
}

TEST_F(ParameterGrids, ARecordWithoutConfigurationEmptiesTheValuesAndKeepsTheCaptions) {
  TGrid grid;
  FillGroupCaptions(Strings, TParameterGroup::Fourth, grid);
  FillGroup(Record, TParameterGroup::Fourth, grid);
  TDataCell empty;
  FillGroup(empty, TParameterGroup::Fourth, grid);
  for (int row = 0; row < 5; ++row) {
    EXPECT_EQ(grid.Cell(1, row), "") << row;
    EXPECT_EQ(grid.Cell(0, row), Strings.Value(static_cast<std::uint16_t>(44 + row))) << row;
  }
  TScale scale;
  scale.Items = {"a", "b"};
  scale.Selected = 1;
  FillThirdGroup(empty, grid, scale);
  EXPECT_EQ(scale.Selected, 1);
  EXPECT_FALSE(ApplyGroup(empty, TParameterGroup::First, grid));
  EXPECT_FALSE(ApplyOnlineGroup(empty, 2, grid));
}

TEST_F(ParameterGrids, TheScaleSelectorFollowsParameter22OnlyWhenAnItemMatches) {
  TGrid grid;
  TScale scale;
  Cell->FillParameterList(scale, kScaleParameter);
  ASSERT_GE(scale.ItemCount(), 3);
  Cell->SCREEN_UNITS = 2;
  scale.Selected = 0;
  FillThirdGroup(Record, grid, scale);
  EXPECT_EQ(scale.Selected, 2);
  EXPECT_EQ(scale.CurrentText(), Cell->ParameterText(kScaleParameter));

  scale.Items[2] += "x";  // no item equals the text any more
  scale.Selected = 1;
  FillThirdGroup(Record, grid, scale);
  EXPECT_EQ(scale.Selected, 1);
}

TEST_F(ParameterGrids, ApplyingWritesEveryRowKeepsRefusedOnesAndShowsTheConfigurationAgain) {
  TGrid grid;
  FillGroup(Record, TParameterGroup::Third, grid);
  const std::uint16_t velocityBefore = Cell->VELOCITY;
  grid.SetCell(1, 0, "99");  // below the velocity's 1000..15000
  grid.SetCell(1, 2, "20");
  grid.SetCell(1, 3, "40");
  TScale scale;
  Cell->FillParameterList(scale, kScaleParameter);
  scale.Selected = 1;
  Cell->Written.clear();
  const std::string before = Whole(*Cell);
  EXPECT_FALSE(ApplyGroup(Record, TParameterGroup::Third, grid, &scale));
  EXPECT_EQ(Cell->Written, (std::vector<std::uint8_t>{18, 19, 20, 21, 22}));
  // One refused row refuses the group: none of its rows is taken.
  EXPECT_EQ(Cell->VELOCITY, velocityBefore);
  EXPECT_EQ(Whole(*Cell), before);
  for (int row = 0; row < 4; ++row) {  // every row shows the cell again
    EXPECT_EQ(grid.Cell(1, row), Cell->ParameterText(GroupParameters(TParameterGroup::Third)[row]));
  }

  grid.SetCell(1, 0, "4000");
  grid.SetCell(1, 2, "20");
  grid.SetCell(1, 3, "40");
  scale.Selected = 1;
  EXPECT_TRUE(ApplyGroup(Record, TParameterGroup::Third, grid, &scale));
  EXPECT_EQ(Cell->VELOCITY, 4000);
  EXPECT_EQ(Cell->POISK, 20);
  EXPECT_EQ(Cell->OTSECHKA, 40);
  EXPECT_EQ(Cell->SCREEN_UNITS, 1);
}

// A strobe's begin typed far beyond its end, and other refused rows of the
// conditions: the cell stays exactly as it was, the strobe never ends
// before it begins.
TEST_F(ParameterGrids, ARefusedConditionsEditLeavesTheWholeCellAsItWas) {
  struct TCase {
    int Row;
    const char* Text;
  };
  const TCase cases[] = {{0, "999"}, {3, "999"}, {1, "999"}, {2, "abc"}, {5, "9999"}};
  for (const TCase& c : cases) {
    TGrid grid;
    FillGroup(Record, TParameterGroup::Conditions, grid);
    grid.SetCell(1, c.Row, c.Text);
    const std::string before = Whole(*Cell);
    EXPECT_FALSE(ApplyGroup(Record, TParameterGroup::Conditions, grid)) << c.Row << c.Text;
    EXPECT_EQ(Whole(*Cell), before) << c.Row << " " << c.Text;
    EXPECT_LE(Cell->StrobeBeginPath(0), Cell->StrobeEndPath(0)) << c.Row << c.Text;
    EXPECT_LE(Cell->StrobeBeginPath(1), Cell->StrobeEndPath(1)) << c.Row << c.Text;
    EXPECT_TRUE(Cell->Validate()) << c.Row << c.Text;
  }
  // A begin that fits is taken with the length shown beside it.
  TGrid grid;
  FillGroup(Record, TParameterGroup::Conditions, grid);
  const std::string begin = Cell->ParameterText(0);
  grid.SetCell(1, 0, "4");
  EXPECT_TRUE(ApplyGroup(Record, TParameterGroup::Conditions, grid));
  EXPECT_NE(Cell->ParameterText(0), begin);
}

TEST_F(ParameterGrids, TheConditionsGroupIsWrittenButNotShownAgain) {
  TGrid grid;
  FillGroup(Record, TParameterGroup::Conditions, grid);
  grid.SetCell(1, 2, "abc");
  Cell->Written.clear();
  grid.Writes.clear();
  EXPECT_FALSE(ApplyGroup(Record, TParameterGroup::Conditions, grid));
  EXPECT_EQ(Cell->Written, (std::vector<std::uint8_t>{0, 1, 2, 3, 4, 5, 6, 17}));
  EXPECT_TRUE(grid.Writes.empty());
  EXPECT_EQ(grid.Cell(1, 2), "abc");
}

TEST_F(ParameterGrids, OnlineEditorsWriteInTheirOwnWays) {
  TGrid first;
  FillOnlineGroup(Record, 1, first);
  first.Writes.clear();
  first.SetCell(1, 0, "1");  // a begin that fits, in a refused group
  first.SetCell(1, 2, "zz");
  first.Writes.clear();
  Cell->Written.clear();
  const std::string before = Whole(*Cell);
  EXPECT_FALSE(ApplyOnlineGroup(Record, 1, first));
  EXPECT_EQ(Cell->Written, (std::vector<std::uint8_t>{0, 1, 2, 3, 4, 5}));
  EXPECT_TRUE(first.Writes.empty());  // not shown again
  EXPECT_EQ(Whole(*Cell), before);

  TGrid fourth;
  FillOnlineGroup(Record, 4, fourth);
  fourth.SetCell(1, 0, "12.5");   // thickness
  fourth.SetCell(1, 2, "99999");  // velocity out of range
  fourth.Writes.clear();
  Cell->Written.clear();
  const double thickness = Cell->THICKNESS;
  EXPECT_FALSE(ApplyOnlineGroup(Record, 4, fourth));
  EXPECT_EQ(Cell->Written, (std::vector<std::uint8_t>{18, 19, 21, 28}));
  // Each row shown after its write, then all again from the cell put back.
  EXPECT_EQ(fourth.Writes, (std::vector<int>{2, 0, 1, 3, 0, 1, 2, 3}));
  EXPECT_EQ(fourth.Cell(1, 2), Cell->ParameterText(18));
  EXPECT_EQ(fourth.Cell(1, 0), Cell->ParameterText(19));
  EXPECT_DOUBLE_EQ(Cell->THICKNESS, thickness);

  fourth.SetCell(1, 0, "12.5");
  fourth.SetCell(1, 2, "4000");
  EXPECT_TRUE(ApplyOnlineGroup(Record, 4, fourth));
  EXPECT_DOUBLE_EQ(Cell->THICKNESS, 12.5);
}

TEST_F(ParameterGrids, PreparedRowsGetTheirParametersEditingStyle) {
  TGrid first, second, third, fourth, conditions;
  TGrid online[kOnlineEditors];
  TScale scale;
  TEditableGrids grids;
  grids.SetupGroups[0] = &conditions;
  grids.SetupGroups[1] = &first;
  grids.SetupGroups[2] = &second;
  grids.SetupGroups[3] = &third;
  grids.SetupGroups[4] = &fourth;
  grids.Scale = &scale;
  for (int e = 0; e < kOnlineEditors; ++e) {
    grids.OnlineEditors[e] = &online[e];
  }
  PrepareEditors(*Cell, grids);
  EXPECT_EQ(first.Editors[0].Style, "list");  // probe type
  EXPECT_EQ(first.Editors[0].Entries.size(), 2u);
  EXPECT_EQ(first.Editors[2].Style, "mask");  // angle
  EXPECT_EQ(conditions.Editors.size(), 8u);
  EXPECT_EQ(online[3].Editors.size(), 4u);
  EXPECT_EQ(online[3].Editors[3].Style, "list");  // the short X-scale list
  EXPECT_EQ(scale.ItemCount(), 3);
}

// Both decimal marks go in under every locale (a dropped "." would turn
// 12.7 into 127), the locale's own separators too, nothing else.
TEST(ParameterGridCharacters, DigitsBothDecimalMarksAndTheLocaleSeparatorsGoIntoAValueCell) {
  for (const TNumberFormat format : {TNumberFormat{',', '\xA0'}, TNumberFormat{',', '.'},
                                     TNumberFormat{'.', ','}, TNumberFormat{'.', '\''}}) {
    std::string accepted = "0123456789,.";
    accepted += format.ThousandSeparator;
    for (const char c : accepted) {
      EXPECT_TRUE(AcceptedInValueCell(c, format)) << c << " with " << format.ThousandSeparator;
    }
    for (const char c : std::string("-+eEa x/;")) {
      EXPECT_FALSE(AcceptedInValueCell(c, format)) << c << " with " << format.ThousandSeparator;
    }
  }
}

}  // namespace
}  // namespace velt
