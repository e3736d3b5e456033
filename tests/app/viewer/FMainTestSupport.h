// Starting the main window as a user meets it, with a clean settings store, and acting on the
// modal dialogs it opens.
#pragma once

#include "ModalTestSupport.h"
#include "Qor3DRecording.h"
#include "QorStrg.h"
#include "mainwindow/FMain.h"
#include "mainwindow/UFileListBox.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QScreen>
#include <QStandardPaths>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

// Waits (processing events) until Done holds or TimeoutMs passed; answers Done().
inline bool WaitFor(const std::function<bool()>& Done, int TimeoutMs = 3000) {
    QElapsedTimer clock;
    clock.start();
    while (!Done() && clock.elapsed() < TimeoutMs)
        QTest::qWait(10);
    return Done();
}

// Whether the tests run on a real display (under xvfb-run), where the screen can be grabbed.
inline bool OnDisplay() {
    return QGuiApplication::platformName() == "xcb";
}

// The screen's picture of Window, as the user sees it (OpenGL windows included).
inline QImage ScreenShot(QWidget& Window) {
    QTest::qWait(150);
    return Window.screen()->grabWindow(Window.winId()).toImage();
}

// Where Part lies in Window's coordinates.
inline QRect AreaOf(QWidget& Window, QWidget& Part) {
    return QRect(Part.mapTo(&Window, QPoint(0, 0)), Part.size());
}

class TFormMainFixture : public ::testing::Test {
protected:
    void SetUp() override { ClearSettings(); }
    void TearDown() override {
        Window.reset();
        ClearSettings();
    }

    static void ClearSettings() {
        QDir(QString::fromStdString(TQorStorage::ConfigFolder())).removeRecursively();
        QFile::remove(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                      "/recently-used.xbel");
    }

    // Builds and shows the window; in bitmap mode the chart draws through the recording
    // back-end unless Drawn asks for real pictures.
    TFormMain& Start(const QStringList& Params = {}, bool Drawn = false) {
        Window = std::make_unique<TFormMain>(Params);
        if (!Drawn)
            Window->Chart().SetBitmapPlatform(Bitmaps);
        Window->show();
        QCoreApplication::processEvents();
        return *Window;
    }
    // Starts the window on the display at Size, drawn through the real renderers; true once
    // it is exposed, active and has drawn its first picture.
    ::testing::AssertionResult StartOnScreen(const QStringList& Params = {},
                                             QSize Size = {1000, 700}) {
        TFormMain& w = Start(Params, true);
        w.resize(Size);
        if (!QTest::qWaitForWindowExposed(&w))
            return ::testing::AssertionFailure() << "the window is not exposed";
        w.activateWindow();
        if (!QTest::qWaitForWindowActive(&w))
            return ::testing::AssertionFailure() << "the window is not active";
        if (!WaitFor([&] { return w.Chart().RenderCount() > 0; }))
            return ::testing::AssertionFailure() << "the chart is not drawn";
        return ::testing::AssertionSuccess();
    }
    // Closes and destroys the window, as the user quitting the program.
    void Quit() {
        Window->close();
        Window.reset();
    }

    QAction& Action(const char* Name) const {
        auto* action = Window->findChild<QAction*>(Name);
        EXPECT_NE(action, nullptr) << Name;
        return *action;
    }
    template <typename T = QWidget> T& Control(const char* Name) const {
        auto* control = Window->findChild<T*>(Name);
        EXPECT_NE(control, nullptr) << Name;
        return *control;
    }
    TFileListBox& FileList() const { return Control<TFileListBox>("CtrlFile"); }

    // A user click on the list entry Name.
    void ClickFile(const QString& Name) const {
        TFileListBox& list = FileList();
        const auto found = list.findItems(Name, Qt::MatchFixedString);
        ASSERT_EQ(found.size(), 1) << Name.toStdString();
        list.scrollToItem(found.first());
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {},
                          list.visualItemRect(found.first()).center());
    }

    TGLRecordingPlatform Bitmaps;
    std::unique_ptr<TFormMain> Window;
};
