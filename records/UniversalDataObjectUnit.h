// The flaw record: one inspection result the instrument stored (the A-scan
// envelopes of that moment, a B-scan block, the setup in force, comments),
// also the drawing carrier of the setup and online views; and the variant
// factory that picks the configuration class for a firmware version.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <config/BaseConfigObjectsUnit.h>

namespace velt {

inline constexpr std::uint16_t kRecordArraySize = 320;
inline constexpr int kBScanColumns = 224;
inline constexpr int kBScanSamples = 88;
inline constexpr int kAveragingCapacity = 32;
inline constexpr std::uint8_t kNoObject = 255;
inline constexpr std::uint16_t kNoTgvPoint = 65535;
inline constexpr std::uint8_t kFullScale = 180;

// A measured value's recent history, for averaging.
struct TAveragingHistory {
  std::uint8_t Capacity = kAveragingCapacity;
  std::uint8_t Count = 0;
  std::array<double, kAveragingCapacity + 1> Values{};  // entries 1..32 are used
};

class TDataCell {
 public:
  explicit TDataCell(std::uint16_t arraySize = kRecordArraySize);
  ~TDataCell() = default;
  TDataCell(const TDataCell&) = delete;
  TDataCell& operator=(const TDataCell&) = delete;

  // Zeroes the B-scan, the print flag, the report mark and the used
  // entries of the four envelopes; everything else stays.
  void ClearContents();
  // Clears the contents and, unless told to keep it, destroys the attached
  // configuration cell.
  void Release(bool keepConfiguration);
  void ResetAveraging();
  static std::uint8_t ClampSample(std::uint8_t value) { return value > kFullScale ? kFullScale : value; }

  // The A-scan as the text Copy data puts on the clipboard: one line per
  // display column, ended by a line feed; empty for unknown signal types.
  std::string AScanText() const;

  // The configuration in force: owned by a record of the flaw collection,
  // only referred to by the drawing record of the configuration collection.
  TBaseConfigCell* Configuration() const { return Config; }
  void AttachOwned(std::unique_ptr<TBaseConfigCell> cell);
  void Refer(TBaseConfigCell* cell);  // the drawing record: not owned
  bool OwnsConfiguration() const { return Owned != nullptr; }

  std::array<double, kRecordArraySize> DgsCurve1{};
  std::array<double, kRecordArraySize> DgsCurve2{};
  std::array<double, kRecordArraySize> DgsCurve3{};
  std::uint8_t MajorVersion = 0;
  std::uint8_t MinorVersion = 0;
  std::uint8_t ConfigLocalVersion = 0;
  std::uint8_t DeviceIndex = 0;
  std::vector<std::uint8_t> FirstMaximums;
  std::vector<std::uint8_t> SecondMaximums;
  std::vector<std::uint8_t> FirstMinimums;
  std::vector<std::uint8_t> SecondMinimums;
  std::array<std::array<std::uint8_t, kBScanSamples>, kBScanColumns> BScan{};
  std::uint16_t ArraySize = 0;
  std::uint16_t SamplesQuantity = 0;
  std::uint16_t FlawNumber = 0;
  std::uint8_t PrintFlag = 0;
  std::uint8_t ReportMark = 0;
  // The settings received with the record did not validate: the record
  // keeps its envelopes but holds the default settings instead. Known only
  // for records received from the instrument; files do not keep it.
  bool UnreadableSettings = false;
  std::vector<std::string> Comments;
  std::uint8_t GrabbedObject = kNoObject;
  std::uint8_t HoverObject = kNoObject;
  std::uint16_t GrabOffset = 0;
  std::uint16_t TgvPointUnderMouse = kNoTgvPoint;
  std::uint16_t TgvPositionUnderMouse = kNoTgvPoint;
  TAveragingHistory AveragingHistory1;
  TAveragingHistory AveragingHistory2;

 private:
  std::unique_ptr<TBaseConfigCell> Owned;
  TBaseConfigCell* Config = nullptr;
};

// The configuration class a firmware writes: null when no class applies
// (then the caller's holder keeps what it had). Every class but the
// oldest row's is initialised right after creation.
std::unique_ptr<TBaseConfigCell> CreateConfigCellForVersion(std::uint8_t major,
                                                            std::uint8_t minor,
                                                            std::uint8_t local,
                                                            std::uint8_t device,
                                                            TNumberFormat format = {});

// The same, attached to a record that has no configuration yet; false when
// no class applies or the record already has one.
bool CreateConfigCellForVersion(std::uint8_t major, std::uint8_t minor, std::uint8_t local,
                                std::uint8_t device, TDataCell& holder,
                                TNumberFormat format = {});

// The class name of a cell, "TBaseConfigCell" .. "T5_01ConfigCell".
std::string ConfigClassName(const TBaseConfigCell& cell);

}  // namespace velt
