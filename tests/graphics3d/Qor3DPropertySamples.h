// Every persisted property of the drawing control, the axis, the grid and the chart: moved away
// from its default through the setters, and read back through the getters, by the test's own
// hand (the every-property round trips).
#pragma once

#include "PropertyRoundTrip.h"
#include "chart/Qor3DChart.h"

inline void RestyleDraw(TQor3DDraw& d) {
    d.SetBackgroundColor(clNavy);
    d.SetLightsON(false);
    d.SetPerspectiveON(false);
    d.SetXMin(0.45);
    d.SetYMin(0.35);
    d.SetZNear(0.5);
    d.SetZFar(50);
    d.SetRotX(10);
    d.SetRotY(20);
    d.SetRotZ(-30);
    d.SetTranslX(0.1);
    d.SetTranslY(0.2);
    d.SetTranslZ(0.3);
    d.SetScaleX(1.5);
    d.SetScaleY(2.5);
    d.SetScaleZ(3.5);
    d.SetViewScale(0.75);
    d.SetViewRotX(-15);
    d.SetViewRotY(45);
    d.SetViewMoveX(0.4);
    d.SetViewMoveY(-0.6);
    d.SetViewMoveZ(-3.5);
}

inline TPropertyValues DrawValues(const TQor3DDraw& d) {
    TPropertyValues v;
    v.Add("BackgroundColor", d.BackgroundColor());
    v.Add("LightsON", d.LightsON());
    v.Add("PerspectiveON", d.PerspectiveON());
    v.Add("XMin", d.XMin());
    v.Add("YMin", d.YMin());
    v.Add("ZNear", d.ZNear());
    v.Add("ZFar", d.ZFar());
    v.Add("RotX", d.RotX());
    v.Add("RotY", d.RotY());
    v.Add("RotZ", d.RotZ());
    v.Add("TranslX", d.TranslX());
    v.Add("TranslY", d.TranslY());
    v.Add("TranslZ", d.TranslZ());
    v.Add("ScaleX", d.ScaleX());
    v.Add("ScaleY", d.ScaleY());
    v.Add("ScaleZ", d.ScaleZ());
    v.Add("ViewScale", d.ViewScale());
    v.Add("ViewRotX", d.ViewRotX());
    v.Add("ViewRotY", d.ViewRotY());
    v.Add("ViewMoveX", d.ViewMoveX());
    v.Add("ViewMoveY", d.ViewMoveY());
    v.Add("ViewMoveZ", d.ViewMoveZ());
    return v;
}

inline void RestyleAxis(TQorChartAxis3D& a) {
    a.SetAutoMax(false);
    a.SetAutoMin(false);
    a.SetAutoSubSteps(true);
    a.SetAxisColor(clTeal);
    a.SetAxis1Position(apMaximum);
    // Between the defaults of the three chart axes (zero, minimum, maximum).
    a.SetAxis2Position(a.Axis2Position() == apMaximum ? apZero : apMaximum);
    a.SetAxisWidth(5);
    a.SetCaption("Depth [m]");
    a.SetCaptionFont(RestyledFont(a.CaptionFont(), "Liberation Serif"));
    a.SetDecPlaces(2);
    a.SetDecPlacesEndPlus(5);
    a.SetDecPlacesEqual(true);
    a.SetDecPlacesMax(7);
    a.SetFlipText(true);
    a.SetFont(RestyledFont(a.Font(), "Liberation Mono"));
    a.SetLogarithmic(true);
    a.SetMaximum(1234.5);
    a.SetMinimum(0.25);
    a.SetNumSubSteps(4);
    a.SetRotText(12.5);
    a.SetRotTextT(-33.25);
    a.SetStepColor(clPurple);
    a.SetStepWidth(9);
    a.SetTextBackColor(clYellow);
    a.SetTextJustify(a.TextJustify() == taLeftJustify ? taRightJustify : taLeftJustify);
    a.SetVisible(false);
    a.SetVisibleCaption(false);
    a.SetVisibleMin(!a.VisibleMin());
    a.SetVisibleMax(false);
    a.SetVisibleStep(false);
    a.SetVisibleStepText(false);
}

inline TPropertyValues AxisValues(const TQorChartAxis3D& a) {
    TPropertyValues v;
    v.Add("AutoMax", a.AutoMax());
    v.Add("AutoMin", a.AutoMin());
    v.Add("AutoSubSteps", a.AutoSubSteps());
    v.Add("AxisColor", a.AxisColor());
    v.Add("Axis1Position", a.Axis1Position());
    v.Add("Axis2Position", a.Axis2Position());
    v.Add("AxisWidth", a.AxisWidth());
    v.Add("Caption", a.Caption());
    v.Add("CaptionFont", a.CaptionFont());
    v.Add("DecPlaces", a.DecPlaces());
    v.Add("DecPlacesEndPlus", a.DecPlacesEndPlus());
    v.Add("DecPlacesEqual", a.DecPlacesEqual());
    v.Add("DecPlacesMax", a.DecPlacesMax());
    v.Add("FlipText", a.FlipText());
    v.Add("Font", a.Font());
    v.Add("Logarithmic", a.Logarithmic());
    v.Add("Maximum", a.Maximum());
    v.Add("Minimum", a.Minimum());
    v.Add("NumSubSteps", a.NumSubSteps());
    v.Add("RotText", a.RotText());
    v.Add("RotTextT", a.RotTextT());
    v.Add("StepColor", a.StepColor());
    v.Add("StepWidth", a.StepWidth());
    v.Add("TextBackColor", a.TextBackColor());
    v.Add("TextJustify", a.TextJustify());
    v.Add("Visible", a.Visible());
    v.Add("VisibleCaption", a.VisibleCaption());
    v.Add("VisibleMin", a.VisibleMin());
    v.Add("VisibleMax", a.VisibleMax());
    v.Add("VisibleStep", a.VisibleStep());
    v.Add("VisibleStepText", a.VisibleStepText());
    return v;
}

