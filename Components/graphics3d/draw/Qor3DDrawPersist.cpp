// The drawing control's properties, described once (key, kind, accessors, default, in the
// stored order), their three stored forms (property text, storage values, binary record) and
// the named property sets.
#include "draw/Qor3DDraw.h"

#include "QorPropList.h"
#include "QorUpdateBracket.h"
#include "UQorLists.h"

#include <QStringList>

namespace {

constexpr const char* DrawMarker = "TQor3DDrawV7.2";

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

// ---- The description -------------------------------------------------------------------------

const TQorPropList<TQor3DDraw>& TQor3DDraw::Properties() {
    using D = TQor3DDraw;
    using P = TQorProps<D>;
    // Files without a version kept the two distances under each other's names.
    constexpr auto instead = TQorOldKeyUse::Instead;
    static const TQorPropList<D> list{
        P::Prop("BackgroundColor", &D::BackgroundColor, &D::SetBackgroundColor,
                &D::FBackgroundColor, clWhite),
        P::Prop("LightsON", &D::LightsON, &D::SetLightsON, &D::FLightsON, true),
        P::Prop("PerspectiveON", &D::PerspectiveON, &D::SetPerspectiveON, &D::FPerspectiveON, true),
        P::Prop("XMin", &D::XMin, &D::SetXMin, &D::FXMin, 0.3),
        P::Prop("YMin", &D::YMin, &D::SetYMin, &D::FYMin, 0.3),
        P::Prop("ZNear", &D::ZNear, &D::SetZNear, &D::FZNear, 1.0),
        P::Prop("ZFar", &D::ZFar, &D::SetZFar, &D::FZFar, 100.0),
        P::Prop("RotX", &D::RotX, &D::SetRotX, &D::FRotX, 0),
        P::Prop("RotY", &D::RotY, &D::SetRotY, &D::FRotY, 0),
        P::Prop("RotZ", &D::RotZ, &D::SetRotZ, &D::FRotZ, 0),
        P::Prop("TranslX", &D::TranslX, &D::SetTranslX, &D::FTranslX, 0),
        P::Prop("TranslY", &D::TranslY, &D::SetTranslY, &D::FTranslY, 0),
        P::Prop("TranslZ", &D::TranslZ, &D::SetTranslZ, &D::FTranslZ, 0)
            .WithOldKey("ViewMoveZ", instead),
        P::Prop("ScaleX", &D::ScaleX, &D::SetScaleX, &D::FScaleX, 1.0),
        P::Prop("ScaleY", &D::ScaleY, &D::SetScaleY, &D::FScaleY, 1.0),
        P::Prop("ScaleZ", &D::ScaleZ, &D::SetScaleZ, &D::FScaleZ, 1.0),
        P::Prop("ViewScale", &D::ViewScale, &D::SetViewScale, &D::FViewScale, 0.5),
        P::Prop("ViewRotX", &D::ViewRotX, &D::SetViewRotX, &D::FViewRotX, 20.0),
        P::Prop("ViewRotY", &D::ViewRotY, &D::SetViewRotY, &D::FViewRotY, 30.0),
        P::Prop("ViewMoveX", &D::ViewMoveX, &D::SetViewMoveX, &D::FViewMoveX, 0),
        P::Prop("ViewMoveY", &D::ViewMoveY, &D::SetViewMoveY, &D::FViewMoveY, 0),
        P::Prop("ViewMoveZ", &D::ViewMoveZ, &D::SetViewMoveZ, &D::FViewMoveZ, -2.5)
            .WithOldKey("TranslationZ", instead),
        // Copied by Assign, not stored.
        P::Ordinal("DragType", &D::DragType, &D::SetDragType, &D::FDragType, pdRotate, pdZoom)
            .UsedIn(puAssigned),
        P::Ordinal("DragTypeMid", &D::DragTypeMid, &D::SetDragTypeMid, &D::FDragTypeMid, pdMove,
                   pdZoom)
            .UsedIn(puAssigned),
        P::Ordinal("DragTypeRight", &D::DragTypeRight, &D::SetDragTypeRight, &D::FDragTypeRight,
                   pdNone, pdZoom)
            .UsedIn(puAssigned),
        P::Ordinal("WheelAction", &D::WheelAction, &D::SetWheelAction, &D::FWheelAction, pdZoom,
                   pdZoom)
            .UsedIn(puAssigned),
        P::Prop("UseDoubleBuffer", &D::UseDoubleBuffer, &D::SetUseDoubleBuffer,
                &D::FUseDoubleBuffer, true)
            .UsedIn(puAssigned),
        P::Prop("UseSafeBitmapMode", &D::UseSafeBitmapMode, &D::SetUseSafeBitmapMode,
                &D::FUseSafeBitmapMode, false)
            .UsedIn(puAssigned),
    };
    return list;
}

// ---- Property text ----------------------------------------------------------------------------

void TQor3DDraw::WriteToText(TQorPropTextWriter& Writer, const std::string& Prefix) const {
    Writer.WriteString(Prefix + "FileVer", DrawMarker);
    QorWriteText(Properties(), *this, Writer, Prefix);
}

void TQor3DDraw::ReadFromText(TQorPropTextReader& Reader, const std::string& Prefix) {
    const TQorUpdateScope scope(*this);
    const bool old = Reader.ReadString(Prefix + "FileVer", "").empty();
    QorReadText(Properties(), *this, Reader, Prefix, old);
}

// ---- Binary record ----------------------------------------------------------------------------

int TQor3DDraw::WriteToFile(TQorBinaryWriter& Writer) const {
    Writer.WriteString(DrawMarker);
    QorWriteBinary(Properties(), *this, Writer);
    return 0;
}

int TQor3DDraw::ReadFromFile(TQorBinaryReader& Reader) {
    std::string marker;
    if (const int r = Reader.ReadMarker(marker); r != 0)
        return r;
    if (marker != DrawMarker && marker != "TQor3DDrawV7.1" && marker != "TQor3DDrawV7" &&
        marker != "DuvIzerorIzadi")
        return -3;
    const TQorUpdateScope scope(*this);
    // The record is stored as it stands: no setters, no limits.
    QorReadBinary(Properties(), *this, Reader, TQorBinaryRead::IntoFields);
    if (marker == "TQor3DDrawV7.1")
        Reader.Skip(2);
    Changed();
    return Reader.Incomplete() ? -1 : 0;
}

// ---- Storage ----------------------------------------------------------------------------------

bool TQor3DDraw::SaveToStorage(TQorStorage& Storage, const std::string& Prefix) const {
    TQorStorageBatch batch(Storage);
    bool ok = Storage.WriteString(Prefix + "FileVer", DrawMarker);
    ok = QorSaveToStorage(Properties(), *this, Storage, Prefix) && ok;
    return batch.Close() && ok;
}

void TQor3DDraw::LoadFromStorage(TQorStorage& Storage, const std::string& Prefix) {
    TQorStorageBatch batch(Storage);
    const TQorUpdateScope scope(*this);
    QorLoadFromStorage(Properties(), *this, Storage, Prefix);
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
