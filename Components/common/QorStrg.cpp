// The settings storage of a window: names, files, batches and atomic writes, typed values,
// sections, placement and the form's handlers. The two stores are in QorStrgJson.cpp and
// QorStrgIni.cpp.
#include "QorStrg.h"

#include "QorFileInput.h"
#include "QorFileOutput.h"
#include "QorNumText.h"
#include "QorPropText.h"
#include "QorStrgStore.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QFileInfo>
#include <QLockFile>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <limits>
#include <mutex>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A settings file beyond this is not settings; it is treated as damaged.
constexpr uint64_t MaxStoreBytes = uint64_t(64) << 20;
// The farthest a stored window edge may lie from the origin.
constexpr int MaxCoordinate = 1 << 24;

std::string FolderOf(const std::string& Path) {
    const size_t slash = Path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : Path.substr(0, slash);
}

bool IsAscii(const std::string& s) {
    return std::all_of(s.begin(), s.end(), [](char c) { return uint8_t(c) < 0x80; });
}

char AsciiUpper(char c) {
    return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c;
}

} // namespace

// ---- Names and text shared with the stores

bool QorStrgDetail::SameName(const std::string& a, const std::string& b) {
    if (IsAscii(a) && IsAscii(b))
        return a.size() == b.size() &&
               std::equal(a.begin(), a.end(), b.begin(),
                          [](char x, char y) { return AsciiUpper(x) == AsciiUpper(y); });
    return QString::fromStdString(a).compare(QString::fromStdString(b), Qt::CaseInsensitive) == 0;
}

