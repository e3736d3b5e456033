#include "Qor3DDrawWidget.h"
#include "QorCheckBox.h"
#include "QorColorScaleWidget.h"
#include "QorEdit.h"
#include "TestSupport.h"
#include "app/viewer/FMainTestSupport.h"
#include "app/viewer/ImportSampleFiles.h"
#include "desktop/URecentlyUsed.h"
#include "desktop/USignalClose.h"

#include <QComboBox>
#include <QDesktopServices>
#include <QFileDialog>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QScrollBar>
#include <QSplitter>
#include <QStatusBar>
#include <QTreeView>
#include <QUrl>
#include <atomic>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

const QString Examples = PLOTYRA_EXAMPLES;

// A folder with copies of some samples (tests never write into the source tree).
void CopySamples(const TempDir& dir, const QStringList& names) {
    for (const QString& name : names)
        ASSERT_TRUE(QFile::copy(Examples + "/" + name,
                                QString::fromStdString(dir.File(name.toStdString()))));
}

QString PathIn(const TempDir& dir, const char* name) {
    return QString::fromStdString(dir.File(name));
}

// Answers the next file dialog with Path once its title, and the file type it proposes unless
// Suffix is empty, are checked.
void OnNextFileDialog(const QString& Title, const QString& Path, const QString& Suffix = {}) {
    OnNextModal([=](QWidget* widget) {
        auto* dialog = ModalAs<QFileDialog>(widget, "file dialog");
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->windowTitle(), Title);
        if (!Suffix.isEmpty()) {
            EXPECT_EQ(dialog->defaultSuffix(), Suffix);
            EXPECT_TRUE(dialog->selectedNameFilter().contains("*." + Suffix));
        }
        dialog->selectFile(Path);
        static_cast<QDialog*>(dialog)->accept();
    });
}

// Records the documents the desktop is asked to open.
class TDocumentRecorder : public QObject {
    Q_OBJECT
public:
    QStringList Files;
public slots:
    void Open(const QUrl& Url) { Files += QFileInfo(Url.toLocalFile()).fileName(); }
};

} // namespace

using FormMain = TFormMainFixture;

TEST_F(FormMain, FirstStartShowsTheSamplesAndTheSampleSurface) {
    TFormMain& w = Start();
    EXPECT_EQ(w.windowTitle(), "Plotyra");
    EXPECT_EQ(QDir(w.CurrentFolder()), QDir(Examples));
    // The folder tree opens down to the current folder and keeps it in view once the model has
    // read and sorted the folders on its path.
    auto& tree = Control<QTreeView>("CtrlDir");
    EXPECT_TRUE(WaitFor([&] {
        QTest::qWait(50);
        return tree.viewport()->rect().contains(tree.visualRect(tree.currentIndex()).center());
    })) << tree.verticalScrollBar()->value();
    const QStringList files = FileList().Files();
    EXPECT_TRUE(files.contains("surface.p3d"));
    EXPECT_TRUE(files.contains("volume.p4d"));
    EXPECT_FALSE(files.contains("style.cpr")); // chart files only
    EXPECT_EQ(w.Chart().NX(), 11);
    EXPECT_EQ(w.Chart().NZ(), 11);
    EXPECT_TRUE(w.Chart().LowMemoryLayout());
    EXPECT_TRUE(w.Chart().UseLowMemory()); // the option's default
    EXPECT_EQ(w.Chart().UpdateCount(), 0);
    EXPECT_EQ(w.Language(), "EN");
    EXPECT_TRUE(w.ColorScaleShown());
    EXPECT_EQ(w.Chart().ViewScale(), 0.7);
    EXPECT_EQ(w.DefaultChart().ViewRotY(), 130);

    // "All Files" lists every file, with the icon of its extension.
    auto& types = Control<QComboBox>("CtrlFileTypes");
    types.setCurrentIndex(1);
    emit types.activated(1);
    EXPECT_TRUE(FileList().Files().contains("style.cpr"));
    EXPECT_TRUE(FileList().Files().contains("generate.py"));
    EXPECT_EQ(FileIconOf("style.cpr"), fiOtherFiles);
    EXPECT_EQ(FileIconOf("NOTES.TXT"), fiTxtFile);
    EXPECT_EQ(FileIconOf("a.P3D"), fiP3DFile);
    EXPECT_EQ(FileIconOf("b.p4d"), fiP4DFile);
    EXPECT_EQ(FileIconOf("setup.exe"), fiExeFile);
}

