#include "draw/Qor3DDraw.h"
#include "Qor3DDrawTestHost.h"
#include "Qor3DRecording.h"
#include "QorChangeCount.h"
#include "TestSupport.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <numbers>

namespace {

// ---- Defaults, setters, update bracket ----

TEST(Qor3DDrawDefaults, ConstructorValues) {
    TQor3DDraw d;
    EXPECT_EQ(d.BackgroundColor(), clWhite);
    EXPECT_FALSE(d.DisableBufferClearing());
    EXPECT_FALSE(d.DisableMatrixInit());
    EXPECT_TRUE(d.LightsON());
    EXPECT_TRUE(d.PerspectiveON());
    EXPECT_TRUE(NearVector({d.XMin(), d.YMin(), d.ZNear(), d.ZFar()}, {0.3, 0.3, 1.0, 100.0}));
    EXPECT_TRUE(NearVector({d.RotX(), d.RotY(), d.RotZ(), d.TranslX(), d.TranslY(), d.TranslZ()},
                           {0, 0, 0, 0, 0, 0}));
    EXPECT_TRUE(NearVector({d.ScaleX(), d.ScaleY(), d.ScaleZ(), d.ViewScale()}, {1, 1, 1, 0.5}));
    EXPECT_TRUE(
        NearVector({d.ViewRotX(), d.ViewRotY(), d.ViewMoveX(), d.ViewMoveY(), d.ViewMoveZ()},
                   {20, 30, 0, 0, -2.5}));
    EXPECT_EQ(d.DragType(), pdRotate);
    EXPECT_EQ(d.DragTypeMid(), pdMove);
    EXPECT_EQ(d.DragTypeRight(), pdNone);
    EXPECT_EQ(d.WheelAction(), pdZoom);
    EXPECT_TRUE(d.UseDoubleBuffer());
    EXPECT_FALSE(d.UseFastDoubleBuffer());
    EXPECT_FALSE(d.UseSafeBitmapMode());
    EXPECT_EQ(d.Cursor(), crSizeAll);
    EXPECT_EQ(d.LastPaintError(), "");
    EXPECT_FALSE(d.IsBitmapMode());
    d.SetDesigning(true);
    EXPECT_TRUE(d.IsBitmapMode());
}

TEST(Qor3DDrawSetters, AnglesAreReducedAndChangesNotifiedOnce) {
    TQor3DDraw d;
    int changes = 0;
    d.OnChange = [&](TObject* sender) {
        EXPECT_EQ(sender, &d);
        ++changes;
    };
    d.SetRotX(450);
    EXPECT_DOUBLE_EQ(d.RotX(), 90);
    EXPECT_EQ(changes, 1);
    d.SetRotX(90);
    EXPECT_EQ(changes, 1);
    d.SetRotX(-450);
    EXPECT_DOUBLE_EQ(d.RotX(), -90);
    d.SetViewRotY(370);
    EXPECT_DOUBLE_EQ(d.ViewRotY(), 10);
    d.SetViewRotX(-370);
    EXPECT_DOUBLE_EQ(d.ViewRotX(), -10);
    d.SetRotZ(720);
    EXPECT_DOUBLE_EQ(d.RotZ(), 0);
    EXPECT_EQ(changes, 4);
    d.SetRotY(std::nan(""));
    EXPECT_DOUBLE_EQ(d.RotY(), 0);
    EXPECT_EQ(changes, 4);
}

TEST(Qor3DDrawSetters, PlainFieldsDoNotNotifyAndBufferSwitchesRecreateTheContext) {
    TGLRecordingPlatform rec;
    TFakeDrawHost host{rec, 20, 10};
    TQor3DDraw d;
    int changes = 0;
    d.OnChange = CountInto(changes);
    d.SetHost(&host);
    d.WindowCreated();
    d.SetDisableBufferClearing(true);
    d.SetDisableMatrixInit(true);
    d.SetUseFastDoubleBuffer(true);
    EXPECT_EQ(changes, 0);
    d.PaintMessage();
    EXPECT_NE(rec.LastRequest().dwFlags & PFD_DOUBLEBUFFER, 0u) << "the first context stays";
    d.SetUseDoubleBuffer(false);
    EXPECT_EQ(changes, 1);
    d.PaintMessage(); // the next paint makes a context of the new kind
    EXPECT_EQ(rec.LastRequest().dwFlags & PFD_DOUBLEBUFFER, 0u);
    EXPECT_EQ(rec.LiveContexts(), 1);
    d.SetUseSafeBitmapMode(true);
    EXPECT_EQ(changes, 2);
    d.WindowDestroying();
}

TEST(Qor3DDrawUpdate, BracketGivesOneChangeAndEndUpdateNeverGoesBelowZero) {
    TGLRecordingPlatform rec;
    TFakeDrawHost host{rec, 20, 10};
    TQor3DDraw d;
    d.SetHost(&host);
    int changes = 0;
    d.OnChange = CountInto(changes);
    d.BeginUpdate();
    d.BeginUpdate();
    d.SetXMin(1);
    d.SetYMin(2);
    d.EndUpdate();
    EXPECT_EQ(changes, 0);
    d.EndUpdate();
    EXPECT_EQ(changes, 1);
    d.EndUpdate();
    EXPECT_EQ(d.UpdateCount(), 0);
    d.BeginUpdate();
    d.EndUpdate();
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(host.Invalidations, 1) << "one repaint asked for the batch";
}

TEST(Qor3DDrawUpdate, DefaultPropertiesAndViewAngleRunTheirEventInOneBracket) {
    TQor3DDraw d;
    int changes = 0;
    d.OnChange = CountInto(changes);
    d.DefaultProperties();
    d.Set3DViewAngle();
    EXPECT_EQ(changes, 0);
    d.OnDefaultProperties = [&](TObject* s) {
        EXPECT_EQ(d.UpdateCount(), 1);
        static_cast<TQor3DDraw*>(s)->SetXMin(0.5);
        static_cast<TQor3DDraw*>(s)->SetYMin(0.5);
    };
    d.OnSet3DViewAngle = [&](TObject*) {
        d.SetViewRotY(45);
    };
    d.DefaultProperties();
    EXPECT_EQ(changes, 1);
    d.Set3DViewAngle();
    EXPECT_EQ(changes, 2);
    EXPECT_DOUBLE_EQ(d.ViewRotY(), 45);
}

// The view properties' copy is checked with the stored forms (EveryProperty); here the mouse and
// buffer settings only Assign copies, the one notification and what is not copied.
TEST(Qor3DDrawAssign, CopiesViewPropertiesButNotPlainFieldsOrEvents) {
    TQor3DDraw src;
    src.SetBackgroundColor(clRed);
    src.SetDragType(pdZoom);
    src.SetWheelAction(pdNone);
    src.SetUseDoubleBuffer(false);
    src.SetUseSafeBitmapMode(true);
    src.SetDisableBufferClearing(true);
    src.SetUseFastDoubleBuffer(true);
    bool srcEvent = false;
    src.OnPaintGL = [&](TObject*, const TRect&) {
        srcEvent = true;
    };

    TQor3DDraw d;
    int changes = 0;
    d.OnChange = CountInto(changes);
    d.Assign(src);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(d.BackgroundColor(), clRed);
    EXPECT_EQ(d.DragType(), pdZoom);
    EXPECT_EQ(d.WheelAction(), pdNone);
    EXPECT_FALSE(d.UseDoubleBuffer());
    EXPECT_TRUE(d.UseSafeBitmapMode());
    EXPECT_FALSE(d.DisableBufferClearing());
    EXPECT_FALSE(d.UseFastDoubleBuffer());
    EXPECT_FALSE(d.OnPaintGL);

    TObject other;
    d.Assign(other);
    EXPECT_EQ(changes, 1);
}

// ---- Render on the recording back-end ----

class Qor3DDrawRender : public ::testing::Test {
protected:
    void SetUp() override { Attach(200, 100); }
    void TearDown() override { d.WindowDestroying(); }
    void Attach(int w, int h) {
        host.Size = {w, h};
        d.SetBitmapPlatform(bitmaps);
        d.SetHost(&host);
        d.WindowCreated();
        rec.ClearLog();
    }
    // The recorded calls from the first call named From up to (not including) the one named To.
    std::vector<std::string> Between(const std::string& from, const std::string& to) const {
        std::vector<std::string> t;
        bool in = false;
        for (const TGLCall& c : rec.Log()) {
            if (c.Name == from)
                in = true;
            else if (in && c.Name == to)
                break;
            if (in)
                t.push_back(c.Text());
        }
        return t;
    }

