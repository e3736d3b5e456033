// One description of the persisted properties of a class, in their stored order: for each its
// key, its kind (the value type), its accessors and its default. The property text, the storage
// form, the binary record, Assign and the constructor's defaults are all driven from it, so a
// property is named in one place. The object's own reader and writer only add what is not a
// property: the version marker, sub-objects, checks that follow the record.
//
// Sections: kinds and entries; the description and its factory; the forms (property text,
// storage, binary record); Assign and defaults.
#pragma once

#include "QorPropBinary.h"
#include "QorPropText.h"
#include "QorStrg.h"
#include "UQorTypes.h"

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <type_traits>
#include <utility>
#include <variant>
#include <vector>

// ---- Kinds and entries -----------------------------------------------------------------------

// The kind of an enumeration: its ordinal, an integer in the text and storage forms and one byte
// in a binary record. A reader takes a value only when it names one (0 ... Last), so damaged
// input keeps the current value.
enum class TQorOrdinal : uint8_t {};

// The forms a property takes part in.
enum TQorPropUse : uint8_t {
    puStored = 1,   // property text, storage and binary record
    puAssigned = 2, // Assign
    puBoth = puStored | puAssigned
};

// How a file of an older version named a property (used when the object's reader says so).
enum class TQorOldKeyUse : uint8_t {
    Instead,  // the value is under the old key alone
    ReadFirst // the old key is read first; the current key wins when it is present
};

template <class C, class T> struct TQorProp {
    std::string Key;
    // The published value: what Assign copies and, unless WritesField, what the forms keep.
    std::function<T(const C&)> Get;
    // Through the setter, with its limits and side effects (text and storage readers, Assign).
    std::function<void(C&, const T&)> Set;
    // The field itself, read and written without the setter: the binary readers that store a
    // record as it stands, and the constructor's defaults.
    std::function<T(const C&)> Stored;
    std::function<void(C&, const T&)> Store;
    T Default{};
    TQorPropUse Use = puBoth;
    // The forms keep the field where it differs from the published value (a separator that
    // follows the locale, a flag that also depends on the axes).
    bool WritesField = false;
    // Ordinals: the last value of the enumeration.
    int Last = 0;
    std::string OldKey;
    TQorOldKeyUse OldKeyUse = TQorOldKeyUse::Instead;

    // The value the forms write, and the one a reader keeps when it finds nothing.
    T Kept(const C& Object) const { return WritesField ? Stored(Object) : Get(Object); }

    TQorProp UsedIn(TQorPropUse Forms) const {
        TQorProp p = *this;
        p.Use = Forms;
        return p;
    }
    TQorProp WritingField() const {
        TQorProp p = *this;
        p.WritesField = true;
        return p;
    }
    TQorProp WithOldKey(std::string Key, TQorOldKeyUse Use) const {
        TQorProp p = *this;
        p.OldKey = std::move(Key);
        p.OldKeyUse = Use;
        return p;
    }
};

// A step of Assign for state that has no stored form (a picture, a whole palette), at its place
// in the order of the copies.
template <class C> struct TQorCopyStep {
    std::string Name;
    std::function<void(C& Target, const C& Source)> Copy;
};

template <class C>
using TQorPropEntry = std::variant<TQorProp<C, bool>, TQorProp<C, int>, TQorProp<C, uint16_t>,
                                   TQorProp<C, double>, TQorProp<C, char>, TQorProp<C, std::string>,
                                   TQorProp<C, TFont>, TQorProp<C, TQorOrdinal>, TQorCopyStep<C>>;

// ---- The description and its factory ---------------------------------------------------------

template <class C> class TQorPropList {
public:
    TQorPropList(std::initializer_list<TQorPropEntry<C>> Entries) : FEntries(Entries) {}
    explicit TQorPropList(std::vector<TQorPropEntry<C>> Entries) : FEntries(std::move(Entries)) {}

    const std::vector<TQorPropEntry<C>>& Entries() const { return FEntries; }
    // The entries whose key is one of Keys, in the description's order.
    TQorPropList Only(std::initializer_list<std::string> Keys) const;

private:
    std::vector<TQorPropEntry<C>> FEntries;
};

