#include "QorScale.h"

#include "QorMath.h"
#include "QorNumText.h"
#include "UQorTypes.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>
#include <string_view>

namespace {

// Decimal counts beyond this make 10^-n vanish or overflow; nothing sensible lies past it.
constexpr int PlacesLimit = 300;
// Ranges this wide (or non-finite) cannot be stepped through; they get two bare ticks.
constexpr double LargestMagnitude = 1e300;
constexpr double MaxMinorTicks = 1e7;

// From here on a double has no more than 15 true digits before the separator: fixed notation
// would print rounding noise (7999999999999999980000000 for 8E24).
constexpr double ExponentFrom = 1e15;

// Digits down to the place 10^-Unit, 15 significant at most, trailing zeros dropped: "8E24",
// "-2.5E24".
std::string ExponentText(double v, char Sep, int Unit) {
    const double magnitude = std::fabs(v);
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, magnitude, std::chars_format::scientific);
    auto exponentOf = [&] {
        const char* e = std::find(buf, r.ptr, 'e');
        int exponent = 0;
        std::from_chars(e + (e[1] == '+' ? 2 : 1), r.ptr, exponent);
        return exponent;
    };
    const int precision = std::clamp(exponentOf() + Unit, 0, 14);
    r = std::to_chars(buf, buf + sizeof buf, magnitude, std::chars_format::scientific, precision);
    std::string mantissa(buf, std::find(buf, r.ptr, 'e'));
    if (mantissa.find('.') != std::string::npos) {
        while (mantissa.back() == '0')
            mantissa.pop_back();
        if (mantissa.back() == '.')
            mantissa.pop_back();
    }
    std::replace(mantissa.begin(), mantissa.end(), '.', Sep);
    return (v < 0 ? "-" : "") + mantissa + "E" + std::to_string(exponentOf());
}

bool Approx(double a, double b) {
    return SameValueDigits(11, a, b);
}

double Pow10(int n) {
    return std::pow(10.0, double(n));
}

// FloorInt saturates at the int range; past it a true floor keeps the start on a step multiple.
double FloorMultiple(double x, double step) {
    const double q = x / step;
    if (std::fabs(q) < 2e9)
        return FloorInt(q) * step;
    return std::floor(q) * step;
}

// Adds step to r; false when r is so large that the step no longer moves it. A sum that only
// misses zero by rounding is zero (stepping from -1E25 by 5E24 gives 201326592, not 0).
bool StepOn(double& r, double step) {
    double next = r + step;
    if (next == r)
        return false;
    if (std::fabs(next) < std::fabs(step) * 1e-9)
        next = 0;
    r = next;
    return true;
}

// The caller's settings with the decimal counts and the length brought into their ranges.
struct TScaleSettings : TQorScaleSettings {
    explicit TScaleSettings(const TQorScaleSettings& In) : TQorScaleSettings(In) {
        DecPlaces = std::clamp(DecPlaces, -PlacesLimit, PlacesLimit);
        DecPlacesEndPlus = std::clamp(DecPlacesEndPlus, -PlacesLimit, PlacesLimit);
        DecPlacesMax = std::clamp(DecPlacesMax, -PlacesLimit, PlacesLimit);
        Length = std::max(Length, 0.0);
    }

    // Unit: the finest place (10^-Unit) an exponent-form label keeps, as Places is for fixed
    // labels; the ends of a linear scale give their step's, so a float's noise is not shown.
    std::string Text(double v, int minPlaces, int places, int unit = PlacesLimit) const {
        if (std::fabs(v) >= ExponentFrom && std::isfinite(v))
            return ExponentText(v, DecSep, unit);
        return FloatToTextDec(DecSep, minPlaces, places, v, 0);
    }
    int EndPlaces(int places) const { return std::min(DecPlacesMax, places + DecPlacesEndPlus); }
};

struct TTicks {
    std::vector<std::string> Labels;
    std::vector<double> Values;

    void Add(double value, std::string label) {
        Values.push_back(value);
        Labels.push_back(std::move(label));
    }
    void Clear() {
        Values.clear();
        Labels.clear();
    }
    bool Fit(const TScaleSettings& s) const {
        return ScaleLabelsFit(Labels, Values, s.Length, s.LabelSize);
    }
};

struct TCandidate {
    double Value;
    std::string Label;
};

using TOptCandidate = std::optional<TCandidate>;

