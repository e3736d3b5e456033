// TFormImport: "Import", the choices a file asks for before it is opened: the array of an
// archive, the grid's spacing and origin where the file gives no coordinates, a transposition
// and the value that marks missing points, above a table of the first numbers as they would be
// read. OK answers the options (Options); the caller opens the file with them.
#pragma once

#include "QorImportOptions.h"
#include "QorImportPreview.h"

#include <QDialog>
#include <QString>

class QLabel;
class QListWidget;
class QPushButton;
class QTableWidget;
class QTimer;
class TQorCheckBox;
class TQorEdit;

class TFormImport : public QDialog {
    Q_OBJECT
public:
    // Preview is the file read with Options (the caller has it already); its Arrays are listed
    // when there are several.
    TFormImport(QWidget* Parent, const QString& FileName, TQorImportPreview Preview,
                const TQorImportOptions& Options);

    // FileName read with Options, as much as the dialog shows of it.
    static TQorImportPreview ReadPreview(const QString& FileName, const TQorImportOptions& Options);

    // The choices as shown.
    TQorImportOptions Options() const;
    const TQorImportPreview& Preview() const { return FPreview; }

    void done(int Result) override;

private:
    void CreateControls();
    void LoadOptions(const TQorImportOptions& Options);
    void Changed();
    void UpdatePreview();
    void ShowPreview();
    bool EditsValid() const;
    bool FileGives(bool FileX) const;

    QString FFileName;
    TQorImportOptions FBase;
    TQorImportPreview FPreview;
    // The transposition FPreview was read with.
    bool FPreviewTransposed = false;
    QLabel* LabelFile = nullptr;
    QLabel* LabelArrays = nullptr;
    QListWidget* ListArrays = nullptr;
    TQorEdit* EditDX = nullptr;
    TQorEdit* EditDZ = nullptr;
    TQorEdit* EditX0 = nullptr;
    TQorEdit* EditZ0 = nullptr;
    TQorCheckBox* ChTranspose = nullptr;
    TQorCheckBox* ChNoData = nullptr;
    TQorEdit* EditNoData = nullptr;
    QLabel* LabelPreview = nullptr;
    QTableWidget* GridPreview = nullptr;
    QLabel* LabelMessage = nullptr;
    QPushButton* BtnClose = nullptr;
    QTimer* TimerPreview = nullptr;
};
