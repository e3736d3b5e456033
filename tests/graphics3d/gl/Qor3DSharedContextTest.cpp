// One rendering context lent to every chart of a batch: the pictures match those of fresh
// contexts.
#include "gl/Qor3DSharedContext.h"
#include "graphics3d/Qor3DPictureSupport.h"
#include "graphics3d/Qor3DSceneSamples.h"

#include "chart/Qor3DChart.h"
#include "gl/Qor3DOSMesa.h"
#include "render/Qor3DChartScene.h"

#include <gtest/gtest.h>

using namespace QorPaint;

namespace {

TEST(SharedContextPlatform, ChartsShareOneContextAndDrawAsAlone) {
    TSharedContextPlatform shared(OSMesaPlatform());
    for (const int n : {8, 12}) {
        TQor3DChart alone;
        MakeWaveSurface(alone, n, n > 8);
        TQor3DChart batched;
        MakeWaveSurface(batched, n, n > 8);
        batched.SetBitmapPlatform(shared);
        for (int repeat = 0; repeat < 2; ++repeat) {
            const QImage picture = RenderChartImage(batched, 120, 90);
            EXPECT_EQ(batched.LastPaintError(), "");
            EXPECT_TRUE(PicturesAlike("shared", RenderChartImage(alone, 120, 90), picture,
                                      QorExactPicture));
        }
    }
    EXPECT_EQ(shared.InnerContextsCreated(), 1);
}

} // namespace
