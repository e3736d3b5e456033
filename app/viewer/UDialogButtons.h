// The button row of the program's dialogs with settings: the accepting button (the default
// button, named "BtnClose") and "Cancel" (named "BtnCancel"), at the right, with their hints.
#pragma once

#include <QString>

class QBoxLayout;
class QDialog;
class QPushButton;

struct TDialogButtons {
    QPushButton* Accept = nullptr;
    QPushButton* Cancel = nullptr;
};

TDialogButtons AddDialogButtons(QDialog& Dialog, QBoxLayout& Layout, const QString& AcceptCaption);
