// The Color Scale page of the chart properties dialog: the colour stops and their count, the
// bands, the legend's font, the picture drawn instead of the palette and the preset palettes.
#pragma once

#include "QorPalette.h"

#include <QWidget>
#include <array>

class QLabel;
class QPushButton;
class TForm3DChartProp;
class TQorCheckBox;
class TQorColorBox;
class TQorEdit;

class TChartPropColorPage : public QWidget {
    Q_OBJECT
public:
    explicit TChartPropColorPage(TForm3DChartProp& Form);
    void Load();
    void LoadColorControls();

private:
    QWidget* BuildStops();
    QWidget* BuildPicture();
    QWidget* BuildPresets();
    void CtrlCSFontClick();
    void CtrlBitmapFileBrowseClick();
    void ApplyPreset(TQorPalettePreset Preset);
    void InvertClick();
    void ShowPictureState();

    TForm3DChartProp& FForm;
    TQorEdit* CtrlColorsCount;
    std::array<QLabel*, 6> FColorLabels{};
    std::array<TQorColorBox*, 6> FColors{};
    TQorEdit* CtrlColorLayers;
    QPushButton* CtrlCSFont;
    TQorCheckBox* CtrlUseBitmap;
    TQorEdit* CtrlBitmapFile;
    QLabel* LabelNotAvailable;
};
