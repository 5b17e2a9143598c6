#include "swf/avm2/Calendar.h"

#include <time.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <limits>
#include <vector>

namespace swf::avm2::calendar {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr const char* kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

double positiveModulo(double a, double b) {
    double r = std::fmod(a, b);
    return r < 0 ? r + b : r;
}

double daysInYear(double y) {
    if (std::fmod(y, 4) != 0) return 365;
    if (std::fmod(y, 100) != 0) return 366;
    return std::fmod(y, 400) == 0 ? 366 : 365;
}

double dayFromYear(double y) {
    return 365 * (y - 1970) + std::floor((y - 1969) / 4) - std::floor((y - 1901) / 100) + std::floor((y - 1601) / 400);
}

double dayWithinYear(double t) {
    return day(t) - dayFromYear(yearFromTime(t));
}

// Days before each month's first, in a common year.
constexpr int kMonthStarts[13] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334, 365};

double monthStart(int month, bool leap) {
    return kMonthStarts[month] + (leap && month >= 2 ? 1 : 0);
}

}  // namespace

double day(double t) {
    return std::floor(t / kMsPerDay);
}

double yearFromTime(double t) {
    if (!std::isfinite(t)) return kNaN;
    double d = day(t);
    double y = std::floor(d / 365.2425) + 1970;
    for (int i = 0; i < 8 && dayFromYear(y) > d; ++i) --y;
    for (int i = 0; i < 8 && dayFromYear(y + 1) <= d; ++i) ++y;
    return y;
}

double monthFromTime(double t) {
    if (!std::isfinite(t)) return kNaN;
    double d = dayWithinYear(t);
    bool leap = daysInYear(yearFromTime(t)) == 366;
    int m = 0;
    while (m < 11 && d >= monthStart(m + 1, leap)) ++m;
    return m;
}

double dateFromTime(double t) {
    if (!std::isfinite(t)) return kNaN;
    bool leap = daysInYear(yearFromTime(t)) == 366;
    return dayWithinYear(t) - monthStart(static_cast<int>(monthFromTime(t)), leap) + 1;
}

double weekDay(double t) {
    return std::isfinite(t) ? positiveModulo(day(t) + 4, 7) : kNaN;
}
double hourFromTime(double t) {
    return std::isfinite(t) ? positiveModulo(std::floor(t / 3600000), 24) : kNaN;
}
double minFromTime(double t) {
    return std::isfinite(t) ? positiveModulo(std::floor(t / 60000), 60) : kNaN;
}
double secFromTime(double t) {
    return std::isfinite(t) ? positiveModulo(std::floor(t / 1000), 60) : kNaN;
}
double msFromTime(double t) {
    return std::isfinite(t) ? positiveModulo(t, 1000) : kNaN;
}

double makeTime(double hour, double min, double sec, double ms) {
    if (!std::isfinite(hour) || !std::isfinite(min) || !std::isfinite(sec) || !std::isfinite(ms)) return kNaN;
    return std::trunc(hour) * 3600000 + std::trunc(min) * 60000 + std::trunc(sec) * 1000 + std::trunc(ms);
}

double makeDay(double year, double month, double date) {
    if (!std::isfinite(year) || !std::isfinite(month) || !std::isfinite(date)) return kNaN;
    year = std::trunc(year);
    month = std::trunc(month);
    date = std::trunc(date);
    double y = year + std::floor(month / 12);
    if (std::fabs(y) > 400000) return kNaN;
    int m = static_cast<int>(positiveModulo(month, 12));
    return dayFromYear(y) + monthStart(m, daysInYear(y) == 366) + date - 1;
}

double makeDate(double day, double time) {
    if (!std::isfinite(day) || !std::isfinite(time)) return kNaN;
    return day * kMsPerDay + time;
}

double timeClip(double t) {
    if (!std::isfinite(t) || std::fabs(t) > 8.64e15) return kNaN;
    return std::trunc(t) + 0.0;
}

double zoneOffset(double utc) {
    if (!std::isfinite(utc)) return 0;
    // Beyond what the C library converts, the offset at the edge of its range.
    double seconds = std::clamp(std::floor(utc / 1000), -8.64e12, 8.64e12);
    time_t t = static_cast<time_t>(seconds);
    struct tm fields {};
    if (!localtime_r(&t, &fields)) return 0;
    return static_cast<double>(fields.tm_gmtoff) * 1000;
}

double localTime(double utc) {
    return utc + zoneOffset(utc);
}

double utcTime(double local) {
    if (!std::isfinite(local)) return local;
    return local - zoneOffset(local - zoneOffset(local));
}

