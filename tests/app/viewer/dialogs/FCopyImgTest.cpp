// The "Copy Image" dialog as the user meets it: sizes typed, the preview, OK, Cancel, Save...,
// and what lands on the clipboard or in the file.
#include "dialogs/FCopyImg.h"
#include "TestSupport.h"
#include "app/viewer/FMainTestSupport.h"
#include "graphics3d/Qor3DPictureSupport.h"

#include "Qor3DRecording.h"
#include "QorColSc.h"
#include "QorEdit.h"
#include "QorStrg.h"
#include "chart/Qor3DChart.h"
#include "chart/UQor3DChartColorScale.h"
#include "gl/Qor3DOSMesa.h"
#include "io/Qor3DChartFile.h"
#include "io/Qor3DChartFileLegend.h"

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QMimeData>
#include <QPainter>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QSvgRenderer>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

// A sample chart with its legend bound as the main window binds them, and fresh settings.
class CopyImage : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::remove(TQorStorage().RegistryFile());
        TQorColorScaleFileLegend fileLegend(legend);
        ASSERT_EQ(
            LoadChartFile(chart, &fileLegend, std::string(PLOTYRA_EXAMPLES) + "/surface.p3d", true),
            0);
        ChartToColorScale(chart, legend);
        legend.SetTransparent(false);
        legend.SetAlign(alRight);
        QGuiApplication::clipboard()->clear();
    }
    // What the user sees: the dialog shown, its controls by name.
    void Open(TQorColorScale* Legend) {
        dialog = std::make_unique<TFormCopyImage>(chart, Legend);
        dialog->show();
    }
    TQorEdit* Edit(const char* Name) { return dialog->findChild<TQorEdit*>(Name); }
    QWidget* Widget(const char* Name) { return dialog->findChild<QWidget*>(Name); }
    void Type(const char* Name, const QString& Text) {
        TQorEdit* e = Edit(Name);
        e->Editor()->selectAll();
        QTest::keyClicks(e->Editor(), Text);
    }
    void Click(const char* Name) { QTest::mouseClick(Widget(Name), Qt::LeftButton); }
    // Types the picture's size and presses OK.
    void CopyAt(const QString& Width, const QString& Height) {
        Type("CtrlWidth", Width);
        Type("CtrlHeight", Height);
        Click("BtnOk");
    }
    static QImage ClipboardImage() {
        return qvariant_cast<QImage>(QGuiApplication::clipboard()->mimeData()->imageData());
    }
    // The SVG drawing of Svg at Size, on white.
    static QImage SvgPicture(const QByteArray& Svg, QSize Size) {
        QImage drawn(Size, QImage::Format_RGB32);
        drawn.fill(Qt::white);
        QPainter painter(&drawn);
        QSvgRenderer(Svg).render(&painter);
        return drawn;
    }

    static QString Path(const TempDir& Dir, const std::string& Name) {
        return QString::fromStdString(Dir.File(Name));
    }

    // The dialog's stored settings.
    TQorStorage& Stored() {
        storage.SetIniSection("TFormCopyImage");
        return storage;
    }

    TQor3DChart chart;
    TQorColorScale legend;
    TQorStorage storage;
    std::unique_ptr<TFormCopyImage> dialog;
};

