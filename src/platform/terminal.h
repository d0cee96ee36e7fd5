#pragma once

#include <cstdio>

namespace platform {

// Whether a stream goes to a terminal, where a line can be rewritten in
// place, rather than to a file or a pipe, where each rewrite would stay.
bool isTerminal(std::FILE *stream);

} // namespace platform