std::string format(double t, Format form) {
    if (std::isnan(t)) return "Invalid Date";
    double lt = form == Format::Utc ? t : localTime(t);
    int year = static_cast<int>(yearFromTime(lt));
    const char* dayName = kDays[static_cast<int>(weekDay(lt))];
    const char* monthName = kMonths[static_cast<int>(monthFromTime(lt))];
    int date = static_cast<int>(dateFromTime(lt));
    int h = static_cast<int>(hourFromTime(lt)), mi = static_cast<int>(minFromTime(lt)), s = static_cast<int>(secFromTime(lt));
    int offset = static_cast<int>(zoneOffset(t) / 60000);
    char sign = offset < 0 ? '-' : '+';
    offset = std::abs(offset);
    int h12 = h % 12 == 0 ? 12 : h % 12;
    const char* half = h < 12 ? "AM" : "PM";
    char buf[128];
    switch (form) {
        case Format::Full:
            std::snprintf(buf, sizeof buf, "%s %s %d %02d:%02d:%02d GMT%c%02d%02d %d", dayName, monthName, date, h, mi, s,
                          sign, offset / 60, offset % 60, year);
            break;
        case Format::Date:
        case Format::LocaleDate:
            std::snprintf(buf, sizeof buf, "%s %s %d %d", dayName, monthName, date, year);
            break;
        case Format::Time:
            std::snprintf(buf, sizeof buf, "%02d:%02d:%02d GMT%c%02d%02d", h, mi, s, sign, offset / 60, offset % 60);
            break;
        case Format::Locale:
            std::snprintf(buf, sizeof buf, "%s %s %d %d %02d:%02d:%02d %s", dayName, monthName, date, year, h12, mi, s, half);
            break;
        case Format::LocaleTime:
            std::snprintf(buf, sizeof buf, "%02d:%02d:%02d %s", h12, mi, s, half);
            break;
        case Format::Utc:
            std::snprintf(buf, sizeof buf, "%s %s %d %02d:%02d:%02d %d UTC", dayName, monthName, date, h, mi, s, year);
            break;
    }
    return buf;
}

double parse(const std::string& text) {
    double year = kNaN, month = kNaN, date = kNaN, hour = 0, minute = 0, second = 0;
    double offsetMinutes = kNaN;
    int half = 0;  // 1 AM, 2 PM
    bool utc = false;
    size_t i = 0;
    const size_t n = std::min<size_t>(text.size(), 1024);
    auto number = [&](size_t& at, int& digits) {
        double v = 0;
        digits = 0;
        while (at < n && std::isdigit(static_cast<unsigned char>(text[at])) && digits < 12) {
            v = v * 10 + (text[at++] - '0');
            ++digits;
        }
        return v;
    };
    while (i < n) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (std::isspace(c) || c == ',') {
            ++i;
        } else if (std::isalpha(c)) {
            std::string word;
            while (i < n && std::isalpha(static_cast<unsigned char>(text[i])))
                word += static_cast<char>(std::tolower(static_cast<unsigned char>(text[i++])));
            if (word == "am" || word == "pm") {
                half = word == "am" ? 1 : 2;
            } else if (word == "gmt" || word == "utc" || word == "z") {
                utc = true;
            } else if (word.size() >= 3) {
                bool known = false;
                auto sameStart = [&](const char* name) {
                    return std::tolower(static_cast<unsigned char>(name[0])) == word[0] && name[1] == word[1] && name[2] == word[2];
                };
                for (int m = 0; m < 12; ++m)
                    if (sameStart(kMonths[m])) {
                        month = m;
                        known = true;
                    }
                for (const char* d : kDays) known = known || sameStart(d);
                if (!known) return kNaN;
            } else {
                return kNaN;
            }
        } else if ((c == '+' || c == '-') && i + 1 < n && std::isdigit(static_cast<unsigned char>(text[i + 1])) &&
                   (utc || !std::isnan(year) || hour || minute)) {
            ++i;
            int digits = 0;
            double v = number(i, digits);
            double minutes = digits <= 2 ? v * 60 : std::floor(v / 100) * 60 + std::fmod(v, 100);
            if (i < n && text[i] == ':') {
                ++i;
                minutes = v * 60 + number(i, digits);
            }
            offsetMinutes = c == '-' ? -minutes : minutes;
            utc = true;
        } else if (std::isdigit(c)) {
            int digits = 0;
            double v = number(i, digits);
            if (i < n && text[i] == ':') {
                hour = v;
                ++i;
                minute = number(i, digits);
                if (i < n && text[i] == ':') {
                    ++i;
                    second = number(i, digits);
                }
            } else if (i < n && text[i] == '/') {
                month = v - 1;
                ++i;
                date = number(i, digits);
                if (i < n && text[i] == '/') {
                    ++i;
                    year = number(i, digits);
                    if (digits <= 2) year += 1900;
                }
            } else if (!std::isnan(month) && std::isnan(date) && v >= 1 && v <= 31 && digits <= 2) {
                date = v;
            } else if (std::isnan(year)) {
                year = digits <= 2 ? v + 1900 : v;
            } else {
                return kNaN;
            }
        } else {
            return kNaN;
        }
    }
    if (std::isnan(year) || std::isnan(month) || std::isnan(date)) return kNaN;
    if (half == 2 && hour < 12) hour += 12;
    if (half == 1 && hour == 12) hour = 0;
    double t = makeDate(makeDay(year, month, date), makeTime(hour, minute, second, 0));
    if (utc) return timeClip(t - (std::isnan(offsetMinutes) ? 0 : offsetMinutes * 60000));
    return timeClip(utcTime(t));
}

}  // namespace swf::avm2::calendar
