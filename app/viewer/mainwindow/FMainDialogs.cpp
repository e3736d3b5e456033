#include "mainwindow/FMain.h"

#include "chartprop/F3DChartProp.h"
#include "desktop/UFileType.h"
#include "desktop/UProgramFolder.h"
#include "dialogs/FAbout.h"
#include "dialogs/FCopyImg.h"
#include "dialogs/FFilter.h"
#include "dialogs/FSetting.h"

#include <QCoreApplication>

void TFormMain::MenuItemPropertiesClick() {
    ShowChartProperties();
}

void TFormMain::MenuItemCopyClick() {
    ShowCopyImage();
}

// The chart properties dialog edits the live chart; its defaults are the hidden copies.
void TFormMain::ShowChartProperties() {
    ShowChartPropertiesDialog(&Qor3DChart, &ColorScale(), this, FDefaultColorScale.get(),
                              FDefaultChart.get());
}

void TFormMain::ShowCopyImage() {
    ShowCopyImageDialog(Qor3DChart, this, ColorScaleShown() ? &ColorScale() : nullptr);
}

void TFormMain::MenuItemFilterSettingClick() {
    TFormFilterSetting dialog(*this);
    dialog.exec();
}

void TFormMain::PropertiesMenuItemClick() {
    {
        TFormSetting dialog(*this);
        dialog.exec();
    }
    QCoreApplication::processEvents();
    Qor3DChart.Render();
}

// ShellOpen reports a document that is missing or that the desktop cannot open.
void TFormMain::DocumentationMenuItemClick() {
    ShellOpen(ProgramDocumentationFile(), QString(), QString(), 5, this);
}

void TFormMain::UserGuideMenuItemClick() {
    ShellOpen(ProgramGuideFile(), QString(), QString(), 5, this);
}

void TFormMain::AboutMenuItemClick() {
    TFormAbout dialog(this, FLanguage);
    dialog.exec();
}
