// A Qt top-level widget as the form whose placement a TQorStorage keeps. Positions are the
// widget's geometry without the window frame, which is what setGeometry takes back.
#pragma once

#include "QorStrg.h"

#include <string>

class QWidget;

class TQorWidgetStorageWindow : public TQorStorageWindow {
public:
    // Window is borrowed and must outlive the adapter.
    TQorWidgetStorageWindow(QWidget& Window, std::string ClassName, bool MainForm,
                            TFormBorderStyle Border = bsSizeable);

    std::string ClassName() const override { return FClassName; }
    bool IsMainForm() const override { return FMainForm; }
    bool IsMinimizedMdiChild() const override { return false; }
    bool ApplicationMinimized() const override;
    TFormBorderStyle BorderStyle() const override { return FBorder; }
    bool HasWindow() const override;
    bool Visible() const override;
    TRect BoundsRect() const override;
    TWindowPlacement GetPlacement() const override;
    // Takes the normal position; the state is SetWindowState's.
    void SetPlacement(const TWindowPlacement& Placement) override;
    void SetWindowState(TWindowState State) override;
    void MinimizeApplication() override;
    void Update() override;
    TPoint ScreenSize() const override;
    TPoint FrameSize() const override;
    std::string ActiveControlName() const override;
    void FocusControl(const std::string& Name) override;

private:
    QWidget& FWindow;
    std::string FClassName;
    bool FMainForm;
    TFormBorderStyle FBorder;
};
