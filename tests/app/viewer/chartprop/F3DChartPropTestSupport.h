// The chart properties dialog as the main window opens it: a chart and a legend with the
// main window's design-time values, their two default copies, and helpers that act on the
// dialog's controls by their names, as a user would.
#pragma once

#include "QorCheckBox.h"
#include "QorColSc.h"
#include "QorColorBox.h"
#include "QorEdit.h"
#include "QorPropText.h"
#include "app/viewer/ModalTestSupport.h"
#include "chart/Qor3DChart.h"
#include "chartprop/F3DChartProp.h"

#include <QApplication>
#include <QComboBox>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <array>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <sstream>

// The main window's chart: the drawing control's design-time values.
inline void SetMainWindowView(TQor3DChart& Chart) {
    Chart.SetName("Qor3DChart");
    Chart.SetDragTypeMid(pdMove);
    Chart.SetDragTypeRight(pdMove);
    Chart.SetViewMoveY(0.1);
    Chart.SetViewRotX(30);
    Chart.SetViewRotY(130);
    Chart.SetViewScale(0.7);
}

// Every property of a chart as its property text, to compare whole states.
inline std::string PropertyText(const TQor3DChart& Chart) {
    TQorPropTextWriter writer;
    Chart.WriteToText(writer, "");
    return writer.Text();
}

// The text a message box shows, and a click on one of its buttons.
inline QString AnswerMessage(QWidget* Window, QMessageBox::StandardButton Button) {
    auto* box = qobject_cast<QMessageBox*>(Window);
    if (box == nullptr || box->button(Button) == nullptr) {
        ADD_FAILURE() << "not a message box with that button";
        Window->close();
        return {};
    }
    const QString text = box->text();
    box->button(Button)->click();
    return text;
}

class TDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetMainWindowView(Chart);
        Legend.SetName("QorColorScale");
        Legend.SetTransparent(false);
        Legend.Font().SetHeight(-16);
        DefaultChart.Assign(Chart);
        DefaultLegend.Assign(&Legend);
    }
    void TearDown() override { Dialog.reset(); }

    // Opens the dialog off screen as the main window would; without the legend or the
    // default copies when asked.
    TForm3DChartProp& Open(bool WithLegend = true, bool WithDefaults = true) {
        Dialog = std::make_unique<TForm3DChartProp>(Chart, WithLegend ? &Legend : nullptr,
                                                    WithLegend && WithDefaults ? &DefaultLegend
                                                                               : nullptr,
                                                    WithDefaults ? &DefaultChart : nullptr);
        Dialog->setAttribute(Qt::WA_DontShowOnScreen);
        Dialog->show();
        return *Dialog;
    }
    void ShowPage(const char* Page) {
        auto* tabs = Dialog->findChild<QTabWidget*>("PageControl1");
        tabs->setCurrentWidget(Dialog->findChild<QWidget*>(Page));
    }
    TForm3DChartProp& OpenAt(const char* Page) {
        Open();
        ShowPage(Page);
        return *Dialog;
    }

    template <typename T> T& Get(const char* Name) {
        T* w = Dialog->findChild<T*>(Name);
        if (w == nullptr)
            throw std::runtime_error(std::string("no control ") + Name);
        return *w;
    }
    TQorCheckBox& Check(const char* Name) { return Get<TQorCheckBox>(Name); }
    TQorEdit& Edit(const char* Name) { return Get<TQorEdit>(Name); }
    QComboBox& List(const char* Name) { return Get<QComboBox>(Name); }
    TQorColorBox& ColorBox(const char* Name) { return Get<TQorColorBox>(Name); }

    void Click(const char* Button) { QTest::mouseClick(&Get<QPushButton>(Button), Qt::LeftButton); }
    // Toggles a check box with the space key.
    void Toggle(TQorCheckBox& Box) {
        Box.setFocus();
        QTest::keyClick(&Box, Qt::Key_Space);
    }
    // Replaces the text of an edit by typing.
    void Type(TQorEdit& Edit, const QString& Text) {
        Edit.Editor()->selectAll();
        QTest::keyClicks(Edit.Editor(), Text);
    }
    // Picks an item of a drop-down list as the user does.
    void Pick(QComboBox& List, int Index) {
        List.setCurrentIndex(Index);
        emit List.activated(Index);
    }

    TQor3DChart Chart;
    TQorColorScale Legend;
    TQor3DChart DefaultChart;
    TQorColorScale DefaultLegend;
    std::unique_ptr<TForm3DChartProp> Dialog;
};

// The tests of the dialog's shell and of each page (one file per page unit).
using TChartPropDialog = TDialogTest;

// True when every styled control, list and colour box of the dialog shows its unchanged look.
inline ::testing::AssertionResult AllUnchanged(const QWidget& Dialog) {
    for (const TQorEdit* e : Dialog.findChildren<TQorEdit*>())
        if (e->Modified())
            return ::testing::AssertionFailure() << e->objectName().toStdString();
    for (const TQorCheckBox* b : Dialog.findChildren<TQorCheckBox*>())
        if (b->Modified())
            return ::testing::AssertionFailure() << b->objectName().toStdString();
    for (const TQorColorBox* b : Dialog.findChildren<TQorColorBox*>())
        if (b->Modified())
            return ::testing::AssertionFailure() << b->objectName().toStdString();
    for (const QComboBox* l : Dialog.findChildren<QComboBox*>())
        if (l->palette().color(QPalette::Button) != QColor(0, 255, 255))
            return ::testing::AssertionFailure() << l->objectName().toStdString();
    return ::testing::AssertionSuccess();
}

// A control inside a frame counts as shown when nothing between it and the dialog hides it.
inline bool Shown(const QWidget& W) {
    return W.isVisibleTo(W.window());
}

// Pixels of the view preview's three axis lines: pure red, green and blue on the translucent
// cube.
inline std::array<int, 3> AxisLinePixels(const QImage& Shot) {
    std::array<int, 3> n{};
    for (int y = 0; y < Shot.height(); ++y)
        for (int x = 0; x < Shot.width(); ++x) {
            const QColor c(Shot.pixel(x, y));
            n[0] += c.red() > 200 && c.green() < 60 && c.blue() < 60;
            n[1] += c.green() > 200 && c.red() < 60 && c.blue() < 60;
            n[2] += c.blue() > 200 && c.red() < 60 && c.green() < 60;
        }
    return n;
}
