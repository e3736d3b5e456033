// The chart's axis and grid property objects: published properties with change
// notification to the owning chart, batching and Assign, plus the axis layout state that
// the axis drawing fills in each paint.
#pragma once

#include "QorUpdateBracket.h"
#include "UQorTypes.h"

#include <QImage>
#include <string>
#include <vector>

class TQorPropTextWriter;
class TQorPropTextReader;
class TQorBinaryWriter;
class TQorBinaryReader;
class TQorStorage;
template <class C> class TQorPropList;

// What the axis drawing laid out in the last paint (axis space: logarithms on a logarithmic
// axis); no stored form holds it.
struct TQorAxisLayout {
    // The displayed range: the ends of the ticks once they are laid out.
    double DisplayMin = 0;
    double DisplayMax = 100;
    // Text metrics of the fonts, in pixels.
    int CaptionHeight = 0;
    int LabelHeight = 0;
    int DashWidth = 2;
    int DashWidthHalf = 1;
    // Where the caption (and the tip of the arrow) sits along the axis.
    double CaptionPos = 0;
    std::vector<std::string> TickLabels;
    std::vector<double> TickValues;
    std::vector<double> SubTickValues;
};

class TQorChartAxis3D : public TObject {
public:
    TQorChartAxis3D();
    TQorChartAxis3D(const TQorChartAxis3D&) = delete;
    TQorChartAxis3D& operator=(const TQorChartAxis3D&) = delete;
    ~TQorChartAxis3D() override;

    // Copies the published properties of another axis; any other source is ignored.
    virtual void Assign(const TObject& Source);

    bool AutoMax() const { return FAutoMax; }
    bool AutoMin() const { return FAutoMin; }
    bool AutoSubSteps() const { return FAutoSubSteps; }
    TColor AxisColor() const { return FAxisColor; }
    TQorAxisPosition Axis1Position() const { return FAxis1Position; }
    TQorAxisPosition Axis2Position() const { return FAxis2Position; }
    int AxisWidth() const { return FAxisWidth; }
    const std::string& Caption() const { return FCaption; }
    const TFont& CaptionFont() const { return FCaptionFont; }
    TFont& CaptionFont() { return FCaptionFont; }
    int DecPlaces() const { return FDecPlaces; }
    int DecPlacesEndPlus() const { return FDecPlacesEndPlus; }
    bool DecPlacesEqual() const { return FDecPlacesEqual; }
    int DecPlacesMax() const { return FDecPlacesMax; }
    bool FlipText() const { return FFlipText; }
    const TFont& Font() const { return FFont; }
    TFont& Font() { return FFont; }
    bool Logarithmic() const { return FLogarithmic; }
    double Maximum() const { return FMaximum; }
    double Minimum() const { return FMinimum; }
    int NumSubSteps() const { return FNumSubSteps; }
    double RotText() const { return FRotText; }
    double RotTextT() const { return FRotTextT; }
    TColor StepColor() const { return FStepColor; }
    int StepWidth() const { return FStepWidth; }
    TColor TextBackColor() const { return FTextBackColor; }
    TLeftRight TextJustify() const { return FTextJustify; }
    bool Visible() const { return FVisible; }
    bool VisibleCaption() const { return FVisibleCaption; }
    bool VisibleMin() const { return FVisibleMin; }
    bool VisibleMax() const { return FVisibleMax; }
    bool VisibleStep() const { return FVisibleStep; }
    bool VisibleStepText() const { return FVisibleStepText; }

