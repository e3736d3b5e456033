// The drawing control's properties in the three stored forms (property text, storage values,
// binary record) and its named property sets.
#include "draw/Qor3DDraw.h"

#include "QorPropBinary.h"
#include "QorPropText.h"
#include "QorStrg.h"
#include "UQorLists.h"

#include <QStringList>
#include <array>

namespace {

constexpr const char* DrawMarker = "TQor3DDrawV7.2";

struct TViewDouble {
    const char* Name;
    double (TQor3DDraw::*Get)() const;
    void (TQor3DDraw::*Set)(double);
};

// The nineteen view doubles in their stored order.
constexpr std::array<TViewDouble, 19> ViewDoubles{{
    {"XMin", &TQor3DDraw::XMin, &TQor3DDraw::SetXMin},
    {"YMin", &TQor3DDraw::YMin, &TQor3DDraw::SetYMin},
    {"ZNear", &TQor3DDraw::ZNear, &TQor3DDraw::SetZNear},
    {"ZFar", &TQor3DDraw::ZFar, &TQor3DDraw::SetZFar},
    {"RotX", &TQor3DDraw::RotX, &TQor3DDraw::SetRotX},
    {"RotY", &TQor3DDraw::RotY, &TQor3DDraw::SetRotY},
    {"RotZ", &TQor3DDraw::RotZ, &TQor3DDraw::SetRotZ},
    {"TranslX", &TQor3DDraw::TranslX, &TQor3DDraw::SetTranslX},
    {"TranslY", &TQor3DDraw::TranslY, &TQor3DDraw::SetTranslY},
    {"TranslZ", &TQor3DDraw::TranslZ, &TQor3DDraw::SetTranslZ},
    {"ScaleX", &TQor3DDraw::ScaleX, &TQor3DDraw::SetScaleX},
    {"ScaleY", &TQor3DDraw::ScaleY, &TQor3DDraw::SetScaleY},
    {"ScaleZ", &TQor3DDraw::ScaleZ, &TQor3DDraw::SetScaleZ},
    {"ViewScale", &TQor3DDraw::ViewScale, &TQor3DDraw::SetViewScale},
    {"ViewRotX", &TQor3DDraw::ViewRotX, &TQor3DDraw::SetViewRotX},
    {"ViewRotY", &TQor3DDraw::ViewRotY, &TQor3DDraw::SetViewRotY},
    {"ViewMoveX", &TQor3DDraw::ViewMoveX, &TQor3DDraw::SetViewMoveX},
    {"ViewMoveY", &TQor3DDraw::ViewMoveY, &TQor3DDraw::SetViewMoveY},
    {"ViewMoveZ", &TQor3DDraw::ViewMoveZ, &TQor3DDraw::SetViewMoveZ},
}};

class TDrawUpdate {
public:
    explicit TDrawUpdate(TQor3DDraw& Draw) : FDraw(Draw) { FDraw.BeginUpdate(); }
    TDrawUpdate(const TDrawUpdate&) = delete;
    TDrawUpdate& operator=(const TDrawUpdate&) = delete;
    ~TDrawUpdate() { FDraw.EndUpdate(); }

private:
    TQor3DDraw& FDraw;
};

// Points the storage at another key for the lifetime of the object.
class TRedirectedStorage {
public:
    TRedirectedStorage(TQorStorage& Storage, const std::string& KeyPath)
        : FStorage(Storage), FPrevious(Storage.IniFileName()) {
        FStorage.SetIniFileName(KeyPath);
    }
    TRedirectedStorage(const TRedirectedStorage&) = delete;
    TRedirectedStorage& operator=(const TRedirectedStorage&) = delete;
    ~TRedirectedStorage() { FStorage.SetIniFileName(FPrevious); }

private:
    TQorStorage& FStorage;
    std::string FPrevious;
};

std::string SetsKey(const TQorStorage& Storage, const std::string& Name) {
    return Storage.IniFileName() + "\\" + Name + "\\Custom3D";
}

const std::string NamedSetPrefix = "Prop_";

} // namespace

// ---- Property text ----------------------------------------------------------------------------

void TQor3DDraw::WriteToText(TQorPropTextWriter& Writer, const std::string& Prefix) const {
    Writer.WriteString(Prefix + "FileVer", DrawMarker);
    Writer.WriteInt(Prefix + "BackgroundColor", BackgroundColor());
    Writer.WriteBool(Prefix + "LightsON", LightsON());
    Writer.WriteBool(Prefix + "PerspectiveON", PerspectiveON());
    for (const TViewDouble& d : ViewDoubles)
        Writer.WriteDouble(Prefix + d.Name, (this->*d.Get)());
}

void TQor3DDraw::ReadFromText(TQorPropTextReader& Reader, const std::string& Prefix) {
    TDrawUpdate update(*this);
    const std::string version = Reader.ReadString(Prefix + "FileVer", "");
    // Files without a version kept the two distances under each other's names.
    const bool oldNames = version.empty();
    SetBackgroundColor(Reader.ReadInt(Prefix + "BackgroundColor", BackgroundColor()));
    SetLightsON(Reader.ReadBool(Prefix + "LightsON", LightsON()));
    SetPerspectiveON(Reader.ReadBool(Prefix + "PerspectiveON", PerspectiveON()));
    for (const TViewDouble& d : ViewDoubles) {
        std::string key = d.Name;
        if (oldNames && key == "TranslZ")
            key = "ViewMoveZ";
        else if (oldNames && key == "ViewMoveZ")
            key = "TranslationZ";
        (this->*d.Set)(Reader.ReadDouble(Prefix + key, (this->*d.Get)()));
    }
}

