#include "FMain.h"

#include "F3DChartProp.h"
#include "FAbout.h"
#include "FFilter.h"
#include "FSetting.h"
#include "UFileType.h"
#include "UProgramFolder.h"

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

// The copy-image dialog lives in its own unit.
void TFormMain::ShowCopyImage() {}

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

void TFormMain::AboutMenuItemClick() {
    TFormAbout dialog(this, FLanguage);
    dialog.exec();
}