    virtual void SetAutoMax(bool v);
    virtual void SetAutoMin(bool v);
    virtual void SetAutoSubSteps(bool v);
    virtual void SetAxisColor(TColor v);
    virtual void SetAxis1Position(TQorAxisPosition v);
    virtual void SetAxis2Position(TQorAxisPosition v);
    virtual void SetAxisWidth(int v);
    virtual void SetCaption(const std::string& v);
    virtual void SetCaptionFont(const TFont& v);
    virtual void SetDecPlaces(int v);
    virtual void SetDecPlacesEndPlus(int v);
    virtual void SetDecPlacesEqual(bool v);
    virtual void SetDecPlacesMax(int v);
    // The separator in effect: the locale's while DecSepLocal is on, else the stored one.
    virtual char DecSep() const;
    virtual void SetDecSep(char v);
    virtual void SetDecSepLocal(bool v);
    virtual void SetFlipText(bool v);
    virtual void SetFont(const TFont& v);
    // Remembers the state of the stored data in LogPrevious before the first change that is
    // not yet applied to them.
    virtual void SetLogarithmic(bool v);
    virtual void SetMaximum(double v);
    virtual void SetMinimum(double v);
    virtual void SetNumSubSteps(int v);
    virtual void SetRotText(double v);
    virtual void SetRotTextT(double v);
    virtual void SetStepColor(TColor v);
    virtual void SetStepWidth(int v);
    virtual void SetTextBackColor(TColor v);
    virtual void SetTextJustify(TLeftRight v);
    virtual void SetVisible(bool v);
    virtual void SetVisibleCaption(bool v);
    virtual void SetVisibleMin(bool v);
    virtual void SetVisibleMax(bool v);
    virtual void SetVisibleStep(bool v);
    virtual void SetVisibleStepText(bool v);

    virtual void Changed();
    virtual void BeginUpdate();
    virtual void EndUpdate();
    bool Updating() const { return FBracket.Updating(); }
    int UpdateCount() const { return FBracket.Count(); }

    char StoredDecSep() const { return FDecSep; }
    bool DecSepLocal() const { return FDecSepLocal; }
    // Written by the chart for all three axes at once, without notification.
    void StoreDecSep(char v) { FDecSep = v; }
    void StoreDecSepLocal(bool v) { FDecSepLocal = v; }

    // Logarithm tracking, read and reset by the chart's data conversion (and by a file reader
    // that has just stored real values).
    bool LogPrevious() const { return FLogPrevious; }
    bool LogChangePending() const { return FLogChangePending; }
    void SetLogState(bool Previous, bool Pending) {
        FLogPrevious = Previous;
        FLogChangePending = Pending;
    }

    QImage& MeasureBitmap() { return FMeasureBitmap; }

    // Filled by the axis drawing each paint.
    TQorAxisLayout Layout;

    TNotifyEvent OnChange;

    // The published properties in their stored order, with their defaults; the three forms,
    // Assign and the constructor follow it.
    static const TQorPropList<TQorChartAxis3D>& Properties();
    virtual bool SaveToStorage(TQorStorage& Storage, const std::string& Prefix) const;
    virtual void LoadFromStorage(TQorStorage& Storage, const std::string& Prefix);
    virtual int WriteToFile(TQorBinaryWriter& Writer) const;
    virtual int ReadFromFile(TQorBinaryReader& Reader);
    virtual void WriteToText(TQorPropTextWriter& Writer, const std::string& Prefix) const;
    virtual void ReadFromText(TQorPropTextReader& Reader, const std::string& Prefix);

private:
    template <typename T> void SetField(T& field, const T& v) {
        if (field == v)
            return;
        field = v;
        Changed();
    }

    QImage FMeasureBitmap;
    TQorUpdateBracket FBracket;
    char FDecSep = '.';
    bool FDecSepLocal = true;
    bool FLogPrevious = false;
    bool FLogChangePending = false;

    // The published properties; their defaults are in Properties().
    bool FAutoMax;
    bool FAutoMin;
    bool FAutoSubSteps;
    TColor FAxisColor;
    TQorAxisPosition FAxis1Position;
    TQorAxisPosition FAxis2Position;
    int FAxisWidth;
    std::string FCaption;
    TFont FCaptionFont;
    int FDecPlaces;
    int FDecPlacesEndPlus;
    bool FDecPlacesEqual;
    int FDecPlacesMax;
    bool FFlipText;
    TFont FFont;
    bool FLogarithmic;
    double FMaximum;
    double FMinimum;
    int FNumSubSteps;
    double FRotText;
    double FRotTextT;
    TColor FStepColor;
    int FStepWidth;
    TColor FTextBackColor;
    TLeftRight FTextJustify;
    bool FVisible;
    bool FVisibleCaption;
    bool FVisibleMin;
    bool FVisibleMax;
    bool FVisibleStep;
    bool FVisibleStepText;
};

