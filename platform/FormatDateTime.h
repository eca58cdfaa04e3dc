#pragma once

#include <QDateTime>
#include <QString>

// Writes a date-time by the date pattern language the sending services are configured
// with (the `format_date` of a service):
//   d dd ddd dddd   day, with a leading zero, short / full day name
//   ddddd dddddd    the locale's short / long date
//   m mm            month; directly after h or hh (other characters between) the minutes
//   mmm mmmm        short / full month name
//   yy yyyy         year in two / four digits (y and yyy as yy and yyyy)
//   h hh            hour, 0-23, or 1-12 when the pattern holds am/pm or a/p
//   n nn  s ss      minutes, seconds
//   z zzz           milliseconds, without / with leading zeros
//   am/pm a/p       the 12-hour marker, in the case written in the pattern
//   / :             the locale's date and time separators
//   c               short date, a space, long time (no time at exactly midnight)
//   "..." '...'     copied without the quotes
// Letters may be written in either case; every other character is copied. An empty
// pattern is written as "c". Names and separators come from the default QLocale.
QString FormatDateTime(const QString& motif, const QDateTime& valeur);
