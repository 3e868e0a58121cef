// The parameter grids: the 30 parameters of a record's configuration in
// two-column grids grouped as on the instrument (captions in column 0, the
// parameter texts in column 1), how a grid is filled from a record and how
// its edited rows are written back. The tabs' string grids and list editors
// are reached through small interfaces, so the rules here are the same for
// every grid and testable without widgets.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include <records/UniversalDataObjectUnit.h>
#include <strings/LocalStringsUnit.h>

namespace velt {

// A two-column grid of parameter rows.
class IParameterGrid {
 public:
  virtual ~IParameterGrid() = default;
  virtual std::string Cell(int column, int row) const = 0;
  virtual void SetCell(int column, int row, const std::string& text) = 0;
  // The editing style of a row's value cell (typed text or a pick list).
  virtual IParameterEditor& RowEditor(int row) = 0;
};

// The X-scale selector beside the third group: a drop-down of the
// parameter 22 texts.
class IScaleSelector : public IParameterList {
 public:
  virtual int ItemCount() const = 0;
  virtual std::string ItemText(int index) const = 0;
  virtual void Select(int index) = 0;
  virtual std::string CurrentText() const = 0;
};

// The five groups of the data, setup and report tabs.
enum class TParameterGroup : std::uint8_t { Conditions, First, Second, Third, Fourth };
// The five list editors of the online tab, 1..5.
inline constexpr int kOnlineEditors = 5;
// The third group's X-scale parameter, shown in the selector.
inline constexpr std::uint8_t kScaleParameter = 22;

// The parameters of a group's rows, and the value strings of its captions.
std::span<const std::uint8_t> GroupParameters(TParameterGroup group);
std::span<const std::uint16_t> GroupCaptions(TParameterGroup group);
std::span<const std::uint8_t> OnlineGroupParameters(int editor);

// Column 0 of a group: its row captions from the value strings.
void FillGroupCaptions(const TLocalStrings& strings, TParameterGroup group, IParameterGrid& grid);

// Column 1 of the group's rows from the record's configuration; emptied
// when the record has none. The third group also selects, in the X-scale
// selector, the first item equal to the parameter 22 text, if any.
void FillGroup(const TDataCell& record, TParameterGroup group, IParameterGrid& grid);
void FillThirdGroup(const TDataCell& record, IParameterGrid& grid, IScaleSelector& scale);
void FillOnlineGroup(const TDataCell& record, int editor, IParameterGrid& grid);

// The editing style of every row of the setup groups (the measurement
// conditions among them) and of the online editors, and the X-scale
// selector's list, from one configuration of the collection.
struct TEditableGrids {
  IParameterGrid* SetupGroups[5] = {};  // indexed by TParameterGroup
  IScaleSelector* Scale = nullptr;
  IParameterGrid* OnlineEditors[kOnlineEditors] = {};  // editors 1..5
};
void PrepareEditors(const TBaseConfigCell& cell, TEditableGrids& grids);

// Writes a setup group's rows into the configuration, in row order (the
// third group then the selector's text as parameter 22); true when every
// text was accepted. When any text is refused, the whole configuration is
// put back as it was before the group was written (every row of the group
// or none). The four setup groups are then filled anew from the
// configuration; the conditions group is not (its tab refills it). Without
// a configuration nothing happens and the result is false.
bool ApplyGroup(TDataCell& record, TParameterGroup group, IParameterGrid& grid,
                IScaleSelector* scale = nullptr);
// The same for an online editor, whole or not at all: the first writes its
// rows without showing them again; the others write row by row, each row
// showing its parameter anew right after, the fourth in the order rows 2,
// 0, 1, 3, and all rows again from the configuration put back on a refusal.
bool ApplyOnlineGroup(TDataCell& record, int editor, IParameterGrid& grid);

// Whether a typed character may go into a value cell: digits, "." and ","
// (either is a decimal mark), and the locale's thousands and decimal
// separators only.
bool AcceptedInValueCell(char c, const TNumberFormat& format);

}  // namespace velt
