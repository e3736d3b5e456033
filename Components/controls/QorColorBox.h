// TQorColorBox: a swatch of the selected colour that opens the desktop's colour dialog when
// clicked. Selecting by program is silent; a colour picked in the dialog, or ChangeSelected,
// marks the box modified and fires OnChange. The frame around the swatch shows
// UnchangedColor until the user changes the colour, ChangedColor afterwards.
#pragma once

#include "QorControlLook.h"

#include <QAbstractButton>
#include <functional>

class TQorColorBox : public QAbstractButton {
    Q_OBJECT
public:
    explicit TQorColorBox(QWidget* Parent = nullptr);

    TColor Selected() const { return FSelected; }
    void SetSelected(TColor v);
    void ChangeSelected(TColor v);

    bool Modified() const { return FModified; }
    void SetModified(bool v);

    TColor UnchangedColor() const { return FUnchangedColor; }
    void SetUnchangedColor(TColor v);
    TColor ChangedColor() const { return FChangedColor; }
    void SetChangedColor(TColor v);
    TColor CurrentColor() const { return FModified ? FChangedColor : FUnchangedColor; }

    // Title of the colour dialog.
    QString DialogTitle() const { return FDialogTitle; }
    void SetDialogTitle(const QString& v) { FDialogTitle = v; }

    QString Hint() const { return toolTip(); }
    void SetHint(const QString& v) { setToolTip(v); }

    QSize sizeHint() const override;

    std::function<void(TQorColorBox* Sender)> OnChange;

protected:
    void paintEvent(QPaintEvent* Event) override;

private:
    void PickColor();

    TColor FSelected = clBlack;
    bool FModified = false;
    TColor FUnchangedColor = QorUnchangedColor;
    TColor FChangedColor = QorChangedColor;
    QString FDialogTitle;
};
