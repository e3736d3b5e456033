#include "UQorLists.h"

#include "QorMath.h"

#include <QString>
#include <QStringList>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <istream>
#include <limits>
#include <ostream>
#include <vector>

namespace {

constexpr const char* ReadErrorText = "Stream read error";
constexpr const char* WriteErrorText = "Stream write error";
constexpr int MaxCount = std::numeric_limits<int32_t>::max();

int Sign(int v) {
    return (v > 0) - (v < 0);
}

void ReadBytes(std::istream& Stream, char* Buffer, std::streamsize Size) {
    Stream.read(Buffer, Size);
    if (Stream.gcount() != Size)
        throw EReadError(ReadErrorText);
}

uint64_t ReadUInt64LE(std::istream& Stream) {
    std::array<char, 8> b{};
    ReadBytes(Stream, b.data(), 8);
    uint64_t v = 0;
    for (int i = 7; i >= 0; --i)
        v = v << 8 | uint8_t(b[i]);
    return v;
}

void WriteUInt64LE(std::ostream& Stream, uint64_t v) {
    std::array<char, 8> b{};
    for (char& c : b) {
        c = char(v & 0xFF);
        v >>= 8;
    }
    Stream.write(b.data(), 8);
}

double ReadDoubleLE(std::istream& Stream) {
    const uint64_t bits = ReadUInt64LE(Stream);
    double d = 0;
    std::memcpy(&d, &bits, sizeof d);
    return d;
}

void WriteDoubleLE(std::ostream& Stream, double d) {
    uint64_t bits = 0;
    std::memcpy(&bits, &d, sizeof d);
    WriteUInt64LE(Stream, bits);
}

// The coordinates each sort order compares, in priority order; -1 ends the list.
constexpr std::array<std::array<int, 3>, 15> SortAxes = {{
    {0, -1, -1},
    {1, -1, -1},
    {2, -1, -1},
    {0, 1, -1},
    {0, 2, -1},
    {1, 0, -1},
    {1, 2, -1},
    {2, 0, -1},
    {2, 1, -1},
    {0, 1, 2},
    {0, 2, 1},
    {1, 0, 2},
    {1, 2, 0},
    {2, 0, 1},
    {2, 1, 0},
}};

double Coordinate(const TXYZDouble& p, int axis) {
    return axis == 0 ? p.x : axis == 1 ? p.y : p.z;
}

char AsciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

int CompareOrdNoCase(const std::string& A, const std::string& B) {
    const size_t n = std::min(A.size(), B.size());
    for (size_t i = 0; i < n; ++i) {
        const auto a = uint8_t(AsciiLower(A[i]));
        const auto b = uint8_t(AsciiLower(B[i]));
        if (a != b)
            return a < b ? -1 : 1;
    }
    return A.size() == B.size() ? 0 : (A.size() < B.size() ? -1 : 1);
}

} // namespace

int32_t ReadInt32LE(std::istream& Stream) {
    std::array<char, 4> b{};
    ReadBytes(Stream, b.data(), 4);
    const uint32_t v = uint32_t(uint8_t(b[0])) | uint32_t(uint8_t(b[1])) << 8 |
                       uint32_t(uint8_t(b[2])) << 16 | uint32_t(uint8_t(b[3])) << 24;
    return int32_t(v);
}

void WriteInt32LE(std::ostream& Stream, int32_t Value) {
    const auto v = uint32_t(Value);
    const std::array<char, 4> b = {char(v & 0xFF), char((v >> 8) & 0xFF), char((v >> 16) & 0xFF),
                                   char((v >> 24) & 0xFF)};
    Stream.write(b.data(), 4);
}

int64_t RemainingBytes(std::istream& Stream) {
    if (!Stream)
        return -1;
    const std::streampos here = Stream.tellg();
    if (here == std::streampos(-1)) {
        Stream.clear();
        return -1;
    }
    Stream.seekg(0, std::ios::end);
    const std::streampos end = Stream.tellg();
    Stream.seekg(here);
    if (end == std::streampos(-1) || !Stream) {
        Stream.clear();
        Stream.seekg(here);
        return -1;
    }
    return int64_t(end - here);
}

