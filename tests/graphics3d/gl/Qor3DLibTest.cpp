#include "gl/Qor3DLib.h"
#include "Qor3DRecording.h"
#include "TestSupport.h"

#include <future>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <thread>

namespace {

template <typename F> std::string MessageOf(F&& f) {
    try {
        f();
    } catch (const std::exception& e) {
        return e.what();
    }
    return "<no exception>";
}

// ---- Pixel-format request ----

TEST(Qor3DLibPixelFormat, RequestFollowsOptionsAndBitCounts) {
    const auto win = BuildPixelFormatRequest(OBJ_DC, {TContextOption::DoubleBuffered},
                                             {.ColorBits = 32, .DepthBits = 8});
    EXPECT_EQ(win.nSize, 40);
    EXPECT_EQ(win.nVersion, 1);
    EXPECT_EQ(win.dwFlags, PFD_SUPPORT_OPENGL | PFD_DRAW_TO_WINDOW | PFD_DOUBLEBUFFER);
    EXPECT_EQ(win.iPixelType, PFD_TYPE_RGBA);
    EXPECT_EQ(win.cColorBits, 32);
    EXPECT_EQ(win.cAlphaBits, 8);
    EXPECT_EQ(win.cDepthBits, 8);
    EXPECT_EQ(win.iLayerType, PFD_MAIN_PLANE);

    const auto mem = BuildPixelFormatRequest(
        OBJ_MEMDC, {TContextOption::GdiSupport, TContextOption::Stereo},
        {.ColorBits = 24, .DepthBits = 16, .StencilBits = 8, .AuxBuffers = 2, .Layer = -1});
    EXPECT_EQ(mem.dwFlags, PFD_SUPPORT_OPENGL | PFD_DRAW_TO_BITMAP | PFD_SUPPORT_GDI | PFD_STEREO);
    EXPECT_EQ(mem.cAlphaBits, 0);
    EXPECT_EQ(mem.cStencilBits, 8);
    EXPECT_EQ(mem.cAuxBuffers, 2);
    EXPECT_EQ(mem.cAccumBits + mem.cAccumRedBits + mem.cAccumAlphaBits, 0);
    EXPECT_EQ(mem.iLayerType, PFD_UNDERLAY_PLANE);
    EXPECT_EQ(
        BuildPixelFormatRequest(OBJ_ENHMETADC, {}, {.ColorBits = 32, .DepthBits = 8, .Layer = 1})
            .iLayerType,
        PFD_OVERLAY_PLANE);
    EXPECT_TRUE(BuildPixelFormatRequest(OBJ_METADC, {}, {.ColorBits = 32, .DepthBits = 8}).dwFlags &
                PFD_DRAW_TO_BITMAP);
}

// ---- Context operations on the recording back-end ----

class Qor3DLibContext : public ::testing::Test {
protected:
    void SetUp() override {
        dc = rec.CreateSurface(OBJ_DC);
        rc = CreateRenderingContext(dc.get(), {TContextOption::DoubleBuffered},
                                    {.ColorBits = 32, .DepthBits = 8});
    }
    void TearDown() override {
        while (ActivationCount() > 0)
            DeactivateRenderingContext();
        for (HGLRC c : {rc, rc2})
            if (c != nullptr)
                DestroyRenderingContext(c);
    }
    TGLRecordingPlatform rec;
    std::unique_ptr<TGLSurface> dc;
    HGLRC rc = nullptr;
    HGLRC rc2 = nullptr;
};

TEST_F(Qor3DLibContext, CreationSetsTheChosenFormatAndResetsLastPixelFormat) {
    EXPECT_EQ(rec.LastRequest().dwFlags,
              PFD_SUPPORT_OPENGL | PFD_DRAW_TO_WINDOW | PFD_DOUBLEBUFFER);
    EXPECT_EQ(dc->PixelFormat(), 1);
    EXPECT_EQ(LastPixelFormat(), 0);
    ActivateRenderingContext(dc.get(), rc);
    EXPECT_EQ(LastPixelFormat(), 1);
    DeactivateRenderingContext();
    auto single = rec.CreateSurface(OBJ_DC);
    rc2 = CreateRenderingContext(single.get(), {}, {.ColorBits = 32, .DepthBits = 8});
    EXPECT_EQ(single->PixelFormat(), 2);
    EXPECT_EQ(LastPixelFormat(), 0);
    DestroyRenderingContext(rc2);
    rc2 = nullptr;
}

TEST_F(Qor3DLibContext, CreationFailuresRaiseTheBackEndsText) {
    auto invalid = rec.CreateSurface(0);
    EXPECT_THROW(CreateRenderingContext(invalid.get(), {}, {.ColorBits = 32, .DepthBits = 8}),
                 EOSError);
    EXPECT_THROW(CreateRenderingContext(nullptr, {}, {.ColorBits = 32, .DepthBits = 8}), EOSError);
    auto other = rec.CreateSurface(OBJ_DC);
    rec.FailCreateContext = true;
    EXPECT_EQ(MessageOf([&] {
                  CreateRenderingContext(other.get(), {}, {.ColorBits = 32, .DepthBits = 8});
              }),
              "The requested resource is in use.");
    rec.FailCreateContext = false;
    rec.LibraryMissing = true;
    EXPECT_THAT(MessageOf([&] {
                    CreateRenderingContext(other.get(), {}, {.ColorBits = 32, .DepthBits = 8});
                }),
                ::testing::HasSubstr("cannot open shared object"));
}

TEST_F(Qor3DLibContext, NestedActivationNeedsAsManyDeactivations) {
    ActivateRenderingContext(dc.get(), rc);
    ActivateRenderingContext(dc.get(), rc);
    EXPECT_EQ(ActivationCount(), 2);
    DeactivateRenderingContext();
    EXPECT_TRUE(IsContextRegistered(rc));
    EXPECT_EQ(CurrentRC(), rc);
    DeactivateRenderingContext();
    EXPECT_FALSE(IsContextRegistered(rc));
    EXPECT_EQ(CurrentRC(), nullptr);
    EXPECT_EQ(ActivationCount(), 0);
}

TEST_F(Qor3DLibContext, CreatingAContextWhileOneIsActiveKeepsTheActiveOne) {
    ActivateRenderingContext(dc.get(), rc);
    auto dc2 = rec.CreateSurface(OBJ_MEMDC);
    rc2 = CreateRenderingContext(dc2.get(), {TContextOption::GdiSupport},
                                 {.ColorBits = 32, .DepthBits = 8});
    EXPECT_EQ(ActivationCount(), 1);
    EXPECT_EQ(CurrentRC(), rc);
    DeactivateRenderingContext();
    EXPECT_FALSE(IsContextRegistered(rc));
}

TEST_F(Qor3DLibContext, CallingRulesAreAsserted) {
    EXPECT_EQ(MessageOf([&] { ActivateRenderingContext(nullptr, rc); }), "DC must not be 0");
    EXPECT_EQ(MessageOf([&] { ActivateRenderingContext(dc.get(), nullptr); }), "RC must not be 0");
    EXPECT_EQ(MessageOf([] { DeactivateRenderingContext(); }), "Unbalanced deactivation.");
    EXPECT_THROW(DeactivateRenderingContext(), EAssertionFailed);

    auto dc2 = rec.CreateSurface(OBJ_DC);
    rc2 = CreateRenderingContext(dc2.get(), {}, {.ColorBits = 32, .DepthBits = 8});
    ActivateRenderingContext(dc.get(), rc);
    EXPECT_EQ(MessageOf([&] { ActivateRenderingContext(dc2.get(), rc2); }),
              "Incoherent DC/RC pair.");
    EXPECT_EQ(MessageOf([&] { ActivateRenderingContext(dc.get(), rc2); }),
              "Incoherent DC/RC pair.");
    EXPECT_EQ(ActivationCount(), 1);
    // Checked before the registry, even for a context that is not the active one.
    EXPECT_EQ(MessageOf([&] { DestroyRenderingContext(rc2); }),
              "Active contexts cannot be deleted.");
    DeactivateRenderingContext();
}

TEST_F(Qor3DLibContext, FailedMakeCurrentLeavesStateAsItWas) {
    rec.FailMakeCurrent = true;
    EXPECT_EQ(MessageOf([&] { ActivateRenderingContext(dc.get(), rc); }), "wglMakeCurrent failed");
    EXPECT_EQ(ActivationCount(), 0);
    EXPECT_FALSE(IsContextRegistered(rc));
    rec.FailMakeCurrent = false;

    ActivateRenderingContext(dc.get(), rc);
    rec.FailRelease = true;
    EXPECT_EQ(MessageOf([] { DeactivateRenderingContext(); }), "wglMakeCurrent failed");
    EXPECT_EQ(ActivationCount(), 0);
    EXPECT_FALSE(IsContextRegistered(rc));
    rec.FailRelease = false;

    rec.FailDeleteContext = true;
    EXPECT_EQ(MessageOf([&] { DestroyRenderingContext(rc); }), "wglDeleteContext failed");
    rec.FailDeleteContext = false;
}

TEST_F(Qor3DLibContext, AContextIsCurrentInOneThreadOnly) {
    std::promise<void> held;
    std::promise<void> release;
    std::thread other([&] {
        ActivateRenderingContext(dc.get(), rc);
        held.set_value();
        release.get_future().wait();
        DeactivateRenderingContext();
    });
    held.get_future().wait();
    EXPECT_EQ(MessageOf([&] { ActivateRenderingContext(dc.get(), rc); }),
              "Rendering context already active in another thread.");
    EXPECT_EQ(ActivationCount(), 0);
    EXPECT_EQ(MessageOf([&] { DestroyRenderingContext(rc); }),
              "Cannot delete rendering context. It is still in use by another thread.");
    EXPECT_TRUE(IsContextRegistered(rc));
    release.set_value();
    other.join();
    EXPECT_FALSE(IsContextRegistered(rc));
    ActivateRenderingContext(dc.get(), rc);
    EXPECT_EQ(CurrentRC(), rc);
    DeactivateRenderingContext();
}

TEST_F(Qor3DLibContext, TwoThreadsUseTwoContextsAtOnce) {
    auto dc2 = rec.CreateSurface(OBJ_DC);
    rc2 = CreateRenderingContext(dc2.get(), {}, {.ColorBits = 32, .DepthBits = 8});
    std::promise<void> held;
    std::promise<void> release;
    std::thread other([&] {
        ActivateRenderingContext(dc2.get(), rc2);
        held.set_value();
        release.get_future().wait();
        DeactivateRenderingContext();
    });
    held.get_future().wait();
    ActivateRenderingContext(dc.get(), rc);
    EXPECT_TRUE(IsContextRegistered(rc));
    EXPECT_TRUE(IsContextRegistered(rc2));
    EXPECT_EQ(ActivationCount(), 1);
    DeactivateRenderingContext();
    release.set_value();
    other.join();
    EXPECT_FALSE(IsContextRegistered(rc2));
}

// ---- Function table ----

TEST_F(Qor3DLibContext, TableAndVersionFlagsAreLoadedOnActivation) {
    EXPECT_EQ(MessageOf([] { GL().Flush(); }), "No rendering context is active.");
    rec.Strings[GL_VERSION] = "4.5 (Compatibility Profile) Mesa 22.3.6";
    ActivateRenderingContext(dc.get(), rc);
    GL().Flush();
    EXPECT_EQ(rec.Names().back(), "glFlush");
    EXPECT_EQ(GLImplementation().Major, 4);
    EXPECT_EQ(GLImplementation().Minor, 5);
    EXPECT_TRUE(GLImplementation().Version11OrLater());
    DeactivateRenderingContext();

    // The same pixel format again: nothing is reloaded.
    rec.Strings[GL_VERSION] = "1.0";
    rec.ClearLog();
    ActivateRenderingContext(dc.get(), rc);
    EXPECT_TRUE(rec.Calls("glGetString").empty());
    DeactivateRenderingContext();

    // A new context resets LastPixelFormat, so the next activation reads the properties again.
    auto dc2 = rec.CreateSurface(OBJ_DC);
    rc2 = CreateRenderingContext(dc2.get(), {TContextOption::DoubleBuffered},
                                 {.ColorBits = 32, .DepthBits = 8});
    ActivateRenderingContext(dc.get(), rc);
    EXPECT_FALSE(rec.Calls("glGetString").empty());
    EXPECT_FALSE(GLImplementation().Version11OrLater());
    DeactivateRenderingContext();
}

TEST_F(Qor3DLibContext, AMissingEntryPointIsReportedByName) {
    rec.MissingEntryPoints = {"glFrustum"};
    EXPECT_EQ(MessageOf([&] { ActivateRenderingContext(dc.get(), rc); }),
              "OpenGL entry point glFrustum is not available.");
    EXPECT_EQ(ActivationCount(), 0);
    EXPECT_FALSE(IsContextRegistered(rc));

    // GLU serves only the sample sphere: its absence does not stop activation.
    rec.MissingEntryPoints = {"gluSphere"};
    ActivateRenderingContext(dc.get(), rc);
    EXPECT_EQ(MessageOf([] { GL().gluSphere(nullptr, 1, 8, 8); }),
              "OpenGL entry point gluSphere is not available.");
    DeactivateRenderingContext();
}

// ---- Drawing helpers ----

std::vector<std::string> BoxFaceCalls(TBoxFace face, double x1, double y1, double z1, double x2,
                                      double y2, double z2) {
    struct C {
        double s, t, x, y, z;
    };
    std::vector<C> c;
    std::string normal;
    switch (face) {
    case FaceZMin:
        normal = "glNormal3d(0, 0, -1)";
        c = {{1, 1, x1, y1, z1}, {0, 1, x1, y2, z1}, {0, 0, x2, y2, z1}, {1, 0, x2, y1, z1}};
        break;
    case FaceZMax:
        normal = "glNormal3d(0, 0, 1)";
        c = {{1, 1, x2, y1, z2}, {0, 1, x2, y2, z2}, {0, 0, x1, y2, z2}, {1, 0, x1, y1, z2}};
        break;
    case FaceXMin:
        normal = "glNormal3d(-1, 0, 0)";
        c = {{1, 0, x1, y1, z1}, {1, 1, x1, y1, z2}, {0, 1, x1, y2, z2}, {0, 0, x1, y2, z1}};
        break;
    case FaceXMax:
        normal = "glNormal3d(1, 0, 0)";
        c = {{0, 1, x2, y2, z1}, {0, 0, x2, y2, z2}, {1, 0, x2, y1, z2}, {1, 1, x2, y1, z1}};
        break;
    case FaceYMin:
        normal = "glNormal3d(0, -1, 0)";
        c = {{1, 0, x1, y1, z1}, {1, 1, x2, y1, z1}, {0, 1, x2, y1, z2}, {0, 0, x1, y1, z2}};
        break;
    case FaceYMax:
        normal = "glNormal3d(0, 1, 0)";
        c = {{1, 0, x1, y2, z2}, {1, 1, x2, y2, z2}, {0, 1, x2, y2, z1}, {0, 0, x1, y2, z1}};
        break;
    }
    std::vector<std::string> out{normal};
    for (const C& k : c) {
        out.push_back(TGLCall{"glTexCoord2f", {k.s, k.t}}.Text());
        out.push_back(TGLCall{"glVertex3d", {k.x, k.y, k.z}}.Text());
    }
    return out;
}

class Qor3DLibDrawing : public Qor3DLibContext {
protected:
    void SetUp() override {
        Qor3DLibContext::SetUp();
        ActivateRenderingContext(dc.get(), rc);
        rec.ClearLog();
    }
    static std::vector<std::string> Expected(const std::vector<TBoxFace>& faces) {
        std::vector<std::string> e{"glBegin(GL_QUADS)"};
        for (TBoxFace f : faces) {
            auto calls = BoxFaceCalls(f, 1, 2, 3, 4, 5, 6);
            e.insert(e.end(), calls.begin(), calls.end());
        }
        e.push_back("glEnd()");
        return e;
    }
};

TEST_F(Qor3DLibDrawing, DrawBoxEmitsFacesInBitOrder) {
    DrawBox(AllBoxFaces, false, 1, 2, 3, 4, 5, 6);
    EXPECT_EQ(rec.Texts(), Expected({FaceZMin, FaceZMax, FaceXMin, FaceXMax, FaceYMin, FaceYMax}));
}

TEST_F(Qor3DLibDrawing, DrawBoxReversedAndWithSwappedCorners) {
    DrawBox(AllBoxFaces, true, 4, 5, 6, 1, 2, 3);
    EXPECT_EQ(rec.Texts(), Expected({FaceYMax, FaceYMin, FaceXMax, FaceXMin, FaceZMax, FaceZMin}));
    rec.ClearLog();
    DrawBox({FaceXMax, FaceZMin}, false, 4, 2, 6, 1, 5, 3);
    EXPECT_EQ(rec.Texts(), Expected({FaceZMin, FaceXMax}));
    rec.ClearLog();
    DrawBox({}, false, 0, 0, 0, 1, 1, 1);
    EXPECT_EQ(rec.Texts(), (std::vector<std::string>{"glBegin(GL_QUADS)", "glEnd()"}));
}

// The scope guards close their pairs however the scope is left; a close that fails while an
// exception unwinds is dropped for the first failure, after a normal exit it passes on.
TEST_F(Qor3DLibDrawing, ScopeGuardsCloseTheirPairs) {
    const TGLFunctions& gl = GL();
    EXPECT_THROW(
        {
            TGLMatrixScope matrix(gl);
            matrix.Restore();
            const TGLPrimitive lines(gl, GL_LINES);
            throw std::runtime_error("drawing failed");
        },
        std::runtime_error);
    EXPECT_EQ(rec.Texts(),
              (std::vector<std::string>{"glPushMatrix()", "glPopMatrix()", "glPushMatrix()",
                                        "glBegin(GL_LINES)", "glEnd()", "glPopMatrix()"}));
    rec.ClearLog();
    const TGLMatrixScope none(gl, false);
    EXPECT_TRUE(rec.Texts().empty());

    rec.FailOnCall = "glEnd";
    try {
        const TGLPrimitive lines(gl, GL_LINES);
        throw std::runtime_error("first");
    } catch (const std::exception& e) {
        EXPECT_STREQ(e.what(), "first");
    }
    EXPECT_THROW({ const TGLPrimitive lines(gl, GL_LINES); }, EOpenGLException);
    rec.FailOnCall.clear();
}

// The recorded call texts name GLenum and GLbitfield arguments by the kind of value each takes;
// numbers, and values without a name, stay numbers.
TEST(Qor3DRecordingTexts, EnumsByNameNumbersAsNumbers) {
    const auto text = [](const char* Name, std::vector<double> Args) {
        return TGLCall{Name, std::move(Args)}.Text();
    };
    EXPECT_EQ(text("glBlendFunc", {GL_SRC_ALPHA, GL_ONE}), "glBlendFunc(GL_SRC_ALPHA, GL_ONE)");
    EXPECT_EQ(text("glBegin", {GL_LINES}), "glBegin(GL_LINES)");
    EXPECT_EQ(text("glClear", {GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT}),
              "glClear(GL_COLOR_BUFFER_BIT|GL_DEPTH_BUFFER_BIT)");
    EXPECT_EQ(text("glBindTexture", {GL_TEXTURE_2D, 1}), "glBindTexture(GL_TEXTURE_2D, 1)");
    EXPECT_EQ(text("glVertexPointer", {3, GL_FLOAT, 0}), "glVertexPointer(3, GL_FLOAT, 0)");
    EXPECT_EQ(text("glDepthMask", {1}), "glDepthMask(1)");
    EXPECT_EQ(text("glEnable", {123456}), "glEnable(123456)");
}

TEST_F(Qor3DLibDrawing, ColoursBecomeGLFloats) {
    EXPECT_EQ(ColorToGLRGB(clRed), (TGLRGB{1, 0, 0}));
    EXPECT_EQ(ColorToGLRGB(RGBColor(51, 102, 255)), (TGLRGB{0.2f, 0.4f, 1.0f}));
    const TColor window = ColorToRGB(clWindow);
    EXPECT_EQ(ColorToGLRGB(clWindow),
              (TGLRGB{GetRValue(window) / 255.0f, GetGValue(window) / 255.0f,
                      GetBValue(window) / 255.0f}));
    SetGLColor(clBlue);
    EXPECT_EQ(rec.Texts(), (std::vector<std::string>{"glColor3fv(0, 0, 1)"}));
}

} // namespace
