#pragma once

#include <QtGlobal>

// Some formats need large libraries (FFmpeg, TagLib, the desktop's playlist
// parser) whose linking would cost every start of the program more than the
// rest of it. The code that uses them is built as modules, loaded the first
// time they are needed and kept loaded. A module exports one function, this
// one, which gives the table of its functions.
extern "C" Q_DECL_EXPORT const void *zarvelloModule();

// The table of the module of that name, from the folder where the program
// keeps its modules; null, with a warning in the log, when it cannot be
// loaded. Loading takes a while: not on the window's thread.
const void *loadModule(const char *name);
