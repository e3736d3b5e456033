#include "QorStrg.h"

#include "QorNumText.h"
#include "QorStrgTestSupport.h"

#include <QStringList>
#include <atomic>
#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <thread>

namespace {

std::vector<std::string> FolderEntries(const std::filesystem::path& dir) {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

class FakeWindow : public TQorStorageWindow {
public:
    std::string ClassName() const override { return "TFormMain"; }
    bool IsMainForm() const override { return mainForm; }
    bool IsMinimizedMdiChild() const override { return false; }
    bool ApplicationMinimized() const override { return appMinimized; }
    TFormBorderStyle BorderStyle() const override { return border; }
    bool HasWindow() const override { return true; }
    bool Visible() const override { return visible; }
    TRect BoundsRect() const override { return placement.NormalPosition; }
    TWindowPlacement GetPlacement() const override { return placement; }
    void SetPlacement(const TWindowPlacement& p) override {
        placement = p;
        ++placementsSet;
    }
    void SetWindowState(TWindowState s) override { state = s; }
    void MinimizeApplication() override { appMinimized = true; }
    void Update() override {}
    TPoint ScreenSize() const override { return screen; }
    TPoint FrameSize() const override { return {4, 4}; }
    std::string ActiveControlName() const override { return active; }
    void FocusControl(const std::string& name) override { focused = name; }

    bool mainForm = true;
    bool appMinimized = false;
    bool visible = true;
    TFormBorderStyle border = bsSizeable;
    TWindowPlacement placement{0, SW_SHOWNORMAL, {-1, -1}, {-1, -1}, {10, 20, 410, 320}};
    TWindowState state = wsNormal;
    int placementsSet = 0;
    TPoint screen{1024, 768};
    std::string active;
    std::string focused;
};

using QorStorage = TQorStorageModeTest;

} // namespace

TEST(QorStorageNames, DerivedFromExecutableAndOwner) {
    FakeWindow form;
    TQorStorage s(form);
    EXPECT_EQ(s.IniFileName(), "Software\\common_tests");
    EXPECT_EQ(s.IniSection(), "TFormMain");
    EXPECT_EQ(s.Options(), (TStorageOptions{fpState, fpPosition}));
    s.SetUseRegistry(false);
    EXPECT_EQ(s.IniFileName(), "common_tests.INI");
    EXPECT_EQ(s.IniFilePath(), TQorStorage::ConfigFolder() + "/common_tests.INI");
    EXPECT_EQ(TQorStorage::ConfigFolder(),
              std::string(std::getenv("XDG_CONFIG_HOME")) + "/Plotyra");
    EXPECT_EQ(s.RegistryFile(), TQorStorage::ConfigFolder() + "/registry.json");

    EXPECT_EQ(TQorStorage(&form, {okControl, "TFormMain", "Panel1"}).IniSection(),
              "TFormMainPanel1");
    EXPECT_EQ(TQorStorage(&form, {okComponent, "TFormMain", "Timer1"}).IniSection(),
              "TFormMain.Timer1");
    TQorStorage bare;
    EXPECT_EQ(bare.IniSection(), "");
    EXPECT_TRUE(bare.Options().Empty());
}

TEST(QorStorageNames, BareIniNameGoesToTheConfigFolder) {
    FakeWindow form;
    TQorStorage s(form);
    s.SetUseRegistry(false);
    ASSERT_TRUE(s.WriteInteger("Foo", 1));
    const std::string path = TQorStorage::ConfigFolder() + "/common_tests.INI";
    EXPECT_EQ(ReadFileText(path), "[TFormMain]\nFoo=1\n");
    std::filesystem::remove(path);
}

TEST_P(QorStorage, TypedRoundTrips) {
    ASSERT_TRUE(store.WriteString("Text", "a=b; [c] \xC3\xA4"));
    ASSERT_TRUE(store.WriteString("Empty", ""));
    ASSERT_TRUE(store.WriteInteger("Min", std::numeric_limits<int>::min()));
    ASSERT_TRUE(store.WriteInteger("Neg", -42));
    ASSERT_TRUE(store.WriteBool("On", true));
    ASSERT_TRUE(store.WriteBool("Off", false));
    ASSERT_TRUE(store.WriteFloat("Pi", 3.14159265358979));
    ASSERT_TRUE(store.WriteFloat("Tiny", -2.5e-300));
    ASSERT_TRUE(store.WriteChar("Sep", ','));

    TQorStorage other;
    Configure(other, "TFormMain");
    EXPECT_EQ(other.ReadString("Text", "x"), "a=b; [c] \xC3\xA4");
    EXPECT_EQ(other.ReadString("Empty", "x"), "");
    EXPECT_EQ(other.ReadString("Missing", "x"), "x");
    EXPECT_EQ(other.ReadInteger("Min", 0), std::numeric_limits<int>::min());
    EXPECT_EQ(other.ReadInteger("Neg", 0), -42);
    EXPECT_TRUE(other.ReadBool("On", false));
    EXPECT_FALSE(other.ReadBool("Off", true));
    EXPECT_TRUE(other.ReadBool("Missing", true));
    EXPECT_DOUBLE_EQ(other.ReadFloat("Pi", 0), 3.14159265358979);
    EXPECT_DOUBLE_EQ(other.ReadFloat("Tiny", 0), -2.5e-300);
    EXPECT_EQ(other.ReadChar("Sep", '.'), ',');
    EXPECT_EQ(other.ReadChar("Empty", '.'), '.');
    EXPECT_EQ(other.ReadString("Neg", ""), "-42");
    EXPECT_EQ(other.ReadString("On", ""), "1");
    EXPECT_TRUE(other.DeleteValue("neg"));
    EXPECT_FALSE(store.ValueExists("Neg"));
    EXPECT_TRUE(store.ValueExists("Pi"));
}

TEST_P(QorStorage, IntegersAndBooleansFromStoredText) {
    store.WriteString("Two", "2");
    store.WriteString("Hex", "$FF");
    store.WriteString("Bad", "12abc");
    store.WriteString("Huge", "99999999999");
    store.WriteString("Blank", " 7 ");
    EXPECT_TRUE(store.ReadBool("Two", false));
    EXPECT_EQ(store.ReadInteger("Hex", 0), 255);
    EXPECT_EQ(store.ReadInteger("Bad", 5), 5);
    EXPECT_EQ(store.ReadInteger("Huge", 5), 5);
    EXPECT_EQ(store.ReadInteger("Blank", 5), 7);
    EXPECT_TRUE(store.ReadBool("Bad", true));
}

TEST_P(QorStorage, FloatsFollowTheSeparatorRules) {
    const TScopedLocaleDecSeparator comma(',');
    store.WriteString("Dot", "1.5");
    store.WriteString("Comma", "2,5");
    store.WriteString("Empty", "");
    store.WriteString("Damaged", "1.5.5");
    store.WriteString("Word", "abc");
    store.WriteFloat("Written", 0.25);
    EXPECT_EQ(store.ReadString("Written", ""), "0,25");
    EXPECT_EQ(store.ReadFloat("Dot", 0), 1.5);
    EXPECT_EQ(store.ReadFloat("Comma", 0), 2.5);
    EXPECT_EQ(store.ReadFloat("Written", 0), 0.25);
    EXPECT_EQ(store.ReadFloat("Empty", 9), 0);
    EXPECT_EQ(store.ReadFloat("Damaged", 9), 9) << "a damaged number keeps the current value";
    EXPECT_EQ(store.ReadFloat("Word", 9), 9);
    const double current = 0.1 + 0.2;
    EXPECT_EQ(store.ReadFloat("Missing", current), current);
}

TEST_P(QorStorage, FontAsTenValues) {
    TFont font("Arial", 12, {fsBold, fsStrikeOut});
    font.SetColor(clRed);
    font.SetPitch(fpFixed);
    ASSERT_TRUE(store.WriteFont("Font", font));
    for (const char* suffix :
         {"_Charset", "_Color", "_Height", "_Name", "_Pitch", "_Size", "_StylefsBold",
          "_StylefsItalic", "_StylefsUnderline", "_StylefsStrikeOut"})
        EXPECT_TRUE(store.ValueExists(std::string("Font") + suffix)) << suffix;
    EXPECT_EQ(store.ReadString("Font_StylefsBold", ""), "1");
    EXPECT_EQ(store.ReadString("Font_StylefsItalic", ""), "0");

    TFont back;
    store.ReadFont("Font", back);
    EXPECT_TRUE(back.SameAs(font));

    // Missing values keep what the font has; only the stored ones change it.
    TFont partial("Courier", 9, {fsItalic});
    store.WriteString("P_Name", "Times");
    store.ReadFont("P", partial);
    EXPECT_EQ(partial.Name(), "Times");
    EXPECT_EQ(partial.Size(), 9);
    EXPECT_EQ(partial.Style(), TFontStyles{fsItalic});
}

TEST_P(QorStorage, NamesIgnoreCaseButKeepIt) {
    ASSERT_TRUE(store.WriteString("Foo", "1"));
    TQorStorage other;
    Configure(other, "TFORMMAIN");
    if (GetParam())
        other.SetIniFileName("SOFTWARE\\PlotYra");
    EXPECT_EQ(other.ReadString("FOO", ""), "1");
    ASSERT_TRUE(other.WriteString("fOO", "2"));
    EXPECT_EQ(store.ReadString("foo", ""), "2");
    const std::string text = ReadFileText(File());
    EXPECT_NE(text.find("Foo"), std::string::npos);
    EXPECT_EQ(text.find("fOO"), std::string::npos);
    EXPECT_EQ(text.find("FOO"), std::string::npos);
    EXPECT_EQ(text.find("TFORMMAIN"), std::string::npos);
    EXPECT_NE(text.find("TFormMain"), std::string::npos);
}

TEST_P(QorStorage, ReadSectionsAndErase) {
    for (const char* section : {"TFormMain", "Custom3D", "TFormCopy"}) {
        TQorStorage s;
        Configure(s, section);
        s.WriteInteger("X", 1);
    }
    QStringList names;
    store.ReadSections(names);
    names.sort();
    EXPECT_EQ(names, (QStringList{"Custom3D", "TFormCopy", "TFormMain"}));

    EXPECT_TRUE(store.EraseSection("custom3d"));
    store.ReadSections(names);
    names.sort();
    EXPECT_EQ(names, (QStringList{"TFormCopy", "TFormMain"}));

    QStringList untouched{"keep"};
    store.BeginBatch();
    store.ReadSections(untouched);
    store.EndBatch();
    EXPECT_EQ(untouched, QStringList{"keep"});
}

TEST(QorStorageRegistry, DeleteKeyRemovesEverythingBelow) {
    TempDir dir;
    TQorStorage s;
    s.SetRegistryFile(dir.File("registry.json"));
    for (const char* key :
         {"Software\\app\\Qor3DChart\\Custom3D\\Set1", "Software\\app\\Qor3DChart\\Custom3D\\Set2",
          "Software\\app\\Qor3DChart\\Custom3D\\Set1\\Deeper"}) {
        s.SetIniFileName(key);
        s.SetIniSection("TForm3DChartProp");
        s.WriteString("Prop_A", "1");
    }
    s.SetIniFileName("Software\\app\\Qor3DChart\\Custom3D");
    QStringList sets;
    s.ReadSections(sets);
    EXPECT_EQ(sets, (QStringList{"Set1", "Set2"}));

    EXPECT_TRUE(s.DeleteKey("software\\APP\\qor3dchart\\custom3d\\SET1"));
    s.ReadSections(sets);
    EXPECT_EQ(sets, QStringList{"Set2"});
    s.SetIniFileName("Software\\app\\Qor3DChart\\Custom3D\\Set1\\Deeper");
    EXPECT_FALSE(s.ValueExists("Prop_A"));
    s.SetIniFileName("Software\\app\\Qor3DChart\\Custom3D\\Set2");
    EXPECT_EQ(s.ReadString("Prop_A", ""), "1");

    s.SetUseRegistry(false);
    EXPECT_FALSE(s.DeleteKey("Software"));
}

TEST_P(QorStorage, BatchWritesOnceAndKeepsOtherWriters) {
    store.BeginBatch();
    store.WriteInteger("A", 1);
    store.BeginBatch();
    store.WriteInteger("B", 2);
    EXPECT_TRUE(store.EndBatch());
    EXPECT_FALSE(std::filesystem::exists(File())) << "nothing written before the batch ends";
    EXPECT_EQ(store.ReadInteger("B", 0), 2) << "the batch sees its own changes";

    TQorStorage other;
    Configure(other, "Other");
    ASSERT_TRUE(other.WriteInteger("C", 3));
    EXPECT_TRUE(store.EndBatch());

    EXPECT_EQ(store.ReadInteger("A", 0), 1);
    EXPECT_EQ(store.ReadInteger("B", 0), 2);
    EXPECT_EQ(other.ReadInteger("C", 0), 3) << "a concurrent writer's value survives";
    EXPECT_TRUE(store.EndBatch()) << "an extra EndBatch is harmless";
}

TEST_P(QorStorage, DamagedFilesReadAsDefaultsAndAreReplaced) {
    const char garbage[] = "\x00\xFF{[\"root\":\n[TFormMain\nNoEquals\n";
    WriteFileText(File(), std::string(garbage, sizeof garbage - 1));
    EXPECT_EQ(store.ReadInteger("Flags", 7), 7);
    EXPECT_EQ(store.ReadFloat("X", 1.5), 1.5);
    ASSERT_TRUE(store.WriteInteger("Flags", 3));
    EXPECT_EQ(store.ReadInteger("Flags", 7), 3);

    if (GetParam()) {
        WriteFileText(File(), R"({"root":{"keys":{"Software":{"keys":{"plotyra":{"keys":)"
                              R"({"TFormMain":{"values":{"N":5,"S":"ok"}}}}}}}}})");
        EXPECT_EQ(store.ReadInteger("N", 1), 1) << "a value that is not a string is skipped";
        EXPECT_EQ(store.ReadString("S", ""), "ok");
    } else {
        WriteFileText(File(), "; comment\n[TFormMain]\n  Name = spaced value  \n=x\n");
        EXPECT_EQ(store.ReadString("Name", ""), "spaced value");
        store.WriteString("New", "line1\nline2");
        EXPECT_EQ(store.ReadString("New", ""), "line1 line2");
        EXPECT_EQ(ReadFileText(File()),
                  "; comment\n[TFormMain]\n  Name = spaced value  \n=x\nNew=line1 line2\n");
    }
}

TEST_P(QorStorage, AtomicReplacementLeavesNoTemporaryFiles) {
    ASSERT_TRUE(store.WriteString("Big", std::string(200000, 'a')));
    EXPECT_EQ(FolderEntries(dir.Path()),
              std::vector<std::string>{GetParam() ? "registry.json" : "plotyra.ini"});

    // A reader running meanwhile always sees one whole file, old or new.
    std::atomic<bool> stop{false};
    std::atomic<int> torn{0};
    std::thread reader([&] {
        TQorStorage r;
        Configure(r, "TFormMain");
        while (!stop) {
            const std::string v = r.ReadString("Big", "");
            if (v.size() != 200000 ||
                (v != std::string(200000, 'a') && v != std::string(200000, 'b')))
                ++torn;
        }
    });
    for (int i = 0; i < 12; ++i)
        store.WriteString("Big", std::string(200000, i % 2 ? 'a' : 'b'));
    stop = true;
    reader.join();
    EXPECT_EQ(torn, 0);
}

TEST_P(QorStorage, FailedWriteKeepsTheOldFile) {
    ASSERT_TRUE(store.WriteString("Old", "kept"));
    const std::string before = ReadFileText(File());

    // Limit the file size so that writing the new contents fails half-way.
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 4096;
    setrlimit(RLIMIT_FSIZE, &small);
    const bool ok = store.WriteString("Big", std::string(100000, 'x'));
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(ok);
    EXPECT_EQ(ReadFileText(File()), before);
    EXPECT_EQ(FolderEntries(dir.Path()),
              std::vector<std::string>{GetParam() ? "registry.json" : "plotyra.ini"});
    EXPECT_EQ(store.ReadString("Old", ""), "kept");
}

INSTANTIATE_TEST_SUITE_P(Modes, QorStorage, ::testing::Values(true, false),
                         [](const auto& info) { return info.param ? "Registry" : "Ini"; });

// ---- placement

namespace {

class QorPlacement : public ::testing::Test {
protected:
    QorPlacement() : store(form) { store.SetRegistryFile(dir.File("registry.json")); }