namespace QorPropDetail {

// A field given as a pointer to a data member or as a callable returning a reference to it.
template <class F, class O> decltype(auto) FieldOf(const F& Field, O& Object) {
    if constexpr (std::is_member_object_pointer_v<F>)
        return (Object.*Field);
    else
        return Field(Object);
}

template <class C, class G>
using TGetResult = std::remove_cvref_t<std::invoke_result_t<G, const C&>>;

} // namespace QorPropDetail

// Entries of class C: Prop("Key", getter, setter, field, default). The getter and the setter are
// member function pointers or callables; the field is a data member pointer or a callable
// returning a reference to the member; the kind is the getter's value type.
template <class C> struct TQorProps {
    template <class G, class S, class F>
    static auto Prop(std::string Key, G Get, S Set, F Field,
                     QorPropDetail::TGetResult<C, G> Default) {
        using T = QorPropDetail::TGetResult<C, G>;
        static_assert(!std::is_enum_v<T>, "enumerations are described with Ordinal");
        TQorProp<C, T> p;
        p.Key = std::move(Key);
        p.Get = [Get](const C& c) -> T {
            return std::invoke(Get, c);
        };
        p.Set = [Set](C& c, const T& v) {
            std::invoke(Set, c, v);
        };
        p.Stored = [Field](const C& c) -> T {
            return QorPropDetail::FieldOf(Field, c);
        };
        p.Store = [Field](C& c, const T& v) {
            QorPropDetail::FieldOf(Field, c) = v;
        };
        p.Default = std::move(Default);
        return p;
    }

    // An enumeration whose values run from 0 to Last.
    template <class G, class S, class F>
    static auto Ordinal(std::string Key, G Get, S Set, F Field,
                        QorPropDetail::TGetResult<C, G> Default,
                        QorPropDetail::TGetResult<C, G> Last) {
        using E = QorPropDetail::TGetResult<C, G>;
        static_assert(std::is_enum_v<E>);
        const auto ordinal = [](E e) {
            return TQorOrdinal(static_cast<uint8_t>(e));
        };
        const auto value = [](TQorOrdinal o) {
            return E(static_cast<uint8_t>(o));
        };
        TQorProp<C, TQorOrdinal> p;
        p.Key = std::move(Key);
        p.Get = [Get, ordinal](const C& c) {
            return ordinal(std::invoke(Get, c));
        };
        p.Set = [Set, value](C& c, const TQorOrdinal& v) {
            std::invoke(Set, c, value(v));
        };
        p.Stored = [Field, ordinal](const C& c) {
            return ordinal(QorPropDetail::FieldOf(Field, c));
        };
        p.Store = [Field, value](C& c, const TQorOrdinal& v) {
            QorPropDetail::FieldOf(Field, c) = value(v);
        };
        p.Default = ordinal(Default);
        p.Last = static_cast<int>(Last);
        return p;
    }

    // The field of element Index of an array member (a colour stop).
    template <class M> static auto Element(M C::*Array, size_t Index) {
        return [ Array, Index ](auto& c) -> auto& {
            return (c.*Array)[Index];
        };
    }

    static TQorCopyStep<C> Copy(std::string Name, std::function<void(C&, const C&)> Step) {
        return {std::move(Name), std::move(Step)};
    }
};

template <class C>
TQorPropList<C> TQorPropList<C>::Only(std::initializer_list<std::string> Keys) const {
    std::vector<TQorPropEntry<C>> kept;
    for (const TQorPropEntry<C>& e : FEntries) {
        const std::string& name = std::visit(
            [](const auto& p) -> const std::string& {
                if constexpr (std::is_same_v<std::decay_t<decltype(p)>, TQorCopyStep<C>>)
                    return p.Name;
                else
                    return p.Key;
            },
            e);
        for (const std::string& k : Keys)
            if (k == name)
                kept.push_back(e);
    }
    return TQorPropList(std::move(kept));
}

