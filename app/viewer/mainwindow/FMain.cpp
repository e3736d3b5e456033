#include "mainwindow/FMain.h"

#include "Qor3DDrawWidget.h"
#include "QorCheckBox.h"
#include "QorColorScaleWidget.h"
#include "QorEdit.h"
#include "chart/UQor3DChartColorScale.h"
#include "desktop/UFileType.h"
#include "desktop/UProgramFolder.h"
#include "dialogs/FSetting.h"
#include "gl/Qor3DLib.h"
#include "mainwindow/UFileListBox.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>
#include <cmath>
#include <cstdio>
#include <utility>

namespace {

constexpr int PanelFilesWidth = 240;
constexpr int CtrlDirHeight = 113;
constexpr int SampleSize = 11;
// A right button that moved less than this between press and release was a click.
constexpr int ClickSlop = 4;

// The folder a first start shows: the sample files, or the home folder without them.
QString DefaultFolder() {
    const QString samples = ProgramSamplesFolder();
    return QDir(samples).exists() ? samples : QDir::homePath();
}

} // namespace

TFormMain::TFormMain(const QStringList& Params, QWidget* Parent)
    : QMainWindow(Parent), FStorageWindow(*this, "TFormMain", true), QorStorage1(FStorageWindow) {
    FClock.start();
    FTickCount = [this] {
        return FClock.elapsed();
    };
    setObjectName("FormMain");
    setWindowTitle("Plotyra");
    resize(1000, 700);
    BuildLayout();
    BuildMenus();
    SetDesignTimeProperties();
    // Settings that could not be read or saved are said in the status bar, and on standard
    // error, which outlives the window.
    TQorStorage::SetProblemHandler([this](const std::string& Message) {
        std::fprintf(stderr, "plotyra: %s\n", Message.c_str());
        statusBar()->showMessage(QString::fromStdString(Message));
    });
    FormCreate(Params);
}

TFormMain::~TFormMain() {
    FormDestroy();
    TQorStorage::SetProblemHandler(nullptr);
    // The widget detaches from the chart, which must still be alive then.
    delete FChartWidget;
    FChartWidget = nullptr;
}

bool TFormMain::IsSafeModeSwitch(const QString& Param) {
    const QString p = Param.toUpper();
    return p == "/S" || p == "-S" || p == "\\S";
}

TQorColorScale& TFormMain::ColorScale() {
    return FColorScaleWidget->ColorScale();
}

bool TFormMain::ColorScaleShown() const {
    return !FColorScaleWidget->isHidden();
}

// ---- Layout -----------------------------------------------------------------------------------

void TFormMain::BuildLayout() {
    BuildWatch();
    DragBarFiles = new QSplitter(Qt::Horizontal, this);
    DragBarFiles->setObjectName("DragBarFiles");
    DragBarFiles->setChildrenCollapsible(false);
    PanelFiles = BuildFilePanel();
    DragBarFiles->addWidget(PanelFiles);

    auto* chartPanel = new QWidget(DragBarFiles);
    auto* chartLayout = new QHBoxLayout(chartPanel);
    chartLayout->setContentsMargins(0, 0, 0, 0);
    chartLayout->setSpacing(0);
    FChartWidget = new TQor3DDrawWidget(Qor3DChart, chartPanel);
    FChartWidget->setObjectName("Qor3DChart");
    FColorScaleWidget = new TQorColorScaleWidget(chartPanel);
    FColorScaleWidget->setObjectName("QorColorScale");
    FColorScaleWidget->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(FColorScaleWidget, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& p) { PopupMenuChart->popup(FColorScaleWidget->mapToGlobal(p)); });
    chartLayout->addWidget(FChartWidget, 1);
    chartLayout->addWidget(FColorScaleWidget);
    DragBarFiles->addWidget(chartPanel);
    DragBarFiles->setStretchFactor(0, 0);
    DragBarFiles->setStretchFactor(1, 1);
    setCentralWidget(DragBarFiles);

    FStatusFile = new QLabel(this);
    FStatusFile->setObjectName("StatusFile");
    statusBar()->addPermanentWidget(FStatusFile);
    BuildReadout();
    FProgress = new QProgressBar(this);
    FProgress->setObjectName("StatusProgress");
    FProgress->setRange(0, 0);
    FProgress->setMaximumWidth(160);
    FProgress->hide();
    statusBar()->addPermanentWidget(FProgress);

    TimerOpenFile = new QTimer(this);
    TimerOpenFile->setObjectName("TimerOpenFile");
    TimerOpenFile->setInterval(100);
    connect(TimerOpenFile, &QTimer::timeout, this, &TFormMain::TimerOpenFileTimer);
    TimerPlay = new QTimer(this);
    TimerPlay->setObjectName("TimerPlay");
    connect(TimerPlay, &QTimer::timeout, this, &TFormMain::TimerPlayTimer);
}

