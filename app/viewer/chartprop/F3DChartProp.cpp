#include "chartprop/F3DChartProp.h"

#include "QorColSc.h"
#include "QorStorageWindow.h"
#include "QorStrg.h"
#include "QorUpdateBracket.h"
#include "chart/Qor3DChart.h"
#include "chartprop/F3DChartProp4D.h"
#include "chartprop/F3DChartPropChart.h"
#include "chartprop/F3DChartPropColors.h"
#include "chartprop/F3DChartPropControls.h"
#include "chartprop/F3DChartPropGrid.h"
#include "chartprop/F3DChartPropRanges.h"
#include "chartprop/F3DChartPropSets.h"
#include "chartprop/F3DChartPropView.h"
#include "chartprop/R3DAxisProp.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

QWidget* AxisPage(TFrame3DAxisProp*& Frame, const char* PageName, const char* FrameName,
                  const QString& First, const QString& Second) {
    auto* page = new QWidget;
    page->setObjectName(PageName);
    Frame = new TFrame3DAxisProp(page);
    Frame->setObjectName(FrameName);
    Frame->SetPositionLabels(First, Second);
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Frame);
    return page;
}

} // namespace

TForm3DChartProp::TForm3DChartProp(TQor3DChart& Chart, TQorColorScale* ColorScale,
                                   TQorColorScale* DefaultColorScale, TQor3DChart* DefaultChart,
                                   QWidget* Owner)
    : QDialog(Owner), FChart(&Chart), FDefaultChart(DefaultChart), FColorScale(ColorScale),
      FDefaultColorScale(DefaultColorScale),
      FStorageWindow(std::make_unique<TQorWidgetStorageWindow>(*this, "TForm3DChartProp", false,
                                                               bsSizeToolWin)),
      QorStorage1(std::make_unique<TQorStorage>(*FStorageWindow)) {
    setObjectName("Form3DChartProp");
    setWindowTitle("3D Chart Properties");

    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName("PageControl1");
    // All ten tabs stay in sight: the dialog grows to their width rather than scrolling them.
    PageControl1->setUsesScrollButtons(false);
    TabSheetView = new TChartPropViewPage(*this);
    TabSheetChart = new TChartPropChartPage(*this);
    TabSheetRanges = new TChartPropRangesPage(*this);
    TabSheetGrid = new TChartPropGridPage(*this);
    TabSheetSettings = new TChartPropSettingsPage(*this);
    TabSheet4D = new TChartProp4DPage(*this);
    TabSheetColors = new TChartPropColorPage(*this);
    PageControl1->addTab(TabSheetView, "View");
    PageControl1->addTab(TabSheetChart, "Chart");
    PageControl1->addTab(TabSheetRanges, "Scale Ranges");
    PageControl1->addTab(TabSheetGrid, "Grid");
    PageControl1->addTab(TabSheetSettings, "Settings");
    PageControl1->addTab(AxisPage(Frame3DAxisProp1, "TabSheetX", "Frame3DAxisProp1", "Y =", "Z ="),
                         "X-axis");
    PageControl1->addTab(AxisPage(Frame3DAxisProp2, "TabSheetY", "Frame3DAxisProp2", "X =", "Z ="),
                         "Y-axis");
    PageControl1->addTab(AxisPage(Frame3DAxisProp3, "TabSheetZ", "Frame3DAxisProp3", "X =", "Y ="),
                         "Z-axis");
    PageControl1->addTab(TabSheet4D, "4th Dim.");
    PageControl1->addTab(TabSheetColors, "Color Scale");
    connect(PageControl1, &QTabWidget::currentChanged, this, [this] { BtnFinish->setFocus(); });

    BtnDefault = new QPushButton("Default Properties", this);
    BtnDefault->setObjectName("BtnDefault");
    BtnDefault->setToolTip("Sets default properties");
    BtnDefault->setAutoDefault(false);
    connect(BtnDefault, &QPushButton::clicked, this, [this] { BtnDefaultClick(); });
    // The one button that ends the dialog: Enter presses it, Esc rejects, both close.
    BtnFinish = new QPushButton("Close", this);
    BtnFinish->setObjectName("BtnFinish");
    BtnFinish->setToolTip("Closes the dialog");
    BtnFinish->setDefault(true);
    connect(BtnFinish, &QPushButton::clicked, this, &QDialog::accept);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(BtnDefault);
    buttons->addStretch(1);
    buttons->addWidget(BtnFinish);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(PageControl1);
    layout->addLayout(buttons);
}