TEST_F(CopyImage, CopiesThePlainChartBitmapOrSvgAndPngWithTheLegendAtTheRight) {
    Open(nullptr);
    EXPECT_EQ(dialog->windowTitle(), "Copy Image");
    EXPECT_EQ(dialog->focusWidget(), Widget("BtnOk"));
    CopyAt("320", "210");
    EXPECT_EQ(dialog->result(), QDialog::Accepted);

    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    ASSERT_TRUE(data->hasImage());
    EXPECT_FALSE(data->hasFormat("image/svg+xml"));
    const QImage image = ClipboardImage();
    EXPECT_EQ(image.size(), QSize(320, 210));
    EXPECT_EQ(image, chart.ExportBitmap());
    EXPECT_NE(image.pixel(160, 105), image.pixel(0, 0)) << "the chart fills the middle";

    // With the legend shown and fresh settings: SVG and PNG of one picture, the legend at the
    // right.
    std::filesystem::remove(TQorStorage().RegistryFile());
    Open(&legend);
    QTest::keyClick(dialog.get(), Qt::Key_Return); // OK has the focus: 500 x 400
    ASSERT_EQ(dialog->result(), QDialog::Accepted);
    data = QGuiApplication::clipboard()->mimeData();
    ASSERT_TRUE(data->hasFormat("image/svg+xml"));
    const QImage png = ClipboardImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(png.size(), QSize(500, 400));
    const QByteArray svg = data->data("image/svg+xml");
    QSvgRenderer renderer(svg);
    ASSERT_TRUE(renderer.isValid());
    EXPECT_EQ(renderer.defaultSize(), QSize(500, 400));
    EXPECT_EQ(renderer.viewBox(), QRect(0, 0, 500, 400));
    EXPECT_TRUE(svg.contains("<text")) << "the legend's labels stay text";

    // The chart bitmap fills the left part exactly; the legend's bar stands at the right edge.
    const QImage& bitmap = chart.ExportBitmap();
    const int legendWidth = 500 - bitmap.width();
    EXPECT_GT(legendWidth, 20);
    EXPECT_LT(legendWidth, 150);
    EXPECT_EQ(bitmap.height(), 400);
    EXPECT_EQ(png.copy(0, 0, bitmap.width(), 400), bitmap.convertToFormat(QImage::Format_RGB32));
    EXPECT_GT(ColouredPixels(png, 497), 250);
    EXPECT_EQ(ColouredPixels(png, bitmap.width() + 2), 0) << "labels, not the bar, left of it";

    // The SVG shows the same picture.
    EXPECT_TRUE(
        PicturesAlike("copy-svg", png, SvgPicture(svg, QSize(500, 400)), QorLayoutTolerance));
}

TEST_F(CopyImage, PreviewRendersOnceAfterQuickChangesAndNotAtAllWhenOff) {
    Open(&legend);
    const int shown = chart.RenderCount();
    EXPECT_GE(shown, 1) << "an open preview shows the picture at once";

    // Three changes within a second: one render, a second after the last.
    Type("CtrlWidth", "600");
    QTest::qWait(400);
    Type("CtrlWidth", "700");
    QTest::qWait(400);
    Type("CtrlWidth", "800");
    QTest::qWait(700);
    EXPECT_EQ(chart.RenderCount(), shown);
    QTest::qWait(600);
    EXPECT_EQ(chart.RenderCount(), shown + 1);
    EXPECT_EQ(chart.ExportBitmap().height(), 400);

    // The preview: the picture fitted into the area and centred, framed by a dashed line.
    const QImage preview = Widget("PaintBoxPreview")->grab().toImage();
    const int area = preview.width();
    const int h = int(std::nearbyint(area * 400.0 / 800));
    const int top = preview.height() / 2 - h / 2;
    int frame = 0;
    for (int x = 0; x < area; ++x)
        frame += (preview.pixel(x, top) & 0xFFFFFF) == 0 ? 1 : 0;
    EXPECT_GT(frame, area / 4);
    EXPECT_LT(frame, area * 3 / 4) << "dashed";
    EXPECT_GT(ColouredPixels(preview, area - 3), h / 2) << "the legend's bar at the right";

    // Preview off: the form loses the preview panel's height and nothing renders until OK.
    const int tall = dialog->height();
    const int panel = Widget("PanelPreviewGrad")->height();
    Click("CtrlPreview");
    EXPECT_EQ(dialog->height(), tall - panel);
    Type("CtrlHeight", "300");
    QTest::qWait(1100);
    EXPECT_EQ(chart.RenderCount(), shown + 1);
    Click("BtnOk");
    EXPECT_EQ(chart.RenderCount(), shown + 2);
    EXPECT_EQ(ClipboardImage().size(), QSize(800, 300));
}

TEST_F(CopyImage, OkStoresTheTypedSizesAndCancelStoresNothing) {
    Open(nullptr);
    Click("CtrlPreview");
    CopyAt("20000", "30"); // the width kept as typed, rendered at the largest width
    ASSERT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(ClipboardImage().size(), QSize(10000, 30));
    EXPECT_EQ(Stored().ReadFloat("CtrlWidth.ValueEx", 0), 20000);
    EXPECT_EQ(Stored().ReadFloat("CtrlHeight.ValueEx", 0), 30);
    EXPECT_FALSE(Stored().ReadBool("CtrlPreview.Checked", true));

    const int renders = chart.RenderCount();
    Open(nullptr);
    EXPECT_EQ(Edit("CtrlWidth")->ValueEx(), 20000);
    EXPECT_FALSE(Widget("PanelPreviewGrad")->isVisible());
    EXPECT_EQ(chart.RenderCount(), renders) << "no preview, no render";
    Type("CtrlHeight", "77");
    Click("CtrlPreview");
    Click("BtnCancel");
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
    EXPECT_EQ(Stored().ReadFloat("CtrlHeight.ValueEx", 0), 30);
    EXPECT_FALSE(Stored().ReadBool("CtrlPreview.Checked", true));
}