// ---- TQorBasicList

void TQorBasicList::SetCount(int NewCount) {
    NewCount = std::max(NewCount, 0);
    if (NewCount == FCount)
        return;
    const int old = FCount;
    if (NewCount < old)
        ResetItems(NewCount, old - NewCount);
    ResizeTo(NewCount);
    if (NewCount > old)
        ResetItems(old, NewCount - old);
    Changed();
}

void TQorBasicList::SetBlockSize(int Value) {
    FBlockSize = std::max(Value, 1);
}

void TQorBasicList::SetSorted(TQorSortOrder Value) {
    if (Value == FSorted)
        return;
    const TQorUpdateScope scope(*this);
    FSorted = Value;
    Sort();
    Changed();
}

void TQorBasicList::SetProgress(double Value) {
    if (SameValueDigits(11, Value, FProgress))
        return;
    FProgress = Value;
    if (OnProgressChange)
        OnProgressChange(this, Value);
}

void TQorBasicList::BeginUpdate() {
    if (FUpdateCount == 0)
        FChangePending = false;
    ++FUpdateCount;
}

void TQorBasicList::EndUpdate() {
    if (FUpdateCount == 0)
        return;
    --FUpdateCount;
    if (FUpdateCount == 0 && FChangePending)
        Changed();
}

void TQorBasicList::Changed() {
    if (FUpdateCount > 0) {
        FChangePending = true;
        return;
    }
    FChangePending = false;
    if (OnChange)
        OnChange(this);
}

void TQorBasicList::Delete(int Index, int ACount) {
    Index = std::clamp(Index, 0, FCount);
    ACount = std::clamp(ACount, 0, FCount - Index);
    if (ACount == 0)
        return;
    const TQorUpdateScope scope(*this);
    MoveItems(Index + ACount, Index, FCount - Index - ACount);
    ResetItems(FCount - ACount, ACount);
    ResizeTo(FCount - ACount);
    Changed();
}

void TQorBasicList::Sort() {
    if (FSorted == psoNone || FCount < 2)
        return;
    int first = 1;
    while (int64_t(first) * 3 + 1 < FCount)
        first = first * 3 + 1;
    const double logFirst = std::log(double(first));

    const TQorUpdateScope scope(*this);
    bool moved = false;
    for (int gap = first; gap >= 1; gap /= 3) {
        moved = SortPass(gap) || moved;
        // A single pass of gap 1 is the whole sort.
        SetProgress(first == 1 ? 100.0 : (1.0 - std::log(double(gap)) / logFirst) * 100.0);
    }
    if (moved)
        Changed();
}

void TQorBasicList::ResizeTo(int NewCount) {
    const int64_t blocks = (int64_t(NewCount) + FBlockSize - 1) / FBlockSize;
    const int64_t wanted = std::min<int64_t>(blocks * FBlockSize, MaxCount);
    if (wanted != FCapacity) {
        Reallocate(int(wanted));
        FCapacity = int(wanted);
    }
    FCount = NewCount;
}

bool TQorBasicList::OpenGap(int Index, int ACount) {
    if (ACount <= 0)
        return false;
    if (ACount > MaxCount - FCount)
        throw std::length_error("List too long");
    const int old = FCount;
    ResizeTo(FCount + ACount);
    MoveItems(Index, Index + ACount, old - Index);
    return true;
}

void TQorBasicList::CopySettingsFrom(const TQorBasicList& Source) {
    if (FBlockSize != Source.FBlockSize || FSorted != Source.FSorted)
        Changed();
    FBlockSize = Source.FBlockSize;
    FSorted = Source.FSorted;
    FProgress = Source.FProgress;
}

// ---- TQorTypedList<T>

