#include "dialogs/FAbout.h"

#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QLabel>
#include <QStyle>
#include <QVBoxLayout>

TFormAbout::TFormAbout(QWidget* Owner, const QString& Language) : QDialog(Owner) {
    const bool czech = Language == "CZ";
    setObjectName("FormAbout");
    setWindowTitle(czech ? "O programu Plotyra" : "About Plotyra");
    auto* layout = new QVBoxLayout(this);
    auto* name = new QLabel("Plotyra", this);
    name->setObjectName("LabelName");
    QFont big = name->font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    big.setBold(true);
    name->setFont(big);
    auto* version = new QLabel((czech ? "Verze " : "Version ") + Version(), this);
    version->setObjectName("LabelVersion");
    auto* description = new QLabel(Description(Language), this);
    description->setObjectName("LabelDescription");
    description->setWordWrap(true);
    for (QLabel* l : {name, version, description}) {
        l->setAlignment(Qt::AlignHCenter);
        layout->addWidget(l);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
}

QString TFormAbout::Version() {
    return PLOTYRA_VERSION;
}

QString TFormAbout::Description(const QString& Language) {
    if (Language == "CZ")
        return "Prohlížeč číselných dat na pravidelných mřížkách: 3D plochy a 4D objemy v OpenGL.";
    return "A viewer for numeric data on regular grids: 3D surfaces and 4D volumes in OpenGL.";
}
