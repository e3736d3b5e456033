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
    EXPECT_EQ(folders.Guide, "/opt/plotyra/share/doc/plotyra/UserGuide.pdf");
}

TEST(UProgramFolder, InTheBuildTreeTheSamplesAndTheBuiltDocumentAreUsed) {
    EXPECT_TRUE(QFileInfo::exists(ProgramSamplesFolder() + "/surface.p3d"))
        << ProgramSamplesFolder().toStdString();
    // One page object per page; each document has a page per form or per window at the least.
    for (const QString& name : {ProgramDocumentationFile(), ProgramGuideFile()}) {
        QFile document(name);
        ASSERT_TRUE(document.open(QIODevice::ReadOnly)) << name.toStdString();
        const QByteArray pdf = document.readAll();
        EXPECT_TRUE(pdf.startsWith("%PDF-"));
        EXPECT_GE(pdf.count("/Type /Page\n") + pdf.count("/Type /Page\r"), 5);
    }
}