template <typename T> void TQorTypedList<T>::CheckIndex(int Index) const {
    if (Index < 0)
        throw EQorArrayRange("Array index is bellow 0!");
    if (Index >= FCount)
        throw EQorArrayRange("Array index is over the array range!");
}

template <typename T> const T& TQorTypedList<T>::Items(int Index) const {
    CheckIndex(Index);
    return FItems[Index];
}

template <typename T> void TQorTypedList<T>::SetItems(int Index, const T& Value) {
    CheckIndex(Index);
    SetItemsUnchecked(Index, Value);
}

template <typename T> void TQorTypedList<T>::SetItemsUnchecked(int Index, const T& Value) {
    if (SameItem(FItems[Index], Value))
        return;
    FItems[Index] = Value;
    Changed();
}

template <typename T> T TQorTypedList<T>::ItemClamped(int Index) const {
    if (FCount == 0)
        return T{};
    return FItems[std::clamp(Index, 0, FCount - 1)];
}

template <typename T> int TQorTypedList<T>::Compare(const T& Item, int Index) const {
    const int c = Sign(CompareItems(Item, FItems[Index]));
    return Sorted() == psoDescending ? -c : c;
}

template <typename T> int TQorTypedList<T>::Add(const T& Item) {
    const T copy = Item; // Item may live in this list's storage
    const int index = Sorted() == psoNone ? FCount : InsertionPosition(copy);
    Insert(copy, index, 1);
    return index;
}

template <typename T> void TQorTypedList<T>::Insert(const T& Item, int Index, int ACount) {
    Index = std::clamp(Index, 0, FCount);
    if (ACount <= 0)
        return;
    const T copy = Item;
    const TQorUpdateScope scope(*this);
    OpenGap(Index, ACount);
    std::fill(FItems.get() + Index, FItems.get() + Index + ACount, copy);
    Changed();
}

template <typename T> int TQorTypedList<T>::FirstEqual(const T& Item, int Start) const {
    for (int i = std::max(Start, 0); i < FCount; ++i)
        if (Compare(Item, i) == 0)
            return i;
    return -1;
}

template <typename T> int TQorTypedList<T>::IndexOf(const T& Item, int Start) const {
    if (Sorted() == psoNone)
        return FirstEqual(Item, Start);
    int i = 0;
    if (Start <= 0) {
        i = InsertionPosition(Item);
    } else {
        i = Start;
        while (i < FCount && Compare(Item, i) > 0)
            ++i;
    }
    return (i < FCount && Compare(Item, i) == 0) ? i : -1;
}

template <typename T> int TQorTypedList<T>::FindPosition(const T& Item, int Start) const {
    if (Sorted() != psoNone)
        return InsertionPosition(Item);
    const int i = FirstEqual(Item, Start);
    return i < 0 ? FCount : i;
}

template <typename T> int TQorTypedList<T>::InsertionPosition(const T& Item) const {
    if (FCount == 0 || Compare(Item, 0) <= 0)
        return 0;
    const int last = FCount - 1;
    const int toLast = Compare(Item, last);
    if (toLast > 0)
        return FCount;
    if (toLast == 0)
        return last;
    // Item lies above the first and below the last item.
    int lo = 0;
    int hi = last;
    int pos = -1;
    while (hi - lo > 1) {
        const int mid = lo + (hi - lo) / 2;
        const int c = Compare(Item, mid);
        if (c == 0) {
            pos = mid;
            break;
        }
        (c > 0 ? lo : hi) = mid;
    }
    if (pos < 0)
        pos = hi;
    while (pos > 0 && Compare(Item, pos - 1) == 0)
        --pos;
    while (pos < FCount && Compare(Item, pos) > 0)
        ++pos;
    return pos;
}

