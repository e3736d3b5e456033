// TQorEdit: the styled edit of the dialogs, a text or number field with spin buttons.
//
// A number style keeps the text as typed (ValueEx) and answers Value clamped to
// ValueMin ... ValueMax. Setting by program (SetValue, SetText) is silent; ChangeValue and
// ChangeText act as the user would: they mark the edit modified and fire OnChange, and do
// nothing when the value stays (numbers: equal to 11 significant digits). The background
// shows UnchangedColor until the user changes the value, ChangedColor afterwards and
// OutOfRangeColor while the number lies outside the range.
#pragma once

#include "QorControlLook.h"

#include <QAbstractSpinBox>
#include <QLineEdit>
#include <functional>

enum TQorEditStyle : uint8_t { pesString, pesInteger, pesCardinal, pesDouble };

class TQorEdit : public QAbstractSpinBox {
    Q_OBJECT
public:
    explicit TQorEdit(QWidget* Parent = nullptr);
    TQorEdit(TQorEditStyle Style, double Min, double Max, QWidget* Parent = nullptr);

    TQorEditStyle Style() const { return FStyle; }
    void SetStyle(TQorEditStyle v);

    // Text of any style; the number styles read and write it as numbers.
    QString Text() const;
    void SetText(const QString& v);
    void ChangeText(const QString& v);

    // The number as typed, unclamped; 0 when the text is not a number.
    double ValueEx() const;
    // ValueEx clamped to the range (and to the integer range of the integer styles).
    double Value() const;
    // Value rounded to the nearest integer, halves to even.
    int ValueInt() const;
    void SetValue(double v);
    void ChangeValue(double v);
    bool InRange() const;

    double ValueMin() const { return FValueMin; }
    double ValueMax() const { return FValueMax; }
    void SetValueMin(double v);
    void SetValueMax(double v);
    void SetRange(double Min, double Max);

    // Decimals shown and typed for pesDouble; negative: up to 15 significant digits.
    int DecPlaces() const { return FDecPlaces; }
    void SetDecPlaces(int v);
    // The separator numbers are shown with; both "." and "," are accepted when typed.
    char DecSep() const { return FDecSep; }
    void SetDecSep(char v);

    // The spin step: Increment, or with IncrementSmart the step of the value's magnitude
    // (IncrementSmartLevel significant digits, never less than Increment).
    double Increment() const { return FIncrement; }
    void SetIncrement(double v) { FIncrement = v; }
    bool IncrementSmart() const { return FIncrementSmart; }
    void SetIncrementSmart(bool v) { FIncrementSmart = v; }
    int IncrementSmartLevel() const { return FIncrementSmartLevel; }
    void SetIncrementSmartLevel(int v) { FIncrementSmartLevel = v; }
    // One spin step from Value up (Direction > 0) or down.
    static double SpinValue(double Value, int Direction, double Increment, bool Smart, int Level);

    bool Modified() const { return FModified; }
    void SetModified(bool v);

    TColor UnchangedColor() const { return FUnchangedColor; }
    void SetUnchangedColor(TColor v);
    TColor ChangedColor() const { return FChangedColor; }
    void SetChangedColor(TColor v);
    TColor OutOfRangeColor() const { return FOutOfRangeColor; }
    void SetOutOfRangeColor(TColor v);
    // The background colour shown now.
    TColor CurrentColor() const;

    QString Hint() const { return toolTip(); }
    void SetHint(const QString& v) { setToolTip(v); }
    void SetMaxLength(int v);
    // The text field inside (alignment, selection, focus).
    QLineEdit* Editor() const { return lineEdit(); }

    std::function<void(TQorEdit* Sender)> OnChange;

    void stepBy(int Steps) override;
    StepEnabled stepEnabled() const override;
    // Room for the longest number of the range (ten digits for wide ranges and text).
    QSize sizeHint() const override;

protected:
    QValidator::State validate(QString& Input, int& Pos) const override;

private:
    bool IsNumber() const { return FStyle != pesString; }
    double EffectiveMin() const;
    double EffectiveMax() const;
    QString FormatNumber(double v) const;
    void Changed();
    void UpdateLook();

    TQorEditStyle FStyle = pesString;
    double FValueMin;
    double FValueMax;
    int FDecPlaces = -1;
    char FDecSep;
    double FIncrement = 1;
    bool FIncrementSmart = true;
    int FIncrementSmartLevel = 2;
    bool FModified = false;
    TColor FUnchangedColor = QorUnchangedColor;
    TColor FChangedColor = QorChangedColor;
    TColor FOutOfRangeColor = QorOutOfRangeColor;
};