TEST_F(CopyImage, ALegendWiderThanThePictureGetsHalfOfIt) {
    legend.SetCaption("a caption far wider than the picture");
    Open(&legend);
    CopyAt("90", "200");
    ASSERT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(chart.ExportBitmap().size(), QSize(45, 200));
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    const QImage png = ClipboardImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(png.size(), QSize(90, 200));
    EXPECT_EQ(png.copy(0, 0, 45, 200), chart.ExportBitmap().convertToFormat(QImage::Format_RGB32));
    EXPECT_GT(ColouredPixels(png, 87), 100) << "the bar keeps its place";
    // The SVG cannot clip: the chart bitmap covers what the cut legend would draw over it.
    const QImage drawn = SvgPicture(data->data("image/svg+xml"), QSize(90, 200));
    EXPECT_EQ(ComparePictures(drawn.copy(0, 0, 45, 200), png.copy(0, 0, 45, 200), 8).Differing, 0);
}

TEST_F(CopyImage, SaveWritesPngSvgAndPdfByExtension) {
    TempDir dir;
    Open(&legend);
    Type("CtrlWidth", "300");
    Type("CtrlHeight", "240");
    ASSERT_TRUE(dialog->SavePicture(Path(dir, "chart.png")));
    EXPECT_EQ(QImage(Path(dir, "chart.png")).size(), QSize(300, 240));
    ASSERT_TRUE(dialog->SavePicture(Path(dir, "chart.PDF")));
    const QByteArray pdfBytes = QByteArray::fromStdString(ReadFileText(dir.File("chart.PDF")));
    ASSERT_TRUE(pdfBytes.startsWith("%PDF"));
    EXPECT_TRUE(pdfBytes.contains("/MediaBox [0 0 225")) << "300 px at 96 per inch";

    EXPECT_FALSE(dialog->SavePicture(Path(dir, "chart.bmp")));
    EXPECT_TRUE(dialog->Message().contains(".png, .svg or .pdf"))
        << dialog->Message().toStdString();
    EXPECT_FALSE(std::filesystem::exists(dir.File("chart.bmp")));
    EXPECT_FALSE(dialog->SavePicture(Path(dir, "missing/chart.png")));
    EXPECT_FALSE(dialog->Message().isEmpty());

    // Save... asks for the name; a name without extension takes the chosen type's.
    QTimer::singleShot(0, [&] {
        auto* files = ModalAs<QFileDialog>(QApplication::activeModalWidget(), "file dialog");
        ASSERT_NE(files, nullptr);
        files->selectNameFilter("SVG drawing (*.svg)");
        files->selectFile(QString::fromStdString(dir.File("picked")));
        static_cast<QDialog*>(files)->accept();
    });
    Click("BtnSave");
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    QSvgRenderer svg(QString::fromStdString(dir.File("picked.svg")));
    ASSERT_TRUE(svg.isValid());
    EXPECT_EQ(svg.defaultSize(), QSize(300, 240));
    EXPECT_EQ(Stored().ReadFloat("CtrlWidth.ValueEx", 0), 300);
}

