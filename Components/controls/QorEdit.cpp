#include "QorEdit.h"

#include "QorMath.h"
#include "QorNumText.h"

#include <QLineEdit>
#include <QRegularExpression>
#include <QStyleOptionSpinBox>
#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr double MaxDouble = std::numeric_limits<double>::max();
constexpr double CardinalMax = 4294967295.0;
// A value of this size or smaller counts as zero when choosing the smart step.
constexpr double SmartZero = 1e-30;

bool ParseNumber(const QString& Text, double& Value) {
    const double none = std::numeric_limits<double>::quiet_NaN();
    Value = TextToFloatDef(Text.toStdString(), none);
    return !std::isnan(Value);
}

// What may stand in the field while a number of the style is being typed.
QRegularExpression TypingPattern(TQorEditStyle Style, int DecPlaces) {
    switch (Style) {
    case pesInteger:
        return QRegularExpression(R"(^[+-]?\d*$)");
    case pesCardinal:
        return QRegularExpression(R"(^\+?\d*$)");
    default: {
        // DecPlaces bounds the decimals typed, not the magnitude: "2e20" stays allowed.
        const QString decimals = DecPlaces >= 0 ? QString("{0,%1}").arg(DecPlaces) : "*";
        return QRegularExpression(QString(R"(^[+-]?\d*([.,]\d%1)?([eE][+-]?\d*)?$)").arg(decimals));
    }
    }
}

} // namespace

TQorEdit::TQorEdit(QWidget* Parent)
    : QAbstractSpinBox(Parent), FValueMin(-MaxDouble), FValueMax(MaxDouble),
      FDecSep(LocaleDecSeparator()) {
    setButtonSymbols(NoButtons);
    setAccelerated(true);
    connect(lineEdit(), &QLineEdit::textEdited, this, [this] { Changed(); });
    connect(lineEdit(), &QLineEdit::textChanged, this, [this] { UpdateLook(); });
    UpdateLook();
}

TQorEdit::TQorEdit(TQorEditStyle Style, double Min, double Max, QWidget* Parent)
    : TQorEdit(Parent) {
    SetStyle(Style);
    SetRange(Min, Max);
}

void TQorEdit::SetStyle(TQorEditStyle v) {
    FStyle = v;
    setButtonSymbols(IsNumber() ? UpDownArrows : NoButtons);
    UpdateLook();
}

QString TQorEdit::Text() const {
    return lineEdit()->text();
}

void TQorEdit::SetText(const QString& v) {
    lineEdit()->setText(v);
}

void TQorEdit::ChangeText(const QString& v) {
    if (v == Text())
        return;
    lineEdit()->setText(v);
    Changed();
}

double TQorEdit::ValueEx() const {
    double v = 0;
    return ParseNumber(Text(), v) ? v : 0;
}

double TQorEdit::EffectiveMin() const {
    switch (FStyle) {
    case pesInteger:
        return std::max(FValueMin, double(std::numeric_limits<int>::min()));
    case pesCardinal:
        return std::max(FValueMin, 0.0);
    default:
        return FValueMin;
    }
}

double TQorEdit::EffectiveMax() const {
    switch (FStyle) {
    case pesInteger:
        return std::min(FValueMax, double(std::numeric_limits<int>::max()));
    case pesCardinal:
        return std::min(FValueMax, CardinalMax);
    default:
        return FValueMax;
    }
}

double TQorEdit::Value() const {
    return std::max(EffectiveMin(), std::min(ValueEx(), EffectiveMax()));
}

int TQorEdit::ValueInt() const {
    return RoundHalfEven(Value());
}

bool TQorEdit::InRange() const {
    const double v = ValueEx();
    return v >= EffectiveMin() && v <= EffectiveMax();
}

QString TQorEdit::FormatNumber(double v) const {
    if (FStyle == pesInteger || FStyle == pesCardinal) {
        const double limit = 9e18; // inside the range of long long
        return QString::number(
            static_cast<long long>(std::nearbyint(std::clamp(v, -limit, limit))));
    }
    if (FStyle == pesDouble && FDecPlaces >= 0)
        return QString::fromStdString(FloatToTextDec(FDecSep, 0, FDecPlaces, v, 0));
    std::string text = FloatToTextG(v);
    SetDecSeparators(text, FDecSep);
    return QString::fromStdString(text);
}

void TQorEdit::SetValue(double v) {
    SetText(FormatNumber(v));
}

void TQorEdit::ChangeValue(double v) {
    double current = 0;
    if (IsNumber() && ParseNumber(Text(), current) && SameValueDigits(11, v, current))
        return;
    ChangeText(FormatNumber(v));
}