    TGLRecordingPlatform rec;
    TGLRecordingPlatform bitmaps;
    TFakeDrawHost host{rec, 200, 100};
    TQor3DDraw d;
};

TEST_F(Qor3DDrawRender, WindowContextIsDoubleBufferedAndInitialised) {
    EXPECT_FALSE(d.IsBitmapMode());
    EXPECT_EQ(rec.LiveContexts(), 1);
    d.Render();
    EXPECT_EQ(rec.Calls("SwapBuffers").size(), 1u);
    EXPECT_EQ(rec.LastRequest().dwFlags,
              PFD_SUPPORT_OPENGL | PFD_DRAW_TO_WINDOW | PFD_DOUBLEBUFFER);
    EXPECT_EQ(host.Shape, crSizeAll);

    TGLRecordingPlatform other;
    TFakeDrawHost host2{other, 10, 10};
    TQor3DDraw d2;
    int inits = 0;
    d2.OnInitRenderingContext = CountInto(inits);
    d2.SetUseDoubleBuffer(false);
    d2.SetHost(&host2);
    d2.WindowCreated();
    EXPECT_EQ(inits, 1);
    EXPECT_EQ(other.Texts("glPixelStorei"),
              (std::vector<std::string>{"glPixelStorei(GL_UNPACK_ALIGNMENT, 1)"}));
    d2.Render();
    EXPECT_TRUE(other.Calls("SwapBuffers").empty()) << "single-buffered: nothing to swap";
    d2.WindowDestroying();
}

// The frustum (or box) widens along the longer side and keeps the ratio of XMin to YMin.
TEST_F(Qor3DDrawRender, ProjectionFollowsTheWindowShape) {
    d.Render();
    EXPECT_EQ(rec.Texts("glViewport"), (std::vector<std::string>{"glViewport(0, 0, 200, 100)"}));
    struct TCase {
        TPoint Size;
        double XMin, YMin, ZNear, ZFar;
        bool Perspective;
        std::vector<double> Args;
    };
    // r0 = 2, aspect 3: x widens to 0.4 * 3 / 2.
    for (const TCase& c :
         {TCase{{200, 100}, 0.3, 0.3, 1, 100, true, {-0.6, 0.6, -0.3, 0.3, 1, 100}},
          TCase{{100, 200}, 0.3, 0.3, 1, 100, true, {-0.3, 0.3, -0.6, 0.6, 1, 100}},
          TCase{{200, 0}, 0.3, 0.3, 1, 100, false, {-0.3, 0.3, -0.3, 0.3, 1, 100}},
          TCase{{300, 100}, 0.4, 0.2, 2, 20, true, {-0.6, 0.6, -0.2, 0.2, 2, 20}},
          TCase{{100, 100}, 0.4, 0.2, 2, 20, true, {-0.4, 0.4, -0.4, 0.4, 2, 20}},
          TCase{{100, 100}, 0.4, 0, 2, 20, true, {-0.4, 0.4, 0, 0, 2, 20}}}) {
        SCOPED_TRACE(::testing::PrintToString(c.Args));
        rec.ClearLog();
        host.Size = c.Size;
        d.SetXMin(c.XMin);
        d.SetYMin(c.YMin);
        d.SetZNear(c.ZNear);
        d.SetZFar(c.ZFar);
        d.SetPerspectiveON(c.Perspective);
        d.Render();
        const auto calls = rec.Calls(c.Perspective ? "glFrustum" : "glOrtho");
        ASSERT_EQ(calls.size(), 1u);
        EXPECT_TRUE(NearVector(calls[0].Args, c.Args));
        EXPECT_TRUE(rec.Calls(c.Perspective ? "glOrtho" : "glFrustum").empty());
    }
}

TEST_F(Qor3DDrawRender, MatricesLightsAndClearingInOrder) {
    d.SetBackgroundColor(RGBColor(255, 0, 51));
    d.Render();
    const std::vector<std::string> expected = {
        "glMatrixMode(GL_PROJECTION)",
        "glLoadIdentity()",
        "glViewport(0, 0, 200, 100)",
        "glFrustum(-0.6, 0.6, -0.3, 0.3, 1, 100)",
        "glMatrixMode(GL_MODELVIEW)",
        "glLoadIdentity()",
        "glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, 1)",
        "glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, 2, 2, 2, 1)",
        "glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, 120)",
        "glLightfv(GL_LIGHT0, GL_POSITION, 0.5, 0.5, 0.5, 1)",
        "glEnable(GL_LIGHTING)",
        "glEnable(GL_LIGHT0)",
        "glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE)",
        "glEnable(GL_COLOR_MATERIAL)",
        "glEnable(GL_NORMALIZE)",
        "glClearColor(1, 0, 0.2, 0)",
        "glClearDepth(1)",
        "glClear(GL_COLOR_BUFFER_BIT|GL_DEPTH_BUFFER_BIT)",
        "glDepthFunc(GL_LESS)",
        "glEnable(GL_DEPTH_TEST)",
    };
    EXPECT_EQ(Between("glMatrixMode", "glPushMatrix"), expected);
    const std::vector<std::string> tail = {"glPopMatrix()", "glFlush()", "glFinish()",
                                           "SwapBuffers()", "MakeCurrent(0)()"};
    const std::vector<std::string> all = rec.Texts();
    ASSERT_GE(all.size(), tail.size());
    EXPECT_EQ(std::vector<std::string>(all.end() - long(tail.size()), all.end()), tail);
}

TEST_F(Qor3DDrawRender, ModelViewIsLayeredInItsExactOrder) {
    d.SetViewMoveX(0.1);
    d.SetViewMoveY(0.2);
    d.SetViewMoveZ(-3);
    d.SetViewScale(0.8);
    d.SetViewRotY(90);
    d.SetViewRotX(15);
    d.SetRotZ(5);
    d.SetRotY(6);
    d.SetRotX(7);
    d.SetScaleX(2);
    d.SetScaleY(3);
    d.SetScaleZ(4);
    d.SetTranslX(-1);
    d.SetTranslY(-2);
    d.SetTranslZ(-3);
    d.Render();
    const auto log = rec.Log();
    auto push = std::find_if(log.begin(), log.end(),
                             [](const TGLCall& c) { return c.Name == "glPushMatrix"; });
    ASSERT_NE(push, log.end());
    const std::vector<std::pair<std::string, std::vector<double>>> expected = {
        {"glTranslated", {0.1, 0.2, -3}}, {"glScaled", {0.8, 0.8, 0.8}},
        {"glRotated", {90, 0, 1, 0}},     {"glRotated", {15, std::cos(std::numbers::pi / 2), 0, 1}},
        {"glRotated", {5, 0, 0, 1}},      {"glRotated", {6, 0, 1, 0}},
        {"glRotated", {7, 1, 0, 0}},      {"glScaled", {2, 3, 4}},
        {"glTranslated", {-1, -2, -3}},
    };
    for (size_t i = 0; i < expected.size(); ++i) {
        const TGLCall& c = *(push + 1 + static_cast<long>(i));
        EXPECT_EQ(c.Name, expected[i].first) << i;
        EXPECT_TRUE(NearVector(c.Args, expected[i].second, 1e-12)) << i;
    }
}

TEST_F(Qor3DDrawRender, SwitchesSkipTheirPartsAndLightsOffDisablesLighting) {
    d.SetLightsON(false);
    d.SetDisableBufferClearing(true);
    d.SetDisableMatrixInit(true);
    bool painted = false;
    d.OnPaintGL = [&](TObject*, const TRect&) {
        painted = true;
    };
    d.Render();
    EXPECT_TRUE(painted);
    for (const char* absent : {"glFrustum", "glPushMatrix", "glPopMatrix", "glClear", "glLightfv"})
        EXPECT_TRUE(rec.Calls(absent).empty()) << absent;
    EXPECT_EQ(rec.Texts("glDisable"), (std::vector<std::string>{"glDisable(GL_LIGHTING)"}));
    EXPECT_EQ(rec.Texts("glEnable"),
              (std::vector<std::string>{"glEnable(GL_COLOR_MATERIAL)", "glEnable(GL_NORMALIZE)"}));
}

// Painting swallows the failure but keeps its text until the next paint.
TEST_F(Qor3DDrawRender, PaintHandlerGetsTheTargetRectAndItsErrorsAreSwallowedAndKept) {
    TRect seen;
    bool fail = true;
    d.OnPaintGL = [&](TObject* s, const TRect& r) {
        EXPECT_EQ(s, &d);
        seen = r;
        if (fail)
            throw std::runtime_error("painter failed");
    };
    d.OnPaint = [&](TObject*, TCanvas&, const TRect&) {
        throw std::logic_error("overlay failed");
    };
    d.Render();
    EXPECT_EQ(seen, (TRect{0, 0, 200, 100}));
    EXPECT_FALSE(rec.Calls("glPopMatrix").empty());
    EXPECT_FALSE(rec.Calls("SwapBuffers").empty());
    EXPECT_EQ(d.LastPaintError(), "painter failed") << "the first failure of the paint";
    EXPECT_EQ(ActivationCount(), 0);
    fail = false;
    d.OnPaint = nullptr;
    d.Render();
    EXPECT_FALSE(d.IsBitmapMode()) << "a handler's failure keeps the window";
    EXPECT_EQ(d.LastPaintError(), "");
}

TEST_F(Qor3DDrawRender, AChangeInsidePaintingAsksForOneMoreRender) {
    int paints = 0;
    d.OnPaintGL = [&](TObject*, const TRect&) {
        if (++paints == 1)
            d.Render(); // a re-entrant request only marks the repaint
        d.SetRotX(33);
    };
    d.PaintMessage();
    EXPECT_EQ(paints, 1);
    const int invalidations = host.Invalidations;
    EXPECT_GE(invalidations, 1);
    d.PaintMessage();
    EXPECT_EQ(paints, 2);
    EXPECT_EQ(host.Invalidations, invalidations) << "nothing left to repaint";
}

TEST_F(Qor3DDrawRender, FastDoubleBufferSwapsAgainWithoutDrawing) {
    d.PaintMessage();
    d.SetUseFastDoubleBuffer(true);
    rec.ClearLog();
    d.PaintMessage(); // the first paint after the switch still renders
    EXPECT_EQ(rec.Calls("glClear").size(), 1u);
    rec.ClearLog();
    d.PaintMessage();
    d.PaintMessage();
    EXPECT_TRUE(rec.Calls("glClear").empty());
    EXPECT_EQ(rec.Calls("SwapBuffers").size(), 2u);
    host.Size = {150, 100};
    d.PaintMessage();
    EXPECT_EQ(rec.Calls("glClear").size(), 1u);
}

TEST_F(Qor3DDrawRender, AFailureOnTheWindowTurnsOnBitmapModeForGood) {
    rec.FailOnCall = "glClear";
    d.Render();
    EXPECT_TRUE(d.IsBitmapMode());
    EXPECT_GE(host.Invalidations, 1) << "the picture is drawn again through the bitmap";
    EXPECT_NE(d.LastPaintError(), "");
    EXPECT_EQ(rec.LiveContexts(), 0);
    EXPECT_EQ(ActivationCount(), 0);

    d.SetBackgroundColor(clBlue);
    d.PaintMessage();
    EXPECT_EQ(host.Shown, 1);
    EXPECT_EQ(host.LastShown.size(), QSize(200, 100));
    EXPECT_EQ(host.LastShown.pixel(100, 50), qRgb(0, 0, 255));
    EXPECT_EQ(bitmaps.LiveContexts(), 0); // the bitmap context lives for one render
    EXPECT_EQ(bitmaps.LastRequest().dwFlags,
              PFD_SUPPORT_OPENGL | PFD_DRAW_TO_BITMAP | PFD_SUPPORT_GDI);

    // Rebuilding the context does not bring the window back.
    rec.FailOnCall.clear();
    d.SetUseDoubleBuffer(false);
    d.PaintMessage();
    EXPECT_TRUE(d.IsBitmapMode());
    EXPECT_EQ(host.Shown, 2);
    EXPECT_EQ(rec.LiveContexts(), 0);
}

TEST_F(Qor3DDrawRender, AWindowWithoutContextFallsBackSilently) {
    TGLRecordingPlatform broken;
    broken.FailCreateContext = true;
    TFakeDrawHost host2{broken, 40, 30};
    TQor3DDraw d2;
    d2.SetBitmapPlatform(bitmaps);
    d2.SetHost(&host2);
    d2.WindowCreated();
    EXPECT_TRUE(d2.IsBitmapMode());
    EXPECT_EQ(host2.Released, 1);
    d2.Render();
    EXPECT_EQ(host2.Shown, 1);
    EXPECT_EQ(d2.LastPaintError(), "");
    d2.WindowDestroying();
}

TEST_F(Qor3DDrawRender, BitmapModeWithFastBufferCopiesTheLastPicture) {
    d.SetUseSafeBitmapMode(true);
    d.SetUseFastDoubleBuffer(true);
    d.PaintMessage();
    EXPECT_TRUE(d.IsBitmapMode());
    EXPECT_EQ(host.Shown, 1);
    EXPECT_EQ(bitmaps.Calls("glClear").size(), 1u);
    d.PaintMessage();
    EXPECT_EQ(host.Shown, 2);
    EXPECT_EQ(bitmaps.Calls("glClear").size(), 1u) << "shown again without drawing";
}

TEST_F(Qor3DDrawRender, AnOldImplementationGivesNoBitmapPicture) {
    bitmaps.Strings[GL_VERSION] = "1.0";
    d.SetUseSafeBitmapMode(true);
    d.PaintMessage();
    EXPECT_EQ(host.Shown, 0);
    EXPECT_EQ(d.LastPaintError(), "Different OpenGL version.");
    EXPECT_EQ(bitmaps.LiveContexts(), 0);
    EXPECT_EQ(ActivationCount(), 0);
    EXPECT_THROW(d.RenderToBitmap(10, 10), std::runtime_error);
    EXPECT_EQ(bitmaps.LiveContexts(), 0);
    EXPECT_EQ(ActivationCount(), 0);
    // The failed paint ended: the next one draws once the implementation is good.
    bitmaps.Strings[GL_VERSION] = "1.1";
    d.Render();
    EXPECT_EQ(host.Shown, 1);
    EXPECT_EQ(d.LastPaintError(), "");
}

TEST_F(Qor3DDrawRender, ExportRendersAtTheBitmapSizeAndThenRepaintsTheWindow) {
    std::vector<TRect> rects;
    d.OnPaintGL = [&](TObject*, const TRect& r) {
        rects.push_back(r);
    };
    int overlays = 0;
    d.OnPaint = [&](TObject*, TCanvas&, const TRect& r) {
        if (r == TRect{0, 0, 64, 32})
            ++overlays;
    };
    d.RenderToBitmap(64, 32);
    EXPECT_EQ(d.LastPaintError(), "");
    ASSERT_EQ(rects.size(), 2u);
    EXPECT_EQ(rects[0], (TRect{0, 0, 64, 32}));
    EXPECT_EQ(rects[1], (TRect{0, 0, 200, 100}));
    EXPECT_EQ(overlays, 1);
    EXPECT_EQ(bitmaps.Texts("glFrustum"),
              (std::vector<std::string>{"glFrustum(-0.6, 0.6, -0.3, 0.3, 1, 100)"}));
    EXPECT_EQ(bitmaps.Texts("glViewport"), (std::vector<std::string>{"glViewport(0, 0, 64, 32)"}));
    EXPECT_EQ(d.ExportBitmap().size(), QSize(64, 32));
    EXPECT_EQ(d.ExportBitmap().pixel(5, 5), qRgb(255, 255, 255));
    EXPECT_EQ(host.Shown, 0);
    EXPECT_EQ(bitmaps.LiveContexts(), 0);
    EXPECT_EQ(ActivationCount(), 0);
}

// What RenderToBitmap reports is the export's result, whatever the window's repaint after it
// meets: a good picture is not marked bad, a bad one is.
TEST_F(Qor3DDrawRender, ExportReportsItsOwnPaintNotTheWindowRepaint) {
    TRect failing{0, 0, 200, 100};
    d.OnPaintGL = [&](TObject*, const TRect& r) {
        if (r == failing)
            throw std::runtime_error("painter failed");
    };
    d.RenderToBitmap(64, 32);
    EXPECT_EQ(d.LastPaintError(), "");
    failing = {0, 0, 64, 32};
    d.RenderToBitmap(64, 32);
    EXPECT_EQ(d.LastPaintError(), "painter failed");
    // An export that gets no bitmap paints nothing, so it reports no older failure either.
    d.RenderToBitmap(0, 0);
    EXPECT_TRUE(d.ExportBitmap().isNull());
    EXPECT_EQ(d.LastPaintError(), "");
}

TEST(Qor3DDrawExport, WorksWithoutAWindow) {
    TGLRecordingPlatform bitmaps;
    TQor3DDraw d;
    d.SetBitmapPlatform(bitmaps);
    int painted = 0;
    d.OnPaintGL = [&](TObject*, const TRect&) {
        ++painted;
    };
    d.Render(); // no window: nothing happens
    EXPECT_EQ(painted, 0);
    d.RenderToBitmap(30, 20);
    EXPECT_EQ(painted, 1);
    EXPECT_EQ(d.ExportBitmap().size(), QSize(30, 20));
    d.RenderToBitmap(0, 20);
    EXPECT_TRUE(d.ExportBitmap().isNull());
    EXPECT_EQ(painted, 1);

    // A failure of the export's painting stays reported after RenderToBitmap.
    d.OnPaintGL = [&](TObject*, const TRect&) {
        throw std::runtime_error("no picture");
    };
    d.RenderToBitmap(30, 20);
    EXPECT_EQ(d.LastPaintError(), "no picture");
}

// ---- Mouse and wheel ----

class Qor3DDrawMouse : public Qor3DDrawRender {};

TEST_F(Qor3DDrawMouse, LeftDragRotatesAndTakesTheFocus) {
    d.MouseDown(mbLeft, {ssLeft}, 50, 50);
    EXPECT_EQ(host.Focused, 1);
    int changes = 0;
    d.OnChange = CountInto(changes);
    d.MouseMove({ssLeft}, 60, 47);
    EXPECT_DOUBLE_EQ(d.ViewRotY(), 40);
    EXPECT_DOUBLE_EQ(d.ViewRotX(), 17);
    EXPECT_EQ(changes, 1);
    d.MouseMove({ssLeft}, 60, 47);
    EXPECT_EQ(changes, 1);
    d.MouseUp(mbLeft, {}, 60, 47);
    d.MouseMove({}, 70, 47);
    EXPECT_DOUBLE_EQ(d.ViewRotY(), 40);
}

TEST_F(Qor3DDrawMouse, OnlyTheFirstActingButtonActs) {
    d.SetDragTypeRight(pdMove);
    d.MouseDown(mbLeft, {}, 0, 0);
    d.MouseDown(mbRight, {}, 0, 0);
    d.MouseMove({}, 5, 0);
    EXPECT_DOUBLE_EQ(d.ViewRotY(), 35);
    EXPECT_DOUBLE_EQ(d.ViewMoveX(), 0);
    d.SetDragType(pdNone);
    d.MouseMove({}, 10, 0);
    EXPECT_DOUBLE_EQ(d.ViewMoveX(), 5 * 0.3 / 100);
}

TEST_F(Qor3DDrawMouse, MoveAndZoomFormulas) {
    d.MouseDown(mbMiddle, {}, 0, 0);
    d.MouseMove({}, 10, 20);
    EXPECT_DOUBLE_EQ(d.ViewMoveX(), 10 * 0.3 / 100);
    EXPECT_DOUBLE_EQ(d.ViewMoveY(), -20 * 0.3 / 100);
    d.MouseUp(mbMiddle, {}, 10, 20);
    d.SetDragTypeRight(pdZoom);
    d.MouseDown(mbRight, {}, 0, 0);
    d.MouseMove({}, 0, -3);
    EXPECT_DOUBLE_EQ(d.XMin(), 0.3 * std::pow(1.05, -3));
    EXPECT_DOUBLE_EQ(d.YMin(), 0.3 * std::pow(1.05, -3));
}

TEST_F(Qor3DDrawMouse, WheelActionsPerNotch) {
    d.DoMouseWheel({}, 120, {1010, 1010});
    EXPECT_DOUBLE_EQ(d.XMin(), 0.3 * std::pow(1.05, 3));
    d.DoMouseWheel({}, -1, {1010, 1010}); // one notch, whatever the size
    EXPECT_NEAR(d.XMin(), 0.3, 1e-12);
    d.SetWheelAction(pdRotate);
    d.DoMouseWheel({}, 240, {0, 0});
    EXPECT_DOUBLE_EQ(d.ViewRotX(), 15);
    d.DoMouseWheel({ssShift}, 240, {0, 0});
    EXPECT_DOUBLE_EQ(d.ViewRotY(), 35);
    d.SetWheelAction(pdMove);
    d.DoMouseWheel({ssShift}, -120, {0, 0});
    EXPECT_DOUBLE_EQ(d.ViewMoveX(), -3 * 0.3 / 20);
    d.DoMouseWheel({}, 120, {0, 0});
    EXPECT_DOUBLE_EQ(d.ViewMoveY(), -3 * 0.3 / 20);
}

TEST_F(Qor3DDrawMouse, AWheelNotchOutsideTheControlDoesNothing) {
    int events = 0;
    d.OnMouseWheel = [&](TObject*, TShiftState, int, TPoint, bool&) {
        ++events;
    };
    d.OnMouseWheelUp = [&](TObject*, TShiftState, TPoint, bool&) {
        ++events;
    };
    host.Cursor = {200, 50};
    bool handled = false;
    d.MouseWheelAction(&d, {}, 120, {0, 0}, handled);
    EXPECT_FALSE(handled);
    host.Cursor = {-1, 5};
    EXPECT_FALSE(d.DoMouseWheel({}, 120, {0, 0}));
    EXPECT_DOUBLE_EQ(d.XMin(), 0.3);
    EXPECT_EQ(events, 0);
    host.Cursor = {5, 5};
    host.Showing = false;
    EXPECT_FALSE(d.DoMouseWheel({}, 120, {0, 0}));
    EXPECT_EQ(events, 0);
}

TEST_F(Qor3DDrawMouse, UnhandledWheelFiresTheInheritedEventsOnceEvenWhenTheOwnerCallsBack) {
    d.SetWheelAction(pdNone);
    int wheel = 0;
    int down = 0;
    TPoint seen;
    d.OnMouseWheel = [&](TObject* s, TShiftState shift, int delta, TPoint pos, bool& handled) {
        ++wheel;
        seen = pos;
        // An owner handler that forwards to the control, as the main window does.
        d.MouseWheelAction(s, shift, delta, pos, handled);
    };
    d.OnMouseWheelDown = [&](TObject*, TShiftState, TPoint, bool& handled) {
        ++down;
        handled = true;
    };
    EXPECT_TRUE(d.DoMouseWheel({}, -120, {1020, 1030}));
    EXPECT_EQ(wheel, 1);
    EXPECT_EQ(down, 1);
    EXPECT_EQ(seen, (TPoint{20, 30}));
    // A wheel event that reaches the owner first still acts once through the forwarded call.
    d.SetWheelAction(pdZoom);
    bool handled = false;
    d.MouseWheelAction(nullptr, {}, 120, {0, 0}, handled);
    EXPECT_TRUE(handled);
    EXPECT_EQ(wheel, 1);
}

// ---- Turning at reduced density ----

// The scene is told the view's size while the user drags or wheels, and painted at full density
// once the host's timer ends turning; exports and a disabled setting always paint at full
// density, and a still picture is not drawn again.
TEST_F(Qor3DDrawMouse, DragAndWheelPaintWithTheViewSizeUntilTheTimerEndsTurning) {
    std::vector<TPoint> views;
    d.OnPaintGL = [&](TObject*, const TRect&) {
        views.push_back(d.TurningView());
    };
    d.PaintMessage();
    EXPECT_FALSE(d.Turning());
    d.MouseDown(mbLeft, {ssLeft}, 50, 50);
    d.MouseMove({ssLeft}, 50, 50); // no move, no turning
    EXPECT_EQ(host.TurningTimerStarts, 0);
    d.MouseMove({ssLeft}, 53, 50);
    EXPECT_TRUE(d.Turning());
    EXPECT_EQ(host.TurningTimerStarts, 1);
    d.PaintMessage();
    d.DoMouseWheel({}, 120, {1010, 1010});
    EXPECT_EQ(host.TurningTimerStarts, 2);
    d.PaintMessage();
    // Exports and copies are full density even while turning; the window's repaint is not.
    d.RenderToBitmap(30, 20);
    EXPECT_EQ(views, (std::vector<TPoint>{{0, 0}, {200, 100}, {200, 100}, {0, 0}, {200, 100}}));
    EXPECT_TRUE(d.LastPaintTurning());

    const int invalidations = host.Invalidations;
    d.EndTurning();
    EXPECT_FALSE(d.Turning());
    EXPECT_EQ(host.Invalidations, invalidations + 1);
    d.PaintMessage();
    ASSERT_EQ(views.size(), 6u);
    EXPECT_EQ(views[5], (TPoint{0, 0}));
    d.EndTurning(); // the picture is already full density
    EXPECT_EQ(host.Invalidations, invalidations + 1);

    // Switched off while turning: the reduced picture is replaced, and no paint is reduced.
    d.BeginTurning();
    d.PaintMessage();
    d.SetFastTurning(false);
    EXPECT_EQ(host.Invalidations, invalidations + 2);
    d.PaintMessage();
    EXPECT_EQ(views.back(), (TPoint{0, 0}));
    d.MouseMove({ssLeft}, 60, 50);
    d.PaintMessage();
    EXPECT_EQ(views.back(), (TPoint{0, 0}));

    // The last button up ends turning at once: the full picture needs no wait for the timer.
    d.SetFastTurning(true);
    d.MouseMove({ssLeft}, 70, 50);
    d.PaintMessage();
    EXPECT_TRUE(d.LastPaintTurning());
    d.MouseUp(mbLeft, {}, 70, 50);
    EXPECT_FALSE(d.Turning());
    d.PaintMessage();
    EXPECT_EQ(views.back(), (TPoint{0, 0}));
}

TEST_F(Qor3DDrawMouse, SafeBitmapModeTurnsTooAndPaintsAStillChartAtFullDensity) {
    std::vector<TPoint> views;
    d.OnPaintGL = [&](TObject*, const TRect&) {
        views.push_back(d.TurningView());
    };
    d.SetUseSafeBitmapMode(true);
    d.PaintMessage();
    d.DoMouseWheel({}, -120, {1010, 1010});
    d.PaintMessage();
    d.EndTurning();
    d.PaintMessage();
    EXPECT_TRUE(d.IsBitmapMode());
    EXPECT_EQ(views, (std::vector<TPoint>{{0, 0}, {200, 100}, {0, 0}}));
}

TEST(Qor3DDrawDesignScene, SphereCubeTwiceAndAxesWithTheirState) {
    TGLRecordingPlatform rec;
    TQor3DDraw d;
    d.SetBitmapPlatform(rec);
    d.OnPaintGL = [&](TObject*, const TRect&) {
        rec.ClearLog();
        d.DrawDesignScene();
    };
    d.RenderToBitmap(20, 20);
    std::vector<std::string> state;
    for (const TGLCall& c : rec.Log())
        if (c.Name != "glNormal3d" && c.Name != "glTexCoord2f" && c.Name != "glVertex3d" &&
            c.Name.rfind("Make", 0) != 0 && c.Name != "glFlush" && c.Name != "glFinish" &&
            c.Name != "glPopMatrix" && c.Name != "DeleteContext")
            state.push_back(c.Text());
    const std::vector<std::string> expected = {
        "glPushMatrix()",
        "glTranslated(0.5, 0.5, 0.5)",
        "glColor3f(1, 0, 0)",
        "gluNewQuadric()",
        "gluSphere(0.5, 32, 32)",
        "gluDeleteQuadric()",
        "glEnable(GL_BLEND)",
        "glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA)",
        "glDepthMask(0)",
        "glColor4ub(255, 255, 255, 128)",
        "glBegin(GL_QUADS)",
        "glEnd()",
        "glColor4ub(255, 255, 255, 85)",
        "glBegin(GL_QUADS)",
        "glEnd()",
        "glDepthMask(1)",
        "glDisable(GL_BLEND)",
        "glDisable(GL_LIGHTING)",
        "glLineWidth(3)",
        "glBegin(GL_LINES)",
        "glColor3f(1, 0, 0)",
        "glColor3f(0, 1, 0)",
        "glColor3f(0, 0, 1)",
        "glEnd()",
    };
    ASSERT_GE(state.size(), expected.size());
    EXPECT_EQ(std::vector<std::string>(state.begin(), state.begin() + expected.size()), expected);
    // The second pass draws the six faces in reversed order: FaceYMax's normal comes first.
    const auto normals = rec.Calls("glNormal3d");
    ASSERT_EQ(normals.size(), 12u);
    EXPECT_EQ(normals[0].Text(), "glNormal3d(0, 0, -1)");
    EXPECT_EQ(normals[6].Text(), "glNormal3d(0, 1, 0)");
    EXPECT_EQ(rec.Calls("glVertex3d").size(), 48u + 6u);
}

} // namespace
