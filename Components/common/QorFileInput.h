// Reading a file by name without ever blocking or reading without end: only regular files are
// opened. A FIFO would wait for a writer for ever, a device may never end (/dev/zero) or act
// on being opened, so neither is opened at all.
#pragma once

#include <cstdint>
#include <string>

// A descriptor of FileName open for reading, or -1 with the reason in Error ("a folder", "not a
// regular file", or the system's text). The kind is checked by name before the file
// is opened and again on the open descriptor, so a file swapped meanwhile is refused too.
int OpenRegularFile(const std::string& FileName, std::string& Error);

// The whole of a regular file of at most MaxBytes bytes. False with the reason in Error
// ("larger than 64 MiB" when it is larger).
bool ReadRegularFile(const std::string& FileName, uint64_t MaxBytes, std::string& Bytes,
                     std::string& Error);

// "12 MiB", "3 KiB" or "100 bytes": a limit as a message says it.
std::string ByteCountText(uint64_t Bytes);
