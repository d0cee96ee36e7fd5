#pragma once

// Sets up what every window of the program relies on: the application's
// name and the fonts that stand in for the design's Windows fonts.
void prepareApplication();