QWidget* TFormMain::BuildFilePanel() {
    auto* panel = new QWidget(DragBarFiles);
    panel->setObjectName("PanelFiles");
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(2, 2, 2, 2);
    DragBar1 = new QSplitter(Qt::Vertical, panel);
    DragBar1->setObjectName("DragBar1");
    DragBar1->setChildrenCollapsible(false);

    auto* dirPanel = new QWidget(DragBar1);
    auto* dirLayout = new QVBoxLayout(dirPanel);
    dirLayout->setContentsMargins(0, 0, 0, 0);
    dirLayout->setSpacing(1);
    auto* places = new QHBoxLayout;
    places->setSpacing(1);
    const auto placeButton = [&](const char* name, QStyle::StandardPixmap icon, const QString& hint,
                                 QString (*folder)()) -> QWidget* {
        auto* b = new QToolButton(dirPanel);
        b->setObjectName(name);
        b->setIcon(style()->standardIcon(icon));
        b->setToolTip(hint);
        b->setAutoRaise(true);
        connect(b, &QToolButton::clicked, this, [this, folder] { SelectFolder(folder()); });
        places->addWidget(b);
        return b;
    };
    BtnHome = placeButton("BtnHome", QStyle::SP_DirHomeIcon, "Home folder", &QDir::homePath);
    BtnSamples = placeButton("BtnSamples", QStyle::SP_DirIcon, "Sample files", &DefaultFolder);
    places->addStretch(1);
    dirLayout->addLayout(places);

    FDirModel = new QFileSystemModel(this);
    FDirModel->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Hidden);
    FDirModel->setRootPath("/");
    CtrlDir = new QTreeView(dirPanel);
    CtrlDir->setObjectName("CtrlDir");
    CtrlDir->setModel(FDirModel);
    CtrlDir->setHeaderHidden(true);
    for (int c = 1; c < FDirModel->columnCount(); ++c)
        CtrlDir->hideColumn(c);
    CtrlDir->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    CtrlDir->header()->setStretchLastSection(false);
    connect(CtrlDir->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                const QString path = FDirModel->filePath(current);
                if (!path.isEmpty() && path != FFolder) {
                    FFolder = path;
                    CtrlDirChange();
                }
            });
    // The model fills the folders in the background, and the tree is laid out only when shown:
    // bring the current folder into view once its own folder or its parent has been read, and
    // again once the model has sorted what it read (which moves the folder's row).
    connect(FDirModel, &QFileSystemModel::directoryLoaded, this, [this](const QString& Path) {
        if (Path == FFolder || Path == QFileInfo(FFolder).absolutePath()) {
            ShowCurrentFolder(QAbstractItemView::PositionAtCenter);
            FFolderRowSortPending = true;
        }
    });
    connect(FDirModel, &QAbstractItemModel::layoutChanged, this, [this] {
        if (std::exchange(FFolderRowSortPending, false))
            ShowCurrentFolder(QAbstractItemView::PositionAtCenter);
    });
    dirLayout->addWidget(CtrlDir);
    DragBar1->addWidget(dirPanel);

    auto* listPanel = new QWidget(DragBar1);
    auto* listLayout = new QVBoxLayout(listPanel);
    listLayout->setContentsMargins(0, 0, 0, 0);
    listLayout->setSpacing(2);
    CtrlFile = new TFileListBox(listPanel);
    CtrlFile->setObjectName("CtrlFile");
    connect(CtrlFile, &TFileListBox::FileChosen, this, [this] { LoadSelected(true); });
    listLayout->addWidget(CtrlFile, 1);
    CtrlFileTypes = new QComboBox(listPanel);
    CtrlFileTypes->setObjectName("CtrlFileTypes");
    FillFileTypes();
    // The longest entries would widen the file panel; the list shows them whole when open.
    CtrlFileTypes->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    CtrlFileTypes->setMinimumContentsLength(16);
    connect(CtrlFileTypes, &QComboBox::activated, this, &TFormMain::CtrlFileTypesChange);
    listLayout->addWidget(CtrlFileTypes);
    listLayout->addWidget(BuildPlayPanel());
    DragBar1->addWidget(listPanel);
    DragBar1->setStretchFactor(0, 0);
    DragBar1->setStretchFactor(1, 1);
    layout->addWidget(DragBar1);
    return panel;
}

