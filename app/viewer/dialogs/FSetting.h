// TFormSetting: "Program Properties", the program-wide settings: the safe OpenGL mode (all
// rendering through a memory bitmap), fast drawing while turning, reloading the chart when its
// file changes and the OpenGL version in use. The mode takes effect while the dialog is open;
// Cancel puts the former one back, "Close" stores it. The other two are applied and stored by
// "Close".
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;
class QVBoxLayout;
class TFormMain;
class TQorCheckBox;

// The stored "Fast drawing while turning" setting (a Boolean, on when missing).
inline constexpr const char* FastTurningKey = "ChFastTurning.Checked";
// The stored "Reload the chart when its file changes" setting (a Boolean, on when missing).
inline constexpr const char* ReloadOnChangeKey = "ChReloadOnChange.Checked";

class TFormSetting : public QDialog {
    Q_OBJECT
public:
    explicit TFormSetting(TFormMain& Main);

    void done(int Result) override;

protected:
    void showEvent(QShowEvent* Event) override;

private:
    void FormShow();
    void ChSafeGLClick();
    void ShowGLVersion(bool Localised);

    TFormMain& FMain;
    bool FSavedSafeMode = false;
    // The show step ran: showing again (a restored minimised dialog) must not take the changed
    // mode for the one to go back to.
    bool FShown = false;
    // The settings, one row each, above the buttons.
    QVBoxLayout* FOptions = nullptr;
    QLabel* LabelGLVer = nullptr;
    TQorCheckBox* ChSafeGL = nullptr;
    TQorCheckBox* ChFastTurning = nullptr;
    TQorCheckBox* ChReloadOnChange = nullptr;
    QPushButton* BtnClose = nullptr;
    QPushButton* BtnCancel = nullptr;
};
