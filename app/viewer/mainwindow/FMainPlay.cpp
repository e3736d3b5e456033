#include "mainwindow/FMain.h"

#include "Qor3DDrawWidget.h"
#include "QorCheckBox.h"
#include "QorColorScaleWidget.h"
#include "QorEdit.h"
#include "desktop/URecentlyUsed.h"
#include "mainwindow/UFileListBox.h"
#include "mainwindow/UPlayInterval.h"

#include <QComboBox>
#include <QMimeDatabase>
#include <QPushButton>
#include <QStyle>
#include <QTimer>
#include <QTreeView>
#include <utility>

namespace {

constexpr int FirstStepMs = 100;
enum TPlayMode : uint8_t { pmFiles, pmRotate };

} // namespace

bool TFormMain::Playing() const {
    return BtnPlay->text() == "Stop";
}

void TFormMain::BtnPlayClick() {
    const bool start = !Playing();
    BtnPlay->setText(start ? "Stop" : "Play");
    BtnPlay->setIcon(style()->standardIcon(start ? QStyle::SP_MediaStop : QStyle::SP_MediaPlay));
    // Whatever would show another folder under the running playback is off as well.
    for (QWidget* w : std::initializer_list<QWidget*>{CtrlDir, CtrlFile, FChartWidget,
                                                      FColorScaleWidget, CtrlFileTypes, ListPlay,
                                                      EditFPS, ChRep, BtnHome, BtnSamples})
        w->setEnabled(!start);
    if (start) {
        FPlayLoaded = false;
        TimerPlay->setInterval(FirstStepMs);
        TimerPlay->start();
    } else {
        TimerPlay->stop();
        if (std::exchange(FPlayLoaded, false) && !FLoadedFile.isEmpty())
            AddRecentlyUsed(FLoadedFile, QMimeDatabase().mimeTypeForFile(FLoadedFile).name());
    }
}

void TFormMain::ListPlayChange() {
    ChRep->setVisible(ListPlay->currentIndex() == pmFiles);
}

// One step; the timer never runs while a step is executed, so steps never overlap.
void TFormMain::TimerPlayTimer() {
    if (!TimerPlay->isActive())
        return;
    TimerPlay->stop();
    FPlayTick = FTickCount();
    if (ListPlay->currentIndex() == pmRotate || CtrlFile->count() == 0) {
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