class TQorGrid3DProp : public TObject {
public:
    TQorGrid3DProp();
    TQorGrid3DProp(const TQorGrid3DProp&) = delete;
    TQorGrid3DProp& operator=(const TQorGrid3DProp&) = delete;

    // Copies the published properties of another grid; any other source is ignored.
    virtual void Assign(const TObject& Source);

    TColor GridColor() const { return FGridColor; }
    uint16_t GridStyle() const { return FGridStyle; }
    int GridWidth() const { return FGridWidth; }
    bool GridXYmax() const { return FGridXYmax; }
    bool GridXZmax() const { return FGridXZmax; }
    bool GridYXmax() const { return FGridYXmax; }
    bool GridYZmax() const { return FGridYZmax; }
    bool GridZXmax() const { return FGridZXmax; }
    bool GridZYmax() const { return FGridZYmax; }
    bool GridXYmin() const { return FGridXYmin; }
    bool GridXZmin() const { return FGridXZmin; }
    bool GridYXmin() const { return FGridYXmin; }
    bool GridYZmin() const { return FGridYZmin; }
    bool GridZXmin() const { return FGridZXmin; }
    bool GridZYmin() const { return FGridZYmin; }

    virtual void SetGridColor(TColor v) { SetField(FGridColor, v); }
    virtual void SetGridStyle(uint16_t v) { SetField(FGridStyle, v); }
    virtual void SetGridWidth(int v) { SetField(FGridWidth, v); }
    virtual void SetGridXYmax(bool v) { SetField(FGridXYmax, v); }
    virtual void SetGridXZmax(bool v) { SetField(FGridXZmax, v); }
    virtual void SetGridYXmax(bool v) { SetField(FGridYXmax, v); }
    virtual void SetGridYZmax(bool v) { SetField(FGridYZmax, v); }
    virtual void SetGridZXmax(bool v) { SetField(FGridZXmax, v); }
    virtual void SetGridZYmax(bool v) { SetField(FGridZYmax, v); }
    virtual void SetGridXYmin(bool v) { SetField(FGridXYmin, v); }
    virtual void SetGridXZmin(bool v) { SetField(FGridXZmin, v); }
    virtual void SetGridYXmin(bool v) { SetField(FGridYXmin, v); }
    virtual void SetGridYZmin(bool v) { SetField(FGridYZmin, v); }
    virtual void SetGridZXmin(bool v) { SetField(FGridZXmin, v); }
    virtual void SetGridZYmin(bool v) { SetField(FGridZYmin, v); }

    virtual void Changed();
    virtual void BeginUpdate();
    virtual void EndUpdate();
    bool Updating() const { return FBracket.Updating(); }
    int UpdateCount() const { return FBracket.Count(); }

    TNotifyEvent OnChange;

    // The published properties in their stored order, with their defaults.
    static const TQorPropList<TQorGrid3DProp>& Properties();
    virtual bool SaveToStorage(TQorStorage& Storage, const std::string& Prefix) const;
    virtual void LoadFromStorage(TQorStorage& Storage, const std::string& Prefix);
    virtual int WriteToFile(TQorBinaryWriter& Writer) const;
    virtual int ReadFromFile(TQorBinaryReader& Reader);
    virtual void WriteToText(TQorPropTextWriter& Writer, const std::string& Prefix) const;
    virtual void ReadFromText(TQorPropTextReader& Reader, const std::string& Prefix);

private:
    template <typename T> void SetField(T& field, const T& v) {
        if (field == v)
            return;
        field = v;
        Changed();
    }

    TQorUpdateBracket FBracket;

    // Defaults in Properties().
    TColor FGridColor;
    uint16_t FGridStyle;
    int FGridWidth;
    bool FGridXYmax;
    bool FGridXZmax;
    bool FGridYXmax;
    bool FGridYZmax;
    bool FGridZXmax;
    bool FGridZYmax;
    bool FGridXYmin;
    bool FGridXZmin;
    bool FGridYXmin;
    bool FGridYZmin;
    bool FGridZXmin;
    bool FGridZYmin;
};
