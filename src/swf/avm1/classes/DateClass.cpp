// Date: time values in milliseconds since 1970 UTC, split into calendar fields in the machine's
// time zone or in UTC. The arithmetic follows the original player where it differs from the
// ECMAScript rules: the constructor keeps its value unclipped, setters of a NaN or infinite
// date give NaN, and values that do not fit a 32-bit integer become INT32_MIN where the player
// converts to an integer (which is how infinite dates get their odd fields).

#include <time.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <string>

#include "swf/avm1/classes/Builtins.h"
#include "swf/avm1/classes/DateObject.h"
#include "swf/avm1/machine/Machine.h"
#include "swf/avm1/machine/NativeMember.h"
#include "swf/avm1/machine/NumberConversion.h"

namespace swf::avm1 {
namespace {

constexpr double kMsPerDay = 86400000.0;
constexpr double kMaxTime = 8.64e15;  // the setters' range: 100 million days each side

// A double to int32 as the x86 conversion does it: NaN and anything out of range give
// INT32_MIN.
int32_t toInt32Truncated(double value) {
    if (!(value >= -2147483648.0 && value < 2147483648.0)) return INT32_MIN;
    return static_cast<int32_t>(value);
}

bool isLeapYear(double year) {
    return std::fmod(year, 4) == 0 && (std::fmod(year, 100) != 0 || std::fmod(year, 400) == 0);
}

// Days before the first of each month, and the year's length, for common and leap years.
constexpr std::array<std::array<int, 13>, 2> kMonthStarts = {{
    {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334, 365},
    {0, 31, 60, 91, 121, 152, 182, 213, 244, 274, 305, 335, 366},
}};

double dayFromYear(double year) {
    return 365 * (year - 1970) + std::floor((year - 1969) / 4) - std::floor((year - 1901) / 100) +
           std::floor((year - 1601) / 400);
}

// The day number of a date; a month outside 0..11 moves the year, an infinite date stays one.
double makeDay(double year, double month, double date) {
    if (!std::isfinite(year) || !std::isfinite(month)) return kNaN;
    double years = std::floor(month / 12);
    double wholeYear = year + years;
    int monthIndex = static_cast<int>(std::clamp(month - years * 12, 0.0, 11.0));
    return dayFromYear(wholeYear) + kMonthStarts[isLeapYear(wholeYear)][monthIndex] + date - 1;
}

double makeTime(double hours, double minutes, double seconds, double ms) {
    return hours * 3600000 + minutes * 60000 + seconds * 1000 + ms;
}

double makeDate(double day, double time) {
    return day * kMsPerDay + time;
}

// What the setters store: whole milliseconds within the range, otherwise NaN.
double timeClip(double time) {
    if (!std::isfinite(time) || std::fabs(time) > kMaxTime) return kNaN;
    return std::trunc(time) + 0.0;
}

// The machine's zone offset (daylight saving included) at a UTC time, in milliseconds. Times
// beyond what the C library converts take the offset at the end of its range.
double zoneOffsetMs(double time) {
    if (!std::isfinite(time)) return 0;
    constexpr double kLimitSeconds = kMaxTime / 1000 + 86400 * 2;
    double seconds = std::clamp(std::floor(time / 1000), -kLimitSeconds, kLimitSeconds);
    time_t t = static_cast<time_t>(seconds);
    struct tm fields {};
    if (!localtime_r(&t, &fields)) return 0;
    return static_cast<double>(fields.tm_gmtoff) * 1000;
}

double localTime(double time) {
    return time + zoneOffsetMs(time);
}

double utcFromLocal(double local) {
    if (!std::isfinite(local)) return local;
    return local - zoneOffsetMs(local - zoneOffsetMs(local));
}

// The movie's clock: a fixed local start (the date the reference traces were recorded at)
// plus the movie's own time, so that every conversion of a movie sees the same dates.
double clockNow(Machine& m) {
    return utcFromLocal(makeDate(makeDay(2001, 1, 3), makeTime(4, 5, 6, 0))) + m.movieTimeMs();
}

struct Fields {
    int64_t year = 0;
    int month = 0;
    int64_t date = 0;
    int32_t weekday = 0;
    int32_t hours = 0;
    int32_t minutes = 0;
    int32_t seconds = 0;
    int32_t ms = 0;
};

// floor(time / unit) modulo `count`, through the player's integer conversion.
int32_t wrappedUnits(double time, double unit, int32_t count) {
    int32_t r = toInt32Truncated(std::fmod(std::floor(time / unit), count));
    return r < 0 ? r + count : r;
}

// The hour the getters and toString show: the player goes through seconds and minutes,
// which is exact within millennia of 1970 but near the ends of the range reads a
// millisecond short of an hour as the next hour. The setters use the exact hour.
int32_t shownHours(double time) {
    int32_t r = toInt32Truncated(std::fmod(std::floor(time / 1000 * (1 / 60.0) / 60), 24));
    return r < 0 ? r + 24 : r;
}

// The calendar fields of a time (local or UTC) that is not NaN.
Fields split(double time) {
    Fields f;
    double day = std::floor(time / kMsPerDay);
    double estimate = std::floor(day / 365.2425);
    if (estimate >= -2147483648.0 && estimate < 2147483648.0) {
        f.year = 1970 + static_cast<int64_t>(estimate);
        for (int i = 0; i < 4 && dayFromYear(static_cast<double>(f.year)) > day; ++i) --f.year;
        for (int i = 0; i < 4 && dayFromYear(static_cast<double>(f.year + 1)) <= day; ++i) ++f.year;
    } else {
        f.year = 1970 + static_cast<int64_t>(INT32_MIN);
    }
    int32_t dayInYear = toInt32Truncated(day - dayFromYear(static_cast<double>(f.year)));
    const auto& starts = kMonthStarts[isLeapYear(static_cast<double>(f.year))];
    while (f.month < 11 && dayInYear >= starts[f.month + 1]) ++f.month;
    f.date = static_cast<int64_t>(dayInYear) - starts[f.month] + 1;
    f.weekday = toInt32Truncated(std::fmod(day + 4, 7));
    if (f.weekday < 0) f.weekday += 7;
    f.hours = wrappedUnits(time, 3600000, 24);
    f.minutes = wrappedUnits(time, 60000, 60);
    f.seconds = wrappedUnits(time, 1000, 60);
    f.ms = toInt32Truncated(std::fmod(time, 1000));
    if (f.ms < 0) f.ms += 1000;
    return f;
}

// "Sat Feb 3 04:05:06 GMT+0545 2001".
std::string formatDate(double time) {
    if (!std::isfinite(time)) return "Invalid Date";
    static constexpr const char* kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                              "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    double local = localTime(time);
    Fields f = split(local);
    f.hours = shownHours(local);
    long offset = std::lround(zoneOffsetMs(time) / 60000);
    long absOffset = offset < 0 ? -offset : offset;
    char text[96];
    std::snprintf(text, sizeof text, "%s %s %lld %02d:%02d:%02d GMT%c%02ld%02ld %lld",
                  kDays[std::clamp(f.weekday, 0, 6)], kMonths[f.month],
                  static_cast<long long>(f.date), f.hours, f.minutes, f.seconds,
                  offset < 0 ? '-' : '+', absOffset / 60, absOffset % 60,
                  static_cast<long long>(f.year));
    return text;
}

DateObject* dateOf(Object* self) {
    return dynamic_cast<DateObject*>(self);
}

// The constructor's and Date.UTC's fields: years before 100 count from 1900, the year goes
// through the integer conversion (NaN becomes INT32_MIN), the rest keep NaN and infinities.
double timeFromArguments(Machine& m, std::span<const Value> args) {
    std::array<double, 7> v = {0, 0, 1, 0, 0, 0, 0};
    for (size_t i = 0; i < v.size() && i < args.size(); ++i) v[i] = m.toNumber(args[i]);
    v[0] = toInt32Truncated(v[0] < 100 ? v[0] + 1900 : v[0]);
    for (double& field : v) field = std::trunc(field);
    return makeDate(makeDay(v[0], v[1], v[2]), makeTime(v[3], v[4], v[5], v[6]));
}

enum class Field { FullYear, Year, Month, Date, Day, Hours, Minutes, Seconds, Milliseconds };

double fieldValue(const Fields& f, Field field) {
    switch (field) {
        case Field::FullYear:
            return static_cast<double>(f.year);
        case Field::Year:
            return static_cast<double>(f.year - 1900);
        case Field::Month:
            return f.month;
        case Field::Date:
            return static_cast<double>(f.date);
        case Field::Day:
            return f.weekday;
        case Field::Hours:
            return f.hours;
        case Field::Minutes:
            return f.minutes;
        case Field::Seconds:
            return f.seconds;
        case Field::Milliseconds:
            return f.ms;
    }
    return kNaN;
}

// How a setter reads an argument.
enum class Convert {
    Plain,      // whole part, NaN and infinities kept
    Year,       // whole part; NaN and infinities make the date NaN
    ShortYear,  // as Year, 0..99 counting from 1900 (setYear)
    Month,      // whole part, NaN read as 0
    Integer,    // the integer conversion: NaN and infinities become INT32_MIN (setMinutes)
};

double convertArgument(double n, Convert how) {
    switch (how) {
        case Convert::Plain:
            return std::trunc(n);
        case Convert::Year:
        case Convert::ShortYear:
            if (!std::isfinite(n)) return kNaN;
            n = std::trunc(n);
            return how == Convert::ShortYear && n >= 0 && n <= 99 ? n + 1900 : n;
        case Convert::Month:
            return std::isnan(n) ? 0 : std::trunc(n);
        case Convert::Integer:
            return toInt32Truncated(n);
    }
    return kNaN;
}

// What a setter sets and how it reads its arguments.
struct Setter {
    bool utc;
    int first;  // index of the first field set: year, month, date, hours, minutes, seconds, ms
    int count;  // how many fields the arguments may set
    Convert firstConvert;
    Convert restConvert;
};

// Replaces fields of a finite date, then clips the result; other dates become NaN.
template <Setter s>
Value setFields(Machine& m, Object* self, std::span<const Value> args) {
    DateObject* date = dateOf(self);
    if (!date) return Value();
    std::array<double, 7> given{};
    size_t n = std::max<size_t>(1, std::min<size_t>(args.size(), s.count));
    for (size_t i = 0; i < n; ++i)
        given[i] =
            convertArgument(m.toNumber(arg(args, i)), i == 0 ? s.firstConvert : s.restConvert);
    double time = date->time();
    if (!std::isfinite(time)) {
        date->setTime(kNaN);
        return Value(kNaN);
    }
    Fields f = split(s.utc ? time : localTime(time));
    std::array<double, 7> v = {static_cast<double>(f.year),    static_cast<double>(f.month),
                               static_cast<double>(f.date),    static_cast<double>(f.hours),
                               static_cast<double>(f.minutes), static_cast<double>(f.seconds),
                               static_cast<double>(f.ms)};
    for (size_t i = 0; i < n; ++i) v[s.first + i] = given[i];
    double result = makeDate(makeDay(v[0], v[1], v[2]), makeTime(v[3], v[4], v[5], v[6]));
    date->setTime(timeClip(s.utc ? result : utcFromLocal(result)));
    return Value(date->time());
}

// A getter: the field of the date, local or universal.
struct Getter {
    bool utc;
    Field field;
};

template <Getter g>
Value getField(Machine&, Object* self, std::span<const Value>) {
    DateObject* date = dateOf(self);
    if (!date) return Value();
    double time = date->time();
    if (std::isnan(time)) return Value(kNaN);
    if (!g.utc) time = localTime(time);
    Fields f = split(time);
    f.hours = shownHours(time);
    return Value(fieldValue(f, g.field));
}

Value dateConstruct(Machine& m, Object* self, std::span<const Value> args) {
    bool constructing = m.constructing();
    // Date() called as a function is the clock's time as text, whatever it is given.
    if (!constructing) return Value(formatDate(clockNow(m)));
    double time;
    if (args.empty()) {
        time = clockNow(m);
    } else if (args.size() == 1) {
        // A date (or any object) gives its valueOf: a date's text is no number.
        Value v = args[0].isObject() ? m.callMethod(args[0], "valueOf", {}) : args[0];
        time = m.toNumber(v);
    } else {
        time = utcFromLocal(timeFromArguments(m, args));
    }
    if (DateObject* date = dateOf(self)) date->setTime(time);
    return Value(self);
}

Object* makeDateObject(Machine& m, Object* prototype) {
    return m.heap().make<DateObject>(prototype);
}

Value dateUtc(Machine& m, Object*, std::span<const Value> args) {
    if (args.size() < 2) return Value();
    return Value(timeFromArguments(m, args));
}

Value dateTimeOf(Machine&, Object* self, std::span<const Value>) {
    DateObject* date = dateOf(self);
    return date ? Value(date->time()) : Value();
}

Value dateTimezoneOffset(Machine&, Object* self, std::span<const Value>) {
    DateObject* date = dateOf(self);
    if (!date) return Value();
    // Computed as the player does, so that huge times show its rounding.
    return Value((date->time() - localTime(date->time())) / 60000);
}

Value dateSetTime(Machine& m, Object* self, std::span<const Value> args) {
    DateObject* date = dateOf(self);
    if (!date) return Value();
    date->setTime(timeClip(m.toNumber(arg(args, 0))));
    return Value(date->time());
}

Value dateToString(Machine&, Object* self, std::span<const Value>) {
    DateObject* date = dateOf(self);
    return date ? Value(formatDate(date->time())) : Value();
}

using native::method;

constexpr NativeMember kDateStatics[] = {
    method("UTC", dateUtc).numbered(103, 257),
};

// The player numbers the local getters and setters from 0, the universal ones from 128.
constexpr NativeMember kDateMethods[] = {
    method("getFullYear", getField<Getter{false, Field::FullYear}>).numbered(103, 0),
    method("getYear", getField<Getter{false, Field::Year}>).numbered(103, 1),
    method("getMonth", getField<Getter{false, Field::Month}>).numbered(103, 2),
    method("getDate", getField<Getter{false, Field::Date}>).numbered(103, 3),
    method("getDay", getField<Getter{false, Field::Day}>).numbered(103, 4),
    method("getHours", getField<Getter{false, Field::Hours}>).numbered(103, 5),
    method("getMinutes", getField<Getter{false, Field::Minutes}>).numbered(103, 6),
    method("getSeconds", getField<Getter{false, Field::Seconds}>).numbered(103, 7),
    method("getMilliseconds", getField<Getter{false, Field::Milliseconds}>).numbered(103, 8),
    method("getUTCFullYear", getField<Getter{true, Field::FullYear}>).numbered(103, 128),
    method("getUTCYear", getField<Getter{true, Field::Year}>).numbered(103, 129),
    method("getUTCMonth", getField<Getter{true, Field::Month}>).numbered(103, 130),
    method("getUTCDate", getField<Getter{true, Field::Date}>).numbered(103, 131),
    method("getUTCDay", getField<Getter{true, Field::Day}>).numbered(103, 132),
    method("getUTCHours", getField<Getter{true, Field::Hours}>).numbered(103, 133),
    method("getUTCMinutes", getField<Getter{true, Field::Minutes}>).numbered(103, 134),
    method("getUTCSeconds", getField<Getter{true, Field::Seconds}>).numbered(103, 135),
    method("getUTCMilliseconds", getField<Getter{true, Field::Milliseconds}>).numbered(103, 136),
    method("setFullYear", setFields<Setter{false, 0, 3, Convert::Year, Convert::Plain}>)
        .numbered(103, 9),
    method("setUTCFullYear", setFields<Setter{true, 0, 3, Convert::Year, Convert::Plain}>)
        .numbered(103, 137),
    method("setYear", setFields<Setter{false, 0, 3, Convert::ShortYear, Convert::Plain}>)
        .numbered(103, 20),
    method("setMonth", setFields<Setter{false, 1, 2, Convert::Month, Convert::Plain}>)
        .numbered(103, 10),
    method("setUTCMonth", setFields<Setter{true, 1, 2, Convert::Month, Convert::Plain}>)
        .numbered(103, 138),
    method("setDate", setFields<Setter{false, 2, 1, Convert::Plain, Convert::Plain}>)
        .numbered(103, 11),
    method("setUTCDate", setFields<Setter{true, 2, 1, Convert::Plain, Convert::Plain}>)
        .numbered(103, 139),
    method("setHours", setFields<Setter{false, 3, 4, Convert::Plain, Convert::Plain}>)
        .numbered(103, 12),
    method("setUTCHours", setFields<Setter{true, 3, 4, Convert::Plain, Convert::Plain}>)
        .numbered(103, 140),
    method("setMinutes", setFields<Setter{false, 4, 3, Convert::Integer, Convert::Integer}>)
        .numbered(103, 13),
    method("setUTCMinutes", setFields<Setter{true, 4, 3, Convert::Integer, Convert::Integer}>)
        .numbered(103, 141),
    method("setSeconds", setFields<Setter{false, 5, 2, Convert::Plain, Convert::Plain}>)
        .numbered(103, 14),
    method("setUTCSeconds", setFields<Setter{true, 5, 2, Convert::Plain, Convert::Plain}>)
        .numbered(103, 142),
    method("setMilliseconds", setFields<Setter{false, 6, 1, Convert::Plain, Convert::Plain}>)
        .numbered(103, 15),
    method("setUTCMilliseconds", setFields<Setter{true, 6, 1, Convert::Plain, Convert::Plain}>)
        .numbered(103, 143),
    method("getTime", dateTimeOf).numbered(103, 16),
    method("valueOf", dateTimeOf),
    method("getTimezoneOffset", dateTimezoneOffset).numbered(103, 18),
    method("setTime", dateSetTime).numbered(103, 17),
    method("toString", dateToString).numbered(103, 19),
};

}  // namespace

void installDateClass(Machine& m) {
    Object* proto = m.newObject();
    m.prototypes().date = proto;
    installClass(m, m.global(), proto,
                 {"Date", dateConstruct, makeDateObject, {103, 256}, kDateStatics, kDateMethods});
}

}  // namespace swf::avm1
