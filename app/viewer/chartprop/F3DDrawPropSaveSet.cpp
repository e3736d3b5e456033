#include "chartprop/F3DDrawPropSaveSet.h"

#include "QorEdit.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

bool Allowed(char32_t c) {
    if (c == '\\')
        return false;
    return c == ' ' || c == '!' || c == '(' || c == ')' || c == '-' || (c >= '0' && c <= '9') ||
           (c >= 'A' && c <= '~');
}

} // namespace

TFormSettingName::TFormSettingName(QWidget* Owner, QWidget* Centre)
    : QDialog(Owner), FCentre(Centre) {
    setObjectName("FormSettingName");
    setWindowTitle("Setting Name");
    LabelPassword = new QLabel("Name:", this);
    LabelPassword->setObjectName("LabelPassword");
    CtrlName = new TQorEdit(this);
    CtrlName->setObjectName("CtrlName");
    CtrlName->SetMaxLength(MaxNameLength);
    CtrlName->SetUnchangedColor(clWindow);
    LabelPassword->setBuddy(CtrlName);
    BtnCancel = new QPushButton("Cancel", this);
    BtnCancel->setObjectName("BtnCancel");
    BtnCancel->setToolTip("Closes the dialog box without accepting the changes");
    BtnCancel->setAutoDefault(false);
    connect(BtnCancel, &QPushButton::clicked, this, &QDialog::reject);
    BtnClose = new QPushButton("Save", this);
    BtnClose->setObjectName("BtnClose");
    BtnClose->setToolTip("Accpets the changes and closes the dialog box");
    BtnClose->setDefault(true);
    connect(BtnClose, &QPushButton::clicked, this, [this] { BtnCloseClick(); });

    auto* row = new QHBoxLayout;
    row->addWidget(LabelPassword);
    row->addWidget(CtrlName, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(BtnCancel);
    buttons->addWidget(BtnClose);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addLayout(buttons);
    resize(320, sizeHint().height());
}

QString TFormSettingName::Name() const {
    return CtrlName->Text();
}

void TFormSettingName::SetName(const QString& Name) {
    CtrlName->SetText(Name);
}

QString TFormSettingName::RefusedCharacters(const QString& Name) {
    QString refused;
    for (char32_t c : Name.toUcs4())
        if (!Allowed(c))
            refused += QString::fromUcs4(&c, 1);
    return refused;
}

void TFormSettingName::showEvent(QShowEvent* Event) {
    QDialog::showEvent(Event);
    if (FCentre != nullptr)
        move(FCentre->frameGeometry().center() - rect().center());
    CtrlName->setFocus();
}

void TFormSettingName::BtnCloseClick() {
    const QString name = Name();
    if (name.trimmed().isEmpty()) {
        QMessageBox::critical(this, windowTitle(), "Please enter a name for the setting.");
        return;
    }
    const QString refused = RefusedCharacters(name);
    if (!refused.isEmpty()) {
        QMessageBox::critical(this, windowTitle(),
                              "The following characters are not allowed: " + refused);
        return;
    }
    accept();
}