// A sibling with a very long name widens the tree's column; the current folder's branch and
// name still stay in sight.
TEST_F(FormMain, TheFolderTreeKeepsTheCurrentFolderNameInSight) {
    TempDir dir;
    std::filesystem::create_directories(dir.Path() / std::string(240, 'n') / "inner");
    std::filesystem::create_directories(dir.Path() / "data");
    std::filesystem::copy_file((Examples + "/surface.p3d").toStdString(), dir.File("data/s.p3d"));
    TFormMain& w = Start();
    auto& tree = Control<QTreeView>("CtrlDir");
    w.OpenFileByPath(QString::fromStdString(dir.File("data/s.p3d")));
    EXPECT_TRUE(WaitFor([&] {
        QTest::qWait(50);
        const QRect item = tree.visualRect(tree.currentIndex());
        return tree.viewport()->rect().contains(item.topLeft() + QPoint(1, 1));
    })) << tree.horizontalScrollBar()->value();
}

TEST_F(FormMain, ReloadWithoutSelectionEmptiesTheChartAndClicksAndDropsLoad) {
    TFormMain& w = Start();
    FileList().clearSelection();
    Action("MenuItemReloadChart").trigger();
    EXPECT_EQ(w.Chart().NX(), 0);
    EXPECT_TRUE(w.Chart().Data().empty());
    EXPECT_TRUE(w.RecentFiles().isEmpty());

    ClickFile("surface.p3d");
    EXPECT_EQ(w.Chart().NX(), 6);
    EXPECT_EQ(w.LoadedFile(), Examples + "/surface.p3d");
    EXPECT_EQ(w.RecentFiles(), QStringList{Examples + "/surface.p3d"});
    EXPECT_TRUE(Control<QLabel>("StatusFile").text().endsWith("surface.p3d"));
    // The legend follows the loaded chart.
    EXPECT_DOUBLE_EQ(w.ColorScale().Max(), w.Chart().AxisY().Maximum());

    // After a "<4D Hi>" file the low-memory check mark is off.
    ASSERT_TRUE(Action("MenuItemUseLowMemory").isChecked());
    ClickFile("volume-hi.p4d");
    EXPECT_EQ(w.Chart().DataKind(), dk4D);
    EXPECT_FALSE(Action("MenuItemUseLowMemory").isChecked());

    // Of several dropped files the first opens.
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(Examples + "/layers.p4d"),
                  QUrl::fromLocalFile(Examples + "/surface.p3d")});
    QDragEnterEvent enter(QPoint(300, 300), Qt::CopyAction, &data, Qt::LeftButton, {});
    QCoreApplication::sendEvent(&w, &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(300, 300), Qt::CopyAction, &data, Qt::LeftButton, {});
    QCoreApplication::sendEvent(&w, &drop);
    EXPECT_EQ(w.LoadedFile(), Examples + "/layers.p4d");
    EXPECT_EQ(w.Chart().DataKind(), dkNx4D);
}

TEST_F(FormMain, AFailedLoadIsSilentButTheStatusBarSaysWhy) {
    TempDir dir;
    std::ofstream(dir.File("broken.p3d")) << "<3D>\n5\tx\n";
    TFormMain& w = Start({PathIn(dir, "broken.p3d")});
    ASSERT_TRUE(WaitFor([&] { return w.statusBar()->currentMessage().contains("broken.p3d"); }));
    EXPECT_TRUE(w.statusBar()->currentMessage().startsWith("Cannot read"));
    EXPECT_TRUE(w.LoadedFile().isEmpty());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);

    w.OpenFileByPath(PathIn(dir, "missing.p3d"));
    EXPECT_TRUE(w.statusBar()->currentMessage().contains("does not exist"));
}

