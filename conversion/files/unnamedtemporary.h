#pragma once

// Opens a new file for reading and writing in the system's temporary folder that has no name,
// or loses it at once where the file system keeps none, so that nothing is left behind
// whatever ends the program. Returns the descriptor, or -1 with errno set.
int openUnnamedTemporary();
