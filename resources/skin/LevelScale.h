// The meter's level scale: where each labelled level sits, from the corners
// of the piecewise-linear scale that the engine's level tables are built on.
#pragma once

// Position (0..405) of a labelled level in decibels on the meter scale:
// -96, -60, -20, -11, -9, -7, -5, -3, -1, 0 and 1 to 16. -1 for others.
int levelPosition(int decibels);
