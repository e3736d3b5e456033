// The chart properties dialog as the user meets it (run under xvfb-run; skipped offscreen):
// Ctrl+P on the main window opens it, every page is shown and looked at, a change lands in
// the chart on the screen at once, Esc closes it. With PLOTYRA_DIALOG_PICTURES set, the
// picture of each page is kept in $TMPDIR/plotyra-dialog-pages for a reviewer.
#include "F3DChartPropTestSupport.h"
#include "Qor3DDrawWidget.h"
#include "QorCheckBox.h"
#include "app/viewer/FMainTestSupport.h"
#include "chartprop/F3DChartProp.h"

#include <QDir>
#include <QSet>
#include <QTabBar>
#include <QTabWidget>
#include <cstdlib>

namespace {

int DistinctColours(const QImage& Shot) {
    QSet<QRgb> colours;
    for (int y = 0; y < Shot.height(); y += 2)
        for (int x = 0; x < Shot.width(); x += 2)
            colours.insert(Shot.pixel(x, y));
    return int(colours.size());
}

QString PictureFolder() {
    if (std::getenv("PLOTYRA_DIALOG_PICTURES") == nullptr)
        return {};
    const QString dir = QDir::temp().filePath("plotyra-dialog-pages");
    QDir().mkpath(dir);
    return dir;
}

} // namespace

using ChartPropXvfb = TFormMainFixture;

TEST_F(ChartPropXvfb, CtrlPOpensTheDialogOnTheLiveChartAndEveryPageShows) {
    if (!OnDisplay())
        GTEST_SKIP() << "needs a display";
    ASSERT_TRUE(StartOnScreen());
    TFormMain& w = *Window;
    EXPECT_FALSE(w.Chart().Wired());

    const QString pictures = PictureFolder();
    bool opened = false;
    OnNextModal([&](QWidget* dialog) {
        auto* d = qobject_cast<TForm3DChartProp*>(dialog);
        ASSERT_NE(d, nullptr);
        opened = true;
        ASSERT_TRUE(QTest::qWaitForWindowExposed(d));
        EXPECT_EQ(&d->Chart(), &w.Chart());
        auto* tabs = d->findChild<QTabWidget*>("PageControl1");
        QImage last;
        for (int i = 0; i < tabs->count(); ++i) {
            QTabBar* bar = tabs->tabBar();
            QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(i).center());
            EXPECT_EQ(tabs->currentIndex(), i);
            const QImage shot = ScreenShot(*d);
            ASSERT_EQ(shot.size(), d->size());
            EXPECT_GT(DistinctColours(shot), 8) << tabs->tabText(i).toStdString();
            EXPECT_NE(shot, last) << tabs->tabText(i).toStdString();
            if (i == 0) {
                const QRect r = AreaOf(*d, *d->findChild<QWidget*>("OsyGL"));
                for (int n : AxisLinePixels(shot.copy(r)))
                    EXPECT_GT(n, 20);
            }
            if (!pictures.isEmpty())
                shot.save(QString("%1/%2-%3.png")
                              .arg(pictures)
                              .arg(i)
                              .arg(tabs->widget(i)->objectName()));
            last = shot;
        }

        // Wired on the Chart page: the main window's chart is drawn anew at once.
        QTest::mouseClick(tabs->tabBar(), Qt::LeftButton, {}, tabs->tabBar()->tabRect(1).center());
        const int renders = w.Chart().RenderCount();
        auto* wired = d->findChild<TQorCheckBox*>("CtrlWired");
        QTest::mouseClick(wired, Qt::LeftButton, {}, wired->rect().center());
        EXPECT_TRUE(w.Chart().Wired());
        EXPECT_TRUE(WaitFor([&] { return w.Chart().RenderCount() > renders; }));
        QTest::keyClick(d, Qt::Key_Escape);
    });
    QTest::keyClick(&w, Qt::Key_P, Qt::ControlModifier);
    EXPECT_TRUE(opened);
    EXPECT_TRUE(w.Chart().Wired());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    if (!pictures.isEmpty())
        std::printf("dialog pages written to %s\n", qPrintable(pictures));
}
