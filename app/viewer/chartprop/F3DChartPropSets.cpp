#include "chartprop/F3DChartPropSets.h"

#include "QorColSc.h"
#include "QorStrg.h"
#include "QorUpdateBracket.h"
#include "UQorLists.h"
#include "chart/Qor3DChart.h"
#include "chartprop/F3DChartProp.h"
#include "chartprop/F3DChartPropControls.h"
#include "chartprop/F3DDrawPropSaveSet.h"

#include <QGridLayout>
#include <QListWidget>
#include <QMessageBox>

TChartPropSettingsPage::TChartPropSettingsPage(TForm3DChartProp& Form)
    : FForm(Form), QorStringList(std::make_unique<TQorStringList>()) {
    setObjectName("TabSheetSettings");
    QorStringList->SetBlockSize(256);
    QorStringList->SetSorted(psoAscending);
    QorStringList->SetStringSort(pssAnsiNoCase);
    QorStringList->OnChange = [this](TObject*) {
        QorStringListChange();
    };

    ListProp = new QListWidget(this);
    ListProp->setObjectName("ListProp");
    connect(ListProp, &QListWidget::itemSelectionChanged, this, [this] { ListPropClick(); });
    connect(ListProp, &QListWidget::itemDoubleClicked, this, [this] { BtnPropReloadClick(); });
    BtnPropSave = NewButton(this, "BtnPropSave", "Save &As", [this] { BtnPropSaveClick(); });
    BtnPropReload = NewButton(this, "BtnPropReload", "&Reload", [this] { BtnPropReloadClick(); });
    BtnPropDel = NewButton(this, "BtnPropDel", "&Delete", [this] { BtnPropDelClick(); });
    BtnPropReload->setEnabled(false);
    BtnPropDel->setEnabled(false);

    auto* grid = new QGridLayout(this);
    grid->addWidget(ListProp, 0, 0, 4, 1);
    grid->addWidget(BtnPropSave, 0, 1);
    grid->addWidget(BtnPropReload, 1, 1);
    grid->addWidget(BtnPropDel, 2, 1);
    grid->setRowStretch(3, 1);
}

TChartPropSettingsPage::~TChartPropSettingsPage() {
    QorStringList->OnChange = nullptr;
}

void TChartPropSettingsPage::ListNamedSets() {
    // One refill of the list box for the whole reading.
    const TQorUpdateScope scope(*QorStringList);
    FForm.Chart().ListNamedSets(FForm.Storage(), QorStringList.get());
}

void TChartPropSettingsPage::QorStringListChange() {
    ListProp->clear();
    for (int i = 0; i < QorStringList->Count(); ++i)
        ListProp->addItem(QString::fromStdString(QorStringList->Items(i)));
    ListPropClick();
}

void TChartPropSettingsPage::ListPropClick() {
    const bool selected = !ListProp->selectedItems().isEmpty();
    BtnPropReload->setEnabled(selected);
    BtnPropDel->setEnabled(selected);
}

bool TChartPropSettingsPage::ConfirmOverwrite(const QString& Name) {
    const QString question = "Do you want to overwrite existing setting named \"" + Name + "\"?";
    return QMessageBox::question(this, FForm.windowTitle(), question,
                                 QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

void TChartPropSettingsPage::BtnPropSaveClick() {
    TFormSettingName dialog(this, FForm.parentWidget());
    const bool ok = dialog.exec() == QDialog::Accepted;
    ListNamedSets();
    if (!ok)
        return;
    const QString name = dialog.Name();
    const std::string set = name.toStdString();
    if (QorStringList->IndexOf(set, 0) >= 0 && !ConfirmOverwrite(name))
        return;
    TQorStorage& storage = FForm.Storage();
    bool saved = FForm.Chart().SaveNamedSet(storage, set);
    if (TQorColorScale* legend = FForm.ColorScale())
        saved = legend->SaveSet(storage, set, csmFontOnly) && saved;
    ListNamedSets();
    // Without the registry there are no named sets, and nothing to report.
    if (!saved && storage.UseRegistry())
        QMessageBox::warning(this, FForm.windowTitle(),
                             "The setting \"" + name + "\" could not be saved.");
}

void TChartPropSettingsPage::BtnPropReloadClick() {
    const QList<QListWidgetItem*> selected = ListProp->selectedItems();
    if (selected.isEmpty())
        return;
    const std::string set = selected.first()->text().toStdString();
    // The legend's font first, so the chart's change that follows lays out with it.
    if (TQorColorScale* legend = FForm.ColorScale())
        legend->LoadSet(FForm.Storage(), set, csmFontOnly);
    FForm.Chart().LoadNamedSet(FForm.Storage(), set);
    FForm.LoadFromChart();
}

void TChartPropSettingsPage::BtnPropDelClick() {
    const QList<QListWidgetItem*> selected = ListProp->selectedItems();
    if (!selected.isEmpty()) {
        const std::string set = selected.first()->text().toStdString();
        FForm.Chart().DeleteNamedSet(FForm.Storage(), set);
        if (TQorColorScale* legend = FForm.ColorScale())
            legend->DeleteSet(FForm.Storage(), set);
    }
    ListNamedSets();
    ListPropClick();
}
