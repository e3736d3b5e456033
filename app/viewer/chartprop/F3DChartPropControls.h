// Builders and loaders for the controls of the chart properties dialog and its axis frame.
// Every control gets its component name as object name, so tests and the settings find it.
// The Load functions set a value as the program does: silently, with the unchanged look.
#pragma once

#include "QorCheckBox.h"
#include "QorColorBox.h"
#include "QorEdit.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <functional>
#include <string>

class QGridLayout;

using TControlHandler = std::function<void()>;

QLabel* NewLabel(QWidget* Parent, const char* Name, const QString& Caption);
// A check box with its caption on the left (the dialogs' "Caption:" [x] form) unless Side
// says otherwise.
TQorCheckBox* NewCheck(QWidget* Parent, const char* Name, const QString& Caption,
                       TControlHandler OnChange, TLeftRight Side = taLeftJustify);
// A number edit; Increment is its plain spin step. Seven parameters: TQorEdit's own (style,
// range, parent) with the name, handler and step every page's table gives each edit.
TQorEdit* NewEdit(QWidget* Parent, const char* Name, TQorEditStyle Style, double Min, double Max,
                  TControlHandler OnChange, double Increment = 1);
TQorEdit* NewTextEdit(QWidget* Parent, const char* Name, TControlHandler OnChange);
// A drop-down list whose handler runs for the user's choices only.
QComboBox* NewList(QWidget* Parent, const char* Name, const QStringList& Items,
                   TControlHandler OnUserChange);
TQorColorBox* NewColorBox(QWidget* Parent, const char* Name, TControlHandler OnChange);
QPushButton* NewButton(QWidget* Parent, const char* Name, const QString& Caption,
                       TControlHandler OnClick, const QString& Hint = {});
// Caption, control and unit (if any) in one row of a grid, in its columns 0, 1 and 2.
void AddRow(QGridLayout& Grid, int Row, QWidget* Caption, QWidget* Control,
            QWidget* Unit = nullptr);

void LoadCheck(TQorCheckBox& Box, bool Checked);
void LoadValue(TQorEdit& Edit, double Value);
void LoadText(TQorEdit& Edit, const std::string& Text);
// Selects the colour and gives the box its unchanged look.
void LoadColor(TQorColorBox& Box, TColor Color);
// Selects an item silently (an index outside the list keeps the selection) and shows the
// unchanged look; ListChanged shows the changed look, as each list's handler does.
void LoadList(QComboBox& List, int Index);
void ListChanged(QComboBox& List);
// Selects an item as the user would: only when it differs, then the list's handler runs.
void ChangeList(QComboBox& List, int Index, const TControlHandler& Handler);