TForm3DChartProp::~TForm3DChartProp() {
    for (TFrame3DAxisProp* frame : {Frame3DAxisProp1, Frame3DAxisProp2, Frame3DAxisProp3})
        frame->UnbindAxis();
    if (FOpened)
        FChart->SetUseFastDoubleBuffer(FSavedFastDoubleBuffer);
}

TFrame3DAxisProp& TForm3DChartProp::AxisFrame(int Index) const {
    switch (Index) {
    case 0:
        return *Frame3DAxisProp1;
    case 1:
        return *Frame3DAxisProp2;
    default:
        return *Frame3DAxisProp3;
    }
}

void TForm3DChartProp::showEvent(QShowEvent* Event) {
    QDialog::showEvent(Event);
    if (!FOpened)
        FormShow();
}

void TForm3DChartProp::done(int Result) {
    QorStorage1->FormCloseQuery(true);
    QDialog::done(Result);
}

void TForm3DChartProp::FormShow() {
    FOpened = true;
    QorStorage1->FormShow();
    Frame3DAxisProp1->BindAxis(&FChart->AxisX(), nullptr);
    // For 3D data the legend shows the Y axis' caption.
    Frame3DAxisProp2->BindAxis(&FChart->AxisY(),
                               FChart->DataKind() == dk3D ? FColorScale : nullptr);
    Frame3DAxisProp3->BindAxis(&FChart->AxisZ(), nullptr);
    LoadFromChart();
    PageControl1->setCurrentWidget(TabSheetView);
    TabSheetSettings->ListNamedSets();
    FSavedFastDoubleBuffer = FChart->UseFastDoubleBuffer();
    FChart->SetUseFastDoubleBuffer(false);
}

void TForm3DChartProp::LoadFromChart() {
    const TQorUpdateScope preview(TabSheetView->Preview());
    TabSheetView->LoadViewPage();
    TabSheetChart->Load();
    TabSheetRanges->Load();
    TabSheetGrid->Load();
    TabSheetColors->Load();
    TabSheet4D->Load();
    for (TFrame3DAxisProp* frame : {Frame3DAxisProp1, Frame3DAxisProp2, Frame3DAxisProp3})
        frame->LoadFromAxis();
}

void TForm3DChartProp::LoadColorControls() {
    TabSheetColors->LoadColorControls();
}

void TForm3DChartProp::BtnDefaultClick() {
    if (FColorScale != nullptr) {
        if (FDefaultColorScale != nullptr) {
            FColorScale->Assign(FDefaultColorScale);
        } else {
            const TQorColorScale fresh;
            FColorScale->Assign(&fresh);
        }
    }
    if (FDefaultChart != nullptr) {
        FChart->Assign(*FDefaultChart);
    } else {
        const TQor3DChart fresh;
        FChart->Assign(fresh);
    }
    LoadFromChart();
}

void ShowChartPropertiesDialog(TQor3DChart* Chart, TQorColorScale* ColorScale, QWidget* Owner,
                               TQorColorScale* DefaultColorScale, TQor3DChart* DefaultChart) {
    if (Chart == nullptr)
        return;
    TForm3DChartProp dialog(*Chart, ColorScale, DefaultColorScale, DefaultChart, Owner);
    dialog.exec();
}
