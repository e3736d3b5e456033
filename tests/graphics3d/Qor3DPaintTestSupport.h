// A chart with a current recording context, and readers of the recorded vertex stream.
#pragma once

#include "Qor3DChartTestSupport.h"
#include "Qor3DRecording.h"
#include "chart/Qor3DChart.h"

#include <gtest/gtest.h>
#include <initializer_list>
#include <string>
#include <vector>

// The state calls of the painters' passes, as StateCalls shows them: a translucent pass's start
// with its first alpha, and a whole highlight pass.
inline std::vector<std::string> TranslucentStart(int Alpha) {
    return {"glEnable(GL_BLEND)", "glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA)",
            "glDepthMask(0)", "glColor4ub(255, 255, 255, " + std::to_string(Alpha) + ")"};
}
inline std::vector<std::string> HighlightPass() {
    return {"glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, 0.9, 0.9, 0.9, 1)",
            "glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, 50)",
            "glEnable(GL_BLEND)",
            "glBlendFunc(GL_SRC_ALPHA, GL_ONE)",
            "glDepthMask(0)",
            "glDepthFunc(GL_LEQUAL)",
            "glColor4ub(0, 0, 0, 255)",
            "strips",
            "glDepthFunc(GL_LESS)",
            "glDepthMask(1)",
            "glDisable(GL_BLEND)"};
}
// The lists one after the other.
inline std::vector<std::string> Joined(std::initializer_list<std::vector<std::string>> Parts) {
    std::vector<std::string> out;
    for (const std::vector<std::string>& p : Parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

class TRecordedPaint : public ::testing::Test {
protected:
    void SetUp() override {
        dc = rec.CreateSurface(OBJ_DC);
        rc = CreateRenderingContext(dc.get(), {TContextOption::DoubleBuffered},
                                    {.ColorBits = 32, .DepthBits = 24});
        ActivateRenderingContext(dc.get(), rc);
        rec.ClearLog();
    }
    void TearDown() override {
        while (ActivationCount() > 0)
            DeactivateRenderingContext();
        DestroyRenderingContext(rc);
    }

    static bool IsArraySetUp(const std::string& n) {
        return n.ends_with("Pointer") || n.ends_with("ClientState");
    }
    static bool IsVertex(const std::string& n) {
        return n.rfind("glVertex", 0) == 0 && !IsArraySetUp(n);
    }
    static bool IsGeometry(const std::string& n) {
        return !IsArraySetUp(n) &&
               (IsVertex(n) || n.rfind("glNormal", 0) == 0 || n.rfind("glTexCoord", 0) == 0);
    }

    // The calls other than vertices, normals and texture coordinates, with every run of strips
    // (array set-up included) shown as one "strips" entry.
    std::vector<std::string> StateCalls() const {
        std::vector<std::string> out;
        bool inStrips = false;
        for (const TGLCall& c : rec.Log()) {
            if (IsGeometry(c.Name))
                continue;
            if (c.Name == "glBegin" || c.Name == "glEnd" || IsArraySetUp(c.Name)) {
                if (!inStrips)
                    out.push_back("strips");
                inStrips = true;
                continue;
            }
            inStrips = false;
            out.push_back(c.Text());
        }
        return out;
    }

    // Vertex positions in order, glBegin(mode) as {-1, mode, 0} and glEnd as {-2, 0, 0}.
    std::vector<std::array<double, 3>> Stream() const {
        std::vector<std::array<double, 3>> out;
        for (const TGLCall& c : rec.Log()) {
            if (c.Name == "glBegin")
                out.push_back({-1, c.Args.at(0), 0});
            else if (c.Name == "glEnd")
                out.push_back({-2, 0, 0});
            else if (IsVertex(c.Name))
                out.push_back({c.Args.at(0), c.Args.at(1), c.Args.at(2)});
        }
        return out;
    }

    size_t Count(const std::string& Name) const { return rec.Calls(Name).size(); }

    TGLRecordingPlatform rec;
    std::unique_ptr<TGLSurface> dc;
    HGLRC rc = nullptr;
};
