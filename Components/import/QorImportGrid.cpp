#include "QorImportGrid.h"

#include "QorImportSupport.h"
#include "QorParallel.h"
#include "chart/Qor3DChartSizing.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <unistd.h>
#if defined(__SSE__)
#include <xmmintrin.h>
#endif

namespace QorImportGrid {

TAttributes CfAttributes(const std::function<std::vector<double>(const char*)>& Numbers,
                         const std::function<std::string(const char*)>& Text) {
    TAttributes a;
    const auto one = [&](const char* Name) -> std::optional<double> {
        const std::vector<double> v = Numbers(Name);
        return v.empty() ? std::nullopt : std::optional<double>(v.front());
    };
    a.FillValue = one("_FillValue");
    a.MissingValue = one("missing_value");
    if (const std::vector<double> r = Numbers("valid_range"); r.size() == 2) {
        a.ValidMin = r[0];
        a.ValidMax = r[1];
    }
    if (const auto v = one("valid_min"))
        a.ValidMin = v;
    if (const auto v = one("valid_max"))
        a.ValidMax = v;
    a.Scale = one("scale_factor").value_or(1);
    a.Offset = one("add_offset").value_or(0);
    a.Units = Text("units");
    a.LongName = Text("long_name");
    return a;
}

std::string Caption(const std::string& Name, const std::string& Units) {
    return Units.empty() ? Name : Name + " [" + Units + "]";
}

const TQorImportArrayInfo* ChooseVariable(const std::vector<TQorImportArrayInfo>& Candidates,
                                          const TQorImportOptions& Options, TQorImportResult& R) {
    if (!Options.ArrayName.empty()) {
        for (const TQorImportArrayInfo& c : Candidates)
            if (c.Name == Options.ArrayName)
                return &c;
    } else if (Candidates.size() == 1) {
        return &Candidates.front();
    }
    std::string list;
    for (const TQorImportArrayInfo& c : Candidates)
        list += (list.empty() ? "" : "; ") + c.Text();
    if (Candidates.empty())
        R.Fail("the file holds no numeric variable of 2 or more dimensions");
    else if (!Options.ArrayName.empty())
        R.Fail("the file holds no variable '" + Options.ArrayName +
               "' of 2 or more dimensions; it holds " + list);
    else
        R.Fail("the file holds " + std::to_string(Candidates.size()) +
               " variables; choose one with --var NAME: " + list);
    R.Choices = Candidates;
    return nullptr;
}

bool ChooseSlab(const TQorImportArrayInfo& Var, const TQorImportOptions& Options, TSlab& Slab,
                TQorImportResult& R) {
    const size_t rank = Var.Shape.size();
    const auto dimName = [&](size_t d) {
        return d < Var.Dims.size() ? Var.Dims[d] : "dim" + std::to_string(d);
    };
    const auto fail = [&](const std::string& Message) {
        R.Fail(Message, 0, 0, Var.Name);
        R.Error.VariableWord = "variable";
        return false;
    };
    Slab.Shape = Var.Shape;
    Slab.Start.assign(rank, 0);
    Slab.Count.assign(Var.Shape.begin(), Var.Shape.end());
    Slab.Shown.clear();
    std::vector<bool> indexed(rank, false);
    for (const auto& [dim, index] : Options.Indices) {
        size_t d = 0;
        while (d < rank && dimName(d) != dim)
            ++d;
        if (d == rank) {
            R.Warnings.push_back("--index " + dim + "=" + std::to_string(index) + ": '" + Var.Name +
                                 "' has no dimension '" + dim + "'");
            continue;
        }
        if (index >= Var.Shape[d])
            return fail("--index " + dim + "=" + std::to_string(index) + ": " + dim + " has " +
                        std::to_string(Var.Shape[d]) + " places (0 ... " +
                        std::to_string(Var.Shape[d] - 1) + ")");
        indexed[d] = true;
        Slab.Start[d] = index;
        Slab.Count[d] = 1;
    }
    for (size_t d = rank; d-- > 0 && Slab.Shown.size() < 3;)
        if (!indexed[d])
            Slab.Shown.insert(Slab.Shown.begin(), d);
    if (Slab.Shown.size() < 2)
        return fail("an index for all but " + std::to_string(Slab.Shown.size()) +
                    " of its dimensions leaves no grid: a surface needs 2 dimensions, a volume 3");
    for (size_t d = 0; d < Slab.Shown.front(); ++d)
        if (!indexed[d]) {
            Slab.Count[d] = 1;
            R.Warnings.push_back(dimName(d) + ": index 0 of " + std::to_string(Var.Shape[d]) +
                                 " shown (--index " + dimName(d) + "=K picks another)");
        }
    Slab.Kind = Slab.Shown.size() == 2 ? TQorImportKind::Surface : TQorImportKind::Volume;
    int64_t elements = 1;
    for (const size_t d : Slab.Shown) {
        const int64_t n = Var.Shape[d];
        if (n < 1)
            return fail("the variable (" + QorImport::ShapeText(Var.Shape) + ") holds no values");
        if (!QorSizing::IsGridCount(n))
            return fail("a dimension of " + std::to_string(n) + " is too large for a chart");
        const std::optional<int64_t> p = QorSizing::Product({elements, n});
        if (!p)
            return fail("the slab's " + QorImport::ShapeText(Var.Shape) +
                        " values do not fit into memory");
        elements = *p;
    }
    std::vector<int64_t> shown;
    for (const size_t d : Slab.Shown)
        shown.push_back(Var.Shape[d]);
    // The chart's array and the values read into it both live at once only for a moment; the
    // interleaved layout needs 3 or 4 floats per point.
    if (!QorSizing::FitsInMemory(elements, int64_t(sizeof(float)) * 5, QorSizing::PhysicalMemory()))
        return fail("the grid of " + QorImport::ShapeText(shown) + " = " +
                    std::to_string(elements) + " values does not fit into memory");
    Slab.Elements = elements;
    return true;
}

namespace {

constexpr float NaN = std::numeric_limits<float>::quiet_NaN();

// The value that marks a hole first: the fill value, else the missing value; NaN, which no value
// equals, when there is neither.
float FirstHole(const TAttributes& A) {
    const std::optional<double> v = A.FillValue ? A.FillValue : A.MissingValue;
    return v ? float(*v) : NaN;
}

} // namespace

// One pass, without branches, so that it vectorises, on all cores for a large grid. Most files
// have one hole value; a second is compared only where there is one (a compare per value is
// half the pass).
TValuePass::TValuePass(const TAttributes& A)
    : FNumbers{FirstHole(A),
               A.FillValue && A.MissingValue ? float(*A.MissingValue) : NaN,
               A.ValidMin ? float(*A.ValidMin) : -std::numeric_limits<float>::infinity(),
               A.ValidMax ? float(*A.ValidMax) : std::numeric_limits<float>::infinity(),
               A.Scale,
               A.Offset},
      FPacked(A.Scale != 1 || A.Offset != 0), FRanged(A.ValidMin || A.ValidMax),
      FNothing(!A.FillValue && !A.MissingValue),
      FTwo(A.FillValue && A.MissingValue && FNumbers.Missing != FNumbers.Fill) {}

namespace {

// Whether any of Count values (a multiple of 16) is a hole. Four masks are gathered side by side,
// so that no compare waits for the one before: the compiler's own loop chained every compare
// through one register.
template <bool Ranged, bool Two, typename THole>
bool AnyHole(const float* Values, size_t Count, [[maybe_unused]] const TPassNumbers& N,
             [[maybe_unused]] const THole& IsHole) {
#if defined(__SSE__)
    const __m128 fill = _mm_set1_ps(N.Fill), missing = _mm_set1_ps(N.Missing),
                 lo = _mm_set1_ps(N.Lo), hi = _mm_set1_ps(N.Hi);
    const auto holes = [&](const float* At) {
        const __m128 v = _mm_loadu_ps(At);
        __m128 m = _mm_cmpeq_ps(v, fill);
        if constexpr (Two)
            m = _mm_or_ps(m, _mm_cmpeq_ps(v, missing));
        if constexpr (Ranged)
            m = _mm_or_ps(m, _mm_or_ps(_mm_cmplt_ps(v, lo), _mm_cmpgt_ps(v, hi)));
        return m;
    };
    __m128 a = _mm_setzero_ps(), b = a, c = a, d = a;
    for (size_t i = 0; i < Count; i += 16) {
        a = _mm_or_ps(a, holes(Values + i));
        b = _mm_or_ps(b, holes(Values + i + 4));
        c = _mm_or_ps(c, holes(Values + i + 8));
        d = _mm_or_ps(d, holes(Values + i + 12));
    }
    return _mm_movemask_ps(_mm_or_ps(_mm_or_ps(a, b), _mm_or_ps(c, d))) != 0;
#else
    int any = 0;
    for (size_t i = 0; i < Count; ++i)
        any |= int(IsHole(Values[i]));
    return any != 0;
#endif
}

// Branch-free, with every number in a local, so the compiler keeps them in vector registers. A
// NaN fill or missing value matches nothing. Unpacked values are only looked at, a run at a
// time, and written where a run has a hole: writing every value would write every cache line
// back to memory, and take it back from the other core where that one has just read the block.
template <bool Packed, bool Ranged, bool Two>
void PassOver(float* Values, size_t Count, const TPassNumbers N) {
    const float fill = N.Fill, missing = N.Missing, lo = N.Lo, hi = N.Hi;
    const double scale = N.Scale, offset = N.Offset;
    const auto isHole = [=](float v) {
        return (v == fill) | (Two & (v == missing)) | (Ranged & ((v < lo) | (v > hi)));
    };
    size_t t = 0;
    if constexpr (!Packed) {
        constexpr size_t run = 256;
        for (; t + run <= Count; t += run)
            if (AnyHole<Ranged, Two>(Values + t, run, N, isHole))
                for (size_t r = 0; r < run; ++r)
                    Values[t + r] = isHole(Values[t + r]) ? NaN : Values[t + r];
    }
    for (; t < Count; ++t) {
        const float v = Values[t];
        const float kept = Packed ? float(double(v) * scale + offset) : v;
        Values[t] = isHole(v) ? NaN : kept;
    }
}

} // namespace

void TValuePass::operator()(float* Values, size_t Count) const {
    if (!Changes())
        return;
    using TPass = void (*)(float*, size_t, TPassNumbers);
    static constexpr TPass passes[2][2][2] = {
        {{PassOver<false, false, false>, PassOver<false, false, true>},
         {PassOver<false, true, false>, PassOver<false, true, true>}},
        {{PassOver<true, false, false>, PassOver<true, false, true>},
         {PassOver<true, true, false>, PassOver<true, true, true>}}};
    passes[FPacked][FRanged][FTwo](Values, Count, FNumbers);
}

namespace {

// The pass over all values, on every core when there are many.
void PassOverAll(TArrGLfloat& Values, const TValuePass& Pass) {
    float* values = Values.data();
    const size_t n = Values.size();
    const size_t pieces = n >= (size_t(1) << 20) ? QorParallel::Threads() * 2 : 1;
    QorParallel::For(pieces, [&](size_t p) {
        const size_t first = n * p / pieces, last = n * (p + 1) / pieces;
        Pass(values + first, last - first);
    });
}

// Reads the slab into Values half a megabyte at a time, each block through Read; Pass goes over
// each block on a second core while the next is read. A slab of one block, or a pass that
// changes nothing, is one Read on this thread. False when Read fails; the blocks after it are
// not read.
bool ReadInBlocks(const TSlab& Slab, float* Values, const TValuePass& Pass, const TSlabRead& Read) {
    constexpr int64_t blockValues = int64_t(1) << 17; // half a megabyte of floats
    // Blocks split the outermost dimension that is read more than once.
    size_t outer = 0;
    while (outer + 1 < Slab.Count.size() && Slab.Count[outer] == 1)
        ++outer;
    const int64_t rows = Slab.Count.empty() ? 0 : Slab.Count[outer];
    const int64_t perRow = rows > 0 ? Slab.Elements / rows : 0;
    const int64_t step = std::max<int64_t>(1, blockValues / std::max<int64_t>(1, perRow));
    if (!Pass.Changes())
        return Read(Slab.Start, Slab.Count, Values);
    if (rows <= step) { // one block: no thread to start
        if (!Read(Slab.Start, Slab.Count, Values))
            return false;
        Pass(Values, size_t(Slab.Elements));
        return true;
    }
    // The pass goes over one block while the library reads the next.
    QorParallel::TPipeline passes;
    std::vector<int64_t> start = Slab.Start, count = Slab.Count;
    for (int64_t row = 0; row < rows; row += step) {
        start[outer] = Slab.Start[outer] + row;
        count[outer] = std::min(step, rows - row);
        float* into = Values + row * perRow;
        if (!Read(start, count, into))
            return false;
        const size_t n = size_t(count[outer] * perRow);
        passes.Hand([&Pass, into, n] { Pass(into, n); });
    }
    return true;
}

// The place of the slab's first value among the variable's, in C order, when the slab's values
// lie one after another there: every dimension after the first read more than once is read whole.
std::optional<int64_t> FirstOfRun(const TSlab& Slab) {
    const std::vector<int64_t>& Shape = Slab.Shape;
    if (Shape.size() != Slab.Start.size())
        return std::nullopt;
    size_t d = 0;
    while (d < Shape.size() && Slab.Count[d] == 1)
        ++d;
    for (size_t after = d + 1; after < Shape.size(); ++after)
        if (Slab.Start[after] != 0 || Slab.Count[after] != Shape[after])
            return std::nullopt;
    int64_t first = 0;
    for (size_t k = 0; k < Shape.size(); ++k)
        first = first * Shape[k] + Slab.Start[k];
    return first;
}

// Reads the slab straight from the file where the variable's floats lie; false when its values
// are not one run there, or the file is another or ends before them.
bool ReadStoredSlab(const std::string& FileName, const TStorage::TFloats& Stored, const TSlab& Slab,
                    float* Values, const TValuePass& Pass) {
    const std::optional<int64_t> first = FirstOfRun(Slab);
    struct stat st {};
    std::string error;
    const int fd = first ? QorImport::OpenRegularFile(FileName, st, error) : -1;
    if (fd < 0)
        return false;
    const size_t count = size_t(Slab.Elements);
    const uint64_t from = uint64_t(Stored.Offset) + uint64_t(*first) * sizeof(float);
    bool whole = uint64_t(st.st_dev) == Stored.Device && uint64_t(st.st_ino) == Stored.Inode &&
                 Stored.Offset >= 0 && from + count * sizeof(float) <= uint64_t(st.st_size);
    // A quarter megabyte at a time stays in the reading core's cache for the pass; each core
    // reads a part of its own, so the kernel's copies run side by side.
    constexpr size_t block = size_t(1) << 16;
    const size_t parts = count >= 4 * block ? QorParallel::Threads() : 1;
    std::vector<char> read(parts, 1);
    if (whole)
        QorParallel::For(parts, [&](size_t p) {
            const size_t begin = count * p / parts / 16 * 16,
                         end = p + 1 == parts ? count : count * (p + 1) / parts / 16 * 16;
            for (size_t at = begin; at < end && read[p]; at += block) {
                const size_t n = std::min(block, end - at), bytes = n * sizeof(float);
                read[p] =
                    QorImport::ReadAt(fd, Values + at, bytes, from + at * sizeof(float)) == bytes;
                if (read[p])
                    Pass(Values + at, n);
            }
        });
    ::close(fd);
    return whole && std::all_of(read.begin(), read.end(), [](char Ok) { return Ok != 0; });
}

} // namespace

bool ReadSlab(const std::string& FileName, const TStorage& Storage, const TSlab& Slab,
              TArrGLfloat& Values, const TAttributes& Attributes, const TSlabRead& Read) {
    const TValuePass pass(Attributes);
    if (Storage.Floats && ReadStoredSlab(FileName, *Storage.Floats, Slab, Values.data(), pass))
        return true;
    if (Storage.Contiguous)
        return ReadInBlocks(Slab, Values.data(), pass, Read);
    if (!Read(Slab.Start, Slab.Count, Values.data()))
        return false;
    PassOverAll(Values, pass);
    return true;
}

void FinishGrid(TQorImportResult& R, const TSlab& Slab, const std::vector<TAxis>& Axes,
                const std::string& ValueCaption, TArrGLfloat&& Values,
                const TQorImportOptions& Options) {
    const bool surface = Slab.Kind == TQorImportKind::Surface;
    // Shown dimensions from the last: X, then Z (surface) or Y and Z (volume).
    std::vector<float>* coords[3] = {&R.X, surface ? &R.Z : &R.Y, &R.Z};
    const std::optional<double>* spacing[3] = {&Options.DX, surface ? &Options.DZ : &Options.DY,
                                               &Options.DZ};
    const std::optional<double>* origin[3] = {&Options.X0, surface ? &Options.Z0 : &Options.Y0,
                                              &Options.Z0};
    std::string* captions[3] = {&R.CaptionX, surface ? &R.CaptionZ : &R.CaptionY, &R.CaptionZ};
    const size_t n = Slab.Shown.size();
    for (size_t a = 0; a < n; ++a) {
        const size_t s = n - 1 - a;
        const int64_t count = Slab.Count[Slab.Shown[s]];
        const TAxis& axis = Axes[s];
        if (int64_t(axis.Values.size()) == count) {
            coords[a]->assign(axis.Values.begin(), axis.Values.end());
            if (a == 0)
                R.GivenX = true;
            if (coords[a] == &R.Z)
                R.GivenZ = true;
        } else {
            *coords[a] = QorImport::Spaced(count, origin[a]->value_or(0), spacing[a]->value_or(1));
        }
        *captions[a] = axis.Caption;
    }
    (surface ? R.CaptionY : R.CaptionValue) = ValueCaption;
    R.Kind = Slab.Kind;
    R.Values = std::move(Values);
    QorImport::ApplyNoData(R, Options);
    if (Options.Transpose)
        QorImport::TransposeSurface(R);
}

} // namespace QorImportGrid
