#pragma once
// Finds and keeps the installed fonts that stand in for device fonts: "_sans", "_serif" and
// "_typewriter" map to the metric-compatible Liberation families (DejaVu when Liberation is
// missing); any other name goes to fontconfig, which also maps the common Windows names
// (Arial, Times New Roman, Courier New) to Liberation. Fonts stay loaded for the life of
// the process.

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "swf/text/DeviceFont.h"

struct _FcConfig;

namespace swf {

class DeviceFontCache {
  public:
    static DeviceFontCache& shared();

    DeviceFontCache();
    ~DeviceFontCache();
    DeviceFontCache(const DeviceFontCache&) = delete;
    DeviceFontCache& operator=(const DeviceFontCache&) = delete;

    // The font for `name`; null only when no outline font is installed at all.
    const DeviceFont* find(std::string_view name, bool bold, bool italic);

    // The families of the installed outline fonts, sorted, each once (at most kMaxFamilies).
    std::vector<std::string> families();
    static constexpr size_t kMaxFamilies = 4096;

    // The family names asked of fontconfig for a name the movie uses, best first.
    static std::vector<std::string> familiesFor(std::string_view name);

  private:
    FT_LibraryRec_* library_ = nullptr;
    // A configuration of our own, released with the cache, rather than fontconfig's
    // process-wide one that is never freed.
    _FcConfig* config_ = nullptr;
    std::mutex mutex_;
    std::map<std::tuple<std::string, bool, bool>, std::unique_ptr<DeviceFont>> fonts_;
};

}  // namespace swf