// ---- Value forms by kind ---------------------------------------------------------------------

namespace QorPropDetail {

template <class T> constexpr bool IsOrdinal = std::is_same_v<T, TQorOrdinal>;

// The property text and the storage seen alike: each value type has its read (Current when the
// key or ident is missing) and its write (false when it failed).
class TTextForm {
public:
    explicit TTextForm(TQorPropTextReader& R) : FReader(&R) {}
    explicit TTextForm(TQorPropTextWriter& W) : FWriter(&W) {}
    bool Read(const std::string& K, bool Current) { return FReader->ReadBool(K, Current); }
    int Read(const std::string& K, int Current) { return FReader->ReadInt(K, Current); }
    double Read(const std::string& K, double Current) { return FReader->ReadDouble(K, Current); }
    char Read(const std::string& K, char Current) { return FReader->ReadChar(K, Current); }
    std::string Read(const std::string& K, const std::string& Current) {
        return FReader->ReadString(K, Current);
    }
    void ReadFont(const std::string& K, TFont& Font) { FReader->ReadFont(K, Font); }
    bool Write(const std::string& K, bool v) { return FWriter->WriteBool(K, v), true; }
    bool Write(const std::string& K, int v) { return FWriter->WriteInt(K, v), true; }
    bool Write(const std::string& K, double v) { return FWriter->WriteDouble(K, v), true; }
    bool Write(const std::string& K, char v) { return FWriter->WriteChar(K, v), true; }
    bool Write(const std::string& K, const std::string& v) {
        return FWriter->WriteString(K, v), true;
    }
    bool Write(const std::string& K, const TFont& v) { return FWriter->WriteFont(K, v), true; }

private:
    TQorPropTextReader* FReader = nullptr;
    TQorPropTextWriter* FWriter = nullptr;
};

class TStorageForm {
public:
    explicit TStorageForm(const TQorStorage& S) : FReader(&S) {}
    explicit TStorageForm(TQorStorage& S) : FReader(&S), FWriter(&S) {}
    bool Read(const std::string& K, bool Current) { return FReader->ReadBool(K, Current); }
    int Read(const std::string& K, int Current) { return FReader->ReadInteger(K, Current); }
    double Read(const std::string& K, double Current) { return FReader->ReadFloat(K, Current); }
    char Read(const std::string& K, char Current) { return FReader->ReadChar(K, Current); }
    std::string Read(const std::string& K, const std::string& Current) {
        std::string v = FReader->ReadString(K, Current);
        BoundPropertyText(v, K);
        return v;
    }
    void ReadFont(const std::string& K, TFont& Font) { FReader->ReadFont(K, Font); }
    bool Write(const std::string& K, bool v) { return FWriter->WriteBool(K, v); }
    bool Write(const std::string& K, int v) { return FWriter->WriteInteger(K, v); }
    bool Write(const std::string& K, double v) { return FWriter->WriteFloat(K, v); }
    bool Write(const std::string& K, char v) { return FWriter->WriteChar(K, v); }
    bool Write(const std::string& K, const std::string& v) { return FWriter->WriteString(K, v); }
    bool Write(const std::string& K, const TFont& v) { return FWriter->WriteFont(K, v); }

private:
    const TQorStorage* FReader = nullptr;
    TQorStorage* FWriter = nullptr;
};

// Words and ordinals are integers in both forms.
template <class Form, class T> bool WriteValue(Form& F, const std::string& Key, const T& v) {
    if constexpr (std::is_same_v<T, uint16_t> || IsOrdinal<T>)
        return F.Write(Key, static_cast<int>(v));
    else
        return F.Write(Key, v);
}

// The value under Key, Current when it is missing; nothing for an ordinal outside 0 ... Last.
template <class Form, class T>
std::optional<T> ReadValue(Form& F, const std::string& Key, const T& Current, int Last) {
    if constexpr (std::is_same_v<T, TFont>) {
        TFont font(Current);
        F.ReadFont(Key, font);
        return font;
    } else if constexpr (IsOrdinal<T>) {
        const int v = F.Read(Key, static_cast<int>(Current));
        return v >= 0 && v <= Last ? std::optional<T>(T(uint8_t(v))) : std::nullopt;
    } else if constexpr (std::is_same_v<T, uint16_t>) {
        return T(F.Read(Key, int(Current)));
    } else {
        return F.Read(Key, Current);
    }
}

// Fixed sizes: Boolean, ordinal and Char 1 byte, Word 2, Integer 4, Double 8; strings and
// fonts as the binary helpers lay them out.
template <class T> void WriteBinary(TQorBinaryWriter& W, const T& v) {
    if constexpr (std::is_same_v<T, bool>)
        W.WriteBool(v);
    else if constexpr (std::is_same_v<T, uint16_t>)
        W.WriteWord(v);
    else if constexpr (std::is_same_v<T, double>)
        W.WriteDouble(v);
    else if constexpr (std::is_same_v<T, char> || IsOrdinal<T>)
        W.WriteByte(static_cast<uint8_t>(v));
    else if constexpr (std::is_same_v<T, std::string>)
        W.WriteString(v);
    else if constexpr (std::is_same_v<T, TFont>)
        W.WriteFont(v);
    else
        W.WriteInt(v);
}

// Reads one value whole into v (unchanged on a short read); false when the record ended.
template <class T> bool ReadBinary(TQorBinaryReader& R, T& v) {
    if constexpr (std::is_same_v<T, bool>) {
        return R.ReadBool(v);
    } else if constexpr (std::is_same_v<T, uint16_t>) {
        return R.ReadWord(v);
    } else if constexpr (std::is_same_v<T, double>) {
        return R.ReadDouble(v);
    } else if constexpr (std::is_same_v<T, char> || IsOrdinal<T>) {
        uint8_t b = static_cast<uint8_t>(v);
        if (!R.ReadByte(b))
            return false;
        v = T(b);
        return true;
    } else if constexpr (std::is_same_v<T, std::string>) {
        return R.ReadString(v);
    } else if constexpr (std::is_same_v<T, TFont>) {
        return R.ReadFont(v);
    } else {
        return R.ReadInt(v);
    }
}

template <class T> bool Accepts(const T& v, int Last) {
    if constexpr (IsOrdinal<T>)
        return static_cast<int>(v) <= Last;
    else
        return true;
}

// Calls F for every property entry (not the copy steps) that takes part in Forms.
template <class C, class F> void ForEach(const TQorPropList<C>& List, TQorPropUse Forms, F&& Fn) {
    for (const TQorPropEntry<C>& e : List.Entries())
        std::visit(
            [&](const auto& p) {
                if constexpr (!std::is_same_v<std::decay_t<decltype(p)>, TQorCopyStep<C>>)
                    if ((p.Use & Forms) != 0)
                        Fn(p);
            },
            e);
}

} // namespace QorPropDetail

