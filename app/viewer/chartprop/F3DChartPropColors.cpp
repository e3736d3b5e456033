#include "chartprop/F3DChartPropColors.h"

#include "QorColSc.h"
#include "QorFontDialog.h"
#include "QorUpdateBracket.h"
#include "chart/Qor3DChart.h"
#include "chartprop/F3DChartProp.h"
#include "chartprop/F3DChartPropControls.h"

#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QStyle>
#include <QVBoxLayout>

namespace {

const char* const ColorNames[6] = {"CtrlColor1", "CtrlColor2", "CtrlColor3",
                                   "CtrlColor4", "CtrlColor5", "CtrlColor6"};
const char* const ColorLabelNames[6] = {"LabelColor1", "LabelColor2", "LabelColor3",
                                        "LabelColor4", "LabelColor5", "LabelColor6"};

const QString PictureFilter = "Picture Files (*.bmp *.BMP *.jpg *.JPG *.jpeg *.JPEG *.png *.PNG);;"
                              "Bitmap Files (*.bmp *.BMP);;"
                              "Jpeg Files (*.jpg *.JPG *.jpeg *.JPEG);;"
                              "All Files (*)";

} // namespace

TChartPropColorPage::TChartPropColorPage(TForm3DChartProp& Form) : FForm(Form) {
    setObjectName("TabSheetColors");
    auto* layout = new QGridLayout(this);
    layout->addWidget(BuildStops(), 0, 0, 2, 1);
    layout->addWidget(BuildPicture(), 0, 1);
    layout->addWidget(BuildPresets(), 1, 1);
    layout->setRowStretch(2, 1);
}

QWidget* TChartPropColorPage::BuildStops() {
    TQor3DChart& chart = FForm.Chart();
    auto* group = new QGroupBox("Color Scale:", this);
    auto* grid = new QGridLayout(group);
    CtrlColorsCount = NewEdit(group, "CtrlColorsCount", pesInteger, 1, 6, [this, &chart] {
        chart.SetColorCount(CtrlColorsCount->ValueInt());
        LoadColorControls();
    });
    grid->addWidget(NewLabel(group, "LabelColorsCount", "Count of Colors ="), 0, 0);
    grid->addWidget(CtrlColorsCount, 0, 1);
    for (int i = 0; i < 6; ++i) {
        FColorLabels[size_t(i)] =
            NewLabel(group, ColorLabelNames[i], QString("Color %1:").arg(i + 1));
        FColors[size_t(i)] = NewColorBox(group, ColorNames[i], [this, &chart, i] {
            chart.SetColor(i + 1, FColors[size_t(i)]->Selected());
        });
        grid->addWidget(FColorLabels[size_t(i)], i + 1, 0);
        grid->addWidget(FColors[size_t(i)], i + 1, 1);
    }
    CtrlColorLayers = NewEdit(group, "CtrlColorLayers", pesInteger, 0, 256, [this, &chart] {
        chart.SetColorLayers(CtrlColorLayers->ValueInt());
    });
    grid->addWidget(NewLabel(group, "LabelColorLayers", "Layers ="), 7, 0);
    grid->addWidget(CtrlColorLayers, 7, 1);
    CtrlCSFont = NewButton(group, "CtrlCSFont", "Font...", [this] { CtrlCSFontClick(); });
    grid->addWidget(CtrlCSFont, 8, 0, 1, 2);
    grid->setRowStretch(9, 1);
    return group;
}

QWidget* TChartPropColorPage::BuildPicture() {
    TQor3DChart& chart = FForm.Chart();
    auto* group = new QGroupBox("Bitmap Texture:", this);
    auto* grid = new QGridLayout(group);
    CtrlUseBitmap = NewCheck(group, "CtrlUseBitmap", "Use Bitmap:", [this, &chart] {
        chart.SetColorBitmapApply(CtrlUseBitmap->Checked());
    });
    CtrlBitmapFile = NewTextEdit(group, "CtrlBitmapFile", [this, &chart] {
        chart.SetColorBitmapName(CtrlBitmapFile->Text().toStdString());
        ShowPictureState();
    });
    auto* browse =
        NewButton(group, "CtrlBitmapFileBrowse", "", [this] { CtrlBitmapFileBrowseClick(); });
    browse->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
    browse->setToolTip("Choose the picture file");
    browse->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    LabelNotAvailable = NewLabel(group, "LabelNotAvailable", "not available");
    grid->addWidget(CtrlUseBitmap, 0, 0, 1, 3, Qt::AlignLeft);
    grid->addWidget(NewLabel(group, "LabelBitmapFile", "Bitmap File:"), 1, 0);
    grid->addWidget(CtrlBitmapFile, 1, 1);
    grid->addWidget(browse, 1, 2);
    grid->addWidget(LabelNotAvailable, 2, 1);
    return group;
}

