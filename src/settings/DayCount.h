#pragma once
// Date-times in the database: days since 1899-12-30 00:00 local time, the time of day as the
// fraction.
#include <QDateTime>

double DateTimeToDayCount(const QDateTime& dateTime);
QDateTime DayCountToDateTime(double dayCount);