// Every data format has its entry in the file types after the list's own two; a file opened by
// path that the current type hides is shown under a wider one, so Reload finds it. The
// status bar tells the importer's warnings and reasons, and a FIFO is never opened (it used
// to block the window in the reason's open; a helper opens the other end, so a regression
// fails instead of hanging).
TEST_F(FormMain, EveryDataFormatHasAFileTypeAndForeignFilesOpenFromEveryPlace) {
    TempDir dir;
    WriteFileText(dir.File("chart.p3d"), "<3D>\n2\t2\n0\t1\n0\t1\n1\n2\n3\n4\n");
    WriteFileText(dir.File("table.csv"), "z\\x,0,1,2\n0,1,2,3\n1,4,5,6\n");
    WriteFileText(dir.File("holes.csv"), "x,z,h\n0,0,1\n1,0,2\n0,1,3\n");
    WriteFileText(dir.File("bad.csv"), "z\\x,0,1\n0,1,2\n1,3,abc\n");
    WriteSurfaceNpy(dir.File("grid.npy"), 3, 2, [](int i, int k) { return float(i * k); });
    WriteFileText(dir.File("notes.py"), "print()\n");
    TFormMain& w = Start();
    auto& types = Control<QComboBox>("CtrlFileTypes");
    QStringList captions;
    for (int i = 0; i < types.count(); ++i)
        captions << types.itemText(i);
    EXPECT_EQ(captions,
              (QStringList{"Chart Files (.p3d, .p4d, .txt)", "All Files",
                           "All data files (.p3d, .p4d, .txt, .npy, .npz, .nc, .nc4, .cdf, .h5, "
                           ".hdf5, .he5, .tif, .tiff, .asc, .csv, .tsv)",
                           "NumPy arrays (.npy, .npz)", "NetCDF files (.nc, .nc4, .cdf)",
                           "HDF5 files (.h5, .hdf5, .he5)", "GeoTIFF rasters (.tif, .tiff)",
                           "ESRI ASCII grids (.asc)", "Text matrices (.csv, .tsv, .txt)"}));
    ASSERT_EQ(types.currentIndex(), 0);

    w.OpenFileByPath(PathIn(dir, "table.csv"));
    EXPECT_EQ(w.LoadedFile(), PathIn(dir, "table.csv"));
    EXPECT_EQ(w.Chart().NX(), 3);
    EXPECT_EQ(types.currentIndex(), 2);
    EXPECT_EQ(FileList().Files(),
              (QStringList{"bad.csv", "chart.p3d", "grid.npy", "holes.csv", "table.csv"}));
    EXPECT_EQ(FileList().SelectedFile(), "table.csv");
    types.setCurrentIndex(3);
    emit types.activated(3);
    EXPECT_EQ(FileList().Files(), QStringList{"grid.npy"});

    // A dropped foreign file opens as a clicked one; what its importer remarks is shown.
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(PathIn(dir, "holes.csv"))});
    QDragEnterEvent enter(QPoint(300, 300), Qt::CopyAction, &data, Qt::LeftButton, {});
    QCoreApplication::sendEvent(&w, &enter);
    QDropEvent drop(QPointF(300, 300), Qt::CopyAction, &data, Qt::LeftButton, {});
    QCoreApplication::sendEvent(&w, &drop);
    EXPECT_EQ(w.LoadedFile(), PathIn(dir, "holes.csv"));
    EXPECT_EQ(FileList().SelectedFile(), "holes.csv");
    EXPECT_TRUE(w.statusBar()->currentMessage().startsWith("holes.csv: 1 place of the grid"))
        << w.statusBar()->currentMessage().toStdString();

    ClickFile("bad.csv");
    EXPECT_EQ(w.statusBar()->currentMessage(),
              QString("Cannot read %1: line 3, field 3: 'abc' is not a number.")
                  .arg(PathIn(dir, "bad.csv")));
    EXPECT_TRUE(w.LoadedFile().isEmpty());
    EXPECT_EQ(w.Chart().NX(), 0);

    const std::string fifo = dir.File("pipe.csv");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    {
        const TFifoWriterPulse pulse(fifo);
        w.OpenFileByPath(QString::fromStdString(fifo));
    }
    EXPECT_EQ(
        w.statusBar()->currentMessage(),
        QString("Cannot read %1: it is not a regular file.").arg(QString::fromStdString(fifo)));
}

