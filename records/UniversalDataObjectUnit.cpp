#include <records/UniversalDataObjectUnit.h>

#include <algorithm>

#include <config/ConfigObject5_01ver_Unit.h>

namespace velt {

TDataCell::TDataCell(std::uint16_t arraySize)
    : FirstMaximums(arraySize + 1u, 0),
      SecondMaximums(arraySize + 1u, 0),
      FirstMinimums(arraySize + 1u, 0),
      SecondMinimums(arraySize + 1u, 0),
      ArraySize(arraySize),
      SamplesQuantity(arraySize) {}

void TDataCell::ClearContents() {
  for (auto& column : BScan) {
    column.fill(0);
  }
  PrintFlag = 0;
  ReportMark = 0;
  for (auto* envelope : {&FirstMaximums, &SecondMaximums, &FirstMinimums, &SecondMinimums}) {
    std::fill_n(envelope->begin(), std::min<std::size_t>(ArraySize, envelope->size()), 0);
  }
}

void TDataCell::Release(bool keepConfiguration) {
  ClearContents();
  if (!keepConfiguration) {
    Owned.reset();
    Config = nullptr;
  }
}

void TDataCell::ResetAveraging() {
  AveragingHistory1.Count = 0;
  AveragingHistory2.Count = 0;
}

void TDataCell::AttachOwned(std::unique_ptr<TBaseConfigCell> cell) {
  Owned = std::move(cell);
  Config = Owned.get();
}

void TDataCell::Refer(TBaseConfigCell* cell) {
  Owned.reset();
  Config = cell;
}

std::string TDataCell::AScanText() const {
  if (Config == nullptr) {
    return {};
  }
  const std::uint8_t type = Config->SIGNAL_TYPE;
  if (type > 3) {
    return {};
  }
  const std::size_t columns =
      std::min<std::size_t>({std::size_t{SamplesQuantity}, FirstMaximums.size(), FirstMinimums.size()});
  std::string text;
  text.reserve(columns * 8);
  for (std::size_t i = 0; i < columns; ++i) {
    if (type < 2) {
      text += std::to_string(FirstMaximums[i]);
    } else if (type == 2) {
      text += std::to_string(FirstMaximums[i]) + "\t" + std::to_string(FirstMinimums[i]);
    } else {
      text += std::to_string(FirstMaximums[i] - 90) + "\t" + std::to_string(FirstMinimums[i] - 90);
    }
    text += '\n';
  }
  return text;
}

namespace {

template <typename T>
std::unique_ptr<TBaseConfigCell> Make(TNumberFormat format, bool initialise = true) {
  auto cell = std::make_unique<T>(format);
  if (initialise) {
    cell->Initialise();
  }
  return cell;
}

std::unique_ptr<TBaseConfigCell> ForDeviceOne(std::uint8_t major, std::uint8_t minor,
                                              std::uint8_t local, TNumberFormat f) {
  if (major < 3) {
    return Make<TBaseConfigCell>(f, false);
  }
  if (major == 3) {
    if (minor <= 15) return Make<TBaseConfigCell>(f);
    if (minor <= 25) return Make<T3_17ConfigCell>(f);
    if (minor <= 29) return Make<T3_26ConfigCell>(f);
    if (minor <= 34) return Make<T4_08ConfigCell>(f);
    return nullptr;
  }
  if (major == 4) {
    if (local == 1) return Make<T3_26ConfigCell>(f);
    if (local == 2) return Make<T4_03ConfigCell>(f);
    if (local == 3 || local == 4) return Make<T4_08ConfigCell>(f);
    return nullptr;
  }
  if (major == 5) {
    return local == 0 ? Make<T5_00ConfigCell>(f) : Make<T5_01ConfigCell>(f);
  }
  return nullptr;
}

std::unique_ptr<TBaseConfigCell> ForDeviceTwo(std::uint8_t major, std::uint8_t minor,
                                              std::uint8_t local, TNumberFormat f) {
  if (major < 3) {
    if (minor <= 6) return Make<TBaseConfigCell>(f);
    if (minor <= 10) return Make<T3_17ConfigCell>(f);
    if (minor <= 42) return Make<T3_26ConfigCell>(f);
    return nullptr;
  }
  if (major == 3) {
    if (minor <= 6) return Make<TBaseConfigCell>(f);
    if (minor <= 8) return Make<T3_17ConfigCell>(f);
    if (minor <= 12) return Make<T3_26ConfigCell>(f);
    if (minor <= 33) {
      if (local == 1) return Make<T3_26ConfigCell>(f);
      if (local == 2 || local == 3) return Make<T4_03ConfigCell>(f);
    }
    return nullptr;
  }
  if (major == 4) {
    if (local == 1) return Make<T3_26ConfigCell>(f);
    if (local == 2) return Make<T4_03ConfigCell>(f);
    if (local == 3 || local == 4) return Make<T4_08ConfigCell>(f);
    return nullptr;
  }
  if (major == 5) {
    if (local == 1) return Make<T3_26ConfigCell>(f);
    if (local == 2) return Make<T4_03ConfigCell>(f);
    if (local == 3) return Make<T4_08ConfigCell>(f);
    if (local == 4) return Make<T5_01ConfigCell>(f);
  }
  return nullptr;
}

}  // namespace

std::unique_ptr<TBaseConfigCell> CreateConfigCellForVersion(std::uint8_t major,
                                                            std::uint8_t minor,
                                                            std::uint8_t local,
                                                            std::uint8_t device,
                                                            TNumberFormat format) {
  if (device == 1) {
    return ForDeviceOne(major, minor, local, format);
  }
  if (device == 2) {
    return ForDeviceTwo(major, minor, local, format);
  }
  return nullptr;
}

bool CreateConfigCellForVersion(std::uint8_t major, std::uint8_t minor, std::uint8_t local,
                                std::uint8_t device, TDataCell& holder, TNumberFormat format) {
  if (holder.Configuration() != nullptr) {
    return false;
  }
  auto cell = CreateConfigCellForVersion(major, minor, local, device, format);
  if (!cell) {
    return false;
  }
  holder.AttachOwned(std::move(cell));
  return true;
}

std::string ConfigClassName(const TBaseConfigCell& cell) {
  // Most derived first.
  if (dynamic_cast<const T5_01ConfigCell*>(&cell)) return "T5_01ConfigCell";
  if (dynamic_cast<const T5_00ConfigCell*>(&cell)) return "T5_00ConfigCell";
  if (dynamic_cast<const T4_08ConfigCell*>(&cell)) return "T4_08ConfigCell";
  if (dynamic_cast<const T4_03ConfigCell*>(&cell)) return "T4_03ConfigCell";
  if (dynamic_cast<const T3_26ConfigCell*>(&cell)) return "T3_26ConfigCell";
  if (dynamic_cast<const T3_17ConfigCell*>(&cell)) return "T3_17ConfigCell";
  return "TBaseConfigCell";
}

}  // namespace velt