QWidget* TChartPropColorPage::BuildPresets() {
    auto* group = new QGroupBox("Predefined:", this);
    auto* grid = new QGridLayout(group);
    struct TPresetButton {
        const char* Name;
        const char* Caption;
        TQorPalettePreset Preset;
    };
    const TPresetButton buttons[] = {
        {"BtnRainbow", "Rainbow", ppRainbow}, {"BtnGray", "Gray", ppGray},
        {"BtnHeat", "Heat", ppHeat},          {"BtnRGB", "RGB", ppRGB},
        {"BtnCMYK", "CMYK", ppCMYK},          {"BtnViridis", "Viridis", ppViridis},
        {"BtnCividis", "Cividis", ppCividis}};
    int i = 0;
    for (const TPresetButton& b : buttons) {
        grid->addWidget(
            NewButton(group, b.Name, b.Caption, [this, p = b.Preset] { ApplyPreset(p); }), i / 2,
            i % 2);
        ++i;
    }
    grid->addWidget(NewButton(group, "BtnInvert", " Invert", [this] { InvertClick(); }), i / 2,
                    i % 2);
    return group;
}

void TChartPropColorPage::Load() {
    const TQor3DChart& chart = FForm.Chart();
    LoadColorControls();
    CtrlColorsCount->SetModified(false);
    LoadValue(*CtrlColorLayers, chart.ColorLayers());
    for (TQorColorBox* box : FColors)
        box->SetModified(false);
    LoadCheck(*CtrlUseBitmap, chart.ColorBitmapApply());
    LoadText(*CtrlBitmapFile, chart.ColorBitmapName());
    CtrlCSFont->setEnabled(FForm.ColorScale() != nullptr);
    ShowPictureState();
}

void TChartPropColorPage::LoadColorControls() {
    const TQor3DChart& chart = FForm.Chart();
    CtrlColorsCount->SetValue(chart.ColorCount());
    for (int i = 0; i < 6; ++i) {
        TQorColorBox& box = *FColors[size_t(i)];
        // A stop the program changed (a preset, a reload) shows as changed.
        if (chart.Color(i + 1) != box.Selected())
            box.SetModified(true);
        box.SetSelected(chart.Color(i + 1));
        box.setVisible(i < chart.ColorCount());
        FColorLabels[size_t(i)]->setVisible(i < chart.ColorCount());
    }
}

void TChartPropColorPage::ShowPictureState() {
    // Tells the user when the named picture could not be read.
    const TQor3DChart& chart = FForm.Chart();
    LabelNotAvailable->setVisible(!chart.ColorBitmapName().empty() && chart.ColorBitmap().isNull());
}

void TChartPropColorPage::CtrlCSFontClick() {
    TQorColorScale* legend = FForm.ColorScale();
    if (legend == nullptr) {
        CtrlCSFont->setEnabled(false);
        return;
    }
    TFont font = legend->Font();
    if (ExecFontDialog(this, font))
        legend->SetFont(font);
}

void TChartPropColorPage::CtrlBitmapFileBrowseClick() {
    QFileDialog dialog(this, "Bitmap File", QString(), PictureFilter);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    if (!CtrlBitmapFile->Text().isEmpty())
        dialog.selectFile(CtrlBitmapFile->Text());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    CtrlBitmapFile->ChangeText(dialog.selectedFiles().first());
}

void TChartPropColorPage::ApplyPreset(TQorPalettePreset Preset) {
    TQor3DChart& chart = FForm.Chart();
    const TQorUpdateScope update(chart);
    chart.ApplyPalettePreset(Preset);
    LoadColorControls();
}

void TChartPropColorPage::InvertClick() {
    TQor3DChart& chart = FForm.Chart();
    const TQorUpdateScope update(chart);
    chart.InvertPalette();
    LoadColorControls();
}
