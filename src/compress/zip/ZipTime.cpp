#include "compress/zip/ZipTime.h"

#include <ctime>

namespace {
constexpr uint32_t kEarliest = (0u << 25 | 1u << 21 | 1u << 16);  // 1980-01-01 00:00:00
constexpr uint32_t kLatest = (127u << 25 | 12u << 21 | 31u << 16 | 23u << 11 | 59u << 5 | 29u);
}  // namespace

uint32_t ToDosDateTime(int64_t unixSeconds) {
  const time_t t = time_t(unixSeconds);
  struct tm local {};
  if (!localtime_r(&t, &local)) return kEarliest;
  if (local.tm_year < 80) return kEarliest;
  if (local.tm_year > 80 + 127) return kLatest;
  return uint32_t(local.tm_year - 80) << 25 | uint32_t(local.tm_mon + 1) << 21 |
         uint32_t(local.tm_mday) << 16 | uint32_t(local.tm_hour) << 11 | uint32_t(local.tm_min) << 5 |
         uint32_t(local.tm_sec / 2);
}

int64_t FromDosDateTime(uint32_t dos) {
  struct tm local {};
  local.tm_year = int((dos >> 25) & 0x7f) + 80;
  local.tm_mon = int((dos >> 21) & 0x0f) - 1;
  local.tm_mday = int((dos >> 16) & 0x1f);
  local.tm_hour = int((dos >> 11) & 0x1f);
  local.tm_min = int((dos >> 5) & 0x3f);
  local.tm_sec = int(dos & 0x1f) * 2;
  local.tm_isdst = -1;
  return int64_t(mktime(&local));
}
