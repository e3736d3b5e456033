// TFormMain: the program's main window. The folder tree and the file list at the left, the
// chart in the middle, its colour-scale legend at the right, the menu bar above.
//
// Sections of the implementation:
//   FMain.cpp         construction and layout, start-up, first showing, closing, settings
//   FMainMenu.cpp     menu bar, chart context menu, recent-files list
//   FMainFiles.cpp    folder tree and file list, loading, saving, property files, density,
//                     drag and drop, the status bar
//   FMainPlay.cpp     playback through the file list, by rotation or along a dimension of an
//                     imported variable
//   FMainWatch.cpp    the shown file and the listed folder followed as other programs change them
//   FMainDialogs.cpp  the dialogs the menu opens, documentation and about box
//   FMainReadout.cpp  the value under the cursor in the status bar, and its marker
#pragma once

#include "QorImportDimensions.h"
#include "QorImportOptions.h"
#include "QorStorageWindow.h"
#include "chart/Qor3DChart.h"
#include "render/Qor3DChartProbe.h"

#include <QAbstractItemView>
#include <QElapsedTimer>
#include <QMainWindow>
#include <QStringList>
#include <functional>
#include <memory>

class QAction;
class QComboBox;
class QFileSystemModel;
class QLabel;
class QListWidget;
class QMenu;
class QProgressBar;
class QPushButton;
class QSplitter;
class QTimer;
class QTreeView;
class TQor3DDrawWidget;
class TQorCheckBox;
class TQorColorScale;
class TQorColorScaleWidget;
class TQorEdit;
class TFileListBox;
class TFileWatch;

class TFormMain : public QMainWindow {
    Q_OBJECT
public:
    // Params are the command-line parameters after the program name: the first names a file
    // to open, or is the safe-mode switch.
    explicit TFormMain(const QStringList& Params, QWidget* Parent = nullptr);
    ~TFormMain() override;

    // "/S", "-S" or "\S" in any case.
    static bool IsSafeModeSwitch(const QString& Param);

    // What the dialogs get from the main window.
    TQor3DChart& Chart() { return Qor3DChart; }
    TQorColorScale& ColorScale();
    TQor3DDrawWidget& ChartWidget() { return *FChartWidget; }
    TQorColorScaleWidget& ColorScaleWidget() { return *FColorScaleWidget; }
    // The legend is shown beside the chart (the "Show Color Scale" option).
    bool ColorScaleShown() const;
    // Hidden copies holding the design-time properties of chart and legend.
    TQor3DChart& DefaultChart() { return *FDefaultChart; }
    TQorColorScale& DefaultColorScale() { return *FDefaultColorScale; }
    TQorStorage& Storage() { return QorStorage1; }
    const QString& GLVersion() const { return FGLVersion; }
    const QString& Language() const { return FLanguage; }
    void SetLanguage(const QString& v) { FLanguage = v; }
    bool SafeGLForced() const { return FSafeGLForced; }
    // The folder the file list shows.
    QString CurrentFolder() const { return FFolder; }
    // The file the chart was last loaded from; empty when none.
    QString LoadedFile() const { return FLoadedFile; }
    QStringList RecentFiles() const { return FRecentFiles; }
    // "Reload the chart when its file changes": the shown file is watched and read again.
    bool ReloadOnChange() const { return FReloadOnChange; }
    void SetReloadOnChange(bool On);

    // The millisecond tick count playback measures its steps with (replaceable in tests).
    void SetTickSource(std::function<qint64()> Source) { FTickCount = std::move(Source); }

