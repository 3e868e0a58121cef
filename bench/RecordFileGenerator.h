// Record files of the size an instrument's full memory gives (1000 records,
// ~100 MB), written by the program's own writer, for the benchmarks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>

#include <records/RecordCollectionsUnit.h>
#include <records/RecordFilesUnit.h>

namespace velt::bench {

// The record count of a run: VELT_BENCH_RECORDS when set (1..65535), else
// 1000, so that CI can run the benchmarks small.
std::uint16_t RecordCountFromEnvironment();

// `count` records of firmware 3.26 (device type 1), filled with
// pseudo-random B-scans, envelopes, setups and a few comments; the same
// content for the same seed.
void FillCollection(TFlawDataBlock& block, std::uint16_t count, std::uint32_t seed = 1);

TFileResult GenerateRecordFile(const std::filesystem::path& path, std::uint16_t count);

// What an opened collection occupies, from the sizes of its records, their
// configuration cells and what these own on the heap.
std::size_t EstimatedCollectionBytes(const TFlawDataBlock& block);

}  // namespace velt::bench
