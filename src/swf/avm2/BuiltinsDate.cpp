// Date: the constructor's forms, the getters and setters by method and by property, in local
// time and in UTC, the player's text forms, Date.parse and Date.UTC.
#include <cmath>

#include "swf/avm2/Builtins.h"
#include "swf/avm2/Calendar.h"
#include "swf/avm2/DateObject.h"
#include "swf/avm2/LanguageClasses.h"
#include "swf/avm2/Machine.h"

namespace swf::avm2 {
namespace {

using namespace calendar;

// The time scripts read as "now": a fixed local start, so that conversions repeat.
double now() {
    return utcTime(makeDate(makeDay(2001, 1, 3), makeTime(4, 5, 6, 0)));
}

DateObject& thisDate(Machine& m, const Value& self) {
    auto* d = dynamic_cast<DateObject*>(self.asObject());
    if (!d) m.throwError("TypeError", 1034, "Type Coercion failed: cannot convert " + m.describeForError(self) + " to Date.");
    return *d;
}

enum Field { kYear, kMonth, kDate, kHours, kMinutes, kSeconds, kMs, kFieldCount };

// A time's fields, from a time already moved to local time (or left in UTC).
void fieldsOf(double t, double (&f)[kFieldCount]) {
    f[kYear] = yearFromTime(t);
    f[kMonth] = monthFromTime(t);
    f[kDate] = dateFromTime(t);
    f[kHours] = hourFromTime(t);
    f[kMinutes] = minFromTime(t);
    f[kSeconds] = secFromTime(t);
    f[kMs] = msFromTime(t);
}

double fromFields(const double (&f)[kFieldCount]) {
    return makeDate(makeDay(f[kYear], f[kMonth], f[kDate]), makeTime(f[kHours], f[kMinutes], f[kSeconds], f[kMs]));
}

// setHours(h, m, s, ms) and its kin: the arguments replace fields from `first` on, at most
// `count` of them; a NaN date stays NaN except for setFullYear, which starts from zero.
double setFields(Machine& m, DateObject& d, bool utc, Field first, size_t count, std::span<const Value> args) {
    double t = d.time;
    if (std::isnan(t)) {
        if (first != kYear) return d.time = NAN;
        t = 0;
    } else if (!utc) {
        t = localTime(t);
    }
    double f[kFieldCount];
    fieldsOf(t, f);
    size_t given = std::max<size_t>(1, std::min(count, args.size()));
    for (size_t i = 0; i < given; ++i) f[first + i] = m.toNumber(argAt(args, i));
    double local = fromFields(f);
    d.time = timeClip(utc ? local : utcTime(local));
    return d.time;
}

double fieldOf(double t, Field f) {
    double all[kFieldCount];
    fieldsOf(t, all);
    return all[f];
}

// The time a constructor with two or more arguments makes (also Date.UTC's fields).
double timeFromArguments(Machine& m, std::span<const Value> args) {
    double f[kFieldCount] = {NAN, NAN, 1, 0, 0, 0, 0};
    for (size_t i = 0; i < kFieldCount && i < args.size(); ++i) f[i] = m.toNumber(args[i]);
    if (!std::isnan(f[kYear])) {
        double y = std::trunc(f[kYear]);
        if (y >= 0 && y <= 99) f[kYear] = 1900 + y;
    }
    return fromFields(f);
}

}  // namespace

void installDateClass(Machine& m) {
    ClassObject* cls = m.defineClass("", "Date", m.builtins().object);
    cls->setOwn("length", Value::number(7));
    auto make = [cls](Machine& m, double time) {
        auto* d = m.heap().make<DateObject>(cls, cls->prototype);
        d->setTraits(cls->instanceTraits.get());
        d->time = time;
        return d;
    };
    cls->construct = [make](Machine& m, std::span<const Value> args) {
        double t = now();
        if (args.size() == 1) {
            if (auto* from = dynamic_cast<DateObject*>(args[0].asObject())) {
                t = from->time;
            } else {
                Value v = m.toPrimitive(args[0], false);
                t = v.isString() ? parse(v.asString()) : timeClip(m.toNumber(v));
            }
        } else if (args.size() > 1) {
            t = timeClip(utcTime(timeFromArguments(m, args)));
        }
        return Value::object(make(m, t));
    };
    cls->call = [](Machine&, const Value&, std::span<const Value>) {
        return Value::string(format(now(), Format::Full));
    };
    m.defineMethod(cls, "parse", [](Machine& m, const Value&, std::span<const Value> args) {
        return Value::number(parse(m.toString(argAt(args, 0))));
    }, 1);
    m.defineMethod(cls, "UTC", [](Machine& m, const Value&, std::span<const Value> args) {
        return Value::number(timeClip(timeFromArguments(m, args)));
    }, 7);

    Object* p = cls->prototype;
    auto getter = [&](const std::string& method, bool utc, auto read) {
        NativeFunction get = [utc, read](Machine& m, const Value& self, std::span<const Value>) {
            double t = thisDate(m, self).time;
            if (std::isnan(t)) return Value::number(NAN);
            return Value::number(read(utc ? t : localTime(t)));
        };
        m.defineMethod(p, method, get);
        return get;
    };
    struct FieldName {
        const char* local;
        const char* utc;
        const char* property;
        Field field;
        size_t count;
    };
    const FieldName fields[] = {
        {"FullYear", "UTCFullYear", "fullYear", kYear, 3},   {"Month", "UTCMonth", "month", kMonth, 2},
        {"Date", "UTCDate", "date", kDate, 1},               {"Hours", "UTCHours", "hours", kHours, 4},
        {"Minutes", "UTCMinutes", "minutes", kMinutes, 3},   {"Seconds", "UTCSeconds", "seconds", kSeconds, 2},
        {"Milliseconds", "UTCMilliseconds", "milliseconds", kMs, 1},
    };
    for (const FieldName& f : fields) {
        for (bool utc : {false, true}) {
            std::string suffix = utc ? f.utc : f.local;
            Field field = f.field;
            size_t count = f.count;
            NativeFunction get = getter("get" + suffix, utc, [field](double t) { return fieldOf(t, field); });
            NativeFunction set = [utc, field, count](Machine& m, const Value& self, std::span<const Value> args) {
                return Value::number(setFields(m, thisDate(m, self), utc, field, count, args));
            };
            m.defineMethod(p, "set" + suffix, set, static_cast<uint32_t>(count));
            m.defineAccessor(cls, std::string(f.property) + (utc ? "UTC" : ""), get,
                             [set](Machine& m, const Value& self, std::span<const Value> args) {
                                 set(m, self, args.subspan(0, std::min<size_t>(args.size(), 1)));
                                 return Value();
                             });
        }
    }
    NativeFunction day = getter("getDay", false, [](double t) { return weekDay(t); });
    m.defineAccessor(cls, "day", day);
    m.defineAccessor(cls, "dayUTC", getter("getUTCDay", true, [](double t) { return weekDay(t); }));
    auto timeValue = [](Machine& m, const Value& self, std::span<const Value>) {
        return Value::number(thisDate(m, self).time);
    };
    m.defineMethod(p, "getTime", timeValue);
    m.defineMethod(p, "valueOf", timeValue);
    auto setTime = [](Machine& m, const Value& self, std::span<const Value> args) {
        DateObject& d = thisDate(m, self);
        d.time = timeClip(m.toNumber(argAt(args, 0)));
        return Value::number(d.time);
    };
    m.defineMethod(p, "setTime", setTime, 1);
    m.defineAccessor(cls, "time", timeValue, setTime);
    auto zone = [](Machine& m, const Value& self, std::span<const Value>) {
        double t = thisDate(m, self).time;
        return Value::number(std::isnan(t) ? NAN : -zoneOffset(t) / 60000);
    };
    m.defineMethod(p, "getTimezoneOffset", zone);
    m.defineAccessor(cls, "timezoneOffset", zone);
    for (auto [name, form] : {std::pair{"toString", Format::Full}, {"toDateString", Format::Date},
                              {"toTimeString", Format::Time}, {"toLocaleString", Format::Locale},
                              {"toLocaleDateString", Format::LocaleDate}, {"toLocaleTimeString", Format::LocaleTime},
                              {"toUTCString", Format::Utc}}) {
        Format how = form;
        m.defineMethod(p, name, [how](Machine& m, const Value& self, std::span<const Value>) {
            return Value::string(format(thisDate(m, self).time, how));
        });
    }
}

}  // namespace swf::avm2
