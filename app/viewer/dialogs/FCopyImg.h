// TFormCopyImage, "Copy Image": puts a picture of the chart on the clipboard at a size the
// user chooses, independent of the window's size, or saves it to a file. With the legend shown
// the picture is the chart bitmap with the legend beside it as vector drawing (SVG together with
// a PNG of the same picture); without it, the chart bitmap alone.
//
// Sections: the dialog (controls, stored settings, preview, render, copy and save); the call
// of the main window.
#pragma once

#include "render/Qor3DChartLegendPicture.h"

#include <QDialog>
#include <QString>
#include <memory>
#include <optional>

class QLabel;
class QPainter;
class QPushButton;
class QTimer;
class QWidget;
class TQor3DChart;
class TQor3DDraw;
class TQorCheckBox;
class TQorColorScale;
class TQorEdit;
class TQorStorage;

class TFormCopyImage : public QDialog {
    Q_OBJECT
public:
    // Chart and ColorScale are borrowed; ColorScale is nullptr while the legend is hidden.
    TFormCopyImage(TQor3DChart& Chart, TQorColorScale* ColorScale, QWidget* Owner = nullptr);
    ~TFormCopyImage() override;

    // Renders the chart (and the legend picture) at the size of the edits. False when no
    // picture could be had; the dialog then shows why.
    bool RenderImage();
    // The last render; empty before the first and after a failed one.
    const std::optional<TQorChartPicture>& Picture() const { return FPicture; }
    // The text the dialog shows about a failure; empty when all went well.
    QString Message() const;

    // A fresh render at the edits' size written to FileName as PNG, SVG or PDF by its
    // extension (another extension is refused). False with the reason shown in the dialog.
    bool SavePicture(const QString& FileName);

    // The picture as SVG: the chart bitmap and the legend as vector drawing, Size pixels.
    static QByteArray PictureSvg(const TQorChartPicture& Picture);

protected:
    void showEvent(QShowEvent* Event) override;
    void done(int Result) override;

private:
    void CreateControls();
    void CtrlPreviewChange();
    void CtrlSizeChange();
    void TimerDrawPreviewTimer();
    void BtnOkClick();
    void BtnSaveClick();
    void PaintBoxPreviewPaint(QPainter& Painter);
    bool CopyToClipboard();
    void ReadSettings();
    void WriteSettings();
    bool Fail(const QString& Text);

    TQor3DChart& FChart;
    TQorColorScale* FColorScale;
    std::optional<TQorChartPicture> FPicture;
    std::unique_ptr<TQorStorage> QorStorage1;
    bool FShown = false;

    QWidget* PanelSize = nullptr;
    TQorEdit* CtrlWidth = nullptr;
    TQorEdit* CtrlHeight = nullptr;
    TQorCheckBox* CtrlPreview = nullptr;
    QWidget* PanelPreviewGrad = nullptr;
    QWidget* PaintBoxPreview = nullptr;
    QWidget* PanelButtons = nullptr;
    QLabel* LabelMessage = nullptr;
    QPushButton* BtnSave = nullptr;
    QPushButton* BtnOk = nullptr;
    QPushButton* BtnCancel = nullptr;
    QTimer* TimerDrawPreview = nullptr;
};

// Shows the dialog modally for one copy when Control is a chart; ColorScale is the legend when
// it is visible, else nullptr.
void ShowCopyImageDialog(TQor3DDraw& Control, QWidget* Owner, TQorColorScale* ColorScale);
