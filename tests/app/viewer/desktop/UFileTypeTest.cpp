// The data-file types on the desktop: what a first start registers in the user's data folder,
// what a second start leaves alone, and how a document is handed to the desktop.
#include "desktop/UFileType.h"
#include "TestSupport.h"
#include "UDesktopFiles.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDesktopServices>
#include <QDirIterator>
#include <QFile>
#include <QMap>
#include <QMimeDatabase>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>
#include <cstdio>
#include <gtest/gtest.h>

namespace {

// A program start's registration, as the main window runs it: each type the desktop does not
// know yet is registered. The tests below run it as a child process, so that every start reads
// the MIME database anew, and then print what the desktop makes of the files in a folder.
TEST(UFileTypeChild, StartUpRegistration) {
    if (!qEnvironmentVariableIsSet("PLOTYRA_FILETYPE_CHILD"))
        GTEST_SKIP() << "started by the UFileType tests";
    for (const TDataFileType& type : ProgramDataFileTypes()) {
        const char* what = "known";
        if (!IsFileTypeRegistered(type.Ext))
            what = RegisterFileType(type.Ext, type.Description, type.IconIndex) ? "registered"
                                                                                : "failed";
        std::printf("@%s %s\n", what, qPrintable(type.Ext));
    }
    const QString probes = qEnvironmentVariable("PLOTYRA_FILETYPE_PROBES");
    for (QDirIterator it(probes, QDir::Files); !probes.isEmpty() && it.hasNext();) {
        const QString file = it.next();
        std::printf("@content %s %s\n", qPrintable(QFileInfo(file).fileName()),
                    qPrintable(QMimeDatabase().mimeTypeForFile(file).name()));
    }
    std::fflush(stdout);
}

QString Text(const QString& Path) {
    return QString::fromStdString(ReadFileText(Path.toStdString()));
}

void Write(const QString& Path, const QByteArray& Text) {
    WriteFileText(Path.toStdString(), Text.toStdString());
    ASSERT_EQ(Text.toStdString(), ReadFileText(Path.toStdString())) << Path.toStdString();
}

// Every file below Folder with its modification time and content.
QMap<QString, QString> Snapshot(const QString& Folder) {
    QMap<QString, QString> files;
    for (QDirIterator it(Folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
         it.hasNext();) {
        const QString file = it.next();
        files[file] =
            QFileInfo(file).lastModified().toString(Qt::ISODateWithMs) + "\n" + Text(file);
    }
    return files;
}

class UFileType : public ::testing::Test {
protected:
    TempDir root;
    QString Root() const { return QString::fromStdString(root.Path().string()); }
    QString Data() const { return Root() + "/data"; }
    QString System() const { return Root() + "/system"; }

    // Starts this program again as a fresh start of the viewer with an empty system data
    // folder; returns the lines it reported, one per line.
    std::string Start(const QString& Probes = QString()) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("PLOTYRA_FILETYPE_CHILD", "1");
        env.insert("PLOTYRA_FILETYPE_PROBES", Probes);
        env.insert("PLOTYRA_TEST_DATA_HOME", Data());
        env.insert("XDG_DATA_DIRS", System());
        QProcess child;
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(), {"--gtest_filter=UFileTypeChild.*"});
        EXPECT_TRUE(child.waitForFinished(60000));
        EXPECT_EQ(child.exitCode(), 0);
        std::string lines;
        for (const QString& line : QString::fromUtf8(child.readAllStandardOutput()).split('\n'))
            if (line.startsWith('@'))
                lines += line.mid(1).toStdString() + "\n";
        return lines;
    }
};

