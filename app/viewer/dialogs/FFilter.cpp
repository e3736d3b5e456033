#include "dialogs/FFilter.h"

#include "QorEdit.h"
#include "dialogs/UDialogButtons.h"
#include "mainwindow/FMain.h"

#include <QFormLayout>
#include <QMessageBox>
#include <QVBoxLayout>

namespace {

constexpr double WeightLimit = 1000000;

TQorEdit* NewWeightEdit(const char* Name, QWidget* Parent) {
    auto* edit = new TQorEdit(pesInteger, -WeightLimit, WeightLimit, Parent);
    edit->setObjectName(Name);
    edit->SetIncrement(1);
    edit->SetIncrementSmart(false);
    return edit;
}

} // namespace

TFormFilterSetting::TFormFilterSetting(TFormMain& Main) : QDialog(&Main), FStorage(Main.Storage()) {
    setObjectName("FormFilterSetting");
    setWindowTitle("Filter Setting");
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    EditNear = NewWeightEdit("EditNear", this);
    EditFar = NewWeightEdit("EditFar", this);
    form->addRow("Near Point Weight Coefficent :", EditNear);
    form->addRow("Far Point Weight Coefficent :", EditFar);
    layout->addLayout(form);

    const TDialogButtons buttons = AddDialogButtons(*this, *layout, "Set");
    BtnClose = buttons.Accept;
    BtnCancel = buttons.Cancel;
    LoadWeights();
}

void TFormFilterSetting::LoadWeights() {
    EditNear->SetValue(FStorage.ReadInteger("EditNear.VInt", 10));
    EditFar->SetValue(FStorage.ReadInteger("EditFar.VInt", -1));
    EditNear->SetModified(false);
    EditFar->SetModified(false);
}

void TFormFilterSetting::done(int Result) {
    if (Result == Accepted && EditNear->ValueInt() + EditFar->ValueInt() == 0) {
        QMessageBox::warning(this, windowTitle(),
                             "The near and far weights must not add up to zero.");
        return;
    }
    if (Result == Accepted) {
        TQorStorageBatch batch(FStorage);
        FStorage.WriteInteger("EditNear.VInt", EditNear->ValueInt());
        FStorage.WriteInteger("EditFar.VInt", EditFar->ValueInt());
    } else {
        LoadWeights();
    }
    QDialog::done(Result);
}
