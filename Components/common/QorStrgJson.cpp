// The registry mode's store: a key tree with named values, kept in one JSON file.
#include "QorStrgStore.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>
#include <algorithm>

using QorStrgDetail::SameName;

namespace {

constexpr int MaxKeyDepth = 100;
constexpr const char* RegistryFormat = "Plotyra registry 1";

std::vector<std::string> SplitKeyPath(const std::string& path) {
    std::vector<std::string> parts;
    std::string part;
    for (char c : path) {
        if (c == '\\') {
            if (!part.empty())
                parts.push_back(part);
            part.clear();
        } else {
            part.push_back(c);
        }
    }
    if (!part.empty())
        parts.push_back(part);
    return parts;
}

struct TRegKey {
    std::string Name;
    std::vector<std::pair<std::string, std::string>> Values;
    std::vector<std::unique_ptr<TRegKey>> Keys;

    TRegKey* Child(const std::string& name) const {
        const auto it = std::find_if(Keys.begin(), Keys.end(),
                                     [&](const auto& k) { return SameName(k->Name, name); });
        return it == Keys.end() ? nullptr : it->get();
    }
    TRegKey& ChildOrNew(const std::string& name) {
        if (TRegKey* k = Child(name))
            return *k;
        Keys.push_back(std::make_unique<TRegKey>());
        Keys.back()->Name = name;
        return *Keys.back();
    }
    auto FindValue(const std::string& name) {
        return std::find_if(Values.begin(), Values.end(),
                            [&](const auto& v) { return SameName(v.first, name); });
    }
    auto FindValue(const std::string& name) const {
        return std::find_if(Values.begin(), Values.end(),
                            [&](const auto& v) { return SameName(v.first, name); });
    }
};

// False when the keys go deeper than MaxKeyDepth (nothing below that depth is read).
bool ReadKey(const QJsonObject& json, TRegKey& key, int depth) {
    if (depth > MaxKeyDepth)
        return false;
    const QJsonObject values = json.value("values").toObject();
    for (auto it = values.begin(); it != values.end(); ++it) {
        if (!it.value().isString())
            continue;
        const std::string name = it.key().toStdString();
        if (key.FindValue(name) == key.Values.end())
            key.Values.emplace_back(name, it.value().toString().toStdString());
    }
    const QJsonObject keys = json.value("keys").toObject();
    bool whole = true;
    for (auto it = keys.begin(); it != keys.end(); ++it)
        if (it.value().isObject())
            whole =
                ReadKey(it.value().toObject(), key.ChildOrNew(it.key().toStdString()), depth + 1) &&
                whole;
    return whole;
}

QJsonObject WriteKey(const TRegKey& key) {
    QJsonObject json;
    if (!key.Values.empty()) {
        QJsonObject values;
        for (const auto& v : key.Values)
            values.insert(QString::fromStdString(v.first), QString::fromStdString(v.second));
        json.insert("values", values);
    }
    if (!key.Keys.empty()) {
        QJsonObject keys;
        for (const auto& k : key.Keys)
            keys.insert(QString::fromStdString(k->Name), WriteKey(*k));
        json.insert("keys", keys);
    }
    return json;
}

class TRegistryStore final : public TQorStorage::TStore {
public:
    // Damaged contents leave the tree empty and say why in Damage; blank contents are no
    // settings yet.
    TRegistryStore(const QByteArray& data, std::string& Damage) {
        if (data.trimmed().isEmpty())
            return;
        QJsonParseError error{};
        const QJsonDocument doc = QJsonDocument::fromJson(data, &error);
        if (error.error != QJsonParseError::NoError) {
            Damage = "it is not JSON text (" + error.errorString().toStdString() + " at byte " +
                     std::to_string(error.offset) + ")";
            return;
        }
        const QJsonValue root = doc.object().value("root");
        if (!doc.isObject() || (!root.isUndefined() && !root.isObject())) {
            Damage = "it holds no tree of settings";
            return;
        }
        if (!ReadKey(root.toObject(), root_, 0)) {
            root_ = TRegKey();
            Damage = "its keys are nested deeper than " + std::to_string(MaxKeyDepth) + " levels";
        }
    }

    std::optional<std::string> Find(const std::string& Section,
                                    const std::string& Ident) const override {
        const TRegKey* key = Key(Section);
        if (key == nullptr)
            return std::nullopt;
        const auto v = key->FindValue(Ident);
        return v == key->Values.end() ? std::nullopt : std::optional<std::string>(v->second);
    }
    void Set(const std::string& Section, const std::string& Ident,
             const std::string& Value) override {
        TRegKey* key = &root_;
        for (const auto& part : SplitKeyPath(Section))
            key = &key->ChildOrNew(part);
        if (const auto v = key->FindValue(Ident); v != key->Values.end())
            v->second = Value; // the stored name keeps its case
        else
            key->Values.emplace_back(Ident, Value);
    }
    void Remove(const std::string& Section, const std::string& Ident) override {
        TRegKey* key = Key(Section);
        if (key == nullptr)
            return;
        std::erase_if(key->Values, [&](const auto& v) { return SameName(v.first, Ident); });
    }
    std::vector<std::string> Children(const std::string& Section) const override {
        std::vector<std::string> names;
        if (const TRegKey* key = Key(Section))
            for (const auto& k : key->Keys)
                names.push_back(k->Name);
        return names;
    }
    void Erase(const std::string& Section) override {
        std::vector<std::string> parts = SplitKeyPath(Section);
        if (parts.empty())
            return; // never the whole tree
        const std::string last = parts.back();
        parts.pop_back();
        TRegKey* parent = &root_;
        for (const auto& part : parts)
            if ((parent = parent->Child(part)) == nullptr)
                return;
        std::erase_if(parent->Keys, [&](const auto& k) { return SameName(k->Name, last); });
    }
    QByteArray Serialize() const override {
        QJsonObject top;
        top.insert("format", RegistryFormat);
        top.insert("root", WriteKey(root_));
        return QJsonDocument(top).toJson(QJsonDocument::Indented);
    }

private:
    const TRegKey* Key(const std::string& path) const {
        const TRegKey* key = &root_;
        for (const auto& part : SplitKeyPath(path))
            if ((key = key->Child(part)) == nullptr)
                return nullptr;
        return key;
    }
    TRegKey* Key(const std::string& path) {
        TRegKey* key = &root_;
        for (const auto& part : SplitKeyPath(path))
            if ((key = key->Child(part)) == nullptr)
                return nullptr;
        return key;
    }

    TRegKey root_;
};

} // namespace

std::unique_ptr<TQorStorage::TStore> QorStrgDetail::MakeRegistryStore(const QByteArray& data,
                                                                      std::string& Damage) {
    return std::make_unique<TRegistryStore>(data, Damage);
}
