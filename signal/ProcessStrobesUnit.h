// The online trace processing: evaluates the two strobes of the working
// configuration on a live frame and places the cursor and the amplitude
// marker there, the way the instrument does, by its STROBE_ALGORYTHM.
#pragma once

#include <cstdint>

#include <records/UniversalDataObjectUnit.h>

namespace velt {

// Strobe numbers here are 1 and 2 (0 = none); the cell's strobe operations
// take 0 for strobe 1 and anything else for strobe 2.
//
// Every column the searches read is checked against the arrays the record
// actually holds: a strobe that begins past the last held column is treated
// like one that begins past the picture, and its end is clipped to the last
// held column. The configuration keeps its values as they are.

// The rule STROBE_ALGORYTHM selects (0 first crossing, 1 peak, 2 N-th echo,
// 3 two strobes); the strobe the crossing search found, or 0. A record
// without a configuration, or any other rule, changes nothing and gives 0.
std::uint8_t ProcessStrobes(TDataCell& record);

// The first column above the threshold, strobe 1 first, strobe 2 only when
// strobe 1 gave no hit; moves the cursor there (column + 1) when asked.
// The strobe found, or 0 (then nothing changes).
std::uint8_t FindCrossing(TDataCell& record, bool setCursor);

// The highest sample of the strobe: the marker goes to it, and the cursor
// too unless told to keep it (a peak at column 0 never moves it).
// Strobe 0 clears the marker and gives 0; a strobe that is not evaluated
// gives 0 and changes nothing. Otherwise the strobe.
std::uint8_t FindPeak(TDataCell& record, std::uint8_t strobe, bool keepCursor);

// The peak of the pulse-th echo of the strobe, echoes counted by their
// rising crossings of the threshold in the first maximums: marker and cursor
// go there; with fewer echoes the marker becomes 0 and the cursor stays.
// Strobe 0 clears the marker and gives 0; a strobe that is not evaluated
// gives 0 and changes nothing. Otherwise the strobe.
std::uint8_t FindPulse(TDataCell& record, std::uint8_t strobe, std::uint8_t pulse);

}  // namespace velt