// Two rows under the file list: button and mode, then rate and repeat; a third with the
// dimension "Index" steps through, shown only when there is a choice.
QWidget* TFormMain::BuildPlayPanel() {
    auto* panel = new QWidget;
    auto* grid = new QGridLayout(panel);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(2);
    BtnPlay = new QPushButton("Play", panel);
    BtnPlay->setObjectName("BtnPlay");
    BtnPlay->setIcon(style()->standardIcon(QStyle::SP_MediaPlay));
    connect(BtnPlay, &QPushButton::clicked, this, &TFormMain::BtnPlayClick);
    ListPlay = new QComboBox(panel);
    ListPlay->setObjectName("ListPlay");
    // Stored settings hold the mode's index: new modes go last.
    ListPlay->addItems({"Files", "Rotate", "Index"});
    connect(ListPlay, &QComboBox::currentIndexChanged, this, &TFormMain::ListPlayChange);
    ListPlayDim = new QComboBox(panel);
    ListPlayDim->setObjectName("ListPlayDim");
    ListPlayDim->setToolTip("The dimension Index playback steps through");
    ListPlayDim->hide();
    EditFPS = new TQorEdit(pesDouble, 0.01, 1000, panel);
    EditFPS->setObjectName("EditFPS");
    EditFPS->SetDecPlaces(2);
    EditFPS->SetHint("FPS");
    // Not a dialog: no changed marks, only the out-of-range warning.
    EditFPS->SetUnchangedColor(clWindow);
    EditFPS->SetChangedColor(clWindow);
    EditFPS->SetValue(10);
    auto* unit = new QLabel("FPS", panel);
    unit->setBuddy(EditFPS);
    ChRep = new TQorCheckBox("Rep.", panel);
    ChRep->setObjectName("ChRep");
    ChRep->SetHint("Repeat");
    grid->addWidget(BtnPlay, 0, 0);
    grid->addWidget(ListPlay, 0, 1, 1, 2);
    grid->addWidget(EditFPS, 1, 0);
    grid->addWidget(unit, 1, 1);
    grid->addWidget(ChRep, 1, 2);
    grid->addWidget(ListPlayDim, 2, 0, 1, 3);
    grid->setColumnStretch(2, 1);
    UpdateIndexPlay();
    return panel;
}