TEST_F(FormMain, SafeModeSwitchIsStoredAndOpensNothingOtherParametersAreOpenedLater) {
    TFormMain& w = Start({"/s"});
    EXPECT_TRUE(w.SafeGLForced());
    EXPECT_TRUE(w.Chart().UseSafeBitmapMode());
    EXPECT_TRUE(w.DefaultChart().UseSafeBitmapMode());
    EXPECT_TRUE(w.Storage().ReadBool("ChSafeGL.Checked", false));
    QTest::qWait(250);
    EXPECT_TRUE(w.LoadedFile().isEmpty());
    Quit();

    // The stored choice holds for the next start; a file parameter opens after the window shows.
    const QString file = Examples + "/volume.p4d";
    TFormMain& again = Start({file});
    EXPECT_TRUE(again.Chart().UseSafeBitmapMode());
    EXPECT_TRUE(again.LoadedFile().isEmpty()); // not yet: 100 ms after showing
    ASSERT_TRUE(WaitFor([&] { return again.LoadedFile() == file; }));
    EXPECT_EQ(again.Chart().DataKind(), dk4D);
    EXPECT_TRUE(FileList().SelectedFile() == "volume.p4d");
    EXPECT_TRUE(again.RecentFiles().isEmpty()); // opening by path keeps the list
}

TEST_F(FormMain, SaveProposesP3DFor3DAndP4DOtherwise) {
    TempDir dir;
    TFormMain& w = Start();
    OnNextFileDialog("Save Chart As", PathIn(dir, "sample"), "p3d");
    Action("MenuItemSaveChart").trigger();
    const std::string text = ReadFileText(dir.File("sample.p3d"));
    EXPECT_EQ(text.rfind("<3D>", 0), 0u);
    EXPECT_NE(text.find("[FileVer]"), std::string::npos); // with its properties
    EXPECT_NE(text.find("QorColorScale_"), std::string::npos);

    w.OpenFileByPath(Examples + "/box.p4d");
    OnNextFileDialog("Save Chart As", PathIn(dir, "box"), "p4d");
    Action("MenuItemSaveChartNoProp").trigger();
    EXPECT_EQ(ReadFileText(dir.File("box.p4d")).find("[FileVer]"), std::string::npos); // data only
    // The list shows the folder the file was opened from, refilled after saving, and the
    // file stays selected, so Reload still has it.
    EXPECT_EQ(QDir(w.CurrentFolder()), QDir(Examples));
    EXPECT_EQ(FileList().SelectedFile(), "box.p4d");

    // A save that fails names its cause.
    OnNextFileDialog("Save Chart As", PathIn(dir, "gone/box"), "p4d");
    Action("MenuItemSaveChart").trigger();
    const QString said = w.statusBar()->currentMessage();
    EXPECT_TRUE(said.startsWith("Cannot write ") && said.contains("gone/box.p4d: ") &&
                said.endsWith("gone does not exist."))
        << said.toStdString();
}

TEST_F(FormMain, PropertyFilesRoundTripChartAndLegendFont) {
    TempDir dir;
    TFormMain& w = Start();
    w.Chart().SetBackgroundColor(clYellow);
    TFont font = w.ColorScale().Font();
    font.SetName("Liberation Mono");
    w.ColorScale().SetFont(font);
    OnNextFileDialog("Save Chart Properties", PathIn(dir, "look"), "cpr");
    Action("MenuItemSaveProp").trigger();
    ASSERT_TRUE(QFile::exists(PathIn(dir, "look.cpr")));

    w.Chart().SetBackgroundColor(clWhite);
    w.ColorScale().SetFont(TFont("Arial", 10));
    OnNextFileDialog("Load Chart Properties", PathIn(dir, "look.cpr"));
    Action("MenuItemLoadProp").trigger();
    EXPECT_EQ(w.Chart().BackgroundColor(), clYellow);
    EXPECT_EQ(w.ColorScale().Font().Name(), "Liberation Mono");
}