TEST_F(UFileType, FirstStartRegistersBothTypesAndASecondStartWritesNothing) {
    ASSERT_EQ(Start(), "registered p3d\nregistered p4d\n");

    const QString entry = Text(Data() + "/applications/org.plotyra.Plotyra.desktop");
    const QString program = QCoreApplication::applicationFilePath();
    EXPECT_TRUE(entry.contains("\nTryExec=" + program + "\nExec=" + program + " %f\n"))
        << entry.toStdString();
    EXPECT_TRUE(
        entry.contains("\nMimeType=application/x-plotyra-p3d;application/x-plotyra-p4d;\n"));
    EXPECT_TRUE(entry.contains("\nCategories=Science;DataVisualization;\n"));
    const QString p3d = Text(Data() + "/mime/packages/plotyra-p3d.xml");
    EXPECT_TRUE(p3d.contains("<glob pattern=\"*.p3d\"/>")) << p3d.toStdString();
    EXPECT_TRUE(p3d.contains("<comment>Plotyra file</comment>"));
    EXPECT_TRUE(Text(Data() + "/mime/packages/plotyra-p4d.xml").contains("&lt;Nx4D&gt;"));
    for (const char* icon :
         {"apps/org.plotyra.Plotyra.svg", "mimetypes/application-x-plotyra-3d.svg",
          "mimetypes/application-x-plotyra-4d.svg"})
        EXPECT_TRUE(Text(Data() + "/icons/hicolor/scalable/" + icon).contains("<svg")) << icon;
    if (const QString validate = QStandardPaths::findExecutable("desktop-file-validate");
        !validate.isEmpty()) {
        EXPECT_EQ(
            QProcess::execute(validate, {Data() + "/applications/org.plotyra.Plotyra.desktop"}), 0);
    }

    // The second start finds both types, recognises program-written files by their tag line
    // even without an extension, and leaves every file as it was.
    const QMap<QString, QString> before = Snapshot(Data());
    Write(Root() + "/probes/surface", "<3D Hi>\r\n1\t1\r\n0\r\n0\r\n1\r\n");
    Write(Root() + "/probes/layers", "<Nx4D>\r\n0\r\n");
    EXPECT_EQ(Start(Root() + "/probes"), "known p3d\nknown p4d\n"
                                         "content layers application/x-plotyra-p4d\n"
                                         "content surface application/x-plotyra-p3d\n");
    EXPECT_EQ(Snapshot(Data()), before);
}

TEST_F(UFileType, AnExtensionTheSystemKnowsIsLeftToItsOwner) {
    const QByteArray other =
        "<?xml version=\"1.0\"?>\n"
        "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
        "<mime-type type=\"application/x-other-p4d\"><comment>Other</comment>"
        "<glob pattern=\"*.P4D\"/></mime-type>\n</mime-info>\n";
    Write(System() + "/mime/packages/other.xml", other);

    ASSERT_EQ(Start(), "registered p3d\nknown p4d\n");
    EXPECT_FALSE(QFile::exists(Data() + "/mime/packages/plotyra-p4d.xml"));
    EXPECT_TRUE(Text(Data() + "/applications/org.plotyra.Plotyra.desktop")
                    .contains("\nMimeType=application/x-plotyra-p3d;\n"));
    EXPECT_EQ(Text(System() + "/mime/packages/other.xml").toUtf8(), other);
}

TEST_F(UFileType, AFolderThatCannotBeWrittenIsSkippedSilently) {
    // Below a plain file no folder can be made, not even by root.
    Write(Root() + "/file", "not a folder");
    const QByteArray saved = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", (Root() + "/file/data").toUtf8());
    EXPECT_FALSE(RegisterFileType("p3d", "Plotyra file", 0));
    qputenv("XDG_DATA_HOME", saved);

    EXPECT_FALSE(RegisterFileType("", "Plotyra file", 0));
    EXPECT_FALSE(RegisterFileType("../p3d", "Plotyra file", 0));
    EXPECT_FALSE(IsFileTypeRegistered(""));
    EXPECT_EQ(Snapshot(Root()).keys(), QStringList({Root() + "/file"}));
}

// Records the URLs the desktop is asked to open.
class TUrlRecorder : public QObject {
    Q_OBJECT
public:
    QList<QUrl> Urls;
public slots:
    void Open(const QUrl& Url) { Urls += Url; }
};

TEST(ShellOpen, HandsAnExistingDocumentToTheDesktop) {
    TempDir dir;
    const QString folder = QString::fromStdString(dir.Path().string());
    Write(folder + "/ChartFileStructures.pdf", "%PDF-1.4\n");
    TUrlRecorder recorder;
    QDesktopServices::setUrlHandler("file", &recorder, "Open");
    ShellOpen(folder + "/ChartFileStructures.pdf", "", "", 5);
    ShellOpen("ChartFileStructures.pdf", "", folder, 5);
    ShellOpen(folder + "/missing.pdf", "", "", 5);
    QDesktopServices::unsetUrlHandler("file");
    const QUrl document = QUrl::fromLocalFile(folder + "/ChartFileStructures.pdf");
    EXPECT_EQ(recorder.Urls, QList<QUrl>({document, document}));
}

} // namespace

#include "UFileTypeTest.moc"
