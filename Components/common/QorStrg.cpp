#include "QorStrg.h"

#include "QorNumText.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLockFile>
#include <QSaveFile>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <algorithm>
#include <array>
#include <cstdio>
#include <limits>

namespace {

// A settings file beyond this is not settings; it is treated as damaged.
constexpr qint64 MaxStoreBytes = 64LL * 1024 * 1024;
constexpr int MaxKeyDepth = 100;
constexpr const char* RegistryFormat = "Plotyra registry 1";

bool IsAscii(const std::string& s) {
    return std::all_of(s.begin(), s.end(), [](char c) { return uint8_t(c) < 0x80; });
}

char AsciiUpper(char c) {
    return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c;
}

// Names of keys, sections and idents compare without regard to case.
bool SameName(const std::string& a, const std::string& b) {
    if (IsAscii(a) && IsAscii(b))
        return a.size() == b.size() &&
               std::equal(a.begin(), a.end(), b.begin(),
                          [](char x, char y) { return AsciiUpper(x) == AsciiUpper(y); });
    return QString::fromStdString(a).compare(QString::fromStdString(b), Qt::CaseInsensitive) == 0;
}

std::string Trim(const std::string& s) {
    const auto blank = [](char c) {
        return c == ' ' || c == '\t' || c == '\r' || c == '\n';
    };
    size_t b = 0;
    size_t e = s.size();
    while (b < e && blank(s[b]))
        ++b;
    while (e > b && blank(s[e - 1]))
        --e;
    return s.substr(b, e - b);
}

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

// One line of an INI file cannot hold a line break.
std::string OneLine(std::string s) {
    std::replace(s.begin(), s.end(), '\r', ' ');
    std::replace(s.begin(), s.end(), '\n', ' ');
    return s;
}

// Decimal with an optional sign, or hexadecimal after "$" or "0x"; int range only.
std::optional<int> ParseInteger(const std::string& text) {
    const std::string t = Trim(text);
    size_t i = 0;
    bool negative = false;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) {
        negative = t[i] == '-';
        ++i;
    }
    int base = 10;
    if (i < t.size() && t[i] == '$') {
        base = 16;
        ++i;
    } else if (i + 1 < t.size() && t[i] == '0' && (t[i + 1] == 'x' || t[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i >= t.size())
        return std::nullopt;
    uint64_t v = 0;
    for (; i < t.size(); ++i) {
        const char c = t[i];
        int d = -1;
        if (c >= '0' && c <= '9')
            d = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            d = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F')
            d = c - 'A' + 10;
        if (d < 0)
            return std::nullopt;
        v = v * uint64_t(base) + uint64_t(d);
        if (v > 0xFFFFFFFFull)
            return std::nullopt;
    }
    if (base == 16) {
        const auto bits = int32_t(uint32_t(v)); // hexadecimal spells the 32 bits
        if (!negative)
            return bits;
        if (bits == std::numeric_limits<int>::min())
            return std::nullopt;
        return -bits;
    }
    const int64_t s = negative ? -int64_t(v) : int64_t(v);
    if (s < std::numeric_limits<int>::min() || s > std::numeric_limits<int>::max())
        return std::nullopt;
    return int(s);
}

std::string FourNumbers(int a, int b, int c, int d) {
    return std::to_string(a) + "," + std::to_string(b) + "," + std::to_string(c) + "," +
           std::to_string(d);
}

// Four comma-separated numbers over Values; a missing or damaged number keeps its default.
void ParseFour(const std::string& text, std::array<int, 4>& values) {
    size_t start = 0;
    for (int& v : values) {
        if (start > text.size())
            break;
        const size_t comma = text.find(',', start);
        const std::string part =
            text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        if (const auto n = ParseInteger(part))
            v = *n;
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }
}

} // namespace

// ---- the stores

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

namespace {

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

void ReadKey(const QJsonObject& json, TRegKey& key, int depth) {
    if (depth > MaxKeyDepth)
        return;
    const QJsonObject values = json.value("values").toObject();
    for (auto it = values.begin(); it != values.end(); ++it) {
        if (!it.value().isString())
            continue;
        const std::string name = it.key().toStdString();
        if (key.FindValue(name) == key.Values.end())
            key.Values.emplace_back(name, it.value().toString().toStdString());
    }
    const QJsonObject keys = json.value("keys").toObject();
    for (auto it = keys.begin(); it != keys.end(); ++it)
        if (it.value().isObject())
            ReadKey(it.value().toObject(), key.ChildOrNew(it.key().toStdString()), depth + 1);
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
    explicit TRegistryStore(const QByteArray& data) {
        QJsonParseError error{};
        const QJsonDocument doc = QJsonDocument::fromJson(data, &error);
        if (error.error != QJsonParseError::NoError || !doc.isObject())
            return; // damaged or empty: start from nothing
        ReadKey(doc.object().value("root").toObject(), root_, 0);
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

// An INI file kept line by line, so comments and foreign lines survive a rewrite.
class TIniStore final : public TQorStorage::TStore {
public:
    explicit TIniStore(const QByteArray& data) {
        std::vector<std::string>* target = &preamble_;
        size_t start = 0;
        const std::string text = data.toStdString();
        while (start < text.size()) {
            size_t end = text.find('\n', start);
            if (end == std::string::npos)
                end = text.size();
            std::string line = text.substr(start, end - start);
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            start = end + 1;
            const std::string trimmed = Trim(line);
            const size_t close = trimmed.find(']');
            if (!trimmed.empty() && trimmed[0] == '[' && close != std::string::npos) {
                sections_.push_back({Trim(trimmed.substr(1, close - 1)), {}});
                target = &sections_.back().Lines;
            } else {
                target->push_back(line);
            }
        }
    }

    std::optional<std::string> Find(const std::string& Section,
                                    const std::string& Ident) const override {
        const int s = SectionIndex(Section);
        if (s < 0)
            return std::nullopt;
        for (const auto& line : sections_[size_t(s)].Lines) {
            std::string ident;
            std::string value;
            if (SplitLine(line, ident, value) && SameName(ident, Ident))
                return value;
        }
        return std::nullopt;
    }
    void Set(const std::string& Section, const std::string& Ident,
             const std::string& Value) override {
        TSection& s = SectionOrNew(Section);
        const std::string value = OneLine(Value);
        for (auto& line : s.Lines) {
            std::string ident;
            std::string old;
            if (SplitLine(line, ident, old) && SameName(ident, Ident)) {
                line = ident + "=" + value;
                return;
            }
        }
        // New idents go after the section's last value, before trailing blank lines.
        auto at = s.Lines.end();
        while (at != s.Lines.begin() && Trim(*(at - 1)).empty())
            --at;
        s.Lines.insert(at, OneLine(Ident) + "=" + value);
    }
    void Remove(const std::string& Section, const std::string& Ident) override {
        const int s = SectionIndex(Section);
        if (s < 0)
            return;
        std::erase_if(sections_[size_t(s)].Lines, [&](const std::string& line) {
            std::string ident;
            std::string value;
            return SplitLine(line, ident, value) && SameName(ident, Ident);
        });
    }
    std::vector<std::string> Children(const std::string&) const override {
        std::vector<std::string> names;
        for (const auto& s : sections_)
            names.push_back(s.Name);
        return names;
    }
    void Erase(const std::string& Section) override {
        std::erase_if(sections_, [&](const TSection& s) { return SameName(s.Name, Section); });
    }
    QByteArray Serialize() const override {
        std::string out;
        for (const auto& line : preamble_)
            out += line + "\n";
        for (const auto& s : sections_) {
            out += "[" + s.Name + "]\n";
            for (const auto& line : s.Lines)
                out += line + "\n";
        }
        return QByteArray::fromStdString(out);
    }

private:
    struct TSection {
        std::string Name;
        std::vector<std::string> Lines;
    };

    static bool SplitLine(const std::string& line, std::string& ident, std::string& value) {
        const size_t eq = line.find('=');
        if (eq == std::string::npos || Trim(line).starts_with(';'))
            return false;
        ident = Trim(line.substr(0, eq));
        value = Trim(line.substr(eq + 1));
        return !ident.empty();
    }
    int SectionIndex(const std::string& name) const {
        for (size_t i = 0; i < sections_.size(); ++i)
            if (SameName(sections_[i].Name, name))
                return int(i);
        return -1;
    }
    TSection& SectionOrNew(const std::string& name) {
        if (const int s = SectionIndex(name); s >= 0)
            return sections_[size_t(s)];
        std::vector<std::string>& before = sections_.empty() ? preamble_ : sections_.back().Lines;
        if (!before.empty() && !Trim(before.back()).empty())
            before.emplace_back();
        sections_.push_back({OneLine(name), {}});
        return sections_.back();
    }

    std::vector<std::string> preamble_;
    std::vector<TSection> sections_;
};

} // namespace

// ---- TQorStorage: names and files

TQorStorage::TQorStorage() = default;

TQorStorage::TQorStorage(TQorStorageWindow& Form)
    : FForm(&Form), FOwner{okForm, {}, {}}, FOptions{fpState, fpPosition} {}

TQorStorage::TQorStorage(TQorStorageWindow* Form, TStorageOwner Owner)
    : FForm(Form), FOwner(std::move(Owner)) {
    if (FOwner.Kind == okForm)
        FOptions = {fpState, fpPosition};
}

TQorStorage::~TQorStorage() {
    // An open batch still holds changes; write them rather than lose them.
    if (FBatchDepth > 0) {
        FBatchDepth = 1;
        try {
            EndBatch();
        } catch (...) { // nothing may leave a destructor
        }
    }
}

void TQorStorage::SetUseRegistry(bool Value) {
    if (FBatchDepth == 0)
        FUseRegistry = Value;
}

std::string TQorStorage::ExeName() const {
    std::string name;
    if (QCoreApplication::instance() != nullptr)
        name = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName().toStdString();
    return name.empty() ? std::string("plotyra") : name;
}

std::string TQorStorage::IniFileName() const {
    if (!FIniFileName.empty())
        return FIniFileName;
    return FUseRegistry ? "Software\\" + ExeName() : ExeName() + ".INI";
}

std::string TQorStorage::IniSection() const {
    if (!FIniSection.empty())
        return FIniSection;
    const std::string formClass =
        FOwner.Kind == okForm && FForm != nullptr ? FForm->ClassName() : FOwner.FormClassName;
    switch (FOwner.Kind) {
    case okForm:
        return formClass;
    case okControl:
        return formClass + FOwner.Name;
    case okComponent:
        return formClass.empty() ? std::string() : formClass + "." + FOwner.Name;
    case okNone:
        break;
    }
    return {};
}

std::string TQorStorage::ConfigFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation).toStdString() +
           "/Plotyra";
}

std::string TQorStorage::RegistryFile() const {
    return FRegistryFile.empty() ? ConfigFolder() + "/registry.json" : FRegistryFile;
}

std::string TQorStorage::IniFilePath() const {
    const std::string name = IniFileName();
    if (name.find('/') != std::string::npos)
        return name;
    return ConfigFolder() + "/" + name;
}

std::string TQorStorage::FilePath() const {
    return FUseRegistry ? RegistryFile() : IniFilePath();
}

std::string TQorStorage::Section() const {
    if (!FUseRegistry)
        return IniSection();
    return IniFileName() + "\\" + IniSection();
}

// ---- TQorStorage: loading, batches and atomic writes

std::unique_ptr<TQorStorage::TStore> TQorStorage::LoadStore() const {
    QByteArray data;
    QFile file(QString::fromStdString(FilePath()));
    if (file.open(QIODevice::ReadOnly) && file.size() <= MaxStoreBytes)
        data = file.readAll();
    if (data.size() > MaxStoreBytes) // grew while being read
        data.clear();
    if (FUseRegistry)
        return std::make_unique<TRegistryStore>(data);
    return std::make_unique<TIniStore>(data);
}

bool TQorStorage::Commit(const std::vector<std::function<void(TStore&)>>& Changes) const {
    const QString path = QString::fromStdString(FilePath());
    const QFileInfo info(path);
    if (!QDir().mkpath(info.absolutePath()))
        return false;
    // Another process may save at the same time: take the latest file under a lock and
    // replay this side's changes onto it, so neither loses the other's values.
    QLockFile lock(path + ".lock");
    lock.setStaleLockTime(10000);
    const bool locked = lock.tryLock(2000);
    std::unique_ptr<TStore> store = LoadStore();
    for (const auto& change : Changes)
        change(*store);
    const QByteArray data = store->Serialize();

    QSaveFile file(path);
    bool ok = file.open(QIODevice::WriteOnly) && file.write(data) == data.size();
    ok = ok ? file.commit() : (file.cancelWriting(), false);
    if (locked)
        lock.unlock();
    return ok;
}

void TQorStorage::BeginBatch() {
    if (FBatchDepth++ == 0) {
        FStore = LoadStore();
        FPending.clear();
    }
}

bool TQorStorage::EndBatch() {
    if (FBatchDepth == 0)
        return true;
    if (--FBatchDepth > 0)
        return true;
    bool ok = true;
    if (!FPending.empty())
        ok = Commit(FPending);
    FPending.clear();
    FStore.reset();
    return ok;
}

bool TQorStorage::Modify(const std::function<void(TStore&)>& Change) {
    if (FBatchDepth > 0) {
        Change(*FStore);
        FPending.push_back(Change);
        return true;
    }
    return Commit({Change});
}

const TQorStorage::TStore& TQorStorage::StoreForReading(std::unique_ptr<TStore>& Holder) const {
    if (FBatchDepth > 0)
        return *FStore;
    Holder = LoadStore();
    return *Holder;
}

std::optional<std::string> TQorStorage::Lookup(const std::string& Ident) const {
    std::unique_ptr<TStore> holder;
    return StoreForReading(holder).Find(Section(), Ident);
}

// ---- TQorStorage: typed values

std::string TQorStorage::ReadString(const std::string& Ident, const std::string& Default) const {
    return Lookup(Ident).value_or(Default);
}

bool TQorStorage::WriteString(const std::string& Ident, const std::string& Value) {
    return Modify([section = Section(), Ident, Value](TStore& s) { s.Set(section, Ident, Value); });
}

int TQorStorage::ReadInteger(const std::string& Ident, int Default) const {
    const auto text = Lookup(Ident);
    if (!text)
        return Default;
    return ParseInteger(*text).value_or(Default);
}

bool TQorStorage::WriteInteger(const std::string& Ident, int Value) {
    return WriteString(Ident, std::to_string(Value));
}

bool TQorStorage::ReadBool(const std::string& Ident, bool Default) const {
    return ReadInteger(Ident, Default ? 1 : 0) != 0;
}

bool TQorStorage::WriteBool(const std::string& Ident, bool Value) {
    return WriteInteger(Ident, Value ? 1 : 0);
}

double TQorStorage::ReadFloat(const std::string& Ident, double Default) const {
    const auto text = Lookup(Ident);
    if (!text)
        return Default;
    std::string t = Trim(*text);
    if (t.empty())
        return 0;
    LocalDecSeparators(t);
    return TextToFloatDef(t, Default);
}

bool TQorStorage::WriteFloat(const std::string& Ident, double Value) {
    return WriteString(Ident, FloatToTextG(Value));
}

char TQorStorage::ReadChar(const std::string& Ident, char Default) const {
    const std::string s = ReadString(Ident, std::string());
    return s.empty() ? Default : s[0];
}

bool TQorStorage::WriteChar(const std::string& Ident, char Value) {
    return WriteString(Ident, std::string(1, Value));
}

void TQorStorage::ReadFont(const std::string& Prefix, TFont& Font) const {
    std::unique_ptr<TStore> holder;
    const TStore& store = StoreForReading(holder);
    const std::string section = Section();
    auto integer = [&](const char* suffix, int def) {
        const auto v = store.Find(section, Prefix + suffix);
        return v ? ParseInteger(*v).value_or(def) : def;
    };
    Font.SetCharset(uint8_t(std::clamp(integer("_Charset", Font.Charset()), 0, 255)));
    Font.SetColor(integer("_Color", Font.Color()));
    Font.SetHeight(integer("_Height", Font.Height()));
    if (const auto name = store.Find(section, Prefix + "_Name"))
        Font.SetName(*name);
    Font.SetPitch(TFontPitch(std::clamp(integer("_Pitch", Font.Pitch()), 0, int(fpFixed))));
    Font.SetSize(integer("_Size", Font.Size()));

    const TFontStyles current = Font.Style();
    TFontStyles style;
    constexpr std::array<std::pair<TFontStyle, const char*>, 4> styles = {{
        {fsBold, "_StylefsBold"},
        {fsItalic, "_StylefsItalic"},
        {fsUnderline, "_StylefsUnderline"},
        {fsStrikeOut, "_StylefsStrikeOut"},
    }};
    for (const auto& [s, suffix] : styles)
        if (integer(suffix, current.Contains(s) ? 1 : 0) != 0)
            style.Include(s);
    Font.SetStyle(style);
}

bool TQorStorage::WriteFont(const std::string& Prefix, const TFont& Font) {
    TQorStorageBatch batch(*this);
    WriteInteger(Prefix + "_Charset", Font.Charset());
    WriteInteger(Prefix + "_Color", Font.Color());
    WriteInteger(Prefix + "_Height", Font.Height());
    WriteString(Prefix + "_Name", Font.Name());
    WriteInteger(Prefix + "_Pitch", Font.Pitch());
    WriteInteger(Prefix + "_Size", Font.Size());
    WriteBool(Prefix + "_StylefsBold", Font.Style().Contains(fsBold));
    WriteBool(Prefix + "_StylefsItalic", Font.Style().Contains(fsItalic));
    WriteBool(Prefix + "_StylefsUnderline", Font.Style().Contains(fsUnderline));
    WriteBool(Prefix + "_StylefsStrikeOut", Font.Style().Contains(fsStrikeOut));
    return batch.Close();
}

bool TQorStorage::ValueExists(const std::string& Ident) const {
    return Lookup(Ident).has_value();
}

bool TQorStorage::DeleteValue(const std::string& Ident) {
    return Modify([section = Section(), Ident](TStore& s) { s.Remove(section, Ident); });
}

// ---- TQorStorage: sections and keys

void TQorStorage::ReadSections(QStringList& List) const {
    if (FBatchDepth > 0)
        return;
    std::unique_ptr<TStore> holder;
    const auto names = StoreForReading(holder).Children(FUseRegistry ? IniFileName() : "");
    List.clear();
    for (const auto& n : names)
        List.append(QString::fromStdString(n));
}

bool TQorStorage::EraseSection(const std::string& Section) {
    const std::string target = FUseRegistry ? IniFileName() + "\\" + Section : Section;
    return Modify([target](TStore& s) { s.Erase(target); });
}

bool TQorStorage::DeleteKey(const std::string& KeyPath) {
    if (!FUseRegistry)
        return false;
    return Modify([KeyPath](TStore& s) { s.Erase(KeyPath); });
}

// ---- TQorStorage: placement

std::string TQorStorage::SizedIdent(const std::string& Ident) const {
    const TPoint screen = FForm->ScreenSize();
    return Ident + "(" + std::to_string(screen.X) + "x" + std::to_string(screen.Y) + ")";
}

bool TQorStorage::SavePlacement() {
    if (FForm == nullptr || (FActive && !FRestored))
        return true;
    TQorStorageBatch batch(*this);
    TWindowPlacement p = FForm->GetPlacement();
    if (FForm->IsMinimizedMdiChild())
        p.Flags |= WPF_SETMINPOSITION;
    int showCmd = p.ShowCmd;
    if (FForm->IsMainForm() && FForm->ApplicationMinimized())
        showCmd = SW_SHOWMINIMIZED;
    WriteInteger("Flags", int(p.Flags));
    WriteInteger("ShowCmd", showCmd);
    const std::string minMax =
        FourNumbers(p.MinPosition.X, p.MinPosition.Y, p.MaxPosition.X, p.MaxPosition.Y);
    const TRect& n = p.NormalPosition;
    const std::string norm = FourNumbers(n.Left, n.Top, n.Right, n.Bottom);
    WriteString(SizedIdent("MinMaxPos"), minMax);
    WriteString("MinMaxPos", minMax);
    WriteString(SizedIdent("NormPos"), norm);
    WriteString("NormPos", norm);
    if (FOptions.Contains(fpActiveControl)) {
        const std::string active = FForm->ActiveControlName();
        if (!active.empty())
            WriteString("ActiveControl", active);
    }
    WriteBool("Visible", FDestroying);
    if (OnSaveStorage)
        OnSaveStorage(this);
    FSaved = true;
    return batch.Close();
}

void TQorStorage::ReadPosition(TWindowPlacement& Placement) {
    Placement.Flags = uint32_t(ReadInteger("Flags", int(Placement.Flags)));
    auto stored = [this](const std::string& ident) {
        std::string text = ReadString(SizedIdent(ident), std::string());
        return text.empty() ? ReadString(ident, std::string()) : text;
    };
    const std::string minMax = stored("MinMaxPos");
    const std::string norm = stored("NormPos");
    if (!minMax.empty()) {
        std::array<int, 4> v = {0, 0, 0, 0};
        ParseFour(minMax, v);
        Placement.MinPosition = {v[0], v[1]};
        Placement.MaxPosition = {v[2], v[3]};
    }
    const TRect bounds = FForm->BoundsRect();
    if (!norm.empty()) {
        std::array<int, 4> v = {bounds.Left, bounds.Top, bounds.Left + bounds.Width(),
                                bounds.Top + bounds.Height()};
        ParseFour(norm, v);
        Placement.NormalPosition = {v[0], v[1], v[2], v[3]};
    }
    if (minMax.empty() && norm.empty())
        return;
    const TFormBorderStyle border = FForm->BorderStyle();
    if (border != bsSizeable && border != bsSizeToolWin) {
        TRect& r = Placement.NormalPosition;
        r.Right = r.Left + bounds.Width();
        r.Bottom = r.Top + bounds.Height();
    }
    if (Placement.NormalPosition.Left < Placement.NormalPosition.Right)
        FForm->SetPlacement(Placement);
}

void TQorStorage::ReadState() {
    TWindowState state = wsNormal;
    switch (ReadInteger("ShowCmd", 0)) {
    case 1:
    case 5:
    case 9:
        state = wsNormal;
        break;
    case 2:
    case 6:
    case 7:
        state = wsMinimized;
        break;
    case 3:
        state = wsMaximized;
        break;
    default:
        state = FOptions.Contains(fpMaximizedDefault) ? wsMaximized : wsNormal;
        break;
    }
    if (state == wsMinimized && FForm->IsMainForm()) {
        FForm->SetWindowState(wsNormal);
        FForm->MinimizeApplication();
    } else {
        FForm->SetWindowState(state);
    }
    FForm->Update();
}

void TQorStorage::RestorePlacement() {
    if (FForm == nullptr)
        return;
    FSaved = false;
    TQorStorageBatch batch(*this);
    if (FOptions.Contains(fpPosition)) {
        TWindowPlacement p = FForm->GetPlacement();
        ReadPosition(p);
    }
    if (FOptions.Contains(fpState))
        ReadState();
    FRestored = true;
    if (OnRestoreStorage)
        OnRestoreStorage(this);
    if (FOptions.Contains(fpActiveControl)) {
        const std::string active = ReadString("ActiveControl", std::string());
        if (!active.empty())
            FForm->FocusControl(active);
    }
    batch.Close();

    TWindowPlacement p = FForm->GetPlacement();
    const TPoint frame = FForm->BorderStyle() == bsNone ? TPoint{} : FForm->FrameSize();
    p.MinPosition = {-frame.X, -frame.Y};
    if (!FForm->Visible())
        p.ShowCmd = SW_HIDE;
    FForm->SetPlacement(p);
}

// ---- TQorStorage: the form's handlers

void TQorStorage::ReportError(const std::exception& Error) {
    if (OnError)
        OnError(Error);
}

void TQorStorage::FormShow() {
    if (!FActive)
        return;
    try {
        RestorePlacement();
    } catch (const std::exception& e) {
        ReportError(e);
    }
}

void TQorStorage::FormCloseQuery(bool CanClose) {
    if (!CanClose || !FActive || FForm == nullptr || !FForm->HasWindow())
        return;
    try {
        SavePlacement();
    } catch (const std::exception& e) {
        ReportError(e);
    }
}

void TQorStorage::FormDestroy() {
    if (!FActive || FSaved)
        return;
    FDestroying = true;
    try {
        SavePlacement();
    } catch (const std::exception& e) {
        ReportError(e);
    }
    FDestroying = false;
}
