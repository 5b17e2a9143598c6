#include <gtest/gtest.h>

#include "swf/text/DeviceFontCache.h"

using swf::DeviceFontCache;

TEST(DeviceFontTest, GenericNamesResolveToInstalledFonts) {
    DeviceFontCache& cache = DeviceFontCache::shared();
    const swf::DeviceFont* sans = cache.find("_sans", false, false);
    ASSERT_TRUE(sans);
    EXPECT_EQ(sans->family(), "Liberation Sans");
    ASSERT_TRUE(cache.find("_serif", false, false));
    EXPECT_EQ(cache.find("_serif", false, false)->family(), "Liberation Serif");
    ASSERT_TRUE(cache.find("_typewriter", false, false));
    EXPECT_EQ(cache.find("_typewriter", false, false)->family(), "Liberation Mono");
    // Windows names go to their metric-compatible stand-ins; the same font object is reused.
    EXPECT_EQ(cache.find("Arial", false, false)->family(), "Liberation Sans");
    EXPECT_EQ(cache.find("_sans", false, false), sans);
    EXPECT_NE(cache.find("_sans", true, false), sans);
    // An unknown name still gets a font.
    EXPECT_TRUE(cache.find("No Such Font Anywhere", false, false));
}

TEST(DeviceFontTest, GlyphOutlinesAndMetrics) {
    const swf::DeviceFont* sans = DeviceFontCache::shared().find("_sans", false, false);
    ASSERT_TRUE(sans);
    EXPECT_DOUBLE_EQ(sans->emSize(), 1024);
    EXPECT_GT(sans->ascent(), 800);
    EXPECT_LT(sans->ascent(), 1100);
    EXPECT_GT(sans->descent(), 150);

    auto o = sans->glyphFor(U'o');
    ASSERT_TRUE(o);
    const swf::Shape* shape = sans->glyphShape(*o);
    ASSERT_TRUE(shape);
    EXPECT_EQ(shape->paths.size(), 2u);  // outer and inner contour
    ASSERT_EQ(shape->fills.size(), 1u);
    // Glyphs sit on the baseline with y growing downwards: the 'o' lies above y = 0.
    EXPECT_LT(shape->bounds.yMin, -400);
    EXPECT_GE(shape->bounds.yMax, -20);
    EXPECT_LE(shape->bounds.yMax, 20);
    EXPECT_GT(shape->bounds.xMin, 0);
    EXPECT_LT(shape->bounds.xMax, sans->advance(*o));
    // Both contours fill the same side of their edges: the inner one runs the other way, so
    // the hole stays empty.
    EXPECT_EQ(shape->paths[0].fill0, shape->paths[1].fill0);
    EXPECT_EQ(shape->paths[0].fill1, shape->paths[1].fill1);
    EXPECT_EQ(shape->paths[0].fill0 + shape->paths[0].fill1, 1u);
    // Liberation Sans matches Arial's widths: 'o' is 1139/2048 em.
    EXPECT_NEAR(sans->advance(*o), 1139 / 2048.0 * 1024, 0.5);
    EXPECT_EQ(sans->glyphShape(*o), shape);  // cached

    EXPECT_FALSE(sans->glyphFor(U'\U0010FFFD'));
    const swf::DeviceFont* mono = DeviceFontCache::shared().find("_typewriter", false, false);
    EXPECT_DOUBLE_EQ(mono->advance(*mono->glyphFor(U'i')), mono->advance(*mono->glyphFor(U'W')));
}
