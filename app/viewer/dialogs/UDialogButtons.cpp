#include "dialogs/UDialogButtons.h"

#include <QBoxLayout>
#include <QDialog>
#include <QPushButton>

TDialogButtons AddDialogButtons(QDialog& Dialog, QBoxLayout& Layout, const QString& AcceptCaption) {
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    TDialogButtons b;
    b.Row = row;
    b.Accept = new QPushButton(AcceptCaption, &Dialog);
    b.Accept->setObjectName("BtnClose");
    b.Accept->setToolTip("Accpets the changes and closes the dialog box");
    b.Accept->setDefault(true);
    QObject::connect(b.Accept, &QPushButton::clicked, &Dialog, &QDialog::accept);
    b.Cancel = new QPushButton("Cancel", &Dialog);
    b.Cancel->setObjectName("BtnCancel");
    b.Cancel->setToolTip("Closes the dialog box without accepting the changes");
    QObject::connect(b.Cancel, &QPushButton::clicked, &Dialog, &QDialog::reject);
    row->addWidget(b.Accept);
    row->addWidget(b.Cancel);
    Layout.addLayout(row);
    return b;
}
