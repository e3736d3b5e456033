#include "dialogs/FSetting.h"

#include "QorCheckBox.h"
#include "dialogs/UDialogButtons.h"
#include "mainwindow/FMain.h"

#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>
#include <utility>

TFormSetting::TFormSetting(TFormMain& Main) : QDialog(&Main), FMain(Main) {
    setObjectName("FormSetting");
    setWindowTitle("Program Properties");
    auto* layout = new QVBoxLayout(this);
    FOptions = new QVBoxLayout;
    LabelGLVer = new QLabel("OpenGL version: ---", this);
    LabelGLVer->setObjectName("LabelGLVer");
    LabelGLVer->setTextInteractionFlags(Qt::TextSelectableByMouse);
    FOptions->addWidget(LabelGLVer);
    ChSafeGL = new TQorCheckBox("Use safe OpenGL (slow):", this);
    ChSafeGL->setObjectName("ChSafeGL");
    ChSafeGL->SetAlignment(taLeftJustify);
    ChSafeGL->SetHint("Use safe OpenGL if you are experiencing problems with your graphic card.");
    ChSafeGL->OnChange = [this](TQorCheckBox*) {
        ChSafeGLClick();
    };
    FOptions->addWidget(ChSafeGL);
    ChFastTurning = new TQorCheckBox("Fast drawing while turning", this);
    ChFastTurning->setObjectName("ChFastTurning");
    ChFastTurning->SetAlignment(taLeftJustify);
    ChFastTurning->SetHint("Draws big grids with fewer points while the chart turns; the full "
                           "picture follows when it stops.");
    FOptions->addWidget(ChFastTurning);
    ChReloadOnChange = new TQorCheckBox("Reload the chart when its file changes", this);
    ChReloadOnChange->setObjectName("ChReloadOnChange");
    ChReloadOnChange->SetAlignment(taLeftJustify);
    ChReloadOnChange->SetHint("Reads the shown file again, keeping the view and the properties, "
                              "when another program rewrites it.");
    FOptions->addWidget(ChReloadOnChange);
    layout->addLayout(FOptions);

    const TDialogButtons buttons = AddDialogButtons(*this, *layout, "Close");
    BtnClose = buttons.Accept;
    BtnCancel = buttons.Cancel;
}

void TFormSetting::showEvent(QShowEvent* Event) {
    QDialog::showEvent(Event);
    if (std::exchange(FShown, true))
        return;
    if (const QScreen* s = screen())
        move(s->availableGeometry().center() - rect().center());
    FormShow();
}

void TFormSetting::FormShow() {
    FSavedSafeMode = FMain.Chart().UseSafeBitmapMode();
    BtnClose->setFocus();
    ChSafeGL->SetChecked(FSavedSafeMode);
    ChSafeGL->SetModified(false);
    ChFastTurning->SetChecked(FMain.Chart().FastTurning());
    ChFastTurning->SetModified(false);
    ChReloadOnChange->SetChecked(FMain.ReloadOnChange());
    ChReloadOnChange->SetModified(false);
    ShowGLVersion(false);
}

void TFormSetting::ShowGLVersion(bool Localised) {
    const bool czech = Localised && FMain.Language() == "CZ";
    LabelGLVer->setText((czech ? "Verze OpenGL: " : "OpenGL version: ") + FMain.GLVersion());
}

// Applied at once, so the user sees the effect while the dialog is open.
void TFormSetting::ChSafeGLClick() {
    TQor3DChart& chart = FMain.Chart();
    chart.SetUseSafeBitmapMode(ChSafeGL->Checked());
    chart.Render();
    FMain.DefaultChart().SetUseSafeBitmapMode(chart.UseSafeBitmapMode());
    ShowGLVersion(true);
}

void TFormSetting::done(int Result) {
    const bool mode = Result == Accepted ? ChSafeGL->Checked() : FSavedSafeMode;
    FMain.Chart().SetUseSafeBitmapMode(mode);
    FMain.DefaultChart().SetUseSafeBitmapMode(mode);
    if (Result == Accepted) {
        FMain.SetLanguage("EN");
        FMain.Storage().WriteBool("ChSafeGL.Checked", mode);
        FMain.Chart().SetFastTurning(ChFastTurning->Checked());
        FMain.Storage().WriteBool(FastTurningKey, ChFastTurning->Checked());
        FMain.SetReloadOnChange(ChReloadOnChange->Checked());
        FMain.Storage().WriteBool(ReloadOnChangeKey, ChReloadOnChange->Checked());
    }
    QDialog::done(Result);
}
