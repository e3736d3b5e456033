#include "dialogs/FImport.h"

#include "QorCheckBox.h"
#include "QorEdit.h"
#include "dialogs/UDialogButtons.h"

#include <QFileInfo>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSlider>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

namespace {

constexpr int PreviewRows = 8;
constexpr int PreviewColumns = 6;
// Edits are read a moment after the last key, so typing a number reads the file once.
constexpr int PreviewDelayMs = 150;
constexpr double Huge = 1e30;
constexpr double FloatMax = 3.4e38;

TQorEdit* NewNumberEdit(const char* Name, double Min, double Max, QWidget* Parent) {
    auto* edit = new TQorEdit(pesDouble, Min, Max, Parent);
    edit->setObjectName(Name);
    return edit;
}

QString Number(double Value) {
    return QString::number(Value, 'g', 7);
}

} // namespace

TFormImport::TFormImport(QWidget* Parent, const QString& FileName, TQorImportPreview Preview,
                         const TQorImportOptions& Options)
    : QDialog(Parent), FFileName(FileName), FBase(Options), FPreview(std::move(Preview)),
      FPreviewTransposed(Options.Transpose) {
    setObjectName("FormImport");
    setWindowTitle("Import");
    CreateControls();
    LoadOptions(Options);
    ShowPreview();
}

TQorImportPreview TFormImport::ReadPreview(const QString& FileName,
                                           const TQorImportOptions& Options) {
    return PreviewImport(FileName.toStdString(), Options, PreviewRows, PreviewColumns);
}