template <typename T> void TQorTypedList<T>::LoadFromStream(std::istream& Stream) {
    const int32_t n = ReadInt32LE(Stream);
    if (n < 0)
        throw EReadError(ReadErrorText);
    const int64_t remaining = RemainingBytes(Stream);
    if (remaining >= 0 && int64_t(n) * MinItemBytes() > remaining)
        throw EReadError(ReadErrorText);
    // Everything is read before the list changes, so a damaged stream leaves it as it was;
    // without a known size the buffer only grows with what was really read.
    std::vector<T> read;
    read.reserve(remaining >= 0 ? size_t(n) : std::min<size_t>(size_t(n), 4096));
    for (int32_t i = 0; i < n; ++i)
        read.push_back(ReadItem(Stream));

    const TQorUpdateScope scope(*this);
    SetCount(n);
    for (int32_t i = 0; i < n; ++i)
        SetItemsUnchecked(i, read[size_t(i)]);
}

template <typename T> void TQorTypedList<T>::SaveToStream(std::ostream& Stream) const {
    WriteInt32LE(Stream, FCount);
    for (int i = 0; i < FCount; ++i)
        WriteItem(Stream, FItems[i]);
    if (!Stream)
        throw EWriteError(WriteErrorText);
}

template <typename T> void TQorTypedList<T>::CopyItemsFrom(const TQorTypedList& Source) {
    const TQorUpdateScope scope(*this);
    SetCount(Source.FCount);
    for (int i = 0; i < FCount; ++i)
        SetItemsUnchecked(i, Source.FItems[i]);
}

template <typename T> void TQorTypedList<T>::Reallocate(int NewCapacity) {
    if (NewCapacity == 0) {
        FItems.reset();
        return;
    }
    auto fresh = std::make_unique<T[]>(size_t(NewCapacity));
    const int keep = std::min(FCount, NewCapacity);
    std::move(FItems.get(), FItems.get() + keep, fresh.get());
    FItems = std::move(fresh);
}

template <typename T> void TQorTypedList<T>::MoveItems(int From, int To, int ACount) {
    if (ACount <= 0 || From == To)
        return;
    T* base = FItems.get();
    if (To < From)
        std::move(base + From, base + From + ACount, base + To);
    else
        std::move_backward(base + From, base + From + ACount, base + To + ACount);
}

template <typename T> void TQorTypedList<T>::ResetItems(int From, int ACount) {
    for (int i = From; i < From + ACount && i < FCapacity; ++i)
        FItems[i] = T{};
}

template <typename T> bool TQorTypedList<T>::SortPass(int Gap) {
    bool moved = false;
    for (int i = Gap; i < FCount; ++i) {
        T item = std::move(FItems[i]);
        int j = i;
        while (j >= Gap && Compare(item, j - Gap) < 0) {
            FItems[j] = std::move(FItems[j - Gap]);
            j -= Gap;
            moved = true;
        }
        FItems[j] = std::move(item);
    }
    return moved;
}

template class TQorTypedList<TXYZDouble>;
template class TQorTypedList<std::string>;

// ---- TQorXYZDoubleList

void TQorXYZDoubleList::SetSortOrder(TQorXYZSortOrder Value) {
    if (Value == FSortOrder || Value > psoZYX)
        return;
    const TQorUpdateScope scope(*this);
    FSortOrder = Value;
    Sort();
    Changed();
}

void TQorXYZDoubleList::SetCoordinate(int Index, int Axis, double Value) {
    CheckIndex(Index);
    TXYZDouble& p = FItems[Index];
    double& c = Axis == 0 ? p.x : Axis == 1 ? p.y : p.z;
    if (SameValueDigits(FPrecision, c, Value))
        return;
    c = Value;
    Changed();
}

void TQorXYZDoubleList::Assign(const TQorXYZDoubleList& Source) {
    if (&Source == this)
        return;
    const TQorUpdateScope scope(*this);
    CopySettingsFrom(Source);
    if (FSortOrder != Source.FSortOrder)
        Changed();
    FSortOrder = Source.FSortOrder;
    CopyItemsFrom(Source);
}

