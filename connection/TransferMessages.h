// The texts the program shows when a batch download fails or finds nothing
// (Windows-1251): the data and setup tabs and veltctl say the same.
#pragma once

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

}  // namespace velt