std::string QorStrgDetail::Trim(const std::string& s) {
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

using QorStrgDetail::Trim;

namespace {

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

std::unique_ptr<TQorStorage::TStore> TQorStorage::LoadStore(bool Locked, bool* Kept) const {
    const std::string path = FilePath();
    std::string bytes;
    std::string damage;
    struct stat entry {};
    if (::lstat(path.c_str(), &entry) != 0) {
        if (errno != ENOENT)
            damage = std::strerror(errno);
    } else if (!ReadRegularFile(path, MaxStoreBytes, bytes, damage) &&
               damage == std::strerror(ENOENT)) {
        damage.clear(); // a link to a file not made yet: saving makes it
    }
    const QByteArray data = QByteArray::fromStdString(bytes);
    std::unique_ptr<TStore> store;
    if (FUseRegistry)
        store = QorStrgDetail::MakeRegistryStore(data, damage);
    else
        store = QorStrgDetail::MakeIniStore(data);
    if (!damage.empty()) {
        const bool kept = !SetDamagedFileAside(path, damage, Locked);
        if (Kept != nullptr)
            *Kept = kept;
    }
    return store;
}

// Moves the unreadable settings file out of the way as <file>.bad, so that the defaults now in
// use can be saved without destroying it; a folder, or a file that cannot be moved, stays where
// it is. Says once what happened; false when the file stayed.
bool TQorStorage::SetDamagedFileAside(const std::string& Path, const std::string& Damage,
                                      bool Locked) const {
    const std::string unread = "The settings in " + Path + " could not be read (" + Damage +
                               "). The program goes on with its defaults";
    const std::string bad = Path + ".bad";
    std::string moveError;
    struct stat read {};
    if (::lstat(Path.c_str(), &read) != 0) {
        moveError = std::strerror(errno);
    } else if (S_ISDIR(read.st_mode)) {
        moveError = "a folder";
    } else {
        // Under the lock, and only the very file that was read: another process may have put
        // good settings in its place meanwhile.
        QLockFile lock(QString::fromStdString(Path) + ".lock");
        lock.setStaleLockTime(10000);
        struct stat now {};
        if (!Locked && !lock.tryLock(2000))
            moveError = "another program holds its lock";
        else if (::lstat(Path.c_str(), &now) != 0 || now.st_ino != read.st_ino ||
                 now.st_dev != read.st_dev)
            return true; // replaced meanwhile
        else if (::rename(Path.c_str(), bad.c_str()) != 0)
            moveError = std::strerror(errno);
        else {
            ReportProblem(unread + "; the file was kept as " + bad + ".");
            return true;
        }
    }
    ReportProblem(unread + " and leaves the file as it is (" + moveError +
                  "), so the settings are not saved.");
    return false;
}

bool TQorStorage::Commit(const std::vector<std::function<void(TStore&)>>& Changes) const {
    const std::string path = FilePath();
    const std::string cannot = "Settings cannot be saved to " + path + ": ";
    std::error_code created;
    std::filesystem::create_directories(FolderOf(path), created);
    if (created) {
        ReportProblem(cannot + created.message() + ".");
        return false;
    }
    // Another process may save at the same time: take the latest file under a lock and
    // replay this side's changes onto it, so neither loses the other's values.
    QLockFile lock(QString::fromStdString(path) + ".lock");
    lock.setStaleLockTime(10000);
    const bool locked = lock.tryLock(2000);
    bool kept = false;
    std::unique_ptr<TStore> store = LoadStore(locked, &kept);
    if (kept)
        return false; // a file that could not be read is never overwritten
    for (const auto& change : Changes)
        change(*store);
    const QByteArray data = store->Serialize();
    std::string error;
    const bool ok =
        WriteFileAtomically(path, std::string_view(data.constData(), size_t(data.size())), &error);
    if (locked)
        lock.unlock();
    if (!ok)
        ReportProblem(cannot + error + ".");
    return ok;
}

bool TQorStorage::CheckSaving() const {
    const std::string path = FilePath();
    const std::string folder = FolderOf(path);
    std::string problem;
    struct stat st {};
    std::error_code created;
    if (::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
        problem = "it is a folder";
    else if (std::filesystem::create_directories(folder, created); created)
        problem = created.message();
    else if (::access(folder.c_str(), W_OK | X_OK) != 0)
        problem = folder + ": " + std::strerror(errno);
    if (!problem.empty())
        ReportProblem("Settings cannot be saved to " + path + ": " + problem + ".");
    return problem.empty();
}

namespace {

struct TProblemReports {
    std::mutex Lock;
    std::function<void(const std::string&)> Handler;
    std::set<std::string> Said;
};

TProblemReports& ProblemReports() {
    static TProblemReports reports;
    return reports;
}

} // namespace

void TQorStorage::SetProblemHandler(std::function<void(const std::string& Message)> Handler) {
    TProblemReports& r = ProblemReports();
    const std::lock_guard guard(r.Lock);
    r.Handler = std::move(Handler);
}

void TQorStorage::ReportProblem(const std::string& Message) {
    TProblemReports& r = ProblemReports();
    std::function<void(const std::string&)> handler;
    {
        const std::lock_guard guard(r.Lock);
        if (!r.Said.insert(Message).second)
            return;
        handler = r.Handler;
    }
    if (handler)
        handler(Message);
    else
        std::fprintf(stderr, "%s\n", Message.c_str());
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
    // Sizes and heights are brought into a sane range, their sign kept.
    Font.SetHeight(
        std::clamp(integer("_Height", Font.Height()), -TFont::MaxHeight, TFont::MaxHeight));
    if (auto name = store.Find(section, Prefix + "_Name")) {
        BoundPropertyText(*name, Prefix + "_Name");
        Font.SetName(*name);
    }
    Font.SetPitch(TFontPitch(std::clamp(integer("_Pitch", Font.Pitch()), 0, int(fpFixed))));
    Font.SetSize(std::clamp(integer("_Size", Font.Size()), -TFont::MaxSize, TFont::MaxSize));

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
        // No screen is this far out; within this, sums of coordinates cannot overflow.
        for (int& c : v)
            c = std::clamp(c, -MaxCoordinate, MaxCoordinate);
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
