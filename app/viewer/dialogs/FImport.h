// TFormImport: "Import", the choices a file asks for before it is opened: the array of an
// archive or the variable of a NetCDF or HDF5 file (with an index slider for each dimension
// beyond the grid's), the grid's spacing and origin where the file gives no coordinates, a
// transposition and the value that marks missing points, above a table of the first numbers as they
// would be read. OK answers the options (Options); the caller opens the file with them.
#pragma once

#include "QorImportOptions.h"
#include "QorImportPreview.h"

#include <QDialog>
#include <QString>
#include <string>
#include <vector>

class QGridLayout;
class QLabel;
class QSlider;
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
    const TQorImportArrayInfo* CurrentArray() const;
    void BuildIndices(const TQorImportOptions& Options);

    // A slider for a dimension of the chosen variable that is not shown: its index; for the one
    // just before a surface's two, a box that shows that dimension whole (a volume).
    struct TIndexControl {
        std::string Dim;
        QSlider* Slider = nullptr;
        QLabel* Value = nullptr;
        TQorCheckBox* Whole = nullptr;
    };

    QString FFileName;
    TQorImportOptions FBase;
    TQorImportPreview FPreview;
    // The transposition FPreview was read with.
    bool FPreviewTransposed = false;
    QLabel* LabelFile = nullptr;
    QLabel* LabelArrays = nullptr;
    QListWidget* ListArrays = nullptr;
    QWidget* PanelIndices = nullptr;
    QGridLayout* GridIndices = nullptr;
    std::vector<TIndexControl> FIndices;
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