// The ticks with the candidates put into the gaps that hold them (low first within one gap).
TTicks WithCandidates(const TTicks& ticks, const TCandidate* low, const TCandidate* high) {
    TTicks trial;
    trial.Add(ticks.Values[0], ticks.Labels[0]);
    for (size_t i = 1; i < ticks.Values.size(); ++i) {
        const double before = ticks.Values[i - 1];
        const double after = ticks.Values[i];
        for (const TCandidate* c : {low, high}) {
            if (c != nullptr && before < c->Value && c->Value < after &&
                !Approx(before, c->Value) && !Approx(c->Value, after))
                trial.Add(c->Value, c->Label);
        }
        trial.Add(after, ticks.Labels[i]);
    }
    return trial;
}

// Replaces ticks by the first layout that fits: both candidates, the low one alone, the high one
// alone, then the plain ticks. False when none fits (ticks are then left as they are).
bool ChooseFittingLayout(TTicks& ticks, const TOptCandidate& low, const TOptCandidate& high,
                         const TScaleSettings& s) {
    auto tryWith = [&](const TCandidate* l, const TCandidate* h) {
        TTicks trial = WithCandidates(ticks, l, h);
        if (!trial.Fit(s))
            return false;
        ticks = std::move(trial);
        return true;
    };
    if (low && high && tryWith(&*low, &*high))
        return true;
    if (low && tryWith(&*low, nullptr))
        return true;
    if (high && tryWith(nullptr, &*high))
        return true;
    return ticks.Fit(s);
}

bool NearSomeTick(const std::vector<double>& values, double v) {
    const auto it = std::lower_bound(values.begin(), values.end(), v);
    const auto from = it - std::min<std::ptrdiff_t>(2, it - values.begin());
    const auto to = it + std::min<std::ptrdiff_t>(2, values.end() - it);
    return std::any_of(from, to, [v](double t) { return Approx(t, v); });
}

// Step = Mult x Unit with Mult in 1, 2, 5 and Unit = 10^-Places.
struct TLinearStep {
    int Mult = 1;
    int Places = 0;

    double Unit() const { return Pow10(-Places); }
    double Step() const { return Mult * Unit(); }
    int AutoPlaces() const { return std::max(0, Places); }
    void Grow() {
        if (Mult == 1) {
            Mult = 2;
        } else if (Mult == 2) {
            Mult = 5;
        } else {
            Mult = 1;
            --Places;
        }
    }
};

// The smallest step from 10^-DecPlacesMax up whose MaxIntervals steps cover the range.
TLinearStep FirstLinearStep(const TScaleSettings& s, long maxIntervals, double range) {
    TLinearStep step;
    step.Places = s.DecPlacesMax;
    // Past 1e20 the search goes on (as far as doubles reach), so a huge range cannot produce
    // billions of ticks.
    while (step.Step() * double(maxIntervals) < range && step.Places > -PlacesLimit - 10)
        step.Grow();
    return step;
}

// One linear layout for the given step; fills the ticks and the two candidates.
void LinearTicks(const TScaleSettings& s, const TLinearStep& ls, TTicks& ticks, TOptCandidate& low,
                 TOptCandidate& high) {
    const double step = ls.Step();
    const double min = s.Min;
    const double max = s.Max;
    const int minPlaces = s.DecPlacesEqual ? ls.AutoPlaces() : s.DecPlaces;
    auto inner = [&](double v) {
        ticks.Add(v, s.Text(v, minPlaces, s.DecPlacesMax));
    };

    double r = FloorMultiple(min, step);
    if (r > min)
        r = min;
    if (min - step > r)
        r = min - step;
    ticks.Clear();
    low.reset();
    high.reset();

    if (s.MinMaxRounding) {
        while (r + step < min || (Approx(r + step, min) && r + step < max))
            if (!StepOn(r, step))
                break;
        inner(r);
    } else {
        ticks.Add(min,
                  s.Text(min, minPlaces, s.EndPlaces(ls.AutoPlaces()), s.EndPlaces(ls.Places)));
    }
    StepOn(r, step);

    if (!s.MinMaxRounding) {
        auto belowFirstStep = [&] {
            return r < min + step && !Approx(r, min + step) && r < max;
        };
        if (belowFirstStep()) {
            low = TCandidate{r, s.Text(r, minPlaces, s.DecPlacesMax)};
            StepOn(r, step);
        }
        while (belowFirstStep())
            if (!StepOn(r, step))
                break;
    }

    while (r < max - step || Approx(r, max - step)) {
        inner(r);
        if (!StepOn(r, step))
            break;
    }

    if (s.MinMaxRounding) {
        while (r < max && !Approx(r, max)) {
            inner(r);
            if (!StepOn(r, step))
                break;
        }
        inner(r);
    } else {
        if (r < max && !Approx(r, max))
            high = TCandidate{r, s.Text(r, minPlaces, s.DecPlacesMax)};
        ticks.Add(max,
                  s.Text(max, minPlaces, s.EndPlaces(ls.AutoPlaces()), s.EndPlaces(ls.Places)));
    }
}