    // Opens a file by path as File > Open..., recent files, dropped files and the command line
    // do: the file's folder and the file are selected in the list. With MayAsk a file that
    // needs the user's choices opens the Import dialog first (cancelled, nothing changes).
    void OpenFileByPath(const QString& Path, bool MayAsk = true);

protected:
    void setVisible(bool Visible) override;
    void showEvent(QShowEvent* Event) override;
    void closeEvent(QCloseEvent* Event) override;
    void dragEnterEvent(QDragEnterEvent* Event) override;
    void dropEvent(QDropEvent* Event) override;

private:
    // FMain.cpp
    void BuildLayout();
    QWidget* BuildFilePanel();
    QWidget* BuildPlayPanel();
    void SetDesignTimeProperties();
    void FormCreate(const QStringList& Params);
    void ReadSettings();
    void FormShow();
    void FormClose();
    void WriteSettings();
    void FormDestroy();
    void FillSampleSurface();
    void Qor3DChartChange();
    void Qor3DChartBeforePaintGL();
    void Qor3DChartMouseWheel(TObject* Sender, TShiftState Shift, int WheelDelta, TPoint MousePos,
                              bool& Handled);
    void ChartMouseDown(TMouseButton Button, int X, int Y);
    void ChartMouseUp(TMouseButton Button, int X, int Y);

    // FMainReadout.cpp
    void BuildReadout();
    void ChartMouseMove(TShiftState Shift, int X, int Y);
    void ClearReadout();
    bool eventFilter(QObject* Watched, QEvent* Event) override;

    // FMainMenu.cpp
    void BuildMenus();
    QAction* NewAction(const char* Name, const QString& Caption, const QKeySequence& Shortcut,
                       void (TFormMain::*Handler)(), bool Checkable = false);
    void UpdateMRUMenu();
    void AddToMRU(const QString& Path);
    void RestoreMRU();
    void SaveMRU();
    void MRUListClick(const QString& Path);
    void ExitMenuItemClick();
    void MenuItemShowColorScaleClick();
    void MenuItemUseLowMemoryClick();
    void MenuItemLoadInclChartPropClick();
    void MenuItemAutoScaleOnLoadClick();
    void ShowColorScale(bool Visible);

    // FMainFiles.cpp
    void FillFileTypes();
    void CtrlDirChange();
    void CtrlFileTypesChange();
    void SelectFolder(const QString& Folder);
    // Selects Name in the list, showing a wider file type when the current one hides it.
    void ShowFileInList(const QString& Name);
    // Scrolls the folder tree to the current folder, its name in sight.
    void ShowCurrentFolder(QAbstractItemView::ScrollHint Hint);
    QString SelectedFile() const;
    // The names of the current folder that the current file type lets through, unsorted.
    QStringList ShownFolderFiles() const;
    void MenuItemOpenClick();
    void MenuItemReloadChartClick();
    void LoadSelected(bool MayAsk);
    bool ChooseImportOptions(const QString& Path, bool MayAsk, TQorImportOptions& Options);
    bool LoadChart(const QString& Path, const TQorImportOptions& Options);
    void EmptyChart();
    void ForgetLoadedFile();
    // Problem is empty after a successful load.
    void LoadFinished(const QString& Path, const QString& Problem, const QStringList& Warnings);
    void TimerOpenFileTimer();
    void FileDropDrop(const QStringList& Files);
    void MenuItemSaveChartClick();
    void MenuItemSaveChartNoPropClick();
    void SaveChart(bool WithProperties);
    void MenuItemLoadPropClick();
    void MenuItemSavePropClick();
    void MenuItemIncDensClick();
    void MenuItemDecDensClick();
    void MenuItemIncXDensClick();
    void MenuItemDecXDensClick();
    void RunDensity(const std::function<bool(int Near, int Far)>& Operation,
                    bool UsesWeights = false);
    void ShowStatus(const QString& Text);
    void ShowProgress(const QString& Text);
    void HideProgress();

    // FMainPlay.cpp
    void BtnPlayClick();
    void ListPlayChange();
    void TimerPlayTimer();
    bool Playing() const;
    // The loaded variable's dimensions that are not shown, looked up again after each load; the
    // "Index" mode and the dimension list follow them.
    void UpdateIndexPlay();
    // The dimension "Index" steps through: the only one, or the one chosen in ListPlayDim.
    const TQorImportDimension* PlayDimension() const;
    // Reads the next place of that dimension; false when playback ends.
    bool StepIndex();
    void ShowIndexStatus(const TQorImportDimension& Dimension);

