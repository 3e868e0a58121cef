#include <connection/TransferMessages.h>

namespace velt {
namespace {

constexpr int kErrorLinkCaption = 4;
constexpr int kErrorUploadFailedText = 16;

// "Конфигурации предназначены для прибора с другой версией программы. В этот
// прибор они не переданы."
constexpr const char* kOtherFirmwareText =
    "\xCA\xEE\xED\xF4\xE8\xE3\xF3\xF0\xE0\xF6\xE8\xE8 \xEF\xF0\xE5\xE4\xED\xE0\xE7"
    "\xED\xE0\xF7\xE5\xED\xFB \xE4\xEB\xFF \xEF\xF0\xE8\xE1\xEE\xF0\xE0 \xF1 \xE4\xF0"
    "\xF3\xE3\xEE\xE9 \xE2\xE5\xF0\xF1\xE8\xE5\xE9 \xEF\xF0\xEE\xE3\xF0\xE0\xEC\xEC"
    "\xFB. \xC2 \xFD\xF2\xEE\xF2 \xEF\xF0\xE8\xE1\xEE\xF0 \xEE\xED\xE8 \xED\xE5 \xEF"
    "\xE5\xF0\xE5\xE4\xE0\xED\xFB.";
// "Конфигурации не приняты из прибора и не загружены из файла. В прибор
// ничего не передано."
constexpr const char* kNotReadFromSourceText =
    "\xCA\xEE\xED\xF4\xE8\xE3\xF3\xF0\xE0\xF6\xE8\xE8 \xED\xE5 \xEF\xF0\xE8\xED\xFF"
    "\xF2\xFB \xE8\xE7 \xEF\xF0\xE8\xE1\xEE\xF0\xE0 \xE8 \xED\xE5 \xE7\xE0\xE3\xF0"
    "\xF3\xE6\xE5\xED\xFB \xE8\xE7 \xF4\xE0\xE9\xEB\xE0. \xC2 \xEF\xF0\xE8\xE1\xEE"
    "\xF0 \xED\xE8\xF7\xE5\xE3\xEE \xED\xE5 \xEF\xE5\xF0\xE5\xE4\xE0\xED\xEE.";
// "Прибор не принял конфигурацию."
constexpr const char* kInstrumentRefusedText =
    "\xCF\xF0\xE8\xE1\xEE\xF0 \xED\xE5 \xEF\xF0\xE8\xED\xFF\xEB \xEA\xEE\xED\xF4\xE8"
    "\xE3\xF3\xF0\xE0\xF6\xE8\xFE.";
// "Не переданы в прибор конфигурации: "
constexpr const char* kNotWrittenText =
    "\xCD\xE5 \xEF\xE5\xF0\xE5\xE4\xE0\xED\xFB \xE2 \xEF\xF0\xE8\xE1\xEE\xF0 \xEA\xEE"
    "\xED\xF4\xE8\xE3\xF3\xF0\xE0\xF6\xE8\xE8: ";
// "Недопустимые значения в конфигурациях: "
constexpr const char* kInvalidCellsText =
    "\xCD\xE5\xE4\xEE\xEF\xF3\xF1\xF2\xE8\xEC\xFB\xE5 \xE7\xED\xE0\xF7\xE5\xED\xE8"
    "\xFF \xE2 \xEA\xEE\xED\xF4\xE8\xE3\xF3\xF0\xE0\xF6\xE8\xFF\xF5: ";
// "Настройки кадров не удалось прочитать, для них показаны настройки по
// умолчанию. Кадры: "
constexpr const char* kUnreadableSettingsText =
    "\xCD\xE0\xF1\xF2\xF0\xEE\xE9\xEA\xE8 \xEA\xE0\xE4\xF0\xEE\xE2 \xED\xE5 \xF3\xE4"
    "\xE0\xEB\xEE\xF1\xFC \xEF\xF0\xEE\xF7\xE8\xF2\xE0\xF2\xFC, \xE4\xEB\xFF \xED\xE8"
    "\xF5 \xEF\xEE\xEA\xE0\xE7\xE0\xED\xFB \xED\xE0\xF1\xF2\xF0\xEE\xE9\xEA\xE8 \xEF"
    "\xEE \xF3\xEC\xEE\xEB\xF7\xE0\xED\xE8\xFE. \xCA\xE0\xE4\xF0\xFB: ";
// "Прибор не принял установку часов. Часы прибора не изменены."
constexpr const char* kClockRefusedText =
    "\xCF\xF0\xE8\xE1\xEE\xF0 \xED\xE5 \xEF\xF0\xE8\xED\xFF\xEB \xF3\xF1\xF2\xE0\xED"
    "\xEE\xE2\xEA\xF3 \xF7\xE0\xF1\xEE\xE2. \xD7\xE0\xF1\xFB \xEF\xF0\xE8\xE1\xEE\xF0"
    "\xE0 \xED\xE5 \xE8\xE7\xEC\xE5\xED\xE5\xED\xFB.";

}  // namespace

std::string NumberList(const std::vector<std::uint16_t>& numbers) {
  std::string text;
  for (std::uint16_t n : numbers) {
    text += (text.empty() ? "" : ", ") + std::to_string(n);
  }
  return text;
}

TTransferMessage UploadFailureMessage(const TBatchReport& report, const TLocalStrings& strings) {
  TTransferMessage message{kTransferFailedCaption, {}};
  switch (report.Stop) {
    case TBatchStop::UnsupportedFirmware:
      message.Text = kUnsupportedFirmwareText;
      break;
    case TBatchStop::OtherFirmware:
    case TBatchStop::OtherLocalVersion:
      message.Text = kOtherFirmwareText;
      break;
    case TBatchStop::NotReadFromSource:
      message.Text = kNotReadFromSourceText;
      break;
    case TBatchStop::InstrumentRefused:
      message.Text = kInstrumentRefusedText;
      break;
    case TBatchStop::None:
      // Every slot offered went out; some were held back.
      break;
    case TBatchStop::NotReady:
    case TBatchStop::NoCells:
    case TBatchStop::TransferFailed:
      message.Caption = strings.Error(kErrorLinkCaption);
      message.Text = strings.Error(kErrorUploadFailedText);
      break;
  }
  const auto line = [&message](const char* head, const std::vector<std::uint16_t>& slots) {
    if (!slots.empty()) {
      message.Text += (message.Text.empty() ? "" : "\n") + std::string(head) + NumberList(slots) + ".";
    }
  };
  line(kInvalidCellsText, report.Invalid);
  line(kNotWrittenText, report.NotWritten);
  return message;
}

TTransferMessage DownloadFailureMessage(const TBatchReport& report, const char* failedText) {
  return {kTransferFailedCaption, report.Stop == TBatchStop::UnsupportedFirmware
                                      ? kUnsupportedFirmwareText
                                      : failedText};
}

std::string UnreadableSettingsText(const std::vector<std::uint16_t>& records) {
  return records.empty() ? std::string() : kUnreadableSettingsText + NumberList(records) + ".";
}

TTransferMessage ClockRefusedMessage() { return {kTransferFailedCaption, kClockRefusedText}; }

}  // namespace velt
