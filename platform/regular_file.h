// Opening a file for reading only when it is a regular file. Settings,
// window placements and album caches are read at start-up and on every disc;
// a FIFO or a device put in their place must not block the program (a plain
// open of a FIFO waits for a writer) or feed it endless bytes.
#pragma once

#include <string>

// Opens `path` read-only without blocking and returns the descriptor when it
// is a regular file. Otherwise returns -1 with errno set: the open's own error
// (ENOENT for a missing file, EACCES, ...), EISDIR for a folder, and EINVAL
// for anything else that is not a regular file (FIFO, socket, device).
int OpenRegularFileForRead(const std::string& path);
