// The file list of the main window: file names in a sorted, owner-drawn list, each with one of
// five icons chosen by its extension. A click, or a key that moves the selection, is the
// user's choice of a file; selecting by program is silent.
#pragma once

#include <QListWidget>
#include <QPixmap>
#include <array>

enum TFileIcon : uint8_t { fiExeFile, fiTxtFile, fiOtherFiles, fiP4DFile, fiP3DFile };

// The icon of a file name: ".EXE", ".TXT", ".P3D", ".P4D" (any case), or any other.
TFileIcon FileIconOf(const QString& FileName);

class TFileListBox : public QListWidget {
    Q_OBJECT
public:
    static constexpr int ItemHeight = 16;

    explicit TFileListBox(QWidget* Parent = nullptr);

    // Replaces the entries by Names, sorted without regard to case.
    void SetFiles(QStringList Names);
    QStringList Files() const;
    // Selects the entry whose name equals Name ignoring case; false when there is none.
    bool SelectFile(const QString& Name);
    QString SelectedFile() const;
    bool LastSelected() const;

    const QPixmap& Icon(TFileIcon Kind) const { return FIcons[Kind]; }

signals:
    // The user clicked an entry or moved the selection with a key.
    void FileChosen();

protected:
    void keyPressEvent(QKeyEvent* Event) override;

private:
    std::array<QPixmap, 5> FIcons;
};
