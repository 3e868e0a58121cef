// The texts the program shows when a batch transfer fails, is refused or
// finds nothing (Windows-1251): the data and setup tabs and veltctl say the
// same.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <connection/HI_Using_USB_ConnectionsUnit.h>

namespace velt {

// "Ошибка передачи"
inline constexpr const char* kTransferFailedCaption =
    "\xCE\xF8\xE8\xE1\xEA\xE0 \xEF\xE5\xF0\xE5\xE4\xE0\xF7\xE8";
// "В приборе нет записанных кадров"
inline constexpr const char* kNoRecordsInInstrumentText =
    "\xC2 \xEF\xF0\xE8\xE1\xEE\xF0\xE5 \xED\xE5\xF2 \xE7\xE0\xEF\xE8\xF1\xE0\xED\xED\xFB\xF5 "
    "\xEA\xE0\xE4\xF0\xEE\xE2";
// "Сбой при приеме кадров"
inline constexpr const char* kRecordsDownloadFailedText =
    "\xD1\xE1\xEE\xE9 \xEF\xF0\xE8 \xEF\xF0\xE8\xE5\xEC\xE5 \xEA\xE0\xE4\xF0\xEE\xE2";
// "Сбой при приеме конфигураций"
inline constexpr const char* kConfigsDownloadFailedText =
    "\xD1\xE1\xEE\xE9 \xEF\xF0\xE8 \xEF\xF0\xE8\xE5\xEC\xE5 "
    "\xEA\xEE\xED\xF4\xE8\xE3\xF3\xF0\xE0\xF6\xE8\xE9";

// "Программа прибора этой версии не поддерживается: его конфигурации и кадры
// не могут быть переданы."
inline constexpr const char* kUnsupportedFirmwareText =
    "\xCF\xF0\xEE\xE3\xF0\xE0\xEC\xEC\xE0 \xEF\xF0\xE8\xE1\xEE\xF0\xE0 \xFD\xF2\xEE"
    "\xE9 \xE2\xE5\xF0\xF1\xE8\xE8 \xED\xE5 \xEF\xEE\xE4\xE4\xE5\xF0\xE6\xE8\xE2\xE0"
    "\xE5\xF2\xF1\xFF: \xE5\xE3\xEE \xEA\xEE\xED\xF4\xE8\xE3\xF3\xF0\xE0\xF6\xE8\xE8 "
    "\xE8 \xEA\xE0\xE4\xF0\xFB \xED\xE5 \xEC\xEE\xE3\xF3\xF2 \xE1\xFB\xF2\xFC \xEF"
    "\xE5\xF0\xE5\xE4\xE0\xED\xFB.";

// A message box: caption and text, Windows-1251.
struct TTransferMessage {
  std::string Caption;
  std::string Text;
};

// Numbers joined as "3, 4, 60".
std::string NumberList(const std::vector<std::uint16_t>& numbers);

// What an upload that did not write every changed configuration tells the
// user: why, and which slots stay unwritten (and which of them hold values
// out of range).
TTransferMessage UploadFailureMessage(const TBatchReport& report, const TLocalStrings& strings);

// A download that did not run or failed: `failedText` is the operation's
// own failure text, used unless the firmware was refused.
TTransferMessage DownloadFailureMessage(const TBatchReport& report, const char* failedText);

// After a record download: the records whose settings could not be read
// (empty when there are none).
std::string UnreadableSettingsText(const std::vector<std::uint16_t>& records);

// The clock block was refused by the instrument.
TTransferMessage ClockRefusedMessage();

}  // namespace velt
