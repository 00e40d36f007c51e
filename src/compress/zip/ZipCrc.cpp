#include "compress/zip/ZipCrc.h"

#include <libdeflate.h>
#include <zlib.h>

uint32_t ZipCrc32(uint32_t crc, const void* data, size_t size) { return libdeflate_crc32(crc, data, size); }

uint32_t ZipCrc32Combine(uint32_t first, uint32_t second, uint64_t secondLength) {
  return uint32_t(crc32_combine(first, second, z_off_t(secondLength)));
}