// The values the chart and the legend carry on this window, where they differ from their
// constructors'.
void TFormMain::SetDesignTimeProperties() {
    TQor3DChart& c = Qor3DChart;
    c.SetName("Qor3DChart");
    c.BeginUpdate();
    c.SetBackgroundColor(clWhite);
    c.SetDragType(pdRotate);
    c.SetDragTypeMid(pdMove);
    c.SetDragTypeRight(pdMove);
    c.SetWheelAction(pdZoom);
    c.SetLightsON(true);
    c.SetPerspectiveON(true);
    c.SetXMin(0.3);
    c.SetYMin(0.3);
    c.SetZNear(1);
    c.SetZFar(100);
    c.SetScaleX(1);
    c.SetScaleY(1);
    c.SetScaleZ(1);
    c.SetRotX(0);
    c.SetRotY(0);
    c.SetRotZ(0);
    c.SetTranslX(0);
    c.SetTranslY(0);
    c.SetTranslZ(0);
    c.SetViewMoveX(0);
    c.SetViewMoveY(0.1);
    c.SetViewMoveZ(-2.5);
    c.SetViewRotX(30);
    c.SetViewRotY(130);
    c.SetViewScale(0.7);
    c.SetUseDoubleBuffer(true);
    c.SetUseFastDoubleBuffer(false);
    c.SetUseSafeBitmapMode(false);
    for (TQorChartAxis3D* axis : {&c.AxisX(), &c.AxisY(), &c.AxisZ()}) {
        TFont caption("Arial", 10, {fsBold});
        caption.SetHeight(-64);
        axis->SetCaptionFont(caption);
        TFont labels("Arial", 10);
        labels.SetHeight(-48);
        axis->SetFont(labels);
    }
    c.EndUpdate();

    TQorColorScale& legend = ColorScale();
    legend.SetName("QorColorScale");
    legend.SetTransparent(false);
    legend.SetColor(clWhite);
    TFont font("Arial", 10);
    font.SetHeight(-16);
    legend.SetFont(font);
    legend.SetWidth(46);
    legend.SetAlign(alRight);

    c.OnChange = [this](TObject*) {
        Qor3DChartChange();
    };
    c.OnBeforePaintGL = [this](TObject*, const TRect&) {
        Qor3DChartBeforePaintGL();
    };
    c.OnMouseWheel = [this](TObject* Sender, TShiftState Shift, int Delta, TPoint Pos,
                            bool& Handled) {
        Qor3DChartMouseWheel(Sender, Shift, Delta, Pos, Handled);
    };
    c.OnMouseDown = [this](TObject*, TMouseButton b, TShiftState, int x, int y) {
        ChartMouseDown(b, x, y);
    };
    c.OnMouseUp = [this](TObject*, TMouseButton b, TShiftState, int x, int y) {
        ChartMouseUp(b, x, y);
    };
    c.OnMouseMove = [this](TObject*, TShiftState Shift, int x, int y) {
        ChartMouseMove(Shift, x, y);
    };
}

// ---- Start-up ---------------------------------------------------------------------------------

void TFormMain::FormCreate(const QStringList& Params) {
    FParams = Params;
    FSafeGLForced = false;
    FLanguage.clear();
    FGLVersion = "0";
    // Closed at the end of FormShow: all start-up changes give one Changed.
    Qor3DChart.BeginUpdate();

    FDefaultChart = std::make_unique<TQor3DChart>();
    FDefaultChart->SetName("Qor3DChart");
    FDefaultChart->Assign(Qor3DChart);
    FDefaultColorScale = std::make_unique<TQorColorScale>();
    FDefaultColorScale->Assign(&ColorScale());

    if (!Params.isEmpty() && IsSafeModeSwitch(Params.first())) {
        FSafeGLForced = true;
        Qor3DChart.SetUseSafeBitmapMode(true);
        FDefaultChart->SetUseSafeBitmapMode(true);
    }

    if (!IsFileTypeRegistered("p3d"))
        RegisterFileType("p3d", "Plotyra file", 0);
    if (!IsFileTypeRegistered("p4d"))
        RegisterFileType("p4d", "Plotyra file", 1);

    RestoreMRU();
    ReadSettings();
    QorStorage1.CheckSaving();

    Qor3DChart.SetUseLowMemory(MenuItemUseLowMemory->isChecked());
    setAcceptDrops(true);
    if (Qor3DChart.NX() == 0 && Qor3DChart.NZ() == 0)
        FillSampleSurface();
}