// A FIFO chosen as property file used to block the window in its open (a helper here opens the
// other end, so a regression fails instead of hanging): only regular files are read.
TEST_F(FormMain, PropertyFilesAreReadOnlyFromRegularFiles) {
    TempDir dir;
    TFormMain& w = Start();
    const std::string fifo = dir.File("look.cpr");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    w.Chart().SetBackgroundColor(clYellow);
    OnNextModal([&](QWidget* widget) { ChooseFile(widget, QString::fromStdString(fifo)); });
    {
        const TFifoWriterPulse pulse(fifo);
        Action("MenuItemLoadProp").trigger();
    }
    EXPECT_TRUE(w.statusBar()->currentMessage().contains("is not a regular file"))
        << w.statusBar()->currentMessage().toStdString();
    EXPECT_EQ(w.Chart().BackgroundColor(), clYellow);

    // A data file saved with properties serves as well; only its property text is read.
    OnNextModal([&](QWidget* widget) { ChooseFile(widget, Examples + "/surface-props.p3d"); });
    Action("MenuItemLoadProp").trigger();
    EXPECT_EQ(w.Chart().BackgroundColor(), clWhite);
    EXPECT_EQ(w.Chart().Color(1), 16711935);
}

TEST_F(FormMain, DensityCommandsUseTheStoredFilterWeights) {
    TFormMain& w = Start();
    ASSERT_EQ(w.Chart().NX(), 11);
    Action("MenuItemIncDens").trigger();
    EXPECT_EQ(w.Chart().NX(), 21);
    EXPECT_EQ(w.Chart().NZ(), 21);
    Action("MenuItemDecXDens").trigger();
    EXPECT_EQ(w.Chart().NX(), 11);
    EXPECT_EQ(w.Chart().NZ(), 21);

    // Weights whose sum is 0 would make the grid NaN: refused with a message, grid unchanged.
    w.Storage().WriteInteger("EditNear.VInt", 1);
    w.Storage().WriteInteger("EditFar.VInt", -1);
    Action("MenuItemIncXDens").trigger();
    EXPECT_EQ(w.Chart().NX(), 11);
    EXPECT_TRUE(w.statusBar()->currentMessage().contains("add up to zero"));
    for (const float v : w.Chart().Data())
        ASSERT_TRUE(std::isfinite(v));
}

// Playback from the last entry stops at once without repeat and goes on with the first with it;
// on an empty list it turns the chart.
TEST_F(FormMain, PlaybackEndsOrRepeatsTheListAndRotatesOnAnEmptyOne) {
    TFormMain& w = Start();
    FileList().setCurrentRow(FileList().count() - 1);
    const QString loaded = w.LoadedFile();
    auto& play = Control<QPushButton>("BtnPlay");
    auto& timer = Control<QTimer>("TimerPlay");
    QTest::mouseClick(&play, Qt::LeftButton);
    ASSERT_TRUE(WaitFor([&] { return play.text() == "Play"; }));
    EXPECT_EQ(w.LoadedFile(), loaded); // nothing loaded
    EXPECT_TRUE(FileList().isEnabled());
    EXPECT_FALSE(timer.isActive());
    QTest::keyClick(&Control<TQorCheckBox>("ChRep"), Qt::Key_Space);
    ASSERT_TRUE(Control<TQorCheckBox>("ChRep").Checked());
    QTest::mouseClick(&play, Qt::LeftButton);
    ASSERT_TRUE(WaitFor([&] { return !w.LoadedFile().isEmpty(); }));
    EXPECT_EQ(FileList().currentRow(), 0);
    QTest::mouseClick(&play, Qt::LeftButton);

    TempDir empty;
    w.OpenFileByPath(PathIn(empty, "none.p3d")); // shows the empty folder
    ASSERT_EQ(FileList().count(), 0);
    // Each step reads the tick count at its start and at its end; at its start the timer
    // still holds the pause that came before it.
    const QList<qint64> ticks = {1000, 1030, 5000, 5150};
    QList<int> pauses;
    int reads = 0;
    w.SetTickSource([&] {
        if (reads % 2 == 0)
            pauses << timer.interval();
        return ticks.value(reads++, 9000);
    });
    const double rotY = w.Chart().ViewRotY();
    QTest::mouseClick(&play, Qt::LeftButton);
    EXPECT_EQ(play.text(), "Stop");
    EXPECT_FALSE(FileList().isEnabled());
    EXPECT_FALSE(Control<TQorEdit>("EditFPS").isEnabled());
    EXPECT_FALSE(w.ChartWidget().isEnabled());

    ASSERT_TRUE(WaitFor([&] { return pauses.size() >= 3; }));
    // The first step after 100 ms; at 10 FPS a 30 ms step leaves 70 ms, a 150 ms step 1 ms.
    EXPECT_EQ(pauses.mid(0, 3), (QList<int>{100, 70, 1}));
    EXPECT_GE(w.Chart().ViewRotY(), rotY + 3);
    EXPECT_TRUE(w.Chart().Turning()); // turned as a drag turns it
    QTest::mouseClick(&play, Qt::LeftButton);
    EXPECT_EQ(play.text(), "Play");
    EXPECT_FALSE(timer.isActive());
    EXPECT_TRUE(FileList().isEnabled());
    EXPECT_TRUE(WaitFor([&] { return !w.Chart().Turning(); }));

    // Switching to "Rotate" hides the repeat box.
    auto& mode = Control<QComboBox>("ListPlay");
    mode.setCurrentIndex(1);
    EXPECT_TRUE(Control<TQorCheckBox>("ChRep").isHidden());
}

