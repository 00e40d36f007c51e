#pragma once
// The whole-buffer read and write loops the engine's streams are built on, over the program's one
// file-descriptor owner and path form.
#include <QString>

#include <cstddef>
#include <cstdint>
#include <string>

#include "util/FileDescriptor.h"
#include "util/NativePath.h"

TFileDescriptor OpenForReading(const std::string& path);
// Reads exactly `size` bytes at `offset`; false on error or end of file.
bool ReadAt(int fd, char* data, size_t size, uint64_t offset);
// Reads up to `size` bytes at `offset`; the count read, or -1 on error.
int64_t ReadSomeAt(int fd, char* data, size_t size, uint64_t offset);
// Writes the whole buffer at the current position; false on error (errno kept).
bool WriteAll(int fd, const char* data, size_t size);
// Writes the whole buffer at `offset` without moving the position.
bool WriteAllAt(int fd, const char* data, size_t size, uint64_t offset);
