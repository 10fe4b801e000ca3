// The meter's level scale: the table walk that maps amplitudes to positions,
// so the scale labels land where the meters will draw those levels.
#pragma once

// Position (0..405) of a level in decibels on the meter scale.
int levelPosition(double decibels);
