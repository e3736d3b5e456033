// Settings storage of a window: its placement and named values, kept either in a
// registry-like key tree (one file in the user's config folder) or in an INI file.
//
// Sections: window interface and placement types; TQorStorage (names, batches, typed
// values, sections and keys, placement, window hooks).
#pragma once

#include "UQorTypes.h"

#include <QtCore/qcontainerfwd.h>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// Window placement as the window system keeps it.
constexpr uint32_t WPF_SETMINPOSITION = 1;
constexpr int SW_HIDE = 0;
constexpr int SW_SHOWNORMAL = 1;
constexpr int SW_SHOWMINIMIZED = 2;
constexpr int SW_SHOWMAXIMIZED = 3;

struct TWindowPlacement {
    uint32_t Flags = 0;
    int ShowCmd = SW_SHOWNORMAL;
    TPoint MinPosition;
    TPoint MaxPosition;
    TRect NormalPosition;
    bool operator==(const TWindowPlacement&) const = default;
};

enum TWindowState : uint8_t { wsNormal, wsMinimized, wsMaximized };
enum TFormBorderStyle : uint8_t {
    bsNone,
    bsSingle,
    bsSizeable,
    bsDialog,
    bsToolWindow,
    bsSizeToolWin
};

// What the storage needs of the form whose placement it keeps; a Qt window implements it.
class TQorStorageWindow {
public:
    virtual ~TQorStorageWindow() = default;

    virtual std::string ClassName() const = 0;
    virtual bool IsMainForm() const = 0;
    virtual bool IsMinimizedMdiChild() const = 0;
    virtual bool ApplicationMinimized() const = 0;
    virtual TFormBorderStyle BorderStyle() const = 0;
    virtual bool HasWindow() const = 0;
    virtual bool Visible() const = 0;
    // Left, top, right, bottom of the window as it is now.
    virtual TRect BoundsRect() const = 0;
    virtual TWindowPlacement GetPlacement() const = 0;
    virtual void SetPlacement(const TWindowPlacement& Placement) = 0;
    virtual void SetWindowState(TWindowState State) = 0;
    virtual void MinimizeApplication() = 0;
    virtual void Update() = 0;
    // Width and height of the screen the window lives on.
    virtual TPoint ScreenSize() const = 0;
    // The border frame of the window's border style (0, 0 without a border).
    virtual TPoint FrameSize() const = 0;
    // Name of the focused control, empty when none.
    virtual std::string ActiveControlName() const = 0;
    // Focuses the named control when it is a windowed control that can take the focus.
    virtual void FocusControl(const std::string& Name) = 0;
};

// Who owns a storage, for the derived section name.
enum TStorageOwnerKind : uint8_t { okNone, okForm, okControl, okComponent };
struct TStorageOwner {
    TStorageOwnerKind Kind = okNone;
    std::string FormClassName; // the form, or the form a control or component belongs to
    std::string Name;          // the control's or component's own name
};

class TQorStorage : public TObject {
public:
    // Owned by nothing (no placement, empty section unless set).
    TQorStorage();
    // Owned by a form: section = its class name, options [fpState, fpPosition].
    explicit TQorStorage(TQorStorageWindow& Form);
    // Owned by a control or component of Form (Form may be null for a bare component).
    TQorStorage(TQorStorageWindow* Form, TStorageOwner Owner);
    ~TQorStorage() override;
    TQorStorage(const TQorStorage&) = delete;
    TQorStorage& operator=(const TQorStorage&) = delete;

    bool Active() const { return FActive; }
    void SetActive(bool Value) { FActive = Value; }
    // Derived when empty: "Software\<exe>" with the registry, "<exe>.INI" without.
    std::string IniFileName() const;
    void SetIniFileName(const std::string& Value) { FIniFileName = Value; }
    // Derived when empty from the owner.
    std::string IniSection() const;
    void SetIniSection(const std::string& Value) { FIniSection = Value; }
    TStorageOptions Options() const { return FOptions; }
    void SetOptions(TStorageOptions Value) { FOptions = Value; }
    bool UseRegistry() const { return FUseRegistry; }
    void SetUseRegistry(bool Value);

    // The file behind the registry mode; empty means <config>/Plotyra/registry.json.
    std::string RegistryFile() const;
    void SetRegistryFile(const std::string& Value) { FRegistryFile = Value; }
    // The INI file in use: IniFileName, a bare name placed in <config>/Plotyra/.
    std::string IniFilePath() const;
    // <config>/Plotyra, the XDG configuration folder of the program.
    static std::string ConfigFolder();

