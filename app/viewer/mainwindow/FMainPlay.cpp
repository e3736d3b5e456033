#include "mainwindow/FMain.h"

#include "Qor3DDrawWidget.h"
#include "QorCheckBox.h"
#include "QorColorScaleWidget.h"
#include "QorEdit.h"
#include "QorUpdateBracket.h"
#include "desktop/UQorWaitCursor.h"
#include "desktop/URecentlyUsed.h"
#include "mainwindow/UFileListBox.h"
#include "mainwindow/UImportChoices.h"
#include "mainwindow/UPlayInterval.h"

#include <QAction>
#include <QComboBox>
#include <QMimeDatabase>
#include <QPushButton>
#include <QStandardItemModel>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QTreeView>
#include <utility>

namespace {

constexpr int FirstStepMs = 100;
// Stored settings hold these numbers.
enum TPlayMode : uint8_t { pmFiles, pmRotate, pmIndex };

} // namespace

bool TFormMain::Playing() const {
    return BtnPlay->text() == "Stop";
}

void TFormMain::BtnPlayClick() {
    const bool start = !Playing();
    if (start && ListPlay->currentIndex() == pmIndex && PlayDimension() == nullptr) {
        ShowStatus("Index playback steps through a dimension that the chart does not show (time, "
                   "level); the shown chart has none.");
        return;
    }
    BtnPlay->setText(start ? "Stop" : "Play");
    BtnPlay->setIcon(style()->standardIcon(start ? QStyle::SP_MediaStop : QStyle::SP_MediaPlay));
    // Whatever would show another folder under the running playback is off as well.
    for (QWidget* w : std::initializer_list<QWidget*>{
             CtrlDir, CtrlFile, FChartWidget, FColorScaleWidget, CtrlFileTypes, ListPlay,
             ListPlayDim, EditFPS, ChRep, BtnHome, BtnSamples})
        w->setEnabled(!start);
    if (start) {
        FPlayLoaded = false;
        TimerPlay->setInterval(FirstStepMs);
        TimerPlay->start();
    } else {
        TimerPlay->stop();
        if (std::exchange(FPlayLoaded, false) && !FLoadedFile.isEmpty()) {
            AddRecentlyUsed(FLoadedFile, QMimeDatabase().mimeTypeForFile(FLoadedFile).name());
            // The place shown last is the file's choice from now on, as if picked in the
            // Import dialog.
            if (ListPlay->currentIndex() == pmIndex)
                WriteFileChoice(QorStorage1, FLoadedFile.toStdString(), FLoadedOptions);
        }
    }
}

void TFormMain::ListPlayChange() {
    const int mode = ListPlay->currentIndex();
    ChRep->setVisible(mode == pmFiles || mode == pmIndex);
    ListPlayDim->setVisible(mode == pmIndex && FHiddenDims.Hidden.size() > 1);
}

void TFormMain::UpdateIndexPlay() {
    FHiddenDims = FLoadedFile.isEmpty()
                      ? TQorImportDimensions()
                      : HiddenImportDimensions(FLoadedFile.toStdString(), FLoadedOptions);
    if (auto* model = qobject_cast<QStandardItemModel*>(ListPlay->model()))
        model->item(pmIndex)->setEnabled(!FHiddenDims.Hidden.empty());
    // The list keeps the user's choice while the dimensions stay the same.
    QStringList names;
    for (const TQorImportDimension& d : FHiddenDims.Hidden)
        names << QString::fromStdString(d.Name);
    QStringList listed;
    for (int i = 0; i < ListPlayDim->count(); ++i)
        listed << ListPlayDim->itemText(i);
    if (names != listed) {
        ListPlayDim->clear();
        ListPlayDim->addItems(names);
    }
    ListPlayChange();
}

const TQorImportDimension* TFormMain::PlayDimension() const {
    const std::vector<TQorImportDimension>& hidden = FHiddenDims.Hidden;
    if (hidden.size() == 1)
        return &hidden.front();
    const int chosen = ListPlayDim->currentIndex();
    return chosen >= 0 && size_t(chosen) < hidden.size() ? &hidden[size_t(chosen)] : nullptr;
}

// The next place along the dimension, the other choices as they are; the view and the chart's
// properties stay, as when files are played.
bool TFormMain::StepIndex() {
    const TQorImportDimension* dimension = PlayDimension();
    if (dimension == nullptr || FLoadedFile.isEmpty())
        return false;
    int64_t next = dimension->Index + 1;
    if (next >= dimension->Count) {
        if (!ChRep->Checked())
            return false;
        next = 0;
    }
    const std::string name = dimension->Name;
    TQorImportOptions options = FLoadedOptions;
    options.Set("index", name + "=" + std::to_string(next));
    bool read = false;
    {
        TQorWaitCursor wait;
        const TQorUpdateScope scope(Qor3DChart);
        read = LoadChart(FLoadedFile, options);
        if (read && MenuItemAutoScaleOnLoad->isChecked()) {
            Qor3DChart.SetAllAutoRanges();
            Qor3DChart.UpdateRanges();
        }
    }
    for (const TQorImportDimension& d : FHiddenDims.Hidden)
        if (read && d.Name == name)
            ShowIndexStatus(d);
    return read;
}

// "time = 2 / 4 (12 hours since 2020-01-01)": the place from 0, as --index counts it.
void TFormMain::ShowIndexStatus(const TQorImportDimension& Dimension) {
    QString text = QString("%1 = %2 / %3")
                       .arg(QString::fromStdString(Dimension.Name))
                       .arg(Dimension.Index)
                       .arg(Dimension.Count);
    const std::string coordinate = ImportCoordinateText(
        FLoadedFile.toStdString(), FHiddenDims.Variable, Dimension, Dimension.Index);
    if (!coordinate.empty())
        text += QString(" (%1)").arg(QString::fromStdString(coordinate));
    // A warning of the read stays in front.
    const QString before = statusBar()->currentMessage();
    ShowStatus(before.isEmpty() ? text : before + "  " + text);
}

// One step; the timer never runs while a step is executed, so steps never overlap.
void TFormMain::TimerPlayTimer() {
    if (!TimerPlay->isActive())
        return;
    TimerPlay->stop();
    FPlayTick = FTickCount();
    const int mode = ListPlay->currentIndex();
    if (mode == pmIndex) {
        if (!StepIndex()) {
            BtnPlayClick();
            return;
        }
    } else if (mode == pmRotate || CtrlFile->count() == 0) {
        // Turned as a drag turns it: reduced density until the steps stop.
        Qor3DChart.BeginTurning();
        Qor3DChart.SetViewRotY(Qor3DChart.ViewRotY() + 1);
    } else {
        if (!CtrlFile->LastSelected()) {
            const QListWidgetItem* current = CtrlFile->currentItem();
            const bool selected = current != nullptr && current->isSelected();
            CtrlFile->setCurrentRow(selected ? CtrlFile->currentRow() + 1 : 0);
        } else if (!ChRep->Checked()) {
            BtnPlayClick();
            return;
        } else {
            CtrlFile->setCurrentRow(0);
        }
        MenuItemReloadChartClick();
    }
    const int interval = PlayInterval(EditFPS->Value(), FPlayTick, FTickCount());
    if (Playing())
        TimerPlay->start(interval);
}
