// The button row of the program's dialogs with settings: the accepting button (the default
// button, named "BtnClose") and "Cancel" (named "BtnCancel"), at the right, with their hints.
#pragma once

#include <QString>

class QBoxLayout;
class QDialog;
class QHBoxLayout;
class QPushButton;

struct TDialogButtons {
    QPushButton* Accept = nullptr;
    QPushButton* Cancel = nullptr;
    // The row that holds them, for a dialog's own further buttons.
    QHBoxLayout* Row = nullptr;
};

TDialogButtons AddDialogButtons(QDialog& Dialog, QBoxLayout& Layout, const QString& AcceptCaption);