TEST_F(FormMain, SettingsAndTheNineRecentFilesSurviveARestart) {
    TempDir dir;
    CopySamples(dir, {"surface.p3d", "box.p4d", "layers.p4d"});
    {
        TFormMain& w = Start();
        w.OpenFileByPath(PathIn(dir, "surface.p3d"));
        for (const char* name : {"surface.p3d", "box.p4d", "layers.p4d", "surface.p3d"})
            ClickFile(name);
        auto& fps = Control<TQorEdit>("EditFPS");
        fps.Editor()->selectAll();
        QTest::keyClicks(fps.Editor(), "25.5");
        Control<QComboBox>("ListPlay").setCurrentIndex(1);
        Control<TQorCheckBox>("ChRep").SetChecked(true);
        Control<QComboBox>("CtrlFileTypes").setCurrentIndex(1);
        Action("MenuItemShowColorScale").trigger();
        EXPECT_FALSE(w.ColorScaleShown());
        Action("MenuItemAutoScaleOnLoad").trigger();
        Control<QSplitter>("DragBarFiles").setSizes({300, 600});
        w.Chart().SetViewRotX(12);
        w.SetLanguage("CZ");
        w.setGeometry(40, 50, 700, 520); // on the 800 x 600 screen
        Quit();
    }
    TFormMain& w = Start();
    EXPECT_EQ(w.geometry(), QRect(40, 50, 700, 520));
    EXPECT_EQ(QDir(w.CurrentFolder()), QDir(dir.Path().c_str()));
    EXPECT_DOUBLE_EQ(Control<TQorEdit>("EditFPS").Value(), 25.5);
    EXPECT_EQ(Control<QComboBox>("ListPlay").currentIndex(), 1);
    EXPECT_TRUE(Control<TQorCheckBox>("ChRep").Checked());
    EXPECT_TRUE(Control<TQorCheckBox>("ChRep").isHidden()); // mode "Rotate"
    EXPECT_EQ(Control<QComboBox>("CtrlFileTypes").currentIndex(), 1);
    EXPECT_FALSE(w.ColorScaleShown());
    EXPECT_FALSE(Action("MenuItemShowColorScale").isChecked());
    EXPECT_TRUE(Action("MenuItemAutoScaleOnLoad").isChecked());
    EXPECT_TRUE(Action("MenuItemLoadInclChartProp").isChecked());
    EXPECT_EQ(Control<QSplitter>("DragBarFiles").sizes().value(0), 300);
    EXPECT_DOUBLE_EQ(w.Chart().ViewRotX(), 12);
    EXPECT_EQ(w.Language(), "CZ");
    // Newest first, each file once.
    EXPECT_EQ(w.RecentFiles(), (QStringList{PathIn(dir, "surface.p3d"), PathIn(dir, "layers.p4d"),
                                            PathIn(dir, "box.p4d")}));
    auto* reopen = w.findChild<QMenu*>("MRUList");
    ASSERT_EQ(reopen->actions().size(), 3);
    EXPECT_TRUE(reopen->actions()[1]->text().startsWith("&2 "));

    // The list sits in the window's key, subkey "MRUList", values MRU1 ... MRU9.
    TQorStorage list;
    list.SetIniFileName(w.Storage().IniFileName());
    list.SetIniSection("TFormMain\\MRUList");
    EXPECT_EQ(list.ReadString("MRU2", ""), PathIn(dir, "layers.p4d").toStdString());
    EXPECT_FALSE(list.ValueExists("MRU4"));

    // The desktop's recent files know them too.
    QFile xbel(RecentlyUsedFile());
    ASSERT_TRUE(xbel.open(QIODevice::ReadOnly));
    EXPECT_TRUE(xbel.readAll().contains(QUrl::fromLocalFile(PathIn(dir, "box.p4d")).toEncoded()));

    // The list keeps the nine newest; a recent file opens by path from the Reopen menu.
    TempDir many;
    for (int i = 0; i < 11; ++i)
        WriteFileText(many.File("f" + std::to_string(i) + ".p3d"),
                      "<3D>\n2\t2\n0\t1\n0\t1\n1\n2\n3\n4\n");
    w.OpenFileByPath(PathIn(many, "f0.p3d"));
    for (int i = 0; i < 11; ++i)
        ClickFile(QString("f%1.p3d").arg(i));
    ASSERT_EQ(w.RecentFiles().size(), 9);
    EXPECT_EQ(w.RecentFiles().first(), PathIn(many, "f10.p3d"));
    EXPECT_EQ(w.RecentFiles().last(), PathIn(many, "f2.p3d"));
    reopen->actions().last()->trigger();
    EXPECT_EQ(w.LoadedFile(), PathIn(many, "f2.p3d"));
}