    TempDir dir;
    FakeWindow form;
    TQorStorage store;
};

} // namespace

TEST_F(QorPlacement, SaveWaitsForARestore) {
    EXPECT_TRUE(store.SavePlacement());
    EXPECT_FALSE(store.ValueExists("Flags"));
    store.SetActive(false);
    EXPECT_TRUE(store.SavePlacement());
    EXPECT_TRUE(store.ValueExists("Flags"));
}

TEST_F(QorPlacement, SaveWritesTheValues) {
    int saved = 0;
    store.OnSaveStorage = [&](TObject*) {
        saved += store.InBatch() ? 1 : 100;
    };
    store.SetOptions({fpState, fpPosition, fpActiveControl});
    form.active = "EditNear";
    store.FormShow();
    form.placement = {0, SW_SHOWMAXIMIZED, {-1, -1}, {-4, -4}, {10, 20, 410, 320}};
    store.FormCloseQuery(true);
    EXPECT_EQ(saved, 1) << "fired inside the batch";
    EXPECT_EQ(store.ReadInteger("Flags", -1), 0);
    EXPECT_EQ(store.ReadInteger("ShowCmd", -1), SW_SHOWMAXIMIZED);
    EXPECT_EQ(store.ReadString("MinMaxPos(1024x768)", ""), "-1,-1,-4,-4");
    EXPECT_EQ(store.ReadString("MinMaxPos", ""), "-1,-1,-4,-4");
    EXPECT_EQ(store.ReadString("NormPos(1024x768)", ""), "10,20,410,320");
    EXPECT_EQ(store.ReadString("NormPos", ""), "10,20,410,320");
    EXPECT_EQ(store.ReadString("ActiveControl", ""), "EditNear");
    EXPECT_EQ(store.ReadString("Visible", ""), "0");

    store.FormDestroy();
    EXPECT_EQ(store.ReadString("Visible", ""), "0") << "already saved on closing";

    TQorStorage late(form);
    late.SetRegistryFile(store.RegistryFile());
    late.RestorePlacement();
    form.appMinimized = true;
    late.FormDestroy();
    EXPECT_EQ(late.ReadString("Visible", ""), "1");
    EXPECT_EQ(late.ReadInteger("ShowCmd", -1), SW_SHOWMINIMIZED);
}

TEST_F(QorPlacement, RestorePrefersTheScreenSizeIdent) {
    store.WriteString("NormPos(1024x768)", "1,2,301,202");
    store.WriteString("NormPos", "5,6,105,106");
    store.WriteString("MinMaxPos", "7,8,9,10");
    store.WriteInteger("ShowCmd", 1);
    store.RestorePlacement();
    EXPECT_EQ(form.placement.NormalPosition, (TRect{1, 2, 301, 202}));
    EXPECT_EQ(form.placement.MaxPosition, (TPoint{9, 10}));
    EXPECT_EQ(form.placement.MinPosition, (TPoint{-4, -4})) << "reset to the frame";

    form.screen = {1920, 1080};
    store.RestorePlacement();
    EXPECT_EQ(form.placement.NormalPosition, (TRect{5, 6, 105, 106}));
}

// Each restore starts from the bounds the one before left.
TEST_F(QorPlacement, RestoredRectangles) {
    const struct {
        TFormBorderStyle Border;
        const char* NormPos;
        TRect Expected;
        const char* Why;
    } steps[] = {
        {bsDialog, "50,60,70,80", {50, 60, 450, 360}, "a fixed border keeps its size"},
        {bsSizeable, "9,9", {9, 9, 450, 360}, "missing numbers default to the current bounds"},
        {bsSizeable, "300,0,100,50", {9, 9, 450, 360}, "an empty rectangle is not applied"},
    };
    for (const auto& step : steps) {
        form.border = step.Border;
        store.WriteString("NormPos", step.NormPos);
        store.RestorePlacement();
        EXPECT_EQ(form.placement.NormalPosition, step.Expected) << step.Why;
    }
}

TEST_F(QorPlacement, ShowCmdGivesTheState) {
    const std::vector<std::pair<int, TWindowState>> cases = {
        {1, wsNormal},    {5, wsNormal},    {9, wsNormal}, {6, wsMinimized},
        {7, wsMinimized}, {3, wsMaximized}, {0, wsNormal}, {4, wsNormal}};
    form.mainForm = false;
    for (const auto& [cmd, state] : cases) {
        store.WriteInteger("ShowCmd", cmd);
        form.state = wsMaximized == state ? wsNormal : wsMaximized;
        store.RestorePlacement();
        EXPECT_EQ(form.state, state) << cmd;
    }
    store.SetOptions({fpState, fpMaximizedDefault});
    store.DeleteValue("ShowCmd");
    store.RestorePlacement();
    EXPECT_EQ(form.state, wsMaximized);

    form.mainForm = true;
    store.WriteInteger("ShowCmd", 2);
    store.RestorePlacement();
    EXPECT_EQ(form.state, wsNormal);
    EXPECT_TRUE(form.appMinimized) << "a main form minimizes through the application";
}

TEST_F(QorPlacement, RestoreFocusesAndHidesInvisibleWindows) {
    int restored = 0;
    store.OnRestoreStorage = [&](TObject*) {
        ++restored;
    };
    store.SetOptions({fpActiveControl});
    store.WriteString("ActiveControl", "ListPlay");
    form.visible = false;
    store.FormShow();
    EXPECT_EQ(restored, 1);
    EXPECT_EQ(form.focused, "ListPlay");
    EXPECT_EQ(form.placement.ShowCmd, SW_HIDE);
    form.border = bsNone;
    store.RestorePlacement();
    EXPECT_EQ(form.placement.MinPosition, (TPoint{0, 0}));
}
