#include <records/ParameterGridsUnit.h>

#include <array>
#include <vector>

#include <records/ConfigSnapshotUnit.h>

namespace velt {
namespace {

constexpr int kCaptionColumn = 0;
constexpr int kValueColumn = 1;

constexpr std::uint8_t kConditions[] = {0, 1, 2, 3, 4, 5, 6, 17};
constexpr std::uint8_t kFirst[] = {8, 9, 10, 11, 12};
constexpr std::uint8_t kSecond[] = {13, 14, 15, 16, 29};
constexpr std::uint8_t kThird[] = {18, 19, 20, 21};
constexpr std::uint8_t kFourth[] = {23, 24, 25, 26, 27};

constexpr std::uint16_t kConditionsCaptions[] = {12, 13, 14, 15, 16, 17, 18, 33};
constexpr std::uint16_t kFirstCaptions[] = {20, 23, 24, 25, 26};
constexpr std::uint16_t kSecondCaptions[] = {27, 28, 29, 30, 159};
constexpr std::uint16_t kThirdCaptions[] = {34, 35, 36, 37};
constexpr std::uint16_t kFourthCaptions[] = {44, 45, 46, 47, 48};

constexpr std::uint8_t kOnline1[] = {0, 1, 2, 3, 4, 5};
constexpr std::uint8_t kOnline2[] = {8, 9, 10, 11, 12};
constexpr std::uint8_t kOnline3[] = {13, 14, 16};
constexpr std::uint8_t kOnline4[] = {19, 21, 18, 28};
constexpr std::uint8_t kOnline5[] = {23, 24, 25, 26, 27};
// The fourth online editor writes its velocity row first.
constexpr int kOnline4Order[] = {2, 0, 1, 3};

void FillRows(const TDataCell& record, std::span<const std::uint8_t> parameters,
              IParameterGrid& grid) {
  const TBaseConfigCell* cell = record.Configuration();
  for (std::size_t row = 0; row < parameters.size(); ++row) {
    grid.SetCell(kValueColumn, static_cast<int>(row),
                 cell != nullptr ? cell->ParameterText(parameters[row]) : std::string());
  }
}

void SelectScaleItem(const TBaseConfigCell& cell, IScaleSelector& scale) {
  const std::string text = cell.ParameterText(kScaleParameter);
  for (int i = 0; i < scale.ItemCount(); ++i) {
    if (scale.ItemText(i) == text) {
      scale.Select(i);
      return;
    }
  }
}

void PrepareRows(const TBaseConfigCell& cell, std::span<const std::uint8_t> parameters,
                 IParameterGrid* grid) {
  if (grid == nullptr) {
    return;
  }
  for (std::size_t row = 0; row < parameters.size(); ++row) {
    cell.SetUpParameterEditor(grid->RowEditor(static_cast<int>(row)), parameters[row]);
  }
}

}  // namespace

std::span<const std::uint8_t> GroupParameters(TParameterGroup group) {
  switch (group) {
    case TParameterGroup::Conditions:
      return kConditions;
    case TParameterGroup::First:
      return kFirst;
    case TParameterGroup::Second:
      return kSecond;
    case TParameterGroup::Third:
      return kThird;
    case TParameterGroup::Fourth:
      return kFourth;
  }
  return {};
}

std::span<const std::uint16_t> GroupCaptions(TParameterGroup group) {
  switch (group) {
    case TParameterGroup::Conditions:
      return kConditionsCaptions;
    case TParameterGroup::First:
      return kFirstCaptions;
    case TParameterGroup::Second:
      return kSecondCaptions;
    case TParameterGroup::Third:
      return kThirdCaptions;
    case TParameterGroup::Fourth:
      return kFourthCaptions;
  }
  return {};
}

std::span<const std::uint8_t> OnlineGroupParameters(int editor) {
  switch (editor) {
    case 1:
      return kOnline1;
    case 2:
      return kOnline2;
    case 3:
      return kOnline3;
    case 4:
      return kOnline4;
    case 5:
      return kOnline5;
    default:
      return {};
  }
}

void FillGroupCaptions(const TLocalStrings& strings, TParameterGroup group,
                       IParameterGrid& grid) {
  const std::span<const std::uint16_t> captions = GroupCaptions(group);
  for (std::size_t row = 0; row < captions.size(); ++row) {
    grid.SetCell(kCaptionColumn, static_cast<int>(row), strings.Value(captions[row]));
  }
}

void FillGroup(const TDataCell& record, TParameterGroup group, IParameterGrid& grid) {
  FillRows(record, GroupParameters(group), grid);
}

void FillThirdGroup(const TDataCell& record, IParameterGrid& grid, IScaleSelector& scale) {
  FillRows(record, kThird, grid);
  if (const TBaseConfigCell* cell = record.Configuration()) {
    SelectScaleItem(*cell, scale);
  }
}

void FillOnlineGroup(const TDataCell& record, int editor, IParameterGrid& grid) {
  FillRows(record, OnlineGroupParameters(editor), grid);
}

void PrepareEditors(const TBaseConfigCell& cell, TEditableGrids& grids) {
  for (int g = 0; g < 5; ++g) {
    PrepareRows(cell, GroupParameters(static_cast<TParameterGroup>(g)), grids.SetupGroups[g]);
  }
  if (grids.Scale != nullptr) {
    cell.FillParameterList(*grids.Scale, kScaleParameter);
  }
  for (int e = 1; e <= kOnlineEditors; ++e) {
    PrepareRows(cell, OnlineGroupParameters(e), grids.OnlineEditors[e - 1]);
  }
}

bool ApplyGroup(TDataCell& record, TParameterGroup group, IParameterGrid& grid,
                IScaleSelector* scale) {
  TBaseConfigCell* cell = record.Configuration();
  if (cell == nullptr) {
    return false;
  }
  const std::span<const std::uint8_t> parameters = GroupParameters(group);
  // Every row is read before any is written: writing one parameter may
  // change the text another shows.
  std::vector<std::string> texts;
  texts.reserve(parameters.size());
  for (std::size_t row = 0; row < parameters.size(); ++row) {
    texts.push_back(grid.Cell(kValueColumn, static_cast<int>(row)));
  }
  // The rows of a group depend on each other (a strobe's length is counted
  // from its begin): a begin taken while its length is refused would leave
  // a strobe that ends before it begins. A group is taken whole or not at
  // all.
  const TConfigSnapshot before(*cell);
  bool accepted = true;
  for (std::size_t row = 0; row < parameters.size(); ++row) {
    accepted = cell->SetParameterText(texts[row], parameters[row]) == 0 && accepted;
  }
  if (group == TParameterGroup::Third && scale != nullptr) {
    accepted = cell->SetParameterText(scale->CurrentText(), kScaleParameter) == 0 && accepted;
  }
  if (!accepted) {
    before.Restore(*cell);
  }
  if (group == TParameterGroup::Third && scale != nullptr) {
    FillThirdGroup(record, grid, *scale);
  } else if (group != TParameterGroup::Conditions) {
    FillGroup(record, group, grid);
  }
  return accepted;
}

bool ApplyOnlineGroup(TDataCell& record, int editor, IParameterGrid& grid) {
  TBaseConfigCell* cell = record.Configuration();
  const std::span<const std::uint8_t> parameters = OnlineGroupParameters(editor);
  if (cell == nullptr || parameters.empty()) {
    return false;
  }
  // Taken whole or not at all, as the setup groups.
  const TConfigSnapshot before(*cell);
  bool accepted = true;
  if (editor == 1) {
    std::vector<std::string> texts;
    for (std::size_t row = 0; row < parameters.size(); ++row) {
      texts.push_back(grid.Cell(kValueColumn, static_cast<int>(row)));
    }
    for (std::size_t row = 0; row < parameters.size(); ++row) {
      accepted = cell->SetParameterText(texts[row], parameters[row]) == 0 && accepted;
    }
    if (!accepted) {
      before.Restore(*cell);
    }
    return accepted;
  }
  std::vector<int> order;
  if (editor == 4) {
    order.assign(std::begin(kOnline4Order), std::end(kOnline4Order));
  } else {
    for (std::size_t row = 0; row < parameters.size(); ++row) {
      order.push_back(static_cast<int>(row));
    }
  }
  for (const int row : order) {
    const std::uint8_t k = parameters[static_cast<std::size_t>(row)];
    accepted = cell->SetParameterText(grid.Cell(kValueColumn, row), k) == 0 && accepted;
    grid.SetCell(kValueColumn, row, cell->ParameterText(k));
  }
  if (!accepted) {
    // The rows shown after their writes show the cell as it is again.
    before.Restore(*cell);
    FillOnlineGroup(record, editor, grid);
  }
  return accepted;
}

bool AcceptedInValueCell(char c, const TNumberFormat& format) {
  // "." and "," both pass whatever the locale: typed reals take either as
  // the decimal mark, and a dropped mark would turn 12.7 into 127.
  return (c >= '0' && c <= '9') || c == '.' || c == ',' || c == format.ThousandSeparator ||
         c == format.DecimalSeparator;
}

}  // namespace velt
