#pragma once

#include <optional>

// zarvello --sync FOLDER [--dry-run] [--delete]: the PSP whose root is FOLDER
// follows its list, from a terminal, with no display. One progress line, a
// summary, and an exit status that is 0 only when everything planned was
// done; the reasons for what was not go to standard error.
std::optional<int> answerSyncOption(int argc, char *argv[]);
