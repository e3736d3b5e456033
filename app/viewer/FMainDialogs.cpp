#include "FMain.h"

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

// The chart properties dialog lives in its own unit; it edits the live chart.
void TFormMain::ShowChartProperties() {}

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
