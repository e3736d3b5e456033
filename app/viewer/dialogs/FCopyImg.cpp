#include "dialogs/FCopyImg.h"

#include "QorCheckBox.h"
#include "QorEdit.h"
#include "QorFileOutput.h"
#include "QorStrg.h"
#include "chart/Qor3DChart.h"
#include "desktop/UQorWaitCursor.h"
#include "dialogs/UDialogButtons.h"
#include "render/Qor3DPictureOutput.h"

#include <QBuffer>
#include <QClipboard>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLinearGradient>
#include <QMimeData>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QSvgGenerator>
#include <QTimer>
#include <QVBoxLayout>
#include <exception>
#include <functional>

namespace {

constexpr int PreviewDelayMs = 1000;
constexpr int MaxSide = 10000;
// Pictures are laid out in pixels at the desktop's 96 per inch, the resolution the legend's
// fonts are measured at.
constexpr int PictureDpi = 96;

// The preview panel's background: a soft vertical gradient of the window colour.
class TGradientPanel : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        const QColor base = palette().window().color();
        QLinearGradient gradient(0, 0, 0, height());
        gradient.setColorAt(0, base.lighter(112));
        gradient.setColorAt(1, base.darker(112));
        painter.fillRect(rect(), gradient);
    }
};

// A plain drawing area whose owner paints it.
class TPaintBox : public QWidget {
public:
    using QWidget::QWidget;
    std::function<void(QPainter&)> OnPaint;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        if (OnPaint)
            OnPaint(painter);
    }
};

TQorEdit* NewSizeEdit(QWidget* Parent, const char* Name, int Initial) {
    auto* edit = new TQorEdit(pesInteger, 1, MaxSide, Parent);
    edit->setObjectName(Name);
    edit->SetIncrement(100);
    edit->SetIncrementSmart(false);
    edit->SetValue(Initial);
    // Room for the largest size and the spin buttons.
    edit->setMinimumWidth(edit->fontMetrics().horizontalAdvance("000000") + 32);
    return edit;
}

// Qt states the size in millimetres; in pixels every application reads it as W x H.
QByteArray SvgSizeInPixels(QByteArray Svg, QSize Size) {
    static const QRegularExpression header(R"(<svg width="[^"]*" height="[^"]*")");
    const QRegularExpressionMatch m = header.match(QString::fromLatin1(Svg.left(512)));
    if (m.hasMatch())
        Svg.replace(m.capturedStart(), m.capturedLength(),
                    QString(R"(<svg width="%1" height="%2")")
                        .arg(Size.width())
                        .arg(Size.height())
                        .toLatin1());
    return Svg;
}

// The whole picture onto a vector device; false when the device could not take it.
bool PaintPicture(QPaintDevice& Device, const TQorChartPicture& Picture) {
    QPainter painter;
    if (!painter.begin(&Device))
        return false;
    QorPaint::DrawChartPicture(painter, QRect(QPoint(0, 0), Picture.Size), Picture);
    return painter.end();
}

bool WritePdf(QIODevice& Device, const TQorChartPicture& Picture) {
    QPdfWriter writer(&Device);
    writer.setResolution(PictureDpi);
    writer.setPageSize(QPageSize(QSizeF(Picture.Size) * 72.0 / PictureDpi, QPageSize::Point,
                                 QString(), QPageSize::ExactMatch));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    writer.setCreator("Plotyra");
    return PaintPicture(writer, Picture);
}

} // namespace

TFormCopyImage::TFormCopyImage(TQor3DChart& Chart, TQorColorScale* ColorScale, QWidget* Owner)
    : QDialog(Owner), FChart(Chart), FColorScale(ColorScale),
      QorStorage1(std::make_unique<TQorStorage>()) {
    setObjectName("FormCopyImage");
    setWindowTitle("Copy Image");
    QorStorage1->SetIniSection("TFormCopyImage");
    QorStorage1->SetOptions({});
    CreateControls();
}

TFormCopyImage::~TFormCopyImage() = default;