    // FMainWatch.cpp
    void BuildWatch();
    void LoadedFileChanged();
    void FolderFilesChanged();

    // FMainDialogs.cpp
    void MenuItemPropertiesClick();
    void MenuItemCopyClick();
    void MenuItemFilterSettingClick();
    void PropertiesMenuItemClick();
    void DocumentationMenuItemClick();
    void UserGuideMenuItemClick();
    void AboutMenuItemClick();
    // The chart properties dialog with the chart, the legend, this window and the defaults.
    void ShowChartProperties();
    // The copy-image dialog with the chart, this window and the legend.
    void ShowCopyImage();

    // Owned parts. The chart outlives its widget, which the destructor deletes first.
    TQor3DChart Qor3DChart;
    std::unique_ptr<TQor3DChart> FDefaultChart;
    std::unique_ptr<TQorColorScale> FDefaultColorScale;
    TQorWidgetStorageWindow FStorageWindow;
    TQorStorage QorStorage1;

    // Private state.
    bool FSafeGLForced = false;
    QString FLanguage;
    QString FGLVersion = "0";
    qint64 FPlayTick = 0;
    QStringList FParams;
    QString FFolder;
    // The folder the file list was last filled from.
    QString FListFolder;
    QString FLoadedFile;
    // The options the loaded file was read with, and its dimensions that are not shown.
    TQorImportOptions FLoadedOptions;
    TQorImportDimensions FHiddenDims;
    QStringList FRecentFiles;
    // The name masks of each entry of CtrlFileTypes.
    QList<QStringList> FFileTypeMasks;
    bool FShown = false;
    bool FPanelsSized = false;
    // The folder tree has read the current folder's parent and not yet sorted it.
    bool FFolderRowSortPending = false;
    int FPanelFilesWidth = 240;
    int FCtrlDirHeight = 113;
    // The tick count: milliseconds since the window was created.
    QElapsedTimer FClock;
    std::function<qint64()> FTickCount;
    int FRightPressX = 0;
    int FRightPressY = 0;
    bool FReloadOnChange = true;
    // Playback loaded a file since it started: the desktop hears of the last one as it stops.
    bool FPlayLoaded = false;

    // Controls, owned by Qt's parent chain.
    QSplitter* DragBarFiles = nullptr;
    QWidget* PanelFiles = nullptr;
    QSplitter* DragBar1 = nullptr;
    QTreeView* CtrlDir = nullptr;
    QFileSystemModel* FDirModel = nullptr;
    TFileListBox* CtrlFile = nullptr;
    QComboBox* CtrlFileTypes = nullptr;
    QPushButton* BtnPlay = nullptr;
    QComboBox* ListPlay = nullptr;
    QComboBox* ListPlayDim = nullptr;
    TQorEdit* EditFPS = nullptr;
    TQorCheckBox* ChRep = nullptr;
    TQor3DDrawWidget* FChartWidget = nullptr;
    TQorColorScaleWidget* FColorScaleWidget = nullptr;
    QTimer* TimerOpenFile = nullptr;
    QTimer* TimerPlay = nullptr;
    TFileWatch* FWatch = nullptr;
    QWidget* BtnHome = nullptr;
    QWidget* BtnSamples = nullptr;
    QLabel* FStatusFile = nullptr;
    QLabel* FStatusReadout = nullptr;
    QWidget* FReadoutMarker = nullptr;
    std::unique_ptr<TQorChartPicker> FPicker;
    QProgressBar* FProgress = nullptr;

    QMenu* MRUList = nullptr;
    QMenu* PopupMenuChart = nullptr;
    QAction* MenuItemShowColorScale = nullptr;
    QAction* MenuItemUseLowMemory = nullptr;
    QAction* MenuItemLoadInclChartProp = nullptr;
    QAction* MenuItemAutoScaleOnLoad = nullptr;
};
