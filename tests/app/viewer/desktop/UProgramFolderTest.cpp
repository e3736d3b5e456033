// "The program's folder": installed places beside the bin folder, or the source and build trees
// for a program that runs inside its build tree (as this test does).
#include "desktop/UProgramFolder.h"

#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

TEST(UProgramFolder, AnInstalledProgramLooksBesideItsBinFolder) {
    const TProgramFolders folders = ProgramFoldersFor("/opt/plotyra/bin");
    EXPECT_EQ(folders.Samples, "/opt/plotyra/share/plotyra/examples");
    EXPECT_EQ(folders.Documentation, "/opt/plotyra/share/doc/plotyra/ChartFileStructures.pdf");
}

TEST(UProgramFolder, InTheBuildTreeTheSamplesAndTheBuiltDocumentAreUsed) {
    EXPECT_TRUE(QFileInfo::exists(ProgramSamplesFolder() + "/surface.p3d"))
        << ProgramSamplesFolder().toStdString();
    QFile document(ProgramDocumentationFile());
    ASSERT_TRUE(document.open(QIODevice::ReadOnly)) << document.fileName().toStdString();
    const QByteArray pdf = document.readAll();
    EXPECT_TRUE(pdf.startsWith("%PDF-"));
    // One page object per page; the document has a page per form at the least.
    EXPECT_GE(pdf.count("/Type /Page\n") + pdf.count("/Type /Page\r"), 5);
}
