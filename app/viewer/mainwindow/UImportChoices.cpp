#include "mainwindow/UImportChoices.h"

#include "QorStrg.h"

#include <QCryptographicHash>
#include <QString>
#include <QStringList>
#include <charconv>

namespace {

void PointAtFormat(TQorStorage& Choices, const TQorStorage& Window, const std::string& Format) {
    Choices.SetIniFileName(Window.IniFileName());
    Choices.SetIniSection(Window.IniSection() + "\\Import\\" + Format);
    Choices.SetActive(false);
}

// The shortest text that reads back as the same number.
std::string NumberText(double Value) {
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, Value).ptr;
    return std::string(text, end);
}

std::string PairText(const std::optional<double>& X, const std::optional<double>& Z,
                     double Default) {
    return NumberText(X.value_or(Default)) + "," + NumberText(Z.value_or(Default));
}

void PointAtFiles(TQorStorage& Choices, const TQorStorage& Window) {
    Choices.SetIniFileName(Window.IniFileName());
    Choices.SetIniSection(Window.IniSection() + "\\ImportFiles");
    Choices.SetActive(false);
}

// A path as a key: the storage's keys take no folder separators.
std::string FileKey(const std::string& Path) {
    return QCryptographicHash::hash(QByteArray::fromStdString(Path), QCryptographicHash::Sha1)
        .toHex()
        .toStdString();
}

} // namespace

bool ReadImportChoices(const TQorStorage& Window, const std::string& Format,
                       TQorImportOptions& Options) {
    TQorStorage choices;
    PointAtFormat(choices, Window, Format);
    TQorStorageBatch batch(choices);
    if (!choices.ValueExists("Spacing"))
        return false;
    // A damaged text leaves its option unset: Set refuses it.
    const std::string spacing = choices.ReadString("Spacing", "");
    if (spacing != "1,1")
        Options.Set("spacing", spacing);
    const std::string origin = choices.ReadString("Origin", "");
    if (!origin.empty() && origin != "0,0")
        Options.Set("origin", origin);
    Options.Transpose = choices.ReadBool("Transpose", false);
    const std::string noData = choices.ReadString("NoData", "");
    if (!noData.empty())
        Options.Set("nodata", noData);
    const std::string array = choices.ReadString("Array", "");
    if (!array.empty())
        Options.ArrayName = array;
    return true;
}

void WriteImportChoices(const TQorStorage& Window, const std::string& Format,
                        const TQorImportOptions& Options) {
    TQorStorage choices;
    PointAtFormat(choices, Window, Format);
    TQorStorageBatch batch(choices);
    choices.WriteString("Spacing", PairText(Options.DX, Options.DZ, 1));
    choices.WriteString("Origin", PairText(Options.X0, Options.Z0, 0));
    choices.WriteBool("Transpose", Options.Transpose);
    choices.WriteString("NoData", Options.NoData ? NumberText(*Options.NoData) : "");
    choices.WriteString("Array", Options.ArrayName);
}

// The value is "NAME" followed by ";DIM=K" for each index.
bool ReadFileChoice(const TQorStorage& Window, const std::string& Path,
                    TQorImportOptions& Options) {
    TQorStorage choices;
    PointAtFiles(choices, Window);
    const std::string text = choices.ReadString(FileKey(Path), "");
    if (text.empty())
        return false;
    const QStringList parts = QString::fromStdString(text).split(';');
    Options.ArrayName = parts.front().toStdString();
    Options.Indices.clear();
    for (qsizetype i = 1; i < parts.size(); ++i)
        Options.Set("index", parts[i].toStdString());
    return true;
}

void WriteFileChoice(const TQorStorage& Window, const std::string& Path,
                     const TQorImportOptions& Options) {
    TQorStorage choices;
    PointAtFiles(choices, Window);
    std::string text = Options.ArrayName;
    for (const auto& [dim, index] : Options.Indices)
        text += ";" + dim + "=" + std::to_string(index);
    choices.WriteString(FileKey(Path), text);
}
