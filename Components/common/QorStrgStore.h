// The settings storage's stores (internal to QorStrg*.cpp): the open file behind TQorStorage, as
// a registry-like key tree in JSON (QorStrgJson.cpp) or as INI lines (QorStrgIni.cpp).
#pragma once

#include "QorStrg.h"

#include <QByteArray>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class TQorStorage::TStore {
public:
    virtual ~TStore() = default;
    virtual std::optional<std::string> Find(const std::string& Section,
                                            const std::string& Ident) const = 0;
    virtual void Set(const std::string& Section, const std::string& Ident,
                     const std::string& Value) = 0;
    virtual void Remove(const std::string& Section, const std::string& Ident) = 0;
    // Registry: subkeys of the key Section; INI: all sections.
    virtual std::vector<std::string> Children(const std::string& Section) const = 0;
    virtual void Erase(const std::string& Section) = 0;
    virtual QByteArray Serialize() const = 0;
};

namespace QorStrgDetail {

// Names of keys, sections and idents compare without regard to case.
bool SameName(const std::string& a, const std::string& b);
// s without the spaces, tabs and line ends at either end.
std::string Trim(const std::string& s);

// The registry-like key tree of a JSON file's contents; damaged or empty contents give an empty
// tree, damaged ones with the reason in Damage.
std::unique_ptr<TQorStorage::TStore> MakeRegistryStore(const QByteArray& data, std::string& Damage);
// An INI file's contents, kept line by line.
std::unique_ptr<TQorStorage::TStore> MakeIniStore(const QByteArray& data);

} // namespace QorStrgDetail
