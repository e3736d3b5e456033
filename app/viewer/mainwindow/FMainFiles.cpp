#include "mainwindow/FMain.h"

#include "QorColorScaleWidget.h"
#include "QorImportOpen.h"
#include "QorImportPreview.h"
#include "QorImportRegistry.h"
#include "QorPropText.h"
#include "QorUpdateBracket.h"
#include "desktop/UQorWaitCursor.h"
#include "desktop/URecentlyUsed.h"
#include "dialogs/FImport.h"
#include "io/Qor3DChartFile.h"
#include "io/Qor3DChartFileLegend.h"
#include "mainwindow/UFileListBox.h"
#include "mainwindow/UFileWatch.h"
#include "mainwindow/UImportChoices.h"

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
#include <QRegularExpression>
#include <QScopeGuard>
#include <QScrollBar>
#include <QStatusBar>
#include <QTimer>
#include <QTreeView>
#include <QUrl>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace {

// Files this large take about half a second or more to read (some 300 MB/s were measured on a
// 2-core machine), so a progress bar says what the program is doing.
constexpr qint64 ProgressBytes = qint64(64) << 20;

const QStringList ChartFileMasks = {"*.p3d", "*.p4d", "*.txt"};

// Entries of the file-type list. The first two are the list's original entries, whose indices
// stored settings hold; the importers' entries follow.
constexpr int AllFilesType = 1;
constexpr int AllDataFilesType = 2;

// Where File > Open... last found a file.
constexpr const char* OpenFolderKey = "OpenDialog.Folder";

// "name (.a, .b)" as the file-type list shows its entries.
QString FileTypeCaption(const QString& Name, const QStringList& Masks) {
    QStringList extensions;
    for (const QString& mask : Masks)
        extensions << mask.mid(1);
    return QString("%1 (%2)").arg(Name, extensions.join(", "));
}

// The importers' dialog filters, each pattern also in upper case, since Linux file names are
// case-sensitive.
QStringList OpenDialogFilters() {
    QStringList filters = TQorImportRegistry::Default().FileDialogFilters();
    static const QRegularExpression pattern(R"(\*\.\w+)");
    for (QString& filter : filters) {
        QString twinned;
        qsizetype from = 0;
        for (const QRegularExpressionMatch& m : pattern.globalMatch(filter)) {
            twinned += filter.mid(from, m.capturedEnd() - from) + " " + m.captured().toUpper();
            from = m.capturedEnd();
        }
        filter = twinned + filter.mid(from);
    }
    return filters;
}

// Why a path is not opened at all: only regular files are read (a FIFO would block the window).
QString RefusalReason(const QFileInfo& Info) {
    if (!Info.exists()) {
        // A folder on the way that may not be entered hides the file: say that, not "missing".
        struct stat st {};
        if (::stat(QFile::encodeName(Info.filePath()).constData(), &st) != 0 && errno != ENOENT)
            return QString::fromLocal8Bit(std::strerror(errno));
        return "the file does not exist";
    }
    if (Info.isDir())
        return "it is a folder";
    if (!Info.isFile())
        return "it is not a regular file";
    return {};
}

// A reason or warning as part of a status-bar sentence.
QString WithoutFinalStop(const std::string& Text) {
    QString s = QString::fromStdString(Text);
    while (s.endsWith('.'))
        s.chop(1);
    return s;
}

// The main window's file dialogs, modal, in Folder. Seven parameters: the dialog's own
// settings, each of which every caller gives.
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

void TFormMain::FillFileTypes() {
    const auto add = [this](const QString& Caption, const QStringList& Masks) {
        CtrlFileTypes->addItem(Caption);
        FFileTypeMasks << Masks;
    };
    add("Chart Files (.p3d, .p4d, .txt)", ChartFileMasks);
    add("All Files", {"*"});
    const std::vector<TQorImportReader>& readers = TQorImportRegistry::Default().Readers();
    QStringList all;
    for (const TQorImportReader& r : readers)
        for (const std::string& e : r.Extensions)
            if (!all.contains("*." + QString::fromStdString(e)))
                all << "*." + QString::fromStdString(e);
    add(FileTypeCaption("All data files", all), all);
    // The chart files have their entry already.
    for (const TQorImportReader& r : readers) {
        if (r.Native)
            continue;
        QStringList masks;
        for (const std::string& e : r.Extensions)
            masks << "*." + QString::fromStdString(e);
        add(FileTypeCaption(QString::fromStdString(r.Name), masks), masks);
    }
}

void TFormMain::CtrlDirChange() {
    CtrlFileTypesChange();
}