int TQorXYZDoubleList::CompareItems(const TXYZDouble& A, const TXYZDouble& B) const {
    for (int axis : SortAxes[FSortOrder]) {
        if (axis < 0)
            break;
        const double a = Coordinate(A, axis);
        const double b = Coordinate(B, axis);
        if (SameValueDigits(FPrecision, a, b))
            continue;
        return a >= b ? 1 : -1;
    }
    return 0;
}

bool TQorXYZDoubleList::SameItem(const TXYZDouble& A, const TXYZDouble& B) const {
    return SameValueDigits(FPrecision, A.x, B.x) && SameValueDigits(FPrecision, A.y, B.y) &&
           SameValueDigits(FPrecision, A.z, B.z);
}

TXYZDouble TQorXYZDoubleList::ReadItem(std::istream& Stream) const {
    TXYZDouble p;
    p.x = ReadDoubleLE(Stream);
    p.y = ReadDoubleLE(Stream);
    p.z = ReadDoubleLE(Stream);
    return p;
}

void TQorXYZDoubleList::WriteItem(std::ostream& Stream, const TXYZDouble& Item) const {
    WriteDoubleLE(Stream, Item.x);
    WriteDoubleLE(Stream, Item.y);
    WriteDoubleLE(Stream, Item.z);
}

// ---- TQorStringList

void TQorStringList::SetStringSort(TQorStringSort Value) {
    if (Value == FStringSort || Value > pssAnsiNoCase)
        return;
    const TQorUpdateScope scope(*this);
    FStringSort = Value;
    Sort();
    Changed();
}

void TQorStringList::Assign(const TQorStringList& Source) {
    if (&Source == this)
        return;
    const TQorUpdateScope scope(*this);
    CopySettingsFrom(Source);
    CopyItemsFrom(Source);
    // The items arrive in the source's order, which need not be ours.
    if (FStringSort != Source.FStringSort)
        Sort();
}

void TQorStringList::Assign(const QStringList& Source) {
    const TQorUpdateScope scope(*this);
    Clear();
    for (const QString& s : Source)
        Add(s.toStdString());
}

bool TQorStringList::AssignTo(QStringList& Dest) const {
    Dest.clear();
    Dest.reserve(FCount);
    for (int i = 0; i < FCount; ++i)
        Dest.append(QString::fromStdString(FItems[i]));
    return Sorted() == psoAscending;
}

int TQorStringList::CompareItems(const std::string& A, const std::string& B) const {
    switch (FStringSort) {
    case pssOrd:
        return A.compare(B);
    case pssOrdNoCase:
        return CompareOrdNoCase(A, B);
    case pssAnsi:
        return QString::localeAwareCompare(QString::fromStdString(A), QString::fromStdString(B));
    case pssAnsiNoCase:
        return QString::localeAwareCompare(QString::fromStdString(A).toCaseFolded(),
                                           QString::fromStdString(B).toCaseFolded());
    }
    return 0;
}

std::string TQorStringList::ReadItem(std::istream& Stream) const {
    const int32_t length = ReadInt32LE(Stream);
    if (length < 0)
        throw EReadError(ReadErrorText);
    const int64_t remaining = RemainingBytes(Stream);
    if (remaining >= 0 && length > remaining)
        throw EReadError(ReadErrorText);
    std::string s;
    if (remaining >= 0) {
        s.resize(size_t(length));
        ReadBytes(Stream, s.data(), length);
        return s;
    }
    // Unknown size: grow only with bytes that really arrived.
    std::array<char, 65536> chunk{};
    for (int32_t left = length; left > 0;) {
        const int32_t n = std::min<int32_t>(left, int32_t(chunk.size()));
        ReadBytes(Stream, chunk.data(), n);
        s.append(chunk.data(), size_t(n));
        left -= n;
    }
    return s;
}

void TQorStringList::WriteItem(std::ostream& Stream, const std::string& Item) const {
    if (Item.size() > size_t(std::numeric_limits<int32_t>::max()))
        throw EWriteError(WriteErrorText);
    WriteInt32LE(Stream, int32_t(Item.size()));
    Stream.write(Item.data(), std::streamsize(Item.size()));
}
