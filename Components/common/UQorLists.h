// Non-visual lists with block storage, optional sorted order, batched change
// notification and progress reports: the point list and the string list.
//
// Sections: exceptions and enums; TQorBasicList (counting, blocks, notification,
// the Shell sort's gap passes); TQorTypedList<T> (storage, access, search, insert,
// delete, streams); TQorXYZDoubleList; TQorStringList.
#pragma once

#include "QorUpdateBracket.h"
#include "UQorTypes.h"

#include <QtCore/qcontainerfwd.h>
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <memory>
#include <stdexcept>
#include <string>

class EQorArrayRange : public std::out_of_range {
public:
    using std::out_of_range::out_of_range;
};

// A stream that ends early or holds an impossible count or length.
class EReadError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class EWriteError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum TQorSortOrder : uint8_t { psoNone, psoAscending, psoDescending };

using TQorProgressEvent = std::function<void(TObject* Sender, double progress)>;

class TQorBasicList : public TObject {
public:
    static constexpr int DefaultBlockSize = 256;

    TQorBasicList(const TQorBasicList&) = delete;
    TQorBasicList& operator=(const TQorBasicList&) = delete;
    ~TQorBasicList() override = default;

    int Count() const { return FCount; }
    // Grows with empty items or drops items from the end; a negative count gives 0.
    void SetCount(int NewCount);
    int Capacity() const { return FCapacity; }

    int BlockSize() const { return FBlockSize; }
    // Raised to at least 1; takes effect at the next change of Count.
    void SetBlockSize(int Value);

    TQorSortOrder Sorted() const { return FSorted; }
    void SetSorted(TQorSortOrder Value);

    double Progress() const { return FProgress; }
    void SetProgress(double Value);

    void BeginUpdate();
    void EndUpdate();
    void Changed();
    bool Updating() const { return FUpdateCount > 0; }

    void Clear() { SetCount(0); }
    void Delete(int Index, int ACount = 1);
    void Sort();

    virtual void LoadFromStream(std::istream& Stream) = 0;
    virtual void SaveToStream(std::ostream& Stream) const = 0;

    TNotifyEvent OnChange;
    TQorProgressEvent OnProgressChange;

protected:
    TQorBasicList() = default;

    // Storage hooks of the item type.
    virtual void Reallocate(int NewCapacity) = 0;
    virtual void MoveItems(int From, int To, int ACount) = 0;
    virtual void ResetItems(int From, int ACount) = 0;
    virtual bool SortPass(int Gap) = 0;

    // Changes Count, keeping the capacity a whole number of blocks.
    void ResizeTo(int NewCount);
    // Makes room for ACount items at Index (already clamped); returns false when ACount <= 0.
    bool OpenGap(int Index, int ACount);
    void CopySettingsFrom(const TQorBasicList& Source);

    int FCount = 0;
    int FCapacity = 0;

private:
    int FBlockSize = DefaultBlockSize;
    TQorSortOrder FSorted = psoNone;
    int FUpdateCount = 0;
    bool FChangePending = false;
    double FProgress = 0;
};

// Storage, access, search and streams for one item type; the derived list supplies
// the comparison, the equality of the item writer and the stream record.
template <typename T> class TQorTypedList : public TQorBasicList {
public:
    ~TQorTypedList() override = default;

    // Checked access: EQorArrayRange for an index outside 0..Count-1.
    const T& Items(int Index) const;
    void SetItems(int Index, const T& Value);
    // No index test at all.
    const T& ItemsUnchecked(int Index) const { return FItems[Index]; }
    void SetItemsUnchecked(int Index, const T& Value);
    // First or last item for an index outside the range, an empty item for an empty list.
    T ItemClamped(int Index) const;

    int Add(const T& Item);
    void Insert(const T& Item, int Index, int ACount = 1);
    int IndexOf(const T& Item, int Start = 0) const;
    int FindPosition(const T& Item, int Start = 0) const;

    // -1, 0 or 1 for Item against the item at Index, negated for a descending list.
    int Compare(const T& Item, int Index) const;

    void LoadFromStream(std::istream& Stream) override;
    void SaveToStream(std::ostream& Stream) const override;

protected:
    TQorTypedList() = default;

    virtual int CompareItems(const T& A, const T& B) const = 0;
    virtual bool SameItem(const T& A, const T& B) const = 0;
    virtual T ReadItem(std::istream& Stream) const = 0;
    virtual void WriteItem(std::ostream& Stream, const T& Item) const = 0;
    // The fewest stream bytes one item can take, to reject impossible counts early.
    virtual int64_t MinItemBytes() const = 0;

    void CopyItemsFrom(const TQorTypedList& Source);
    void CheckIndex(int Index) const;

    void Reallocate(int NewCapacity) override;
    void MoveItems(int From, int To, int ACount) override;
    void ResetItems(int From, int ACount) override;
    bool SortPass(int Gap) override;

    std::unique_ptr<T[]> FItems;

private:
    int InsertionPosition(const T& Item) const;
    int FirstEqual(const T& Item, int Start) const;
};

