// TFormSettingName: the small dialog that names a property set. "Save" accepts the name only
// when the name rule lets it pass; otherwise it tells which characters are refused.
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;
class TQorEdit;

class TFormSettingName : public QDialog {
    Q_OBJECT
public:
    static constexpr int MaxNameLength = 80;

    // Centre, when given, is the window the dialog is centred on (the main window).
    explicit TFormSettingName(QWidget* Owner = nullptr, QWidget* Centre = nullptr);

    QString Name() const;
    void SetName(const QString& Name);

    // The characters of Name that may not stand in a set name, in order and with repeats.
    // A set name becomes a key of the settings tree, where "\" separates keys.
    static QString RefusedCharacters(const QString& Name);

protected:
    void showEvent(QShowEvent* Event) override;

private:
    void BtnCloseClick();

    QWidget* FCentre;
    QLabel* LabelPassword;
    TQorEdit* CtrlName;
    QPushButton* BtnCancel;
    QPushButton* BtnClose;
};
