#include "mainwindow/FMain.h"

#include "QorColorScaleWidget.h"
#include "QorPropText.h"
#include "QorUpdateBracket.h"
#include "desktop/UQorWaitCursor.h"
#include "desktop/URecentlyUsed.h"
#include "io/Qor3DChartFile.h"
#include "io/Qor3DChartFileLegend.h"
#include "mainwindow/UFileListBox.h"

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLabel>
#include <QMimeData>
#include <QMimeDatabase>
#include <QProgressBar>
#include <QScopeGuard>
#include <QScrollBar>
#include <QStatusBar>
#include <QTimer>
#include <QTreeView>
#include <QUrl>

namespace {

// Files this large take about half a second or more to read (some 300 MB/s were measured on a
// 2-core machine), so a progress bar says what the program is doing.
constexpr qint64 ProgressBytes = qint64(64) << 20;

const QStringList ChartFileMasks = {"*.p3d", "*.p4d", "*.txt"};

QString LoadFailureReason(const QString& Path) {
    const QFileInfo info(Path);
    if (!info.exists())
        return "the file does not exist";
    if (info.isDir())
        return "it is a folder";
    QFile file(Path);
    if (!file.open(QIODevice::ReadOnly))
        return file.errorString();
    return "it is not a chart data file, or its data are damaged";
}

// The main window's file dialogs, modal, in the folder the list shows. Seven parameters: the
// dialog's own settings, each of which all three callers give.
QString RunFileDialog(QWidget* Parent, const QString& Title, QFileDialog::AcceptMode Mode,
                      const QStringList& Filters, const QString& Suffix, int Filter,
                      const QString& Folder) {
    QFileDialog dialog(Parent, Title, Folder);
    dialog.setObjectName(Mode == QFileDialog::AcceptSave ? "SaveDialog" : "OpenDialog");
    dialog.setAcceptMode(Mode);
    dialog.setFileMode(Mode == QFileDialog::AcceptSave ? QFileDialog::AnyFile
                                                       : QFileDialog::ExistingFile);
    dialog.setNameFilters(Filters);
    dialog.selectNameFilter(Filters.value(Filter));
    dialog.setDefaultSuffix(Suffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().first();
}

} // namespace

// ---- Folder tree and file list ----------------------------------------------------------------

void TFormMain::CtrlDirChange() {
    CtrlFileTypesChange();
}

// Refilling the same folder keeps the selected entry, so a save does not leave Reload with
// nothing to load.
void TFormMain::CtrlFileTypesChange() {
    const QString keep = FListFolder == FFolder ? SelectedFile() : QString();
    FListFolder = FFolder;
    const QStringList masks =
        CtrlFileTypes->currentIndex() == 0 ? ChartFileMasks : QStringList{"*"};
    QStringList names;
    const QDir folder(FFolder);
    for (const QString& mask : masks)
        for (const QString& name :
             folder.entryList({mask}, QDir::Files | QDir::Hidden | QDir::System))
            if (!names.contains(name))
                names << name;
    CtrlFile->SetFiles(names);
    if (!keep.isEmpty())
        CtrlFile->SelectFile(keep);
}

void TFormMain::ShowCurrentFolder(QAbstractItemView::ScrollHint Hint) {
    const QModelIndex index = CtrlDir->currentIndex();
    CtrlDir->scrollTo(index, Hint);
    // A long name elsewhere widens the tree's column, and scrolling to a row then moves the view
    // sideways past the folder's own name: keep its branch and name in sight instead.
    QScrollBar* across = CtrlDir->horizontalScrollBar();
    const int left = CtrlDir->visualRect(index).left() + across->value();
    across->setValue(std::max(0, left - CtrlDir->indentation()));
}

void TFormMain::SelectFolder(const QString& Folder) {
    FFolder = QDir::cleanPath(QDir(Folder).absolutePath());
    const QModelIndex index = FDirModel->index(FFolder);
    if (index.isValid()) {
        CtrlDir->setCurrentIndex(index);
        ShowCurrentFolder(QAbstractItemView::EnsureVisible);
    }
    CtrlDirChange();
}

QString TFormMain::SelectedFile() const {
    return CtrlFile->SelectedFile();
}

// ---- Loading ----------------------------------------------------------------------------------

// The selected entry: the list click, Reload and playback. Without a selection, or when
// loading fails with an error, the chart is emptied.
void TFormMain::MenuItemReloadChartClick() {
    TQorWaitCursor wait;
    const QString name = SelectedFile();
    const QString path = name.isEmpty() ? QString() : QDir(FFolder).filePath(name);
    bool opened = !path.isEmpty();
    {
        const TQorUpdateScope scope(Qor3DChart);
        if (opened) {
            try {
                LoadChart(path);
                if (MenuItemAutoScaleOnLoad->isChecked()) {
                    Qor3DChart.SetAllAutoRanges();
                    Qor3DChart.UpdateRanges();
                }
            } catch (...) {
                opened = false;
            }
        }
        if (!opened)
            EmptyChart();
    }
    if (opened)
        AddToMRU(path);
    MenuItemUseLowMemory->setChecked(Qor3DChart.UseLowMemory());
}

void TFormMain::OpenFileByPath(const QString& Path) {
    TQorWaitCursor wait;
    const QFileInfo info(Path);
    SelectFolder(info.absolutePath());
    CtrlFile->SelectFile(info.fileName());
    try {
        LoadChart(info.absoluteFilePath());
    } catch (...) {
        EmptyChart();
    }
}

void TFormMain::EmptyChart() {
    Qor3DChart.ClearData();
    ForgetLoadedFile();
}

void TFormMain::ForgetLoadedFile() {
    FLoadedFile.clear();
    FStatusFile->clear();
}

// LoadChartFile with the window's options and feedback: a progress bar for a long load, the
// file in the status bar, or why it could not be read.
bool TFormMain::LoadChart(const QString& Path) {
    const bool large = QFileInfo(Path).size() >= ProgressBytes;
    if (large)
        ShowProgress(QString("Loading %1...").arg(QFileInfo(Path).fileName()));
    int result = -1;
    {
        const auto hide = qScopeGuard([&] {
            if (large)
                HideProgress();
        });
        TQorColorScaleFileLegend legend(ColorScale());
        result = LoadChartFile(Qor3DChart, &legend, Path.toStdString(),
                               MenuItemLoadInclChartProp->isChecked());
    }
    LoadFinished(Path, result == 0);
    return result == 0;
}

void TFormMain::LoadFinished(const QString& Path, bool Loaded) {
    if (!Loaded) {
        ForgetLoadedFile();
        ShowStatus(QString("Cannot read %1: %2.")
                       .arg(QDir::toNativeSeparators(Path), LoadFailureReason(Path)));
        return;
    }
    FLoadedFile = Path;
    FStatusFile->setText(QDir::toNativeSeparators(Path));
    statusBar()->clearMessage();
    AddRecentlyUsed(Path, QMimeDatabase().mimeTypeForFile(Path).name());
}

void TFormMain::TimerOpenFileTimer() {
    TimerOpenFile->stop();
    if (!FParams.isEmpty())
        OpenFileByPath(FParams.first());
}

void TFormMain::dragEnterEvent(QDragEnterEvent* Event) {
    const QList<QUrl> urls = Event->mimeData()->urls();
    if (!urls.isEmpty() && urls.first().isLocalFile())
        Event->acceptProposedAction();
}

void TFormMain::dropEvent(QDropEvent* Event) {
    QStringList files;
    for (const QUrl& url : Event->mimeData()->urls())
        if (url.isLocalFile())
            files << url.toLocalFile();
    if (files.isEmpty())
        return;
    Event->acceptProposedAction();
    FileDropDrop(files);
}

void TFormMain::FileDropDrop(const QStringList& Files) {
    OpenFileByPath(Files.first());
}

// ---- Saving -----------------------------------------------------------------------------------

void TFormMain::MenuItemSaveChartClick() {
    SaveChart(true);
}

void TFormMain::MenuItemSaveChartNoPropClick() {
    SaveChart(false);
}

void TFormMain::SaveChart(bool WithProperties) {
    const bool is3D = Qor3DChart.DataKind() == dk3D;
    const QString name =
        RunFileDialog(this, "Save Chart As", QFileDialog::AcceptSave,
                      {"3D Chart Files (*.p3d *.P3D)", "4D Chart Files (*.p4d *.P4D)",
                       "Text Files (*.txt *.TXT)", "All Files (*)"},
                      is3D ? "p3d" : "p4d", is3D ? 0 : 1, FFolder);
    if (name.isEmpty())
        return;
    TQorWaitCursor wait;
    int result = -1;
    if (WithProperties) {
        TQorColorScaleFileLegend legend(ColorScale());
        result = SaveChartFile(Qor3DChart, &legend, name.toStdString(), true, false);
    } else {
        result = Qor3DChart.SaveToFile(name.toStdString(), false, false);
    }
    CtrlFileTypesChange();
    const std::string why = result == 0 ? std::string() : ChartSaveProblem(Qor3DChart);
    ShowStatus(result == 0 ? QString("Saved %1.").arg(QDir::toNativeSeparators(name))
               : why.empty()
                   ? QString("Cannot write %1.").arg(QDir::toNativeSeparators(name))
                   : QString("Cannot write %1: %2.")
                         .arg(QDir::toNativeSeparators(name), QString::fromStdString(why)));
}

// ---- Property files ---------------------------------------------------------------------------

void TFormMain::MenuItemLoadPropClick() {
    const QString name =
        RunFileDialog(this, "Load Chart Properties", QFileDialog::AcceptOpen,
                      {"Chart Properties (*.cpr *.CPR)",
                       "Chart Files (*.p3d *.p4d *.cpr *.txt *.P3D *.P4D *.CPR *.TXT)",
                       "Text Files (*.txt *.TXT)", "All Files (*)"},
                      "cpr", 0, FFolder);
    if (name.isEmpty())
        return;
    TQorWaitCursor wait;
    // Only a regular file is read (a FIFO would block the window), and of a data file only the
    // property text after its numbers.
    std::string text;
    std::string error;
    if (!ReadChartPropertyText(name.toStdString(), text, &error)) {
        ShowStatus(QString("Cannot read %1: %2.")
                       .arg(QDir::toNativeSeparators(name), QString::fromStdString(error)));
        return;
    }
    {
        TQorColorScaleFileLegend legend(ColorScale());
        const TQorUpdateScope legendScope(legend);
        const TQorUpdateScope chartScope(Qor3DChart);
        legend.ReadFromFileText(text);
        TQorPropTextReader chartReader = TQorPropTextReader::Borrowing(text);
        Qor3DChart.ReadFromText(chartReader, "");
        if (MenuItemAutoScaleOnLoad->isChecked())
            Qor3DChart.SetAllAutoRanges();
        Qor3DChart.UpdateRanges();
    }
    if (text.empty())
        ShowStatus(QString("%1 holds no chart properties.").arg(QDir::toNativeSeparators(name)));
}

void TFormMain::MenuItemSavePropClick() {
    const QString name =
        RunFileDialog(this, "Save Chart Properties", QFileDialog::AcceptSave,
                      {"Chart Properties (*.cpr *.CPR)", "All Files (*)"}, "cpr", 0, FFolder);
    if (name.isEmpty())
        return;
    TQorWaitCursor wait;
    // Exactly the property text a chart file saved with properties ends with; the file is
    // replaced only once all of it is written.
    TQorPropTextWriter writer;
    Qor3DChart.WriteToText(writer, "");
    std::string text = writer.Text();
    TQorColorScaleFileLegend(ColorScale()).AppendText(text);
    const bool written = WriteFileAtomically(name.toStdString(), text);
    CtrlFileTypesChange();
    if (!written)
        ShowStatus(QString("Cannot write %1.").arg(QDir::toNativeSeparators(name)));
}

// ---- Density ----------------------------------------------------------------------------------

void TFormMain::MenuItemIncDensClick() {
    RunDensity([this](int Near, int Far) { return Qor3DChart.IncreaseDensity(Near, Far); }, true);
}

void TFormMain::MenuItemDecDensClick() {
    RunDensity([this](int, int) { return Qor3DChart.DecreaseDensity(); });
}

void TFormMain::MenuItemIncXDensClick() {
    RunDensity([this](int Near, int Far) { return Qor3DChart.IncreaseDensityX(Near, Far); }, true);
}

void TFormMain::MenuItemDecXDensClick() {
    RunDensity([this](int, int) { return Qor3DChart.DecreaseDensityX(); });
}

// The filter weights are read each time: the filter settings may have changed them.
void TFormMain::RunDensity(const std::function<bool(int Near, int Far)>& Operation,
                           bool UsesWeights) {
    const int nearWeight = QorStorage1.ReadInteger("EditNear.VInt", 10);
    const int farWeight = QorStorage1.ReadInteger("EditFar.VInt", -1);
    // Stored settings may hold any pair; the chart would refuse this one and keep its grid.
    if (UsesWeights && !TQor3DChart::DensityWeightsUsable(nearWeight, farWeight)) {
        ShowStatus("The near and far weights of the filter add up to zero; the grid is unchanged.");
        return;
    }
    TQorWaitCursor wait;
    const bool done = Operation(nearWeight, farWeight);
    Qor3DChart.Render();
    if (!done) {
        ForgetLoadedFile();
        ShowStatus("The new grid does not fit into the memory; the chart was emptied.");
    }
}

// ---- Status bar -------------------------------------------------------------------------------

void TFormMain::ShowStatus(const QString& Text) {
    statusBar()->showMessage(Text);
}

void TFormMain::ShowProgress(const QString& Text) {
    statusBar()->showMessage(Text);
    FProgress->show();
    // The load runs on this thread: let the bar be drawn before it starts.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void TFormMain::HideProgress() {
    FProgress->hide();
    statusBar()->clearMessage();
}