struct TXYZDouble {
    double x = 0;
    double y = 0;
    double z = 0;
    bool operator==(const TXYZDouble&) const = default;
};

enum TQorXYZSortOrder : uint8_t {
    psoX,
    psoY,
    psoZ,
    psoXY,
    psoXZ,
    psoYX,
    psoYZ,
    psoZX,
    psoZY,
    psoXYZ,
    psoXZY,
    psoYXZ,
    psoYZX,
    psoZXY,
    psoZYX
};

class TQorXYZDoubleList : public TQorTypedList<TXYZDouble> {
public:
    TQorXYZDoubleList() = default;

    int Precision() const { return FPrecision; }
    void SetPrecision(int Value) { FPrecision = Value; }

    TQorXYZSortOrder SortOrder() const { return FSortOrder; }
    void SetSortOrder(TQorXYZSortOrder Value);

    double X(int Index) const { return Items(Index).x; }
    double Y(int Index) const { return Items(Index).y; }
    double Z(int Index) const { return Items(Index).z; }
    void SetX(int Index, double Value) { SetCoordinate(Index, 0, Value); }
    void SetY(int Index, double Value) { SetCoordinate(Index, 1, Value); }
    void SetZ(int Index, double Value) { SetCoordinate(Index, 2, Value); }

    void Assign(const TQorXYZDoubleList& Source);

protected:
    int CompareItems(const TXYZDouble& A, const TXYZDouble& B) const override;
    bool SameItem(const TXYZDouble& A, const TXYZDouble& B) const override;
    TXYZDouble ReadItem(std::istream& Stream) const override;
    void WriteItem(std::ostream& Stream, const TXYZDouble& Item) const override;
    int64_t MinItemBytes() const override { return 24; }

private:
    void SetCoordinate(int Index, int Axis, double Value);

    int FPrecision = 11;
    TQorXYZSortOrder FSortOrder = psoXYZ;
};

enum TQorStringSort : uint8_t { pssOrd, pssOrdNoCase, pssAnsi, pssAnsiNoCase };

// Items are UTF-8 strings; the stream holds their bytes.
class TQorStringList : public TQorTypedList<std::string> {
public:
    TQorStringList() = default;

    TQorStringSort StringSort() const { return FStringSort; }
    void SetStringSort(TQorStringSort Value);

    // The same class: settings except StringSort, then the items.
    void Assign(const TQorStringList& Source);
    // A platform string list: its items, one by one.
    void Assign(const QStringList& Source);
    // Clears Dest and adds every item; returns the sorted flag the platform list takes
    // (true for an ascending list), which QStringList itself cannot hold.
    bool AssignTo(QStringList& Dest) const;

protected:
    int CompareItems(const std::string& A, const std::string& B) const override;
    bool SameItem(const std::string& A, const std::string& B) const override { return A == B; }
    std::string ReadItem(std::istream& Stream) const override;
    void WriteItem(std::ostream& Stream, const std::string& Item) const override;
    int64_t MinItemBytes() const override { return 4; }

private:
    TQorStringSort FStringSort = pssOrd;
};

// Little-endian helpers shared by the list streams.
int32_t ReadInt32LE(std::istream& Stream);
void WriteInt32LE(std::ostream& Stream, int32_t Value);
// Bytes left between the read position and the end, or -1 when the stream cannot tell.
int64_t RemainingBytes(std::istream& Stream);