inline void RestyleGrid(TQorGrid3DProp& g) {
    g.SetGridColor(clOlive);
    g.SetGridStyle(0x1234);
    g.SetGridWidth(3);
    g.SetGridXYmax(!g.GridXYmax());
    g.SetGridXZmax(!g.GridXZmax());
    g.SetGridYXmax(!g.GridYXmax());
    g.SetGridYZmax(!g.GridYZmax());
    g.SetGridZXmax(!g.GridZXmax());
    g.SetGridZYmax(!g.GridZYmax());
    g.SetGridXYmin(!g.GridXYmin());
    g.SetGridXZmin(!g.GridXZmin());
    g.SetGridYXmin(!g.GridYXmin());
    g.SetGridYZmin(!g.GridYZmin());
    g.SetGridZXmin(!g.GridZXmin());
    g.SetGridZYmin(!g.GridZYmin());
}

inline TPropertyValues GridValues(const TQorGrid3DProp& g) {
    TPropertyValues v;
    v.Add("GridColor", g.GridColor());
    v.Add("GridStyle", g.GridStyle());
    v.Add("GridWidth", g.GridWidth());
    v.Add("GridXYmax", g.GridXYmax());
    v.Add("GridXZmax", g.GridXZmax());
    v.Add("GridYXmax", g.GridYXmax());
    v.Add("GridYZmax", g.GridYZmax());
    v.Add("GridZXmax", g.GridZXmax());
    v.Add("GridZYmax", g.GridZYmax());
    v.Add("GridXYmin", g.GridXYmin());
    v.Add("GridXZmin", g.GridXZmin());
    v.Add("GridYXmin", g.GridYXmin());
    v.Add("GridYZmin", g.GridYZmin());
    v.Add("GridZXmin", g.GridZXmin());
    v.Add("GridZYmin", g.GridZYmin());
    return v;
}

// The chart's own properties; the picture named does not exist, so its name alone is kept.
inline void RestyleChartOwn(TQor3DChart& c) {
    for (int i = 1; i <= QorColorStopCount; ++i)
        c.SetColor(i, TColor(0x010203 * i));
    c.SetColorBitmapName("/nonexistent/picture.png");
    c.SetColorBitmapApply(true);
    c.SetColorCount(4);
    c.SetColorLayers(12);
    c.SetDecSep(',');
    c.SetDecSepLocal(false);
    c.SetDim4Caption("Temperature");
    c.SetDim4Direction(5);
    c.SetDim4FirstLayer(3);
    c.SetDim4NthLayer(2);
    c.SetDim4Height(0.25);
    c.SetDim4CrossSection(7);
    c.SetDim4CrossSectionOffset(-0.5);
    c.SetHeightY(1.25);
    c.SetKeepAspectXY(true);
    c.SetKeepAspectXZ(false);
    c.SetShiny(false);
    c.SetTransparency(3);
    c.SetUseLowMemory(true);
    c.SetWired(true);
}

inline TPropertyValues ChartOwnValues(const TQor3DChart& c) {
    TPropertyValues v;
    v.Add("Color1", c.Color1());
    v.Add("Color2", c.Color2());
    v.Add("Color3", c.Color3());
    v.Add("Color4", c.Color4());
    v.Add("Color5", c.Color5());
    v.Add("Color6", c.Color6());
    v.Add("ColorBitmapName", c.ColorBitmapName());
    v.Add("ColorBitmapApply", c.ColorBitmapApply());
    v.Add("ColorCount", c.ColorCount());
    v.Add("ColorLayers", c.ColorLayers());
    v.Add("DecSep", c.DecSep());
    v.Add("DecSepLocal", c.DecSepLocal());
    v.Add("Dim4Caption", c.Dim4Caption());
    v.Add("Dim4Direction", c.Dim4Direction());
    v.Add("Dim4FirstLayer", c.Dim4FirstLayer());
    v.Add("Dim4NthLayer", c.Dim4NthLayer());
    v.Add("Dim4Height", c.Dim4Height());
    v.Add("Dim4CrossSection", c.Dim4CrossSection());
    v.Add("Dim4CrossSectionOffset", c.Dim4CrossSectionOffset());
    v.Add("HeightY", c.HeightY());
    v.Add("KeepAspectXY", c.KeepAspectXY());
    v.Add("KeepAspectXZ", c.KeepAspectXZ());
    v.Add("Shiny", c.Shiny());
    v.Add("Transparency", c.Transparency());
    v.Add("UseLowMemory", c.UseLowMemory());
    v.Add("Wired", c.Wired());
    return v;
}

// The whole chart: its drawing-control part, the axes and grids, its own properties.
inline void RestyleChart(TQor3DChart& c) {
    RestyleDraw(c);
    for (TQorChartAxis3D* a : {&c.AxisX(), &c.AxisY(), &c.AxisZ()})
        RestyleAxis(*a);
    RestyleGrid(c.gridMajor());
    RestyleGrid(c.gridMinor());
    RestyleChartOwn(c);
}

inline TPropertyValues ChartValues(const TQor3DChart& c) {
    TPropertyValues v;
    v.AddAll("", DrawValues(c));
    v.AddAll("AxisX.", AxisValues(c.AxisX()));
    v.AddAll("AxisY.", AxisValues(c.AxisY()));
    v.AddAll("AxisZ.", AxisValues(c.AxisZ()));
    v.AddAll("GridMajor.", GridValues(c.gridMajor()));
    v.AddAll("GridMinor.", GridValues(c.gridMinor()));
    v.AddAll("", ChartOwnValues(c));
    return v;
}