TEST_F(FormMain, TerminationSignalClosesTheWindowTheNormalWay) {
    TQorSignalClose closeOnSignal;
    TFormMain& w = Start();
    ClickFile("box.p4d");
    std::raise(SIGTERM);
    ASSERT_TRUE(WaitFor([&] { return !w.isVisible(); }));
    // Closing wrote the settings and the chart's and legend's properties.
    EXPECT_EQ(w.Storage().ReadString("CtrlDir.Path", ""),
              QDir(Examples).absolutePath().toStdString());
    EXPECT_TRUE(w.Storage().ValueExists("Qor3DChartFileVer"));
    EXPECT_TRUE(w.Storage().ValueExists("QorColorScaleFont_Name"));
    EXPECT_FALSE(w.Storage().ValueExists("QorColorScaleMax")); // the legend keeps its font only
}

TEST_F(FormMain, MenusCarryTheCaptionsAndShortcutsAndTheContextMenuTheirTwins) {
    TFormMain& w = Start();
    const struct {
        const char* Name;
        const char* Caption;
        const char* Keys;
    } items[] = {
        {"MenuItemOpen", "&Open...", "Ctrl+O"},
        {"MenuItemReloadChart", "Re&Load Chart", "Ctrl+R"},
        {"MenuItemSaveChart", "&Save Chart...", "Ctrl+S"},
        {"MenuItemSaveChartNoProp", "Save Chart &Data Only...", "Ctrl+D"},
        {"ExitMenuItem", "&Exit", "Ctrl+Q"},
        {"MenuItemProperties", "&Properties...", "Ctrl+P"},
        {"MenuItemCopy", "&Copy Chart...", "Ctrl+C"},
        {"MenuItemLoadProp", "&Load Propeties...", ""},
        {"MenuItemSaveProp", "&Save Properties...", ""},
        {"MenuItemShowColorScale", "Show Color Scale", ""},
        {"MenuItemUseLowMemory", "Use Low Memory Mode whenever Possible", ""},
        {"MenuItemLoadInclChartProp", "Load Charts Including Chart Properties", ""},
        {"MenuItemAutoScaleOnLoad", "Set Auto Scale Ranges when Loading Charts", ""},
        {"MenuItemIncDens", "Increase Density", "Ins"},
        {"MenuItemDecDens", "Decrease Density", "Del"},
        {"MenuItemIncXDens", "Increase Density in X Direction", "Ctrl+Ins"},
        {"MenuItemDecXDens", "Decrease Density in X Direction", "Ctrl+Del"},
        {"MenuItemFilterSetting", "&Filter Setting...", ""},
        {"PropertiesMenuItem", "Program Properties...", ""},
        {"UserGuideMenuItem", "&User Guide", "F1"},
        {"DocumentationMenuItem", "&Documentation...", ""},
        {"AboutMenuItem", "&About...", ""},
    };
    for (const auto& item : items) {
        QAction& a = Action(item.Name);
        EXPECT_EQ(a.text(), item.Caption) << item.Name;
        EXPECT_EQ(a.shortcut().toString(), item.Keys) << item.Name;
    }
    auto& popup = Control<QMenu>("PopupMenuChart");
    QStringList twins;
    for (QAction* a : popup.actions())
        if (!a->isSeparator())
            twins << a->objectName();
    EXPECT_EQ(twins,
              (QStringList{"MenuItemProperties", "MenuItemCopy", "MenuItemReloadChart",
                           "MenuItemSaveChart", "MenuItemSaveChartNoProp", "MenuItemLoadProp",
                           "MenuItemSaveProp", "MenuItemIncDens", "MenuItemDecDens",
                           "MenuItemIncXDens", "MenuItemDecXDens", "MenuItemShowColorScale"}));

    // A right click opens the context menu; a right drag moves the chart instead.
    QWidget& chart = w.ChartWidget();
    const double moveX = w.Chart().ViewMoveX();
    QTest::mousePress(&chart, Qt::RightButton, {}, {100, 100});
    QTest::mouseMove(&chart, {140, 100});
    QTest::mouseRelease(&chart, Qt::RightButton, {}, {140, 100});
    EXPECT_FALSE(popup.isVisible());
    EXPECT_NE(w.Chart().ViewMoveX(), moveX);
    QTest::mouseClick(&chart, Qt::RightButton, {}, {100, 100});
    EXPECT_TRUE(popup.isVisible());
    popup.close();

    // The check mark follows the legend from either menu.
    popup.actions().last()->trigger();
    EXPECT_FALSE(w.ColorScaleShown());
    EXPECT_FALSE(Action("MenuItemShowColorScale").isChecked());

    // F1 hands the built user guide to the desktop, Help > Documentation the format document.
    TDocumentRecorder desktop;
    QDesktopServices::setUrlHandler("file", &desktop, "Open");
    QTest::keyClick(&w, Qt::Key_F1);
    Action("DocumentationMenuItem").trigger();
    QDesktopServices::unsetUrlHandler("file");
    EXPECT_EQ(desktop.Files, QStringList({"UserGuide.pdf", "ChartFileStructures.pdf"}));
}