// ---- The forms -------------------------------------------------------------------------------

template <class C>
void QorWriteText(const TQorPropList<C>& List, const std::type_identity_t<C>& Object,
                  TQorPropTextWriter& Writer, const std::string& Prefix) {
    QorPropDetail::TTextForm form(Writer);
    QorPropDetail::ForEach(List, puStored, [&](const auto& p) {
        QorPropDetail::WriteValue(form, Prefix + p.Key, p.Kept(Object));
    });
}

// Every value through its setter; a missing key keeps the current value. OldFile: the block
// comes from an older version, whose names the entries give.
template <class C>
void QorReadText(const TQorPropList<C>& List, std::type_identity_t<C>& Object,
                 TQorPropTextReader& Reader, const std::string& Prefix, bool OldFile = false) {
    QorPropDetail::TTextForm form(Reader);
    QorPropDetail::ForEach(List, puStored, [&](const auto& p) {
        const auto current = p.Kept(Object);
        auto read = [&](const std::string& Key, const decltype(current)& Value) {
            return QorPropDetail::ReadValue(form, Prefix + Key, Value, p.Last);
        };
        std::optional<std::remove_const_t<decltype(current)>> v;
        if (OldFile && !p.OldKey.empty() && p.OldKeyUse == TQorOldKeyUse::Instead)
            v = read(p.OldKey, current);
        else if (OldFile && !p.OldKey.empty())
            v = read(p.Key, read(p.OldKey, current).value_or(current));
        else
            v = read(p.Key, current);
        if (v)
            p.Set(Object, *v);
    });
}

