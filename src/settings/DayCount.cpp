#include "settings/DayCount.h"

#include <cmath>

namespace {
constexpr double kMsecsPerDay = 86400000.0;
const QDate kEpoch(1899, 12, 30);
}  // namespace

// Before the epoch the integer part counts back while the fraction still counts forward from
// midnight (-1.25 is 1899-12-29 06:00), as in the day counts other programs store.
double DateTimeToDayCount(const QDateTime& dateTime) {
  const QDateTime local = dateTime.toLocalTime();
  const double days = double(kEpoch.daysTo(local.date()));
  const double fraction = local.time().msecsSinceStartOfDay() / kMsecsPerDay;
  return days >= 0 ? days + fraction : days - fraction;
}

QDateTime DayCountToDateTime(double dayCount) {
  if (!std::isfinite(dayCount) || std::fabs(dayCount) > 3e6) return {};
  const double days = std::trunc(dayCount);
  qint64 msecs = std::llround(std::fabs(dayCount - days) * kMsecsPerDay);
  QDate date = kEpoch.addDays(qint64(days));
  if (msecs >= qint64(kMsecsPerDay)) {
    msecs -= qint64(kMsecsPerDay);
    date = date.addDays(1);
  }
  return QDateTime(date, QTime::fromMSecsSinceStartOfDay(int(msecs)));
}
