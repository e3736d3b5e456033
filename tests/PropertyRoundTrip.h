// Every-property round trips: a test reads all persisted properties of an object through its
// own getters (not through the class's description), restyles every one of them away from its
// default, and checks that each stored form and Assign bring each value back.
#pragma once

#include "QorPropList.h"
#include "QorStrg.h"
#include "TestSupport.h"
#include "UQorTypes.h"

#include <functional>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

// Property name (the key without prefix) and its value as text, in the test's own order.
class TPropertyValues {
public:
    template <class V> void Add(const std::string& Name, const V& Value) {
        std::ostringstream text;
        text.precision(17);
        if constexpr (std::is_same_v<V, TFont>)
            text << Value.Name() << " h" << Value.Height() << " c" << Value.Color() << " cs"
                 << int(Value.Charset()) << " p" << int(Value.Pitch()) << " s"
                 << Value.Style().Contains(fsBold) << Value.Style().Contains(fsItalic)
                 << Value.Style().Contains(fsUnderline) << Value.Style().Contains(fsStrikeOut);
        else if constexpr (std::is_enum_v<V>)
            text << int(Value);
        else if constexpr (std::is_same_v<V, char>)
            text << "'" << Value << "'";
        else
            text << std::boolalpha << Value;
        FValues.emplace_back(Name, text.str());
    }
    // The values of Part, their names behind Prefix.
    void AddAll(const std::string& Prefix, const TPropertyValues& Part) {
        for (const auto& [name, value] : Part.FValues)
            FValues.emplace_back(Prefix + name, value);
    }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto& v : FValues)
            names.push_back(v.first);
        return names;
    }
    const std::vector<std::pair<std::string, std::string>>& Values() const { return FValues; }

private:
    std::vector<std::pair<std::string, std::string>> FValues;
};

// Font with every member away from the defaults of the chart's and the legend's fonts.
inline TFont RestyledFont(TFont Font, const std::string& Name) {
    Font.SetCharset(2);
    Font.SetColor(clMaroon);
    Font.SetHeight(-40);
    Font.SetName(Name);
    Font.SetPitch(fpFixed);
    Font.SetStyle({fsItalic, fsUnderline, fsStrikeOut});
    return Font;
}

// The keys of the stored properties of a description, in its order.
template <class C> std::vector<std::string> StoredKeys(const TQorPropList<C>& List) {
    std::vector<std::string> keys;
    QorPropDetail::ForEach(List, puStored, [&](const auto& p) { keys.push_back(p.Key); });
    return keys;
}

// A store on an INI file in a temporary folder, for one round trip.
class TTempIniStorage {
public:
    TTempIniStorage() {
        Storage.SetUseRegistry(false);
        Storage.SetIniFileName(FDir.File("round-trip.ini"));
    }

private:
    TempDir FDir;

public:
    TQorStorage Storage;
};

// One way of handing every property from Source to Target.
template <class T> struct TPropertyForm {
    std::string Name;
    std::function<void(const T& Source, T& Target)> Hand;
    // Properties the form leaves alone by design.
    std::vector<std::string> Except = {};
};

inline bool Excepted(const std::vector<std::string>& Except, const std::string& Name) {
    for (const std::string& e : Except)
        if (e == Name)
            return true;
    return false;
}

// Restyle must move every property of a fresh object away from its default; each form must
// then bring every restyled value into a fresh object.
template <class T>
void ExpectEveryPropertyKept(const std::function<void(T&)>& Restyle,
                             const std::function<TPropertyValues(const T&)>& Values,
                             const std::vector<TPropertyForm<T>>& Forms) {
    const T fresh;
    T source;
    Restyle(source);
    const auto defaults = Values(fresh).Values();
    const auto styled = Values(source).Values();
    ASSERT_EQ(defaults.size(), styled.size());
    for (size_t i = 0; i < styled.size(); ++i) {
        EXPECT_NE(styled[i].second, defaults[i].second)
            << styled[i].first << " keeps its default; the round trip would not see it";
    }
    for (const TPropertyForm<T>& form : Forms) {
        T target;
        form.Hand(source, target);
        const auto read = Values(target).Values();
        ASSERT_EQ(read.size(), styled.size());
        for (size_t i = 0; i < styled.size(); ++i) {
            if (!Excepted(form.Except, styled[i].first)) {
                EXPECT_EQ(read[i].second, styled[i].second)
                    << form.Name << " loses " << styled[i].first;
            }
        }
    }
}