    // Says (as ReportProblem does) why saving would fail now: the file's folder cannot be made
    // or written, a folder stands in the file's place. False then.
    bool CheckSaving() const;
    // Problems with the settings files (a file that could not be read and what became of it, a
    // save that failed) go to Handler, each message once per process; to standard error while
    // there is no handler.
    static void SetProblemHandler(std::function<void(const std::string& Message)> Handler);

    // A batch keeps the store open across operations and writes the file once at the
    // end. Batches nest; EndBatch answers false when the closing write failed.
    void BeginBatch();
    bool EndBatch();
    bool InBatch() const { return FBatchDepth > 0; }

    // Writers answer false when the store could not be written (outside a batch).
    std::string ReadString(const std::string& Ident, const std::string& Default) const;
    bool WriteString(const std::string& Ident, const std::string& Value);
    int ReadInteger(const std::string& Ident, int Default) const;
    bool WriteInteger(const std::string& Ident, int Value);
    bool ReadBool(const std::string& Ident, bool Default) const;
    bool WriteBool(const std::string& Ident, bool Value);
    // A missing ident gives Default, a damaged text keeps Default too.
    double ReadFloat(const std::string& Ident, double Default) const;
    bool WriteFloat(const std::string& Ident, double Value);
    char ReadChar(const std::string& Ident, char Default) const;
    bool WriteChar(const std::string& Ident, char Value);
    void ReadFont(const std::string& Prefix, TFont& Font) const;
    bool WriteFont(const std::string& Prefix, const TFont& Font);
    bool ValueExists(const std::string& Ident) const;
    bool DeleteValue(const std::string& Ident);

    // Section names of the INI file, or subkey names of the key IniFileName; List is
    // left alone while a batch is open.
    void ReadSections(QStringList& List) const;
    // Removes a section (a subkey of IniFileName) with everything below it.
    bool EraseSection(const std::string& Section);
    // Registry mode: removes the key at a full path ("Software\plotyra\X") with everything
    // below it; does nothing without the registry.
    bool DeleteKey(const std::string& KeyPath);

    bool SavePlacement();
    void RestorePlacement();

    // Calls of the form's own handlers.
    void FormShow();
    void FormCloseQuery(bool CanClose);
    void FormDestroy();

    TNotifyEvent OnSaveStorage;
    TNotifyEvent OnRestoreStorage;
    // Errors of the automatic restore and save (the application's handler).
    std::function<void(const std::exception& Error)> OnError;

    // The open file's contents (registry tree or INI lines); only QorStrgStore.h knows it.
    class TStore;

private:
    std::string Section() const;
    std::string ExeName() const;
    std::string FilePath() const;
    // The file's store. A file that exists but cannot be used gives the empty store and is set
    // aside; Kept tells when it could not be and stays in place.
    std::unique_ptr<TStore> LoadStore(bool Locked = false, bool* Kept = nullptr) const;
    bool SetDamagedFileAside(const std::string& Path, const std::string& Damage, bool Locked) const;
    static void ReportProblem(const std::string& Message);
    bool Commit(const std::vector<std::function<void(TStore&)>>& Changes) const;
    bool Modify(const std::function<void(TStore&)>& Change);
    const TStore& StoreForReading(std::unique_ptr<TStore>& Holder) const;
    std::optional<std::string> Lookup(const std::string& Ident) const;
    void ReadPosition(TWindowPlacement& Placement);
    void ReadState();
    std::string SizedIdent(const std::string& Ident) const;
    void ReportError(const std::exception& Error);

    TQorStorageWindow* FForm = nullptr;
    TStorageOwner FOwner;
    bool FActive = true;
    std::string FIniFileName;
    std::string FIniSection;
    TStorageOptions FOptions;
    bool FUseRegistry = true;
    std::string FRegistryFile;

    int FBatchDepth = 0;
    std::unique_ptr<TStore> FStore;
    std::vector<std::function<void(TStore&)>> FPending;
    bool FSaved = false;
    bool FRestored = false;
    bool FDestroying = false;
};

// A batch for the lifetime of the object, or until Close.
class TQorStorageBatch {
public:
    explicit TQorStorageBatch(TQorStorage& Storage) : storage_(Storage) { storage_.BeginBatch(); }
    ~TQorStorageBatch() {
        if (open_)
            storage_.EndBatch();
    }
    TQorStorageBatch(const TQorStorageBatch&) = delete;
    TQorStorageBatch& operator=(const TQorStorageBatch&) = delete;
    bool Close() {
        open_ = false;
        return storage_.EndBatch();
    }

private:
    TQorStorage& storage_;
    bool open_ = true;
};
