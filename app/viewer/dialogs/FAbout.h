// TFormAbout: the about box with the program's name, version and a one-line description, in
// the user-interface language ("EN" or "CZ").
#pragma once

#include <QDialog>

class TFormAbout : public QDialog {
    Q_OBJECT
public:
    TFormAbout(QWidget* Owner, const QString& Language);

    static QString Version();
    static QString Description(const QString& Language);
};