// A render that fails leaves the dialog open with the reason and copies or stores nothing;
// once the cause is gone the same dialog copies. A missing off-screen buffer (as when it cannot
// be allocated) and a failing paint hook, whose picture would look drawn, are both told.
TEST_F(CopyImage, AFailedRenderIsReportedAndNothingIsCopied) {
    TGLRecordingPlatform failing;
    failing.FailMakeCurrent = true;
    bool hookFails = true;
    const struct {
        std::function<void()> Break, Mend;
        QString Width, Height, Reason, MendedWidth, MendedHeight;
    } cases[] = {
        {[&] { chart.SetBitmapPlatform(failing); },
         [&] { chart.SetBitmapPlatform(OSMesaPlatform()); }, "10000", "10000", "10000 × 10000",
         "100", "80"},
        {[&] {
             chart.OnAfterPaintGL = [&](TObject*, const TRect&) {
                 if (hookFails)
                     throw std::runtime_error("the overlay hook failed");
             };
         },
         [&] { hookFails = false; }, "120", "90", "the overlay hook failed", "120", "90"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Reason.toStdString());
        c.Break();
        QGuiApplication::clipboard()->setText("before");
        Open(&legend);
        CopyAt(c.Width, c.Height);
        EXPECT_TRUE(dialog->isVisible()) << "the dialog stays open";
        EXPECT_TRUE(Widget("LabelMessage")->isVisible());
        EXPECT_TRUE(dialog->Message().contains(c.Reason)) << dialog->Message().toStdString();
        EXPECT_EQ(QGuiApplication::clipboard()->text(), "before");
        EXPECT_FALSE(Stored().ValueExists("CtrlWidth.ValueEx"));

        c.Mend();
        CopyAt(c.MendedWidth, c.MendedHeight);
        EXPECT_EQ(dialog->result(), QDialog::Accepted);
        EXPECT_TRUE(dialog->Message().isEmpty());
        EXPECT_TRUE(QGuiApplication::clipboard()->mimeData()->hasImage());
        EXPECT_TRUE(QGuiApplication::clipboard()->mimeData()->hasFormat("image/svg+xml"));
        std::filesystem::remove(TQorStorage().RegistryFile());
    }
}

// Another X client asks for the clipboard in Target; the event loop runs meanwhile, so the
// program can serve the request. Empty when the client failed.
QByteArray PasteInOtherClient(const QString& Target) {
    QProcess xclip;
    xclip.start("xclip", {"-selection", "clipboard", "-t", Target, "-o"});
    QElapsedTimer clock;
    clock.start();
    while (xclip.state() != QProcess::NotRunning && clock.elapsed() < 20000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    if (xclip.state() != QProcess::NotRunning) {
        xclip.kill();
        xclip.waitForFinished();
        return {};
    }
    return xclip.exitCode() == 0 ? xclip.readAllStandardOutput() : QByteArray();
}

bool XvfbWithXclip() {
    return OnDisplay() &&
           !QStandardPaths::findExecutable("xclip").isEmpty(); // scripts/deps.sh installs it
}

} // namespace

using CopyImageXvfb = TFormMainFixture;

// The user opens a sample, presses Ctrl+C, sees the preview in "Copy Image" and presses Enter;
// other programs then paste the picture.
TEST_F(CopyImageXvfb, CtrlCAndEnterOfferSvgAndPngToOtherPrograms) {
    if (!XvfbWithXclip())
        GTEST_SKIP() << "needs a display and xclip";
    ASSERT_TRUE(StartOnScreen());
    TFormMain& w = *Window;
    ClickFile("surface.p3d");

    QString title;
    QImage preview;
    OnNextModal([&](QWidget* dialog) {
        title = dialog->windowTitle();
        preview = ScreenShot(*dialog)
                      .copy(AreaOf(*dialog, *dialog->findChild<QWidget*>("PaintBoxPreview")))
                      .convertToFormat(QImage::Format_RGB32);
        QTest::keyClick(dialog, Qt::Key_Return);
    });
    QTest::keyClick(&w, Qt::Key_C, Qt::ControlModifier);
    ASSERT_TRUE(WaitFor([&] { return !title.isEmpty(); }));
    EXPECT_EQ(title, "Copy Image");
    // The preview on the screen: the surface, and the legend's bar at the picture's right.
    ASSERT_FALSE(preview.isNull());
    EXPECT_GT(ColouredPixels(preview, preview.width() / 2), 20) << "the surface";
    const int right = preview.width() / 2 + int(std::nearbyint(preview.height() * 1.25)) / 2;
    EXPECT_GT(ColouredPixels(preview, right - 4), preview.height() / 2) << "the legend's bar";

    const QByteArray targets = PasteInOtherClient("TARGETS");
    EXPECT_TRUE(targets.contains("image/svg+xml")) << targets.toStdString();
    EXPECT_TRUE(targets.contains("image/png")) << targets.toStdString();
    const QImage png = QImage::fromData(PasteInOtherClient("image/png"), "PNG");
    EXPECT_EQ(png.size(), QSize(500, 400));
    QSvgRenderer svg(PasteInOtherClient("image/svg+xml"));
    ASSERT_TRUE(svg.isValid());
    EXPECT_EQ(svg.defaultSize(), QSize(500, 400));
}
