// TFormFilterSetting: "Filter Setting", the two weights of the interpolation filter with which
// the chart's density is increased. "Set" stores them for the next density command.
#pragma once

#include <QDialog>

class QPushButton;
class TFormMain;
class TQorEdit;
class TQorStorage;

class TFormFilterSetting : public QDialog {
    Q_OBJECT
public:
    explicit TFormFilterSetting(TFormMain& Main);

    void done(int Result) override;

private:
    void LoadWeights();

    TQorStorage& FStorage;
    TQorEdit* EditNear = nullptr;
    TQorEdit* EditFar = nullptr;
    QPushButton* BtnClose = nullptr;
    QPushButton* BtnCancel = nullptr;
};
