#pragma once
// Time values as the language's Date holds them (milliseconds since 1970 UTC) and their
// calendar fields, in UTC or in the machine's time zone; the text forms the player prints and
// the forms Date.parse reads.

#include <string>

namespace swf::avm2::calendar {

constexpr double kMsPerDay = 86400000.0;

double day(double t);
double yearFromTime(double t);
double monthFromTime(double t);  // 0..11
double dateFromTime(double t);   // 1..31
double weekDay(double t);        // 0 is Sunday
double hourFromTime(double t);
double minFromTime(double t);
double secFromTime(double t);
double msFromTime(double t);

double makeTime(double hour, double min, double sec, double ms);
double makeDay(double year, double month, double date);
double makeDate(double day, double time);
double timeClip(double t);

// The zone's offset from UTC (daylight saving included) at a UTC time, in milliseconds.
double zoneOffset(double utc);
double localTime(double utc);
double utcTime(double local);

enum class Format { Full, Date, Time, Locale, LocaleDate, LocaleTime, Utc };
std::string format(double t, Format form);
// Date.parse: NaN for text it cannot read.
double parse(const std::string& text);

}  // namespace swf::avm2::calendar