// Step / (NumSubSteps + 1), with no more intervals than MinSubStepLength lets the step's length
// hold (at least one).
double CountedMinorStep(const TScaleSettings& s, const TLinearStep& ls) {
    double parts = std::max(0.0, double(s.NumSubSteps)) + 1;
    if (s.MinSubStepLength > 0) {
        const double stepLength = ls.Step() / (s.Max - s.Min) * s.Length;
        const double room = std::floor(stepLength / s.MinSubStepLength);
        parts = room >= 1 ? std::min(parts, room) : 1;
    }
    return ls.Step() / parts;
}

double LinearMinorStep(const TScaleSettings& s, const TLinearStep& ls) {
    if (!s.AutoSubSteps)
        return CountedMinorStep(s, ls);
    switch (ls.Mult) {
    case 1:
        return 2 * ls.Unit() / 10;
    default:
        return ls.Unit();
    }
}

void LinearMinorTicks(const std::vector<double>& values, double minor,
                      std::vector<double>& subValues) {
    if (values.size() < 2 || !(minor > 0) || !std::isfinite(minor))
        return;
    const double first = values.front();
    const double last = values.back();
    // A minor step this fine would only flood memory; such a scale gets no minor ticks.
    if ((last - first) / minor > MaxMinorTicks)
        return;
    double r = FloorMultiple(first, minor);
    if (r > first)
        r = first;
    if (first - minor > r)
        r = first - minor;
    while (r < first || Approx(r, first))
        if (!StepOn(r, minor))
            return;
    while (r < last && !Approx(r, last)) {
        if (!NearSomeTick(values, r))
            subValues.push_back(r);
        if (!StepOn(r, minor))
            return;
    }
}

void LinearScale(const TScaleSettings& s, long maxIntervals, double range, TTicks& ticks,
                 std::vector<double>& subValues) {
    if (maxIntervals < 1 || maxIntervals > 100000)
        maxIntervals = 1;
    if (range / maxIntervals < 1e-20)
        range = 1;
    TLinearStep ls = FirstLinearStep(s, maxIntervals, range);
    for (;;) {
        TOptCandidate low;
        TOptCandidate high;
        LinearTicks(s, ls, ticks, low, high);
        if (ChooseFittingLayout(ticks, low, high, s))
            break;
        if (s.MinMaxRounding && ticks.Values.size() == 3) {
            ticks.Values.erase(ticks.Values.begin() + 1);
            ticks.Labels.erase(ticks.Labels.begin() + 1);
            break;
        }
        ls.Grow();
    }
    if (ticks.Values.size() > 1)
        LinearMinorTicks(ticks.Values, LinearMinorStep(s, ls), subValues);
}

struct TLogStep {
    int DecadesPerStep = 1;
    double Factor = 10;
};

// One logarithmic layout; Places carries over from the previous attempt.
void LogTicks(const TScaleSettings& s, const TLogStep& ls, int& places, TTicks& ticks,
              TOptCandidate& low, TOptCandidate& high) {
    const double min = s.Min;
    const double max = s.Max;
    const double factor = ls.Factor;
    auto lower = [&] {
        places = std::max(s.DecPlaces, places - ls.DecadesPerStep);
    };
    auto lowerUnlessEqual = [&] {
        if (!s.DecPlacesEqual)
            lower();
    };
    auto add = [&](double v) {
        ticks.Add(v, s.Text(v, places, s.DecPlacesMax));
    };

    double r = Pow10(-places);
    ticks.Clear();
    low.reset();
    high.reset();

    while (r * 10 < min || (Approx(r * 10, min) && r * 10 < max)) {
        r *= 10;
        places = std::max(s.DecPlaces, places - 1);
    }

    if (s.MinMaxRounding) {
        add(r);
        r *= factor;
        lowerUnlessEqual();
    } else {
        ticks.Add(min, s.Text(min, places, s.EndPlaces(places)));
        while (r < min || (Approx(r, min) && r < max)) {
            r *= factor;
            lower();
        }
        auto belowFirstStep = [&] {
            return min * factor > r && !Approx(r, min * factor) && r < max;
        };
        if (belowFirstStep()) {
            low = TCandidate{r, s.Text(r, places, s.DecPlacesMax)};
            r *= factor;
            lowerUnlessEqual();
        }
        while (belowFirstStep()) {
            r *= factor;
            lowerUnlessEqual();
        }
    }

    while (max / factor > r || Approx(max / factor, r)) {
        add(r);
        r *= factor;
        lowerUnlessEqual();
    }

    if (s.MinMaxRounding) {
        while (r < max && !Approx(r, max)) {
            add(r);
            r *= factor;
            lowerUnlessEqual();
        }
        add(r);
    } else {
        if (r < max && !Approx(r, max))
            high = TCandidate{r, s.Text(r, places, s.DecPlacesMax)};
        ticks.Add(max, s.Text(max, places, s.EndPlaces(places)));
    }

    for (double& v : ticks.Values)
        v = std::log10(v);
    for (TOptCandidate* c : {&low, &high})
        if (*c)
            (*c)->Value = std::log10((*c)->Value);
}

