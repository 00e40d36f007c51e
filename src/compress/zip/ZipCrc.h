#pragma once
// The CRC-32 of ZIP entries: one fast implementation for the writer and the readers alike.
#include <cstddef>
#include <cstdint>

uint32_t ZipCrc32(uint32_t crc, const void* data, size_t size);
// The CRC of two byte runs joined, from their CRCs and the second run's length.
uint32_t ZipCrc32Combine(uint32_t first, uint32_t second, uint64_t secondLength);
