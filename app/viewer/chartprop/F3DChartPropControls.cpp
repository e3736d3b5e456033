#include "chartprop/F3DChartPropControls.h"

#include "QorControlLook.h"

#include <QGridLayout>

QLabel* NewLabel(QWidget* Parent, const char* Name, const QString& Caption) {
    auto* label = new QLabel(Caption, Parent);
    label->setObjectName(Name);
    return label;
}

TQorCheckBox* NewCheck(QWidget* Parent, const char* Name, const QString& Caption,
                       TControlHandler OnChange, TLeftRight Side) {
    auto* box = new TQorCheckBox(Caption, Parent);
    box->setObjectName(Name);
    box->SetAlignment(Side);
    box->setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Fixed);
    box->OnChange = [OnChange = std::move(OnChange)](TQorCheckBox*) {
        OnChange();
    };
    return box;
}

TQorEdit* NewEdit(QWidget* Parent, const char* Name, TQorEditStyle Style, double Min, double Max,
                  TControlHandler OnChange, double Increment) {
    auto* edit = new TQorEdit(Style, Min, Max, Parent);
    edit->setObjectName(Name);
    edit->SetIncrement(Increment);
    edit->SetIncrementSmart(false);
    if (Style != pesString) {
        edit->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
        edit->setFixedWidth(110);
    }
    edit->OnChange = [OnChange = std::move(OnChange)](TQorEdit*) {
        OnChange();
    };
    return edit;
}

TQorEdit* NewTextEdit(QWidget* Parent, const char* Name, TControlHandler OnChange) {
    return NewEdit(Parent, Name, pesString, 0, 0, std::move(OnChange));
}

QComboBox* NewList(QWidget* Parent, const char* Name, const QStringList& Items,
                   TControlHandler OnUserChange) {
    auto* list = new QComboBox(Parent);
    list->setObjectName(Name);
    list->addItems(Items);
    list->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    // activated comes from the user only, never from setCurrentIndex.
    QObject::connect(list, &QComboBox::activated, list,
                     [OnUserChange = std::move(OnUserChange)] { OnUserChange(); });
    return list;
}

TQorColorBox* NewColorBox(QWidget* Parent, const char* Name, TControlHandler OnChange) {
    auto* box = new TQorColorBox(Parent);
    box->setObjectName(Name);
    box->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    box->OnChange = [OnChange = std::move(OnChange)](TQorColorBox*) {
        OnChange();
    };
    return box;
}

QPushButton* NewButton(QWidget* Parent, const char* Name, const QString& Caption,
                       TControlHandler OnClick, const QString& Hint) {
    auto* button = new QPushButton(Caption, Parent);
    button->setObjectName(Name);
    button->setAutoDefault(false);
    if (!Hint.isEmpty())
        button->setToolTip(Hint);
    QObject::connect(button, &QPushButton::clicked, button,
                     [OnClick = std::move(OnClick)] { OnClick(); });
    return button;
}

void AddRow(QGridLayout& Grid, int Row, QWidget* Caption, QWidget* Control, QWidget* Unit) {
    Grid.addWidget(Caption, Row, 0);
    Grid.addWidget(Control, Row, 1);
    if (Unit != nullptr)
        Grid.addWidget(Unit, Row, 2);
}

void LoadCheck(TQorCheckBox& Box, bool Checked) {
    Box.SetChecked(Checked);
    Box.SetModified(false);
}

void LoadValue(TQorEdit& Edit, double Value) {
    Edit.SetValue(Value);
    Edit.SetModified(false);
}

void LoadText(TQorEdit& Edit, const std::string& Text) {
    Edit.SetText(QString::fromStdString(Text));
    Edit.SetModified(false);
}

void LoadColor(TQorColorBox& Box, TColor Color) {
    Box.SetSelected(Color);
    Box.SetModified(false);
}

void LoadList(QComboBox& List, int Index) {
    if (Index >= 0 && Index < List.count())
        List.setCurrentIndex(Index);
    SetListBackground(List, QorUnchangedColor);
}

void ListChanged(QComboBox& List) {
    SetListBackground(List, QorChangedColor);
}

void ChangeList(QComboBox& List, int Index, const TControlHandler& Handler) {
    if (Index == List.currentIndex() || Index < 0 || Index >= List.count())
        return;
    List.setCurrentIndex(Index);
    Handler();
}
