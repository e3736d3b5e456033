// Values a careless or hostile user may hand the shared units through a property file, a
// binary record or the settings: each must end in a sane value, never a crash, undefined
// behaviour, a runaway allocation or a label that lies. (The chart-file classes are in
// tests/graphics3d/io/HostileInputTest.cpp.)
#include "QorColSc.h"
#include "QorNumText.h"
#include "QorPropBinary.h"
#include "QorPropText.h"
#include "QorScale.h"
#include "QorStrg.h"
#include "TCanvas.h"
#include "TestSupport.h"
#include "UQorTypes.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPicture>
#include <algorithm>
#include <climits>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <string>

namespace {

// A blank font name gave a font of no family: recording its text into the legend's picture
// crashed every render.
TEST(HostileInput, BlankFontNamesDrawTheLegendInTheDefaultFamily) {
    for (const char* name : {"", "  "}) {
        SCOPED_TRACE(std::string("name '") + name + "'");
        TQorColorScale legend;
        legend.Font().SetName(name);
        legend.SetCaption("caption");
        EXPECT_EQ(legend.Font().ToQFont().family(), QFont().family());
        QPicture picture;
        {
            QPainter painter(&picture);
            TQPainterCanvas canvas(painter);
            legend.DrawScale(canvas, TRect{0, 0, 80, 300});
        }
        QImage image(80, 300, QImage::Format_RGB32);
        image.fill(Qt::white);
        {
            QPainter painter(&image);
            painter.drawPicture(0, 0, picture);
        }
        int dark = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                dark += qGray(image.pixel(x, y)) < 96;
        EXPECT_GT(dark, 20) << "labels and caption were drawn";
    }
}

} // namespace