void TFormMain::ReadSettings() {
    TQorStorage& s = QorStorage1;
    TQorStorageBatch batch(s);
    ListPlay->setCurrentIndex(
        std::clamp(s.ReadInteger("ListPlay.ItemIndex", 0), 0, ListPlay->count() - 1));
    ListPlayChange();
    EditFPS->SetValue(s.ReadFloat("EditFPS.Value", 10));
    ChRep->SetChecked(s.ReadBool("ChRep.Checked", false));
    FLanguage = QString::fromStdString(s.ReadString("progLang", ""));
    CtrlFileTypes->setCurrentIndex(
        std::clamp(s.ReadInteger("CtrlFileTypes.ItemIndex", 0), 0, CtrlFileTypes->count() - 1));
    // A stored folder that is gone leaves the default.
    const QString stored =
        QString::fromStdString(s.ReadString("CtrlDir.Path", DefaultFolder().toStdString()));
    SelectFolder(QDir(stored).exists() ? stored : DefaultFolder());
    FPanelFilesWidth = std::max(s.ReadInteger("PanelFiles.Width", PanelFilesWidth), 20);
    FCtrlDirHeight = std::max(s.ReadInteger("CtrlDir.Height", CtrlDirHeight), 20);
    MenuItemUseLowMemory->setChecked(s.ReadBool("MenuItemUseLowMemory.Checked", true));
    MenuItemLoadInclChartProp->setChecked(s.ReadBool("MenuItemLoadInclChartProp.Checked", true));
    MenuItemAutoScaleOnLoad->setChecked(s.ReadBool("MenuItemAutoScaleOnLoad.Checked", false));
    ShowColorScale(s.ReadBool("QorColorScale.Visible", true));
    Qor3DChart.SetFastTurning(s.ReadBool(FastTurningKey, true));
    SetReloadOnChange(s.ReadBool(ReloadOnChangeKey, true));
}

// An 11 x 11 surface, so the window never opens on an empty chart.
void TFormMain::FillSampleSurface() {
    TQor3DChart& c = Qor3DChart;
    const bool lowMemory = c.UseLowMemory();
    c.SetUseLowMemory(true);
    const bool sized = c.SetSize3D(SampleSize, SampleSize);
    c.SetUseLowMemory(lowMemory);
    if (!sized)
        return;
    const auto coordinate = [](int i) {
        return float((5.0 * i - 25) / 11 + 3);
    };
    for (int i = 0; i < SampleSize; ++i) {
        c.XValues()[size_t(i)] = coordinate(i);
        c.ZValues()[size_t(i)] = coordinate(i);
    }
    for (int k = 0; k < SampleSize; ++k)
        for (int i = 0; i < SampleSize; ++i) {
            const double x = c.XValues()[size_t(i)];
            const double z = c.ZValues()[size_t(k)];
            c.Data()[size_t(i + SampleSize * k)] =
                float((std::cos(z - 3) + std::sin(x - 3) + 2) / 100000);
        }
    c.UpdateRanges();
    c.UpdateNormals();
}

// The first showing runs before the window and its children are shown, so the chart opens
// its rendering context in the mode it keeps.
void TFormMain::setVisible(bool Visible) {
    if (Visible && !FShown) {
        FShown = true;
        QorStorage1.FormShow();
        FormShow();
    }
    QMainWindow::setVisible(Visible);
}

// A splitter spreads sizes set before it has its own size in proportion; set once it has.
void TFormMain::showEvent(QShowEvent* Event) {
    QMainWindow::showEvent(Event);
    if (FPanelsSized)
        return;
    FPanelsSized = true;
    // Stored sizes may be anything: the chart keeps at least a third of the width, the file
    // list a third of the panel's height.
    const auto share = [](int Stored, int Whole) {
        const int first = std::min(Stored, Whole - Whole / 3);
        return QList<int>{first, std::max(Whole - first, 1)};
    };
    DragBarFiles->setSizes(share(FPanelFilesWidth, DragBarFiles->width()));
    DragBar1->setSizes(share(FCtrlDirHeight, DragBar1->height()));
    ShowCurrentFolder(QAbstractItemView::PositionAtCenter);
}

void TFormMain::FormShow() {
    TQorStorage& s = QorStorage1;
    {
        TQorStorageBatch batch(s);
        if (FSafeGLForced)
            s.WriteBool("ChSafeGL.Checked", Qor3DChart.UseSafeBitmapMode());
        else
            Qor3DChart.SetUseSafeBitmapMode(
                s.ReadBool("ChSafeGL.Checked", Qor3DChart.UseSafeBitmapMode()));
        ColorScale().LoadFromStorageByName(s, csmFontOnly);
        Qor3DChart.LoadFromStorageByName(s);
    }
    Qor3DChart.SetUseLowMemory(MenuItemUseLowMemory->isChecked());
    Qor3DChart.UpdateRanges();
    FDefaultChart->SetUseSafeBitmapMode(Qor3DChart.UseSafeBitmapMode());
    if (FLanguage.isEmpty())
        FLanguage = "EN";
    if (!FParams.isEmpty() && !FSafeGLForced)
        TimerOpenFile->start();
    CtrlFile->setFocus();
    Qor3DChart.EndUpdate();
}

