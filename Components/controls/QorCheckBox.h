// TQorCheckBox: the styled check box of the dialogs. Setting Checked by program is silent;
// a click, the space key or ChangeChecked act as the user: they mark the box modified and
// fire OnChange. The box draws its glyph from one of two sets: the plain set while unchanged,
// the changed set once the user changed it.
#pragma once

#include "UQorTypes.h"

#include <QCheckBox>
#include <QStyle>
#include <functional>

class QStyleOptionButton;

enum TQorCheckGlyphs : uint8_t { cgPlain, cgChanged };

class TQorCheckBox : public QCheckBox {
    Q_OBJECT
public:
    explicit TQorCheckBox(QWidget* Parent = nullptr);
    explicit TQorCheckBox(const QString& Caption, QWidget* Parent = nullptr);

    bool Checked() const { return isChecked(); }
    void SetChecked(bool v);
    void ChangeChecked(bool v);

    bool Modified() const { return FModified; }
    void SetModified(bool v);
    TQorCheckGlyphs Glyphs() const { return FModified ? cgChanged : cgPlain; }

    // taLeftJustify puts the caption left of the box ("Use safe OpenGL (slow):" [x]).
    TLeftRight Alignment() const { return FAlignment; }
    void SetAlignment(TLeftRight v);

    QString Hint() const { return toolTip(); }
    void SetHint(const QString& v) { setToolTip(v); }

    std::function<void(TQorCheckBox* Sender)> OnChange;

protected:
    void paintEvent(QPaintEvent* Event) override;
    bool hitButton(const QPoint& Pos) const override;

private:
    void Changed();
    QRect PartRect(QStyle::SubElement Part, const QStyleOptionButton& Option) const;

    bool FModified = false;
    TLeftRight FAlignment = taRightJustify;
};