void TQorEdit::SetValueMin(double v) {
    FValueMin = v;
    UpdateLook();
}

void TQorEdit::SetValueMax(double v) {
    FValueMax = v;
    UpdateLook();
}

void TQorEdit::SetRange(double Min, double Max) {
    FValueMin = Min;
    FValueMax = Max;
    UpdateLook();
}

void TQorEdit::SetDecPlaces(int v) {
    FDecPlaces = v;
}

void TQorEdit::SetDecSep(char v) {
    FDecSep = v;
}

double TQorEdit::SpinValue(double Value, int Direction, double Increment, bool Smart, int Level) {
    if (Direction == 0 || !std::isfinite(Value))
        return Value;
    const bool up = Direction > 0;
    double step = Increment;
    if (Smart && std::fabs(Value) > SmartZero) {
        // Just below a power of ten the step going down is that of the smaller magnitude.
        const double k = std::floor(std::log10(std::fabs(Value)) + (up ? 1e-6 : -1e-6));
        step = std::max(std::pow(10.0, k - Level + 1), Increment);
    }
    if (!(step > 0) || !std::isfinite(step))
        return Value;
    double next = Value + (up ? step : -step);
    if (Smart) {
        next = std::round(Value / step) * step;
        const double slack = step * 1e-9; // rounding noise is no move
        if (up ? next <= Value + slack : next >= Value - slack)
            next += up ? step : -step;
    }
    // Fifteen significant digits drop the noise of the multiplication (0.30000000000000004).
    return TextToFloatDef(FloatToTextG(next), next);
}

void TQorEdit::stepBy(int Steps) {
    if (!IsNumber() || Steps == 0)
        return;
    double v = Value();
    for (int i = 0; i < std::abs(Steps); ++i)
        v = SpinValue(v, Steps, FIncrement, FIncrementSmart, FIncrementSmartLevel);
    ChangeValue(std::max(EffectiveMin(), std::min(v, EffectiveMax())));
}

QAbstractSpinBox::StepEnabled TQorEdit::stepEnabled() const {
    if (!IsNumber() || isReadOnly())
        return StepNone;
    StepEnabled flags = StepNone;
    if (Value() < EffectiveMax())
        flags |= StepUpEnabled;
    if (Value() > EffectiveMin())
        flags |= StepDownEnabled;
    return flags;
}

QValidator::State TQorEdit::validate(QString& Input, int&) const {
    if (!IsNumber())
        return QValidator::Acceptable;
    if (!TypingPattern(FStyle, FDecPlaces).match(Input).hasMatch())
        return QValidator::Invalid;
    double v = 0;
    return ParseNumber(Input, v) ? QValidator::Acceptable : QValidator::Intermediate;
}

QSize TQorEdit::sizeHint() const {
    ensurePolished();
    QString sample = "0000000000";
    const double limit = 1e12; // beyond this the range says nothing about typical numbers
    if (IsNumber() && std::fabs(EffectiveMin()) < limit && std::fabs(EffectiveMax()) < limit) {
        const QString low = FormatNumber(EffectiveMin());
        const QString high = FormatNumber(EffectiveMax());
        sample = low.size() > high.size() ? low : high;
        if (FStyle == pesDouble)
            sample += FDecPlaces >= 0 ? "." + QString(FDecPlaces, '0') : ".000";
    }
    const QFontMetrics metrics(font());
    const QSize text(metrics.horizontalAdvance(sample + "  "), lineEdit()->sizeHint().height());
    QStyleOptionSpinBox option;
    initStyleOption(&option);
    return style()->sizeFromContents(QStyle::CT_SpinBox, &option, text, this);
}

void TQorEdit::SetModified(bool v) {
    FModified = v;
    UpdateLook();
}

void TQorEdit::SetUnchangedColor(TColor v) {
    FUnchangedColor = v;
    UpdateLook();
}

void TQorEdit::SetChangedColor(TColor v) {
    FChangedColor = v;
    UpdateLook();
}

void TQorEdit::SetOutOfRangeColor(TColor v) {
    FOutOfRangeColor = v;
    UpdateLook();
}

TColor TQorEdit::CurrentColor() const {
    double v = 0;
    if (IsNumber() && ParseNumber(Text(), v) && !InRange())
        return FOutOfRangeColor;
    return FModified ? FChangedColor : FUnchangedColor;
}

void TQorEdit::SetMaxLength(int v) {
    lineEdit()->setMaxLength(v);
}

void TQorEdit::Changed() {
    FModified = true;
    UpdateLook();
    if (OnChange)
        OnChange(this);
}

void TQorEdit::UpdateLook() {
    SetControlBackground(*this, CurrentColor());
    update();
}
