#include <gtest/gtest.h>

#include <stdlib.h>
#include <time.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "avm1/ScriptRun.h"

namespace {

using avm1test::Joined;
using avm1test::RunScript;

// Runs the test in a time zone and puts the machine's own back afterwards.
class ZoneGuard {
  public:
    explicit ZoneGuard(const char* zone) {
        if (const char* old = getenv("TZ")) old_ = old;
        setenv("TZ", zone, 1);
        tzset();
    }
    ~ZoneGuard() {
        if (old_) setenv("TZ", old_->c_str(), 1);
        else unsetenv("TZ");
        tzset();
    }

  private:
    std::optional<std::string> old_;
};


// d = new Date(create); trace(d.call); trace(d). Without `create`, call is a method of Date.
std::string script(const char* create, std::string_view call) {
    size_t open = call.find('(');
    std::string method(call.substr(0, open));
    std::string args = avm1test::PushedArguments(call.substr(open + 1, call.size() - open - 2));
    if (!create) return "push " + args + ", \"Date\"; getVariable; push \"" + method +
                        "\"; callMethod; trace";
    return "push \"d\", " + avm1test::PushedArguments(create) + ", \"Date\"; newObject; setVariable\n"
           "push " + args + ", \"d\"; getVariable; push \"" + method + "\"; callMethod; trace\n"
           "push \"d\"; getVariable; trace";
}

struct Case {
    const char* create;  // the constructor's arguments; null: `call` is a method of Date
    const char* call;
    const char* expected;
};

// clang-format off
// What the original player printed for these, in a zone 5:45 east of UTC without summer time.
TEST(DateClass, MatchesThePlayerInAFixedZone) {
    ZoneGuard zone("<+0545>-05:45");
    const Case cases[] = {
        {"0", "getTimezoneOffset()", "-345\nThu Jan 1 05:45:00 GMT+0545 1970"},
        {"5.5", "getTime()", "5.5\nThu Jan 1 05:45:00 GMT+0545 1970"},
        {"-500", "getUTCSeconds()", "59\nThu Jan 1 05:44:59 GMT+0545 1970"},
        {"-1594844387653", "getDay()", "4\nThu Jun 19 09:25:12 GMT+0545 1919"},
        {"1594844387653", "getUTCDate()", "15\nThu Jul 16 02:04:47 GMT+0545 2020"},
        {"8.64e15", "getUTCHours()", "0\nSat Sep 13 05:45:00 GMT+0545 275760"},
        {"-8.64e15", "getUTCFullYear()", "-271821\nTue Apr 20 05:45:00 GMT+0545 -271821"},
        {"nan", "getMonth()", "NaN\nInvalid Date"},
        {"inf", "getFullYear()", "-2147481678\nInvalid Date"},
        {"-inf", "getMilliseconds()", "-2147482648\nInvalid Date"},
        {"inf", "getDate()", "-2147483647\nInvalid Date"},
        {"inf", "getTimezoneOffset()", "NaN\nInvalid Date"},
        {"1, 2", "getYear()", "1\nFri Mar 1 00:00:00 GMT+0545 1901"},
        {"0, 0, 0, 0, 0, 0, 0", "getYear()", "-1\nSun Dec 31 00:00:00 GMT+0545 1899"},
        {"-1, -2, -3, -4, -5, -6, -7", "getMilliseconds()", "993\nThu Oct 27 19:54:53 GMT+0545 1898"},
        {"7002.5, 13.5, 32.5, 24.5, 60.5, 60.5, 1000.5", "getTime()", "158831522161000\nSat Mar 5 01:01:01 GMT+0545 7003"},
        {"123456789, 123, 456, 789, 123, 456, 2000", "getTimezoneOffset()", "-345.002666666667\nMon Jul 31 23:10:38 GMT+0545 123456800"},
        {"nan, 0, 0, 0, 0, 0, 0", "getUTCDate()", "-719529\nMon Jan -719528 00:00:00 GMT+0545 -2147481678"},
        {"nan, 0, 0, 0, 0, 0, 0", "getMilliseconds()", "952\nMon Jan -719528 00:00:00 GMT+0545 -2147481678"},
        {"0, 0, inf, 0, 0, 0, 0", "getTime()", "Infinity\nInvalid Date"},
        {"0, nan, 0", "getTime()", "NaN\nInvalid Date"},
        {"1594844387653", "setFullYear(0)", "-62150211612347\nSun Jul 16 02:04:47 GMT+0545 0"},
        {"1594844387653", "setFullYear(123456789)", "NaN\nInvalid Date"},
        {"1594844387653", "setFullYear(-1, -2, -3)", "-62204384412347\nWed Oct 28 02:04:47 GMT+0545 -2"},
        {"1594844387653", "setUTCFullYear(2000, 11, 31)", "978293987653\nMon Jan 1 02:04:47 GMT+0545 2001"},
        {"1594844387653", "setYear(0)", "-2192067612347\nMon Jul 16 02:04:47 GMT+0545 1900"},
        {"1594844387653", "setYear(-1)", "-62181834012347\nFri Jul 16 02:04:47 GMT+0545 -1"},
        {"1594844387653", "setMonth()", "1579119587653\nThu Jan 16 02:04:47 GMT+0545 2020"},
        {"1594844387653", "setMonth(inf, 0)", "NaN\nInvalid Date"},
        {"1594844387653", "setUTCMonth(-2, -3)", "1572293987653\nTue Oct 29 02:04:47 GMT+0545 2019"},
        {"1594844387653", "setDate(32.5)", "1596226787653\nSat Aug 1 02:04:47 GMT+0545 2020"},
        {"1594844387653", "setUTCDate(0)", "1593548387653\nWed Jul 1 02:04:47 GMT+0545 2020"},
        {"1594844387653", "setDate()", "NaN\nInvalid Date"},
        {"1594844387653", "setHours(-4, -5, -6, -7)", "1594822193993\nWed Jul 15 19:54:53 GMT+0545 2020"},
        {"1594844387653", "setUTCHours(123, 456, 789, 2000)", "1595242151000\nMon Jul 20 16:34:11 GMT+0545 2020"},
        {"1594844387653", "setHours(0, nan)", "NaN\nInvalid Date"},
        {"1594844387653", "setMinutes(nan)", "-127254174732347\nWed Jun 23 23:52:47 GMT+0545 -2063"},
        {"1594844387653", "setUTCMinutes(0, 0, nan)", "1592695716352\nSun Jun 21 05:13:36 GMT+0545 2020"},
        {"1594844387653", "setSeconds(60.5, 1000.5)", "1594844401000\nThu Jul 16 02:05:01 GMT+0545 2020"},
        {"1594844387653", "setMilliseconds(-4)", "1594844386996\nThu Jul 16 02:04:46 GMT+0545 2020"},
        {"1594844387653", "setTime(5.5)", "5\nThu Jan 1 05:45:00 GMT+0545 1970"},
        {"1594844387653", "setTime(8640000000000001)", "NaN\nInvalid Date"},
        {"nan", "setFullYear(2000)", "NaN\nInvalid Date"},
        {"8.64e15", "setHours(23)", "NaN\nInvalid Date"},
        {"8640000000000001", "setFullYear(2000)", "968803200001\nWed Sep 13 05:45:00 GMT+0545 2000"},
        {"-8640000000000001", "setHours(23, 59)", "-8.6399999343e+15\nTue Apr 20 00:59:59 GMT+0545 -271821"},
        {"-8640000000000001", "setMinutes(59, 59)", "-8.6399999991e+15\nTue Apr 20 06:59:59 GMT+0545 -271821"},
        {nullptr, "UTC()", "undefined"},
        {nullptr, "UTC(1)", "undefined"},
        {nullptr, "UTC(-1, -2, -3, -4, -5, -6, -7)", "-2246155506007"},
        {nullptr, "UTC(nan, 0, 0, 0, 0, 0, 0)", "-6.77681005680576e+19"},
        {nullptr, "UTC(0, 0, 0, 0, 0, 0, -inf)", "-Infinity"},
        {nullptr, "UTC(0, inf)", "NaN"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Joined(RunScript(script(c.create, c.call))), c.expected)
            << (c.create ? c.create : "Date") << " " << c.call;
}

// The clock starts at a fixed local time, whatever the real one; a date added to a number
// gives text, a date given to the constructor its time.
TEST(DateClass, ClockAndConversions) {
    ZoneGuard zone("<+0545>-05:45");
    const std::pair<const char*, const char*> cases[] = {
        {"push 0, \"Date\"; callFunction; trace", "Sat Feb 3 04:05:06 GMT+0545 2001"},
        {"push 0, \"Date\"; callFunction; typeOf; trace", "string"},
        {"push 0, 0, \"Date\"; newObject; push \"getTime\"; callMethod; trace", "981152406000"},
        {"push 0, 1, \"Date\"; newObject; push 1, \"Date\"; newObject; trace",
         "Thu Jan 1 05:45:00 GMT+0545 1970"},
        {"push 0, 1, \"Date\"; newObject; push 1; add2; trace", "Thu Jan 1 05:45:00 GMT+0545 19701"},
        {"push 0, 1, \"Date\"; newObject; push \"x\"; getMember; trace", "undefined"},
        {"push 0, \"Date\"; newObject; push \"Date\"; getVariable; instanceOf; trace", "true"},
        {"push 0, \"Date\"; getVariable; push \"prototype\"; getMember; push \"getTime\"; "
         "callMethod; trace", "undefined"},
    };
    for (const auto& [source, expected] : cases) EXPECT_EQ(Joined(RunScript(source)), expected) << source;

    // The clock moves with the movie's frames (4 a second here), not with the real time.
    swftest::SwfWriter movie;
    movie.frameRate(4);
    const char* now = "push 0, 0, \"Date\"; newObject; push \"getTime\"; callMethod; trace";
    for (int frame = 0; frame < 3; ++frame)
        movie.doAction(swftest::ActionBuilder::assemble(now)).showFrame();
    EXPECT_EQ(Joined(avm1test::RunMovie(movie, 3)), "981152406000\n981152406250\n981152406500");
}

// The offset in the text and in getTimezoneOffset follows the zone, summer time included.
TEST(DateClass, OtherZones) {
    struct ZoneCase { const char* zone; const char* create; const char* call; const char* expected; };
    const ZoneCase cases[] = {
        {"UTC0", "0", "getTimezoneOffset()", "0\nThu Jan 1 00:00:00 GMT+0000 1970"},
        {"UTC0", "2000, 1, 1", "getTime()", "949363200000\nTue Feb 1 00:00:00 GMT+0000 2000"},
        {"<-0330>+03:30", "0", "getTimezoneOffset()", "210\nWed Dec 31 20:30:00 GMT-0330 1969"},
        {"<-0330>+03:30", "2000, 0, 1", "getUTCHours()", "3\nSat Jan 1 00:00:00 GMT-0330 2000"},
        {"CET-1CEST,M3.5.0,M10.5.0/3", "2020, 6, 1", "getUTCHours()", "22\nWed Jul 1 00:00:00 GMT+0200 2020"},
        {"CET-1CEST,M3.5.0,M10.5.0/3", "2020, 0, 1", "getTimezoneOffset()", "-60\nWed Jan 1 00:00:00 GMT+0100 2020"},
    };
    for (const ZoneCase& c : cases) {
        ZoneGuard zone(c.zone);
        EXPECT_EQ(Joined(RunScript(script(c.create, c.call))), c.expected) << c.zone << " " << c.call;
    }
}
// clang-format on

}  // namespace