void LogMinorTicks(const std::vector<double>& values, std::vector<double>& subValues) {
    const double first = values.front();
    const double last = values.back();
    for (double d = FloorInt(first); d < last; d += 1) {
        for (int k = 1; k <= 9; ++k) {
            const double v = std::log10(k * std::pow(10.0, d));
            if (first < v && v < last && !NearSomeTick(values, v))
                subValues.push_back(v);
        }
    }
}

void LogScale(TScaleSettings& s, TTicks& ticks, std::vector<double>& subValues) {
    int places = s.DecPlacesMax;
    const double tiny = Pow10(-s.DecPlacesMax);
    if (s.Min < tiny)
        s.Min = tiny;
    if (s.Min + tiny > s.Max)
        s.Max = s.Min + 1;
    TLogStep ls;
    for (;;) {
        TOptCandidate low;
        TOptCandidate high;
        LogTicks(s, ls, places, ticks, low, high);
        if (ChooseFittingLayout(ticks, low, high, s))
            break;
        ls.DecadesPerStep += 1;
        ls.Factor *= 10;
        if (ls.Factor > s.Max)
            break;
    }
    if (ticks.Values.size() > 1)
        LogMinorTicks(ticks.Values, subValues);
}

void Finish(bool showMinLabel, bool showMaxLabel, double min, double max, TTicks& ticks) {
    if (!showMinLabel && !ticks.Labels.empty())
        ticks.Labels.front().clear();
    if (!showMaxLabel && !ticks.Labels.empty())
        ticks.Labels.back().clear();
    if (ticks.Values.empty())
        ticks.Add(min, {});
    if (ticks.Values.size() == 1)
        ticks.Add(max, {});
}

} // namespace

bool ScaleLabelsFit(const std::vector<std::string>& Labels, const std::vector<double>& Values,
                    double Length, double LabelSize) {
    const size_t n = std::min(Labels.size(), Values.size());
    if (!(Length > 0) || n <= 2)
        return true;
    auto size = [&](size_t i) {
        return Labels[i].empty() ? 0.0 : 1.2 * LabelSize;
    };
    const double usable = Length - (size(0) + size(n - 1)) / 2;
    if (!(usable > 0))
        return false;
    auto position = [&](size_t i) {
        return MapLinear(Values[i], Values[0], 0, Values[n - 1], usable);
    };
    for (size_t i = 0; i + 1 < n; ++i)
        if (position(i + 1) - position(i) < (size(i) + size(i + 1)) / 2)
            return false;
    return true;
}

TQorScaleTicks CalcAutoScale(const TQorScaleSettings& Settings) {
    TTicks ticks;
    TQorScaleTicks result;
    if (std::fabs(Settings.Min) <= LargestMagnitude &&
        std::fabs(Settings.Max) <= LargestMagnitude) {
        TScaleSettings s(Settings);
        const double slot = 1.2 * s.LabelSize;
        if (s.Min + Pow10(-s.DecPlacesMax) > s.Max)
            s.Max = s.Min + 1;
        const double range = std::fabs(s.Max - s.Min);
        const long maxIntervals = long(RoundHalfEven(s.Length / slot)) - 1;
        if (s.Logarithmic)
            LogScale(s, ticks, result.SubValues);
        else
            LinearScale(s, maxIntervals, range, ticks, result.SubValues);
    }
    Finish(Settings.ShowMinLabel, Settings.ShowMaxLabel, Settings.Min, Settings.Max, ticks);
    result.Labels = std::move(ticks.Labels);
    result.Values = std::move(ticks.Values);
    return result;
}