// Refilling the same folder keeps the selected entry, so a save does not leave Reload with
// nothing to load.
void TFormMain::CtrlFileTypesChange() {
    const QString keep = FListFolder == FFolder ? SelectedFile() : QString();
    FListFolder = FFolder;
    CtrlFile->SetFiles(ShownFolderFiles());
    FWatch->WatchFolder(FFolder);
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

// A file opened by path stays selected, so Reload and playback go on from it.
void TFormMain::ShowFileInList(const QString& Name) {
    if (CtrlFile->SelectFile(Name) || !QFileInfo(QDir(FFolder).filePath(Name)).isFile())
        return;
    for (const int type : {AllDataFilesType, AllFilesType})
        if (QDir::match(FFileTypeMasks.value(type), Name)) {
            CtrlFileTypes->setCurrentIndex(type);
            CtrlFileTypesChange();
            CtrlFile->SelectFile(Name);
            return;
        }
}

QString TFormMain::SelectedFile() const {
    return CtrlFile->SelectedFile();
}

QStringList TFormMain::ShownFolderFiles() const {
    return FolderFileNames(FFolder, FFileTypeMasks.value(CtrlFileTypes->currentIndex(), {"*"}));
}

// ---- Loading ----------------------------------------------------------------------------------

// Any data file the importers know, from the folder File > Open... last opened a file in.
void TFormMain::MenuItemOpenClick() {
    const QString stored = QString::fromStdString(QorStorage1.ReadString(OpenFolderKey, ""));
    const QString folder = !stored.isEmpty() && QDir(stored).exists() ? stored : FFolder;
    const QString name =
        RunFileDialog(this, "Open", QFileDialog::AcceptOpen, OpenDialogFilters(), {}, 0, folder);
    if (name.isEmpty())
        return;
    const QFileInfo info(name);
    QorStorage1.WriteString(OpenFolderKey, info.absolutePath().toStdString());
    OpenFileByPath(name);
    if (FLoadedFile == info.absoluteFilePath())
        AddToMRU(FLoadedFile);
}

void TFormMain::MenuItemReloadChartClick() {
    LoadSelected(false);
}

// The selected entry: a click or a key in the list (which may ask for import choices), Reload
// and playback (which use the remembered ones). Without a selection, or when loading fails with
// an error, the chart is emptied; a cancelled Import dialog leaves it and selects its file again.
void TFormMain::LoadSelected(bool MayAsk) {
    const QString name = SelectedFile();
    const QString path = name.isEmpty() ? QString() : QDir(FFolder).filePath(name);
    TQorImportOptions options;
    if (!path.isEmpty() && !ChooseImportOptions(path, MayAsk, options)) {
        const QFileInfo loaded(FLoadedFile);
        if (!FLoadedFile.isEmpty() && QDir(loaded.absolutePath()) == QDir(FFolder))
            CtrlFile->SelectFile(loaded.fileName());
        return;
    }
    TQorWaitCursor wait;
    bool opened = !path.isEmpty();
    {
        const TQorUpdateScope scope(Qor3DChart);
        if (opened) {
            try {
                LoadChart(path, options);
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

// Another folder is shown: playback, which goes through the list, stops first.
void TFormMain::OpenFileByPath(const QString& Path, bool MayAsk) {
    if (Playing())
        BtnPlayClick();
    const QFileInfo info(Path);
    TQorImportOptions options;
    if (!ChooseImportOptions(info.absoluteFilePath(), MayAsk, options))
        return;
    TQorWaitCursor wait;
    SelectFolder(info.absolutePath());
    ShowFileInList(info.fileName());
    try {
        LoadChart(info.absoluteFilePath(), options);
    } catch (...) {
        EmptyChart();
    }
}

// The options Path is read with: a native chart file takes none; an imported one takes the
// choices remembered for its format. With MayAsk the Import dialog asks first when the file
// offers several arrays, or gives no coordinates and its format has no remembered choices (see
// docs/notes/viewer.md); its choices are then remembered. False when the user cancelled.
bool TFormMain::ChooseImportOptions(const QString& Path, bool MayAsk, TQorImportOptions& Options) {
    Options = {};
    if (!RefusalReason(QFileInfo(Path)).isEmpty())
        return true; // LoadChart says why
    const std::string file = Path.toStdString();
    const TQorImportReader* reader = TQorImportRegistry::Default().Choose(file);
    if (reader == nullptr || reader->Native)
        return true;
    const bool remembered = ReadImportChoices(QorStorage1, reader->Name, Options);
    const std::vector<TQorImportArrayInfo> arrays = ImportArchiveArrays(file);
    // A file's own last choice of variable and indices comes before its format's.
    const bool variables = !arrays.empty() && !arrays.front().Dims.empty();
    if (variables)
        ReadFileChoice(QorStorage1, file, Options);
    const bool several = arrays.size() > 1;
    // One array is read whatever its name.
    if (!several)
        Options.ArrayName.clear();
    if (!MayAsk || (remembered && !several))
        return true;
    TQorImportOptions shown = Options;
    if (several && std::none_of(arrays.begin(), arrays.end(), [&](const TQorImportArrayInfo& a) {
            return a.Name == shown.ArrayName;
        }))
        shown.ArrayName = arrays.front().Name;
    TQorImportPreview preview;
    {
        TQorWaitCursor wait;
        preview = TFormImport::ReadPreview(Path, shown);
    }
    // Nothing to choose: a failure is the load's to report.
    if (!several && (!preview.Ok() || (preview.GivenX && preview.GivenZ)))
        return true;
    TFormImport dialog(this, Path, std::move(preview), shown);
    if (dialog.exec() != QDialog::Accepted) {
        ShowStatus(QString("%1 was not opened.").arg(QDir::toNativeSeparators(Path)));
        return false;
    }
    Options = dialog.Options();
    WriteImportChoices(QorStorage1, reader->Name, Options);
    if (variables)
        WriteFileChoice(QorStorage1, file, Options);
    return true;
}

// Clearing the data alone is no change the chart reports: the window would keep the last picture.
void TFormMain::EmptyChart() {
    Qor3DChart.ClearData();
    Qor3DChart.Changed();
    ForgetLoadedFile();
}

void TFormMain::ForgetLoadedFile() {
    FLoadedFile.clear();
    FStatusFile->clear();
    FWatch->WatchFile({});
    UpdateIndexPlay();
}

// OpenChartData with the window's options and feedback: a progress bar for a long load, the
// file in the status bar, or why it could not be read. A path that is no regular file is not
// opened at all, and the chart is emptied as by any failed load.
bool TFormMain::LoadChart(const QString& Path, const TQorImportOptions& Options) {
    const QFileInfo info(Path);
    if (const QString refused = RefusalReason(info); !refused.isEmpty()) {
        EmptyChart();
        LoadFinished(Path, refused, {});
        return false;
    }
    const bool large = info.size() >= ProgressBytes;
    if (large)
        ShowProgress(QString("Loading %1...").arg(info.fileName()));
    TQorOpenOutcome outcome;
    {
        const auto hide = qScopeGuard([&] {
            if (large)
                HideProgress();
        });
        TQorColorScaleFileLegend legend(ColorScale());
        outcome = OpenChartData(Qor3DChart, &legend, Path.toStdString(),
                                MenuItemLoadInclChartProp->isChecked(), Options);
    }
    // A failed read leaves the chart empty without always reporting the change.
    if (!outcome.Ok)
        EmptyChart();
    QStringList warnings;
    for (const std::string& w : outcome.Warnings)
        warnings << WithoutFinalStop(w);
    // The failure's place names the file by its base name; the status bar gives the whole path
    // once, in front.
    TQorImportError failure = outcome.Failure;
    failure.File.clear();
    const QString problem = outcome.Ok                ? QString()
                            : failure.Message.empty() ? QString("it cannot be read")
                                                      : WithoutFinalStop(failure.Text());
    LoadFinished(Path, problem, warnings);
    FLoadedOptions = outcome.Ok ? Options : TQorImportOptions();
    UpdateIndexPlay();
    return outcome.Ok;
}

void TFormMain::LoadFinished(const QString& Path, const QString& Problem,
                             const QStringList& Warnings) {
    if (!Problem.isEmpty()) {
        ForgetLoadedFile();
        ShowStatus(QString("Cannot read %1: %2.").arg(QDir::toNativeSeparators(Path), Problem));
        return;
    }
    FLoadedFile = Path;
    // New data may lie in the very arrays of the old (a reload of the same size).
    FPicker->Forget();
    ClearReadout();
    FStatusFile->setText(QDir::toNativeSeparators(Path));
    FWatch->WatchFile(FReloadOnChange ? Path : QString());
    if (Warnings.isEmpty())
        statusBar()->clearMessage();
    else
        ShowStatus(QString("%1: %2.").arg(QFileInfo(Path).fileName(), Warnings.join("; ")));
    // Playback's frames are no files the user opened; the one shown when it stops is.
    if (Playing())
        FPlayLoaded = true;
    else
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
    std::string error;
    TQorColorScaleFileLegend legend(ColorScale());
    const int result = SaveChartFile(Qor3DChart, WithProperties ? &legend : nullptr,
                                     name.toStdString(), WithProperties, false, &error);
    CtrlFileTypesChange();
    const std::string problem = ChartSaveProblem(Qor3DChart);
    const std::string why = result == 0 ? std::string() : problem.empty() ? error : problem;
    ShowStatus(result == 0   ? QString("Saved %1.").arg(QDir::toNativeSeparators(name))
               : why.empty() ? QString("Cannot write %1.").arg(QDir::toNativeSeparators(name))
                             : QString("Cannot write %1: %2.")
                                   .arg(QDir::toNativeSeparators(name), WithoutFinalStop(why)));
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
    std::string error;
    const bool written = WriteFileAtomically(name.toStdString(), text, &error);
    CtrlFileTypesChange();
    if (!written)
        ShowStatus(error.empty()
                       ? QString("Cannot write %1.").arg(QDir::toNativeSeparators(name))
                       : QString("Cannot write %1: %2.")
                             .arg(QDir::toNativeSeparators(name), WithoutFinalStop(error)));
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
