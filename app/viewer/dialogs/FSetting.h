// TFormSetting: "Program Properties", the program-wide settings: the safe OpenGL mode (all
// rendering through a memory bitmap), fast drawing while turning and the OpenGL version in use.
// The mode takes effect while the dialog is open; Cancel puts the former one back, "Close"
// stores it. Fast drawing is applied and stored by "Close".
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;
class QVBoxLayout;
class TFormMain;
class TQorCheckBox;

// The stored "Fast drawing while turning" setting (a Boolean, on when missing).
inline constexpr const char* FastTurningKey = "ChFastTurning.Checked";

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
    // The settings, one row each, above the buttons.
    QVBoxLayout* FOptions = nullptr;
    QLabel* LabelGLVer = nullptr;
    TQorCheckBox* ChSafeGL = nullptr;
    TQorCheckBox* ChFastTurning = nullptr;
    QPushButton* BtnClose = nullptr;
    QPushButton* BtnCancel = nullptr;
};