// ---- Closing ----------------------------------------------------------------------------------

void TFormMain::closeEvent(QCloseEvent* Event) {
    if (Playing())
        BtnPlayClick();
    TimerOpenFile->stop();
    QorStorage1.FormCloseQuery(true);
    FormClose();
    Event->accept();
}

void TFormMain::FormClose() {
    TQorStorageBatch batch(QorStorage1);
    WriteSettings();
    Qor3DChart.SaveToStorageByName(QorStorage1);
    ColorScale().SaveToStorageByName(QorStorage1, csmFontOnly);
}

void TFormMain::WriteSettings() {
    TQorStorage& s = QorStorage1;
    s.WriteString("progLang", FLanguage.toStdString());
    s.WriteInteger("CtrlFileTypes.ItemIndex", CtrlFileTypes->currentIndex());
    s.WriteString("CtrlDir.Path", FFolder.toStdString());
    s.WriteInteger("ListPlay.ItemIndex", ListPlay->currentIndex());
    s.WriteFloat("EditFPS.Value", EditFPS->Value());
    s.WriteBool("ChRep.Checked", ChRep->Checked());
    if (FPanelsSized) {
        FPanelFilesWidth = DragBarFiles->sizes().value(0, FPanelFilesWidth);
        FCtrlDirHeight = DragBar1->sizes().value(0, FCtrlDirHeight);
    }
    s.WriteInteger("PanelFiles.Width", FPanelFilesWidth);
    s.WriteInteger("CtrlDir.Height", FCtrlDirHeight);
    s.WriteBool("MenuItemUseLowMemory.Checked", MenuItemUseLowMemory->isChecked());
    s.WriteBool("MenuItemLoadInclChartProp.Checked", MenuItemLoadInclChartProp->isChecked());
    s.WriteBool("MenuItemAutoScaleOnLoad.Checked", MenuItemAutoScaleOnLoad->isChecked());
    s.WriteBool("QorColorScale.Visible", ColorScaleShown());
}

void TFormMain::FormDestroy() {
    SaveMRU();
    QorStorage1.FormDestroy();
}

// ---- Chart events -----------------------------------------------------------------------------

void TFormMain::Qor3DChartChange() {
    // The point under the cursor may have moved away: the next mouse move shows it again.
    ClearReadout();
    ChartToColorScale(Qor3DChart, ColorScale());
}

void TFormMain::Qor3DChartBeforePaintGL() {
    const GLubyte* version = GL().GetString(GL_VERSION);
    if (version != nullptr)
        FGLVersion = QString::fromLatin1(reinterpret_cast<const char*>(version));
}

void TFormMain::Qor3DChartMouseWheel(TObject* Sender, TShiftState Shift, int WheelDelta,
                                     TPoint MousePos, bool& Handled) {
    Qor3DChart.MouseWheelAction(Sender, Shift, WheelDelta, MousePos, Handled);
    // A zoom moves the chart under a still cursor: the next mouse move reads it again.
    ClearReadout();
}

// The right button also moves the chart; a right click that did not drag opens the menu.
void TFormMain::ChartMouseDown(TMouseButton Button, int X, int Y) {
    if (Button != mbRight)
        return;
    FRightPressX = X;
    FRightPressY = Y;
}

void TFormMain::ChartMouseUp(TMouseButton Button, int X, int Y) {
    if (Button != mbRight || std::abs(X - FRightPressX) > ClickSlop ||
        std::abs(Y - FRightPressY) > ClickSlop)
        return;
    PopupMenuChart->popup(FChartWidget->mapToGlobal(QPoint(X, Y)));
}