// Idents Prefix + key; false when a write failed.
template <class C>
bool QorSaveToStorage(const TQorPropList<C>& List, const std::type_identity_t<C>& Object,
                      TQorStorage& Storage, const std::string& Prefix) {
    bool ok = true;
    QorPropDetail::TStorageForm form(Storage);
    QorPropDetail::ForEach(List, puStored, [&](const auto& p) {
        ok = QorPropDetail::WriteValue(form, Prefix + p.Key, p.Kept(Object)) && ok;
    });
    return ok;
}

template <class C>
void QorLoadFromStorage(const TQorPropList<C>& List, std::type_identity_t<C>& Object,
                        const TQorStorage& Storage, const std::string& Prefix) {
    QorPropDetail::TStorageForm form(Storage);
    QorPropDetail::ForEach(List, puStored, [&](const auto& p) {
        if (const auto v = QorPropDetail::ReadValue(form, Prefix + p.Key, p.Kept(Object), p.Last))
            p.Set(Object, *v);
    });
}

template <class C>
void QorWriteBinary(const TQorPropList<C>& List, const std::type_identity_t<C>& Object,
                    TQorBinaryWriter& Writer) {
    QorPropDetail::ForEach(
        List, puStored, [&](const auto& p) { QorPropDetail::WriteBinary(Writer, p.Kept(Object)); });
}

enum class TQorBinaryRead : uint8_t {
    // Each value goes into its field unchecked (no setter, no limits); the reading goes on past
    // a short read, which the reader marks incomplete.
    IntoFields,
    // Each value read whole goes through its setter; the first short read ends the record.
    ThroughSetters
};

// False when the record ended early.
template <class C>
bool QorReadBinary(const TQorPropList<C>& List, std::type_identity_t<C>& Object,
                   TQorBinaryReader& Reader, TQorBinaryRead Mode) {
    bool complete = true;
    QorPropDetail::ForEach(List, puStored, [&](const auto& p) {
        if (Mode == TQorBinaryRead::ThroughSetters && !complete)
            return;
        auto v = Mode == TQorBinaryRead::IntoFields ? p.Stored(Object) : p.Get(Object);
        if (!QorPropDetail::ReadBinary(Reader, v)) {
            complete = false;
            return;
        }
        if (!QorPropDetail::Accepts(v, p.Last))
            return;
        if (Mode == TQorBinaryRead::IntoFields)
            p.Store(Object, v);
        else
            p.Set(Object, v);
    });
    return complete;
}

// ---- Assign and defaults ---------------------------------------------------------------------

// Copies the published values of Source through the setters of Target, in the description's
// order, with the copy steps at their places.
template <class C>
void QorAssign(const TQorPropList<C>& List, std::type_identity_t<C>& Target,
               const std::type_identity_t<C>& Source) {
    for (const TQorPropEntry<C>& e : List.Entries())
        std::visit(
            [&](const auto& p) {
                if constexpr (std::is_same_v<std::decay_t<decltype(p)>, TQorCopyStep<C>>)
                    p.Copy(Target, Source);
                else if ((p.Use & puAssigned) != 0)
                    p.Set(Target, p.Get(Source));
            },
            e);
}

// Puts every described field to its default, without setters (for the constructor).
template <class C>
void QorStoreDefaults(const TQorPropList<C>& List, std::type_identity_t<C>& Object) {
    QorPropDetail::ForEach(List, puBoth, [&](const auto& p) { p.Store(Object, p.Default); });
}
