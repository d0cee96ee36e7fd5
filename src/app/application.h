#pragma once

// Sets up what every window of the program relies on: the application's
// name and the fonts that stand in for the Windows fonts the windows ask for.
void prepareApplication();