void TFormImport::CreateControls() {
    auto* layout = new QVBoxLayout(this);
    LabelFile = new QLabel(this);
    LabelFile->setObjectName("LabelFile");
    LabelFile->setText(QString("%1 (%2)").arg(QFileInfo(FFileName).fileName(),
                                              QString::fromStdString(FPreview.Format)));
    layout->addWidget(LabelFile);

    const bool variables =
        std::any_of(FPreview.Arrays.begin(), FPreview.Arrays.end(),
                    [](const TQorImportArrayInfo& a) { return !a.Dims.empty(); });
    LabelArrays = new QLabel(variables ? "&Variable:" : "&Array:", this);
    ListArrays = new QListWidget(this);
    ListArrays->setObjectName("ListArrays");
    LabelArrays->setBuddy(ListArrays);
    for (const TQorImportArrayInfo& a : FPreview.Arrays) {
        auto* item = new QListWidgetItem(QString::fromStdString(a.Text()), ListArrays);
        item->setData(Qt::UserRole, QString::fromStdString(a.Name));
    }
    // Room for the arrays, up to five rows.
    const int rows = std::clamp(ListArrays->count(), 2, 5);
    ListArrays->setFixedHeight(ListArrays->sizeHintForRow(0) * rows + 2 * ListArrays->frameWidth());
    const bool several = FPreview.Arrays.size() > 1;
    LabelArrays->setVisible(several);
    ListArrays->setVisible(several);
    layout->addWidget(LabelArrays);
    layout->addWidget(ListArrays);
    PanelIndices = new QWidget(this);
    PanelIndices->setObjectName("PanelIndices");
    GridIndices = new QGridLayout(PanelIndices);
    GridIndices->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(PanelIndices);

    // The edits name the chart's axes, whatever the transposition.
    auto* grid = new QGridLayout;
    EditDX = NewNumberEdit("EditDX", 1 / Huge, Huge, this);
    EditDZ = NewNumberEdit("EditDZ", 1 / Huge, Huge, this);
    EditX0 = NewNumberEdit("EditX0", -Huge, Huge, this);
    EditZ0 = NewNumberEdit("EditZ0", -Huge, Huge, this);
    grid->addWidget(new QLabel("X", this), 0, 1, Qt::AlignCenter);
    grid->addWidget(new QLabel("Z", this), 0, 2, Qt::AlignCenter);
    grid->addWidget(new QLabel("Spacing:", this), 1, 0);
    grid->addWidget(EditDX, 1, 1);
    grid->addWidget(EditDZ, 1, 2);
    grid->addWidget(new QLabel("Origin:", this), 2, 0);
    grid->addWidget(EditX0, 2, 1);
    grid->addWidget(EditZ0, 2, 2);
    ChTranspose = new TQorCheckBox("&Transpose (rows run along X)", this);
    ChTranspose->setObjectName("ChTranspose");
    grid->addWidget(ChTranspose, 3, 0, 1, 3);
    ChNoData = new TQorCheckBox("&Missing-value marker:", this);
    ChNoData->setObjectName("ChNoData");
    EditNoData = NewNumberEdit("EditNoData", -FloatMax, FloatMax, this);
    grid->addWidget(ChNoData, 4, 0, 1, 2);
    grid->addWidget(EditNoData, 4, 2);
    layout->addLayout(grid);

    LabelPreview = new QLabel(this);
    LabelPreview->setObjectName("LabelPreview");
    layout->addWidget(LabelPreview);
    GridPreview = new QTableWidget(this);
    GridPreview->setObjectName("GridPreview");
    GridPreview->setEditTriggers(QAbstractItemView::NoEditTriggers);
    GridPreview->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    GridPreview->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    // The first numbers are few: the table shows all of them.
    GridPreview->setSizeAdjustPolicy(QAbstractScrollArea::AdjustToContents);
    GridPreview->setMinimumSize(300, 120);
    layout->addWidget(GridPreview, 1);
    LabelMessage = new QLabel(this);
    LabelMessage->setObjectName("LabelMessage");
    LabelMessage->setWordWrap(true);
    layout->addWidget(LabelMessage);

    const TDialogButtons buttons = AddDialogButtons(*this, *layout, "OK");
    BtnClose = buttons.Accept;

    TimerPreview = new QTimer(this);
    TimerPreview->setObjectName("TimerPreview");
    TimerPreview->setSingleShot(true);
    TimerPreview->setInterval(PreviewDelayMs);
    connect(TimerPreview, &QTimer::timeout, this, &TFormImport::UpdatePreview);
    connect(ListArrays, &QListWidget::currentRowChanged, this, [this] {
        BuildIndices(FBase);
        UpdatePreview();
    });
    for (TQorEdit* edit : {EditDX, EditDZ, EditX0, EditZ0, EditNoData})
        edit->OnChange = [this](TQorEdit*) {
            Changed();
        };
    ChTranspose->OnChange = [this](TQorCheckBox*) {
        UpdatePreview();
    };
    ChNoData->OnChange = [this](TQorCheckBox*) {
        EditNoData->setEnabled(ChNoData->Checked());
        UpdatePreview();
    };
}

// The importers apply spacing and origin to the file's own axes before a transposition: with
// it, the chart's X is the file's Z.
void TFormImport::LoadOptions(const TQorImportOptions& Options) {
    const bool t = Options.Transpose;
    EditDX->SetValue((t ? Options.DZ : Options.DX).value_or(1));
    EditDZ->SetValue((t ? Options.DX : Options.DZ).value_or(1));
    EditX0->SetValue((t ? Options.Z0 : Options.X0).value_or(0));
    EditZ0->SetValue((t ? Options.X0 : Options.Z0).value_or(0));
    ChTranspose->SetChecked(t);
    ChNoData->SetChecked(Options.NoData.has_value());
    EditNoData->SetValue(Options.NoData.value_or(-9999));
    EditNoData->setEnabled(Options.NoData.has_value());
    int row = 0;
    for (int i = 0; i < ListArrays->count(); ++i)
        if (ListArrays->item(i)->data(Qt::UserRole).toString().toStdString() == Options.ArrayName)
            row = i;
    const QSignalBlocker quiet(ListArrays);
    ListArrays->setCurrentRow(row);
    BuildIndices(Options);
}

