// The file list of the main window: file names in a sorted, owner-drawn list, each with one of
// five icons chosen by its extension. A click, a press and release that moved the selection, or a
// key that moves it, is the user's choice of a file; selecting by program is silent.
#pragma once

#include <QListWidget>
#include <QPixmap>
#include <array>

enum TFileIcon : uint8_t { fiExeFile, fiTxtFile, fiOtherFiles, fiP4DFile, fiP3DFile };

// The icon of a file name: ".EXE", ".TXT", ".P3D", ".P4D" (any case), or any other.
TFileIcon FileIconOf(const QString& FileName);

// The files of Folder (hidden ones too) whose names match any of Masks ignoring case, each once,
// in no particular order.
QStringList FolderFileNames(const QString& Folder, const QStringList& Masks);

class TFileListBox : public QListWidget {
    Q_OBJECT
public:
    static constexpr int ItemHeight = 16;

    explicit TFileListBox(QWidget* Parent = nullptr);

    // Replaces the entries by Names, sorted without regard to case, numbers by their value;
    // names equal but for case in code-point order.
    void SetFiles(QStringList Names);
    QStringList Files() const;
    // Selects the entry named Name, or else one whose name equals it ignoring case; false when
    // there is none.
    bool SelectFile(const QString& Name);
    QString SelectedFile() const;
    bool LastSelected() const;

    const QPixmap& Icon(TFileIcon Kind) const { return FIcons[Kind]; }

signals:
    // The user clicked an entry or moved the selection with a key.
    void FileChosen();

protected:
    void keyPressEvent(QKeyEvent* Event) override;
    void mousePressEvent(QMouseEvent* Event) override;
    void mouseReleaseEvent(QMouseEvent* Event) override;
    void mouseDoubleClickEvent(QMouseEvent* Event) override;

private:
    std::array<QPixmap, 5> FIcons;
    // The current row when the button went down: a drag may move the selection elsewhere.
    int FRowAtPress = -1;
    // The coming release ends a double click, whose first click chose the entry already.
    bool FReleaseEndsDoubleClick = false;
};
