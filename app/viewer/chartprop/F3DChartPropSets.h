// The Settings page of the chart properties dialog: complete chart styles kept under names in
// the settings tree (the chart's properties with the legend's font), saved, reloaded and
// deleted here.
#pragma once

#include <QWidget>
#include <memory>

class QListWidget;
class QPushButton;
class TForm3DChartProp;
class TQorStringList;

class TChartPropSettingsPage : public QWidget {
    Q_OBJECT
public:
    explicit TChartPropSettingsPage(TForm3DChartProp& Form);
    ~TChartPropSettingsPage() override;

    // Reads the names of the saved sets into the list.
    void ListNamedSets();
    const TQorStringList& Names() const { return *QorStringList; }

private:
    void QorStringListChange();
    void ListPropClick();
    void BtnPropSaveClick();
    void BtnPropReloadClick();
    void BtnPropDelClick();
    bool ConfirmOverwrite(const QString& Name);

    TForm3DChartProp& FForm;
    std::unique_ptr<TQorStringList> QorStringList;
    QListWidget* ListProp;
    QPushButton* BtnPropSave;
    QPushButton* BtnPropReload;
    QPushButton* BtnPropDel;
};