void TFormCopyImage::CreateControls() {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    // The form is as high as its visible panels: hiding the preview shortens it.
    layout->setSizeConstraint(QLayout::SetFixedSize);

    PanelSize = new QWidget(this);
    PanelSize->setObjectName("PanelSize");
    auto* grid = new QGridLayout(PanelSize);
    CtrlWidth = NewSizeEdit(PanelSize, "CtrlWidth", 500);
    CtrlHeight = NewSizeEdit(PanelSize, "CtrlHeight", 400);
    CtrlPreview = new TQorCheckBox(" Show Preview", PanelSize);
    CtrlPreview->setObjectName("CtrlPreview");
    CtrlPreview->SetChecked(true);
    grid->addWidget(new QLabel("Width:", PanelSize), 0, 0);
    grid->addWidget(CtrlWidth, 0, 1);
    grid->addWidget(new QLabel("pixels", PanelSize), 0, 2);
    grid->addWidget(new QLabel("Height:", PanelSize), 1, 0);
    grid->addWidget(CtrlHeight, 1, 1);
    grid->addWidget(new QLabel("pixels", PanelSize), 1, 2);
    grid->addWidget(CtrlPreview, 2, 0, 1, 3);
    grid->setColumnStretch(3, 1);
    layout->addWidget(PanelSize);

    PanelPreviewGrad = new TGradientPanel(this);
    PanelPreviewGrad->setObjectName("PanelPreviewGrad");
    auto* previewLayout = new QVBoxLayout(PanelPreviewGrad);
    previewLayout->setContentsMargins(8, 8, 8, 8);
    auto* paintBox = new TPaintBox(PanelPreviewGrad);
    paintBox->setObjectName("PaintBoxPreview");
    paintBox->setFixedSize(400, 300);
    paintBox->OnPaint = [this](QPainter& Painter) {
        PaintBoxPreviewPaint(Painter);
    };
    PaintBoxPreview = paintBox;
    previewLayout->addWidget(PaintBoxPreview);
    layout->addWidget(PanelPreviewGrad);

    PanelButtons = new QWidget(this);
    PanelButtons->setObjectName("PanelButtons");
    auto* buttonsLayout = new QVBoxLayout(PanelButtons);
    LabelMessage = new QLabel(PanelButtons);
    LabelMessage->setObjectName("LabelMessage");
    LabelMessage->setWordWrap(true);
    LabelMessage->setStyleSheet("color: #c00000");
    LabelMessage->hide();
    buttonsLayout->addWidget(LabelMessage);
    const TDialogButtons buttons = AddDialogButtons(*this, *buttonsLayout, "OK");
    BtnOk = buttons.Accept;
    BtnOk->setObjectName("BtnOk");
    BtnCancel = buttons.Cancel;
    BtnSave = new QPushButton("Save...", PanelButtons);
    BtnSave->setObjectName("BtnSave");
    BtnSave->setToolTip("Saves the picture as a PNG, SVG or PDF file and closes the dialog box");
    buttons.Row->insertWidget(1, BtnSave);
    layout->addWidget(PanelButtons);

    TimerDrawPreview = new QTimer(this);
    TimerDrawPreview->setObjectName("TimerDrawPreview");
    TimerDrawPreview->setSingleShot(true);
    TimerDrawPreview->setInterval(PreviewDelayMs);

    CtrlWidth->OnChange = [this](TQorEdit*) {
        CtrlSizeChange();
    };
    CtrlHeight->OnChange = [this](TQorEdit*) {
        CtrlSizeChange();
    };
    CtrlPreview->OnChange = [this](TQorCheckBox*) {
        CtrlPreviewChange();
    };
    connect(TimerDrawPreview, &QTimer::timeout, this, [this] { TimerDrawPreviewTimer(); });
    // OK closes only once the picture is on the clipboard.
    disconnect(BtnOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(BtnOk, &QPushButton::clicked, this, [this] { BtnOkClick(); });
    connect(BtnSave, &QPushButton::clicked, this, [this] { BtnSaveClick(); });
}

// ---- Stored settings ----------------------------------------------------------------------

void TFormCopyImage::ReadSettings() {
    const TQorStorage& s = *QorStorage1;
    CtrlWidth->SetValue(s.ReadFloat("CtrlWidth.ValueEx", CtrlWidth->ValueEx()));
    CtrlHeight->SetValue(s.ReadFloat("CtrlHeight.ValueEx", CtrlHeight->ValueEx()));
    CtrlPreview->SetChecked(s.ReadBool("CtrlPreview.Checked", CtrlPreview->Checked()));
}

void TFormCopyImage::WriteSettings() {
    TQorStorageBatch batch(*QorStorage1);
    QorStorage1->WriteFloat("CtrlWidth.ValueEx", CtrlWidth->ValueEx());
    QorStorage1->WriteFloat("CtrlHeight.ValueEx", CtrlHeight->ValueEx());
    QorStorage1->WriteBool("CtrlPreview.Checked", CtrlPreview->Checked());
}

void TFormCopyImage::showEvent(QShowEvent* Event) {
    QDialog::showEvent(Event);
    if (FShown)
        return;
    FShown = true;
    ReadSettings();
    CtrlPreviewChange();
    TimerDrawPreviewTimer();
    BtnOk->setFocus();
}

void TFormCopyImage::done(int Result) {
    TimerDrawPreview->stop();
    if (Result == Accepted)
        WriteSettings();
    QDialog::done(Result);
}

// ---- Preview ------------------------------------------------------------------------------

void TFormCopyImage::CtrlPreviewChange() {
    PanelPreviewGrad->setVisible(CtrlPreview->Checked());
    layout()->activate();
    if (CtrlPreview->Checked())
        TimerDrawPreview->start();
}

void TFormCopyImage::CtrlSizeChange() {
    TimerDrawPreview->start();
}

void TFormCopyImage::TimerDrawPreviewTimer() {
    TQorWaitCursor busy;
    TimerDrawPreview->stop();
    if (!CtrlPreview->Checked())
        return;
    RenderImage();
    PaintBoxPreview->update();
}

void TFormCopyImage::PaintBoxPreviewPaint(QPainter& Painter) {
    if (!CtrlPreview->Checked() || !FPicture)
        return;
    TQorWaitCursor busy;
    // The picture as last rendered, scaled to fit and centred.
    const QSize size = FPicture->Size;
    const QSize area = PaintBoxPreview->size();
    const double f =
        std::min(double(area.width()) / size.width(), double(area.height()) / size.height());
    const int w = int(std::nearbyint(f * size.width()));
    const int h = int(std::nearbyint(f * size.height()));
    const QRect r(area.width() / 2 - w / 2, area.height() / 2 - h / 2, w, h);
    Painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    QorPaint::DrawChartPicture(Painter, r, *FPicture);
    Painter.setPen(QPen(Qt::black, 1, Qt::DashLine));
    Painter.setBrush(Qt::NoBrush);
    Painter.drawRect(r.adjusted(0, 0, -1, -1));
}

// ---- Render, copy, save -------------------------------------------------------------------

QString TFormCopyImage::Message() const {
    return LabelMessage->text();
}

bool TFormCopyImage::Fail(const QString& Text) {
    LabelMessage->setText(Text);
    LabelMessage->show();
    return false;
}

bool TFormCopyImage::RenderImage() {
    TQorWaitCursor busy;
    const int w = CtrlWidth->ValueInt();
    const int h = CtrlHeight->ValueInt();
    FPicture.reset();
    const QString what = QString("No picture of %1 × %2 pixels could be rendered").arg(w).arg(h);
    try {
        TQorChartPicture picture = QorPaint::RenderChartPicture(FChart, FColorScale, w, h);
        if (!picture.PaintError.empty())
            return Fail(what + ": " + QString::fromStdString(picture.PaintError) + ".");
        if (!picture.Complete())
            return Fail(what + ": there is not enough memory for it.");
        FPicture = std::move(picture);
    } catch (const std::exception& e) {
        return Fail(what + ": " + QString::fromUtf8(e.what()));
    } catch (...) {
        return Fail(what + ".");
    }
    LabelMessage->clear();
    LabelMessage->hide();
    return true;
}

QByteArray TFormCopyImage::PictureSvg(const TQorChartPicture& Picture) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QSvgGenerator svg;
    svg.setOutputDevice(&buffer);
    svg.setSize(Picture.Size);
    svg.setViewBox(QRect(QPoint(0, 0), Picture.Size));
    svg.setResolution(PictureDpi);
    svg.setTitle("Chart");
    svg.setDescription("Drawn by Plotyra");
    if (!PaintPicture(svg, Picture))
        return {};
    return SvgSizeInPixels(buffer.data(), Picture.Size);
}