// ---- Binary record ----------------------------------------------------------------------------

int TQor3DDraw::WriteToFile(TQorBinaryWriter& Writer) const {
    Writer.WriteString(DrawMarker);
    Writer.WriteInt(BackgroundColor());
    Writer.WriteBool(LightsON());
    Writer.WriteBool(PerspectiveON());
    for (const TViewDouble& d : ViewDoubles)
        Writer.WriteDouble((this->*d.Get)());
    return 0;
}

int TQor3DDraw::ReadFromFile(TQorBinaryReader& Reader) {
    std::string marker;
    if (const int r = Reader.ReadMarker(marker); r != 0)
        return r;
    if (marker != DrawMarker && marker != "TQor3DDrawV7.1" && marker != "TQor3DDrawV7" &&
        marker != "DuvIzerorIzadi")
        return -3;
    TDrawUpdate update(*this);
    // The record is stored as it stands: no setters, no limits.
    Reader.ReadInt(FBackgroundColor);
    Reader.ReadBool(FLightsON);
    Reader.ReadBool(FPerspectiveON);
    for (double* field : {&FXMin, &FYMin, &FZNear, &FZFar, &FRotX, &FRotY, &FRotZ, &FTranslX,
                          &FTranslY, &FTranslZ, &FScaleX, &FScaleY, &FScaleZ, &FViewScale,
                          &FViewRotX, &FViewRotY, &FViewMoveX, &FViewMoveY, &FViewMoveZ})
        Reader.ReadDouble(*field);
    if (marker == "TQor3DDrawV7.1")
        Reader.Skip(2);
    Changed();
    return Reader.Incomplete() ? -1 : 0;
}

// ---- Storage ----------------------------------------------------------------------------------

bool TQor3DDraw::SaveToStorage(TQorStorage& Storage, const std::string& Prefix) const {
    TQorStorageBatch batch(Storage);
    bool ok = Storage.WriteString(Prefix + "FileVer", DrawMarker);
    ok = Storage.WriteInteger(Prefix + "BackgroundColor", BackgroundColor()) && ok;
    ok = Storage.WriteBool(Prefix + "LightsON", LightsON()) && ok;
    ok = Storage.WriteBool(Prefix + "PerspectiveON", PerspectiveON()) && ok;
    for (const TViewDouble& d : ViewDoubles)
        ok = Storage.WriteFloat(Prefix + d.Name, (this->*d.Get)()) && ok;
    return batch.Close() && ok;
}

void TQor3DDraw::LoadFromStorage(TQorStorage& Storage, const std::string& Prefix) {
    TQorStorageBatch batch(Storage);
    TDrawUpdate update(*this);
    SetBackgroundColor(Storage.ReadInteger(Prefix + "BackgroundColor", BackgroundColor()));
    SetLightsON(Storage.ReadBool(Prefix + "LightsON", LightsON()));
    SetPerspectiveON(Storage.ReadBool(Prefix + "PerspectiveON", PerspectiveON()));
    for (const TViewDouble& d : ViewDoubles)
        (this->*d.Set)(Storage.ReadFloat(Prefix + d.Name, (this->*d.Get)()));
}

bool TQor3DDraw::SaveToStorageByName(TQorStorage& Storage) const {
    return SaveToStorage(Storage, Name());
}

void TQor3DDraw::LoadFromStorageByName(TQorStorage& Storage) {
    LoadFromStorage(Storage, Name());
}

// ---- Named property sets (registry only) ------------------------------------------------------

bool TQor3DDraw::SaveNamedSet(TQorStorage& Storage, const std::string& SetName) const {
    if (!Storage.UseRegistry())
        return true;
    TRedirectedStorage redirect(Storage, SetsKey(Storage, Name()) + "\\" + SetName);
    return SaveToStorage(Storage, NamedSetPrefix);
}

void TQor3DDraw::LoadNamedSet(TQorStorage& Storage, const std::string& SetName) {
    if (!Storage.UseRegistry())
        return;
    TRedirectedStorage redirect(Storage, SetsKey(Storage, Name()) + "\\" + SetName);
    LoadFromStorage(Storage, NamedSetPrefix);
}

void TQor3DDraw::DeleteNamedSet(TQorStorage& Storage, const std::string& SetName) const {
    if (!Storage.UseRegistry())
        return;
    try {
        Storage.DeleteKey(SetsKey(Storage, Name()) + "\\" + SetName);
    } catch (...) {
        // A set that cannot be deleted stays; there is nothing to tell the user.
    }
}

void TQor3DDraw::ListNamedSets(TQorStorage& Storage, TQorStringList* List) const {
    if (List == nullptr || !Storage.UseRegistry())
        return;
    QStringList names;
    {
        TRedirectedStorage redirect(Storage, SetsKey(Storage, Name()));
        Storage.ReadSections(names);
    }
    List->Clear();
    for (const QString& n : names)
        List->Add(n.toStdString());
    List->Sort();
}