const TQorImportArrayInfo* TFormImport::CurrentArray() const {
    if (FPreview.Arrays.size() == 1)
        return &FPreview.Arrays.front();
    const int row = ListArrays->currentRow();
    return row >= 0 && row < int(FPreview.Arrays.size()) ? &FPreview.Arrays[size_t(row)] : nullptr;
}

// Every dimension before the last two of the chosen variable gets a slider, at the index
// Options give (0 without one); the one just before the last two may instead be shown whole,
// which it is when Options give it no index, as on the command line.
void TFormImport::BuildIndices(const TQorImportOptions& Options) {
    while (QLayoutItem* item = GridIndices->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    FIndices.clear();
    const TQorImportArrayInfo* a = CurrentArray();
    const size_t rank = a != nullptr ? a->Shape.size() : 0;
    for (size_t d = 0; d + 2 < rank && d < a->Dims.size(); ++d) {
        TIndexControl c;
        c.Dim = a->Dims[d];
        const QString dim = QString::fromStdString(c.Dim);
        const int64_t given = Options.IndexOf(c.Dim);
        const int row = int(d);
        GridIndices->addWidget(new QLabel(dim + ":", PanelIndices), row, 0);
        c.Slider = new QSlider(Qt::Horizontal, PanelIndices);
        c.Slider->setObjectName("SliderIndex_" + dim);
        c.Slider->setRange(0, int(std::min<int64_t>(a->Shape[d], INT32_MAX) - 1));
        c.Slider->setValue(int(std::clamp<int64_t>(given, 0, c.Slider->maximum())));
        GridIndices->addWidget(c.Slider, row, 1);
        c.Value = new QLabel(PanelIndices);
        c.Value->setObjectName("LabelIndex_" + dim);
        GridIndices->addWidget(c.Value, row, 2);
        if (d + 3 == rank) {
            c.Whole = new TQorCheckBox("All (a volume)", PanelIndices);
            c.Whole->setObjectName("ChWhole_" + dim);
            c.Whole->SetChecked(given < 0);
            c.Slider->setEnabled(given >= 0);
            GridIndices->addWidget(c.Whole, row, 3);
            c.Whole->OnChange = [this](TQorCheckBox*) {
                for (TIndexControl& i : FIndices)
                    if (i.Whole != nullptr)
                        i.Slider->setEnabled(!i.Whole->Checked());
                UpdatePreview();
            };
        }
        const auto show = [Value = c.Value, Slider = c.Slider] {
            Value->setText(QString("%1 of %2").arg(Slider->value()).arg(Slider->maximum() + 1));
        };
        show();
        connect(c.Slider, &QSlider::valueChanged, this, [this, show] {
            show();
            TimerPreview->start();
        });
        FIndices.push_back(c);
    }
    PanelIndices->setVisible(!FIndices.empty());
}

TQorImportOptions TFormImport::Options() const {
    TQorImportOptions o = FBase;
    const bool t = ChTranspose->Checked();
    o.Transpose = t;
    // An axis the file gives keeps its own coordinates: its spacing and origin stay unset.
    const auto axis = [](bool Given, const TQorEdit* Spacing, const TQorEdit* Origin,
                         std::optional<double>& D, std::optional<double>& O) {
        D = Given ? std::nullopt : std::optional<double>(Spacing->Value());
        O = Given ? std::nullopt : std::optional<double>(Origin->Value());
    };
    axis(FileGives(true), t ? EditDZ : EditDX, t ? EditZ0 : EditX0, o.DX, o.X0);
    axis(FileGives(false), t ? EditDX : EditDZ, t ? EditX0 : EditZ0, o.DZ, o.Z0);
    // A volume's Y follows its Z, as one spacing on the command line serves both.
    o.DY = o.DZ;
    o.Y0 = o.Z0;
    o.NoData = ChNoData->Checked() ? std::optional<double>(EditNoData->Value()) : std::nullopt;
    o.Indices.clear();
    for (const TIndexControl& c : FIndices)
        if (c.Whole == nullptr || !c.Whole->Checked())
            o.Indices.emplace_back(c.Dim, c.Slider->value());
    if (FPreview.Arrays.size() > 1 && ListArrays->currentItem() != nullptr)
        o.ArrayName = ListArrays->currentItem()->data(Qt::UserRole).toString().toStdString();
    else if (FPreview.Arrays.size() <= 1)
        o.ArrayName.clear();
    return o;
}

// Whether the file gives its own X (FileX) or Z coordinates, its axes before a transposition.
bool TFormImport::FileGives(bool FileX) const {
    return FileX == FPreviewTransposed ? FPreview.GivenZ : FPreview.GivenX;
}

void TFormImport::Changed() {
    BtnClose->setEnabled(EditsValid() && FPreview.Ok());
    if (EditsValid())
        TimerPreview->start();
}

bool TFormImport::EditsValid() const {
    for (const TQorEdit* edit : {EditDX, EditDZ, EditX0, EditZ0})
        if (!edit->InRange())
            return false;
    return !ChNoData->Checked() || EditNoData->InRange();
}

void TFormImport::UpdatePreview() {
    TimerPreview->stop();
    if (!EditsValid()) {
        BtnClose->setEnabled(false);
        return;
    }
    const TQorImportOptions o = Options();
    FPreview = ReadPreview(FFileName, o);
    FPreviewTransposed = o.Transpose;
    ShowPreview();
}

void TFormImport::ShowPreview() {
    const TQorImportPreview& p = FPreview;
    EditDX->setEnabled(!p.GivenX);
    EditX0->setEnabled(!p.GivenX);
    EditDZ->setEnabled(!p.GivenZ);
    EditZ0->setEnabled(!p.GivenZ);
    GridPreview->clear();
    GridPreview->setRowCount(int(p.Z.size()));
    GridPreview->setColumnCount(int(p.X.size()));
    QStringList xs, zs;
    for (const float x : p.X)
        xs << Number(x);
    for (const float z : p.Z)
        zs << Number(z);
    GridPreview->setHorizontalHeaderLabels(xs);
    GridPreview->setVerticalHeaderLabels(zs);
    const int nx = int(p.X.size());
    for (int k = 0; k < int(p.Z.size()); ++k)
        for (int i = 0; i < nx; ++i) {
            const float v = p.Values[size_t(i + nx * k)];
            auto* cell = new QTableWidgetItem(std::isnan(v) ? QString("—") : Number(v));
            cell->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            GridPreview->setItem(k, i, cell);
        }
    if (!p.Ok())
        LabelPreview->setText("No values to show:");
    else if (p.Kind == TQorImportKind::Volume)
        LabelPreview->setText(QString("A volume of %1 × %2 × %3%4 points (X × Y × Z); its first "
                                      "layer (columns X, rows Z):")
                                  .arg(p.NX)
                                  .arg(p.NY)
                                  .arg(p.NZ)
                                  .arg(p.Partial ? " or more" : ""));
    else
        LabelPreview->setText(QString("A surface of %1 × %2%3 points (X × Z); its first values "
                                      "(columns X, rows Z):")
                                  .arg(p.NX)
                                  .arg(p.NZ)
                                  .arg(p.Partial ? " or more" : ""));
    QStringList notes;
    for (const std::string& w : p.Warnings)
        notes << QString::fromStdString(w);
    LabelMessage->setStyleSheet(p.Ok() ? QString() : QString("color: #c00000"));
    LabelMessage->setText(p.Ok() ? notes.join("\n") : QString::fromStdString(p.Error));
    BtnClose->setEnabled(p.Ok() && EditsValid());
    // Another array may need a wider table; the dialog never shrinks under the user's hands.
    resize(size().expandedTo(sizeHint()));
}

// OK reads what the edits say now, even while a preview is still pending, and stays open
// when the file cannot be read so.
void TFormImport::done(int Result) {
    if (Result == Accepted) {
        if (TimerPreview->isActive())
            UpdatePreview();
        if (!FPreview.Ok() || !EditsValid())
            return;
    }
    QDialog::done(Result);
}