TEST_F(FormMain, LoadOptionsDecideWhatALoadChanges) {
    TFormMain& w = Start();
    // Without the properties option the file's view (ViewRotY 30) is not taken.
    Action("MenuItemLoadInclChartProp").trigger();
    ClickFile("surface-props.p3d");
    EXPECT_DOUBLE_EQ(w.Chart().ViewRotY(), 130);
    Action("MenuItemLoadInclChartProp").trigger();
    ClickFile("surface-props.p3d");
    EXPECT_DOUBLE_EQ(w.Chart().ViewRotY(), 30);

    // A fixed range stays, unless the auto-scale option switches it back to automatic.
    TQorChartAxis3D& y = w.Chart().AxisY();
    y.SetAutoMax(false);
    y.SetMaximum(50);
    ClickFile("surface.p3d");
    EXPECT_DOUBLE_EQ(y.Maximum(), 50);
    Action("MenuItemAutoScaleOnLoad").trigger();
    ClickFile("surface.p3d");
    EXPECT_TRUE(y.AutoMax());
    EXPECT_LT(y.Maximum(), 50);

    // The low-memory option goes to the chart at once.
    Action("MenuItemUseLowMemory").trigger();
    EXPECT_FALSE(w.Chart().UseLowMemory());
}

#include "FMainTest.moc"