bool TFormCopyImage::CopyToClipboard() {
    const TQorChartPicture& p = *FPicture;
    auto data = std::make_unique<QMimeData>();
    if (p.ScaleImage) {
        // Applications that take vector pictures paste the SVG, all others the PNG.
        const QImage image = QorPaint::ChartPictureImage(p);
        const QByteArray svg = PictureSvg(p);
        if (image.isNull() || svg.isEmpty())
            return Fail(QString("There is not enough memory to copy a picture of %1 × %2 pixels.")
                            .arg(p.Size.width())
                            .arg(p.Size.height()));
        data->setData("image/svg+xml", svg);
        data->setImageData(image);
    } else {
        data->setImageData(p.Chart);
    }
    QGuiApplication::clipboard()->setMimeData(data.release());
    return true;
}

void TFormCopyImage::BtnOkClick() {
    TQorWaitCursor busy;
    if (RenderImage() && CopyToClipboard())
        accept();
}

bool TFormCopyImage::SavePicture(const QString& FileName) {
    const QString format = QFileInfo(FileName).suffix().toLower();
    if (format != "png" && format != "svg" && format != "pdf")
        return Fail(QString("Cannot save %1: the name must end in .png, .svg or .pdf.")
                        .arg(QFileInfo(FileName).fileName()));
    if (!RenderImage())
        return false;
    TQorWaitCursor busy;
    const TQorChartPicture& p = *FPicture;
    // Encoded in memory first, then written through a file output that replaces the old file
    // only once every byte is there (and follows a link to the file it names).
    QByteArray bytes;
    QBuffer buffer(&bytes);
    bool encoded = buffer.open(QIODevice::WriteOnly);
    if (encoded && format == "png") {
        // The engine's encoder, as plotyra-cli and the Python module write their pictures.
        const QImage image = p.ScaleImage ? QorPaint::ChartPictureImage(p) : p.Chart;
        std::string why;
        encoded = !image.isNull() && QorPaint::EncodePng(image, bytes, why);
    } else if (encoded && format == "svg") {
        const QByteArray svg = PictureSvg(p);
        encoded = !svg.isEmpty() && buffer.write(svg) == svg.size();
    } else if (encoded) {
        encoded = WritePdf(buffer, p);
    }
    const QString name = QFileInfo(FileName).fileName();
    if (!encoded)
        return Fail(QString("Cannot save %1: the picture is too large.").arg(name));
    std::string error;
    if (WriteFileAtomically(QFile::encodeName(FileName).toStdString(),
                            std::string_view(bytes.constData(), size_t(bytes.size())), &error))
        return true;
    return Fail(QString("Cannot save %1: %2.").arg(name, QString::fromStdString(error)));
}

void TFormCopyImage::BtnSaveClick() {
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    QString selected;
    QString name = QFileDialog::getSaveFileName(
        this, "Save Image", folder + "/chart.png",
        "PNG picture (*.png);;SVG drawing (*.svg);;PDF document (*.pdf)", &selected);
    if (name.isEmpty())
        return;
    // A name without an extension takes the one of the chosen file type.
    static const QRegularExpression extension(R"(\*(\.\w+))");
    const QString chosen = extension.match(selected).captured(1);
    if (QFileInfo(name).suffix().isEmpty() && !chosen.isEmpty())
        name += chosen;
    if (SavePicture(name))
        accept();
}

// ---- The call of the main window ----------------------------------------------------------

void ShowCopyImageDialog(TQor3DDraw& Control, QWidget* Owner, TQorColorScale* ColorScale) {
    auto* chart = dynamic_cast<TQor3DChart*>(&Control);
    if (chart == nullptr)
        return;
    TFormCopyImage dialog(*chart, ColorScale, Owner);
    dialog.exec();
}
