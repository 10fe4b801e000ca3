// The texts hosts show for a parameter: its value and its unit, read from the
// parameter table. Values are internal; the two gains are the derived ones,
// so the dB texts show what the engine applies.
#pragma once
#include <cstdint>

// Writes the value text of parameter `index`; a code outside its list (or an
// index outside the table) leaves the buffer as it was.
void parameterDisplay(int32_t index, float value, float limiterGain, float outputGain, char* text);

// The unit text, or null where there is none (Stereo Link, negative indices).
// Indices past the table get the 14-blank label of the switches before them.
const char* parameterLabel(int32_t index);

// The name as the host sees it (22 characters, blanks included); null outside the table.
const char* parameterName(int32_t index);
