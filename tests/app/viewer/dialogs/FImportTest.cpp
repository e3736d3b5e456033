// The Import dialog as the main window opens it: once per format for a file without
// coordinates, its choices remembered for that format (also across a restart), never from
// Reload or playback, and Cancel changes nothing.
#include "dialogs/FImport.h"
#include "QorCheckBox.h"
#include "QorEdit.h"
#include "TestSupport.h"
#include "app/viewer/FMainTestSupport.h"
#include "app/viewer/ImportSampleFiles.h"

#include <QHeaderView>
#include <QListWidget>
#include <QPushButton>
#include <QStatusBar>
#include <QTableWidget>
#include <cmath>

namespace {

// Types Text into the edit Name of Dialog as a user does: all selected, then the keys.
void TypeInto(QWidget* Dialog, const char* Name, const QString& Text) {
    auto* edit = Dialog->findChild<TQorEdit*>(Name);
    ASSERT_NE(edit, nullptr) << Name;
    edit->Editor()->selectAll();
    QTest::keyClicks(edit->Editor(), Text);
}

QString Header(const QTableWidget& Grid, Qt::Orientation Side, int Section) {
    const QTableWidgetItem* item = Side == Qt::Horizontal ? Grid.horizontalHeaderItem(Section)
                                                          : Grid.verticalHeaderItem(Section);
    return item != nullptr ? item->text() : QString();
}

} // namespace

using ImportDialog = TFormMainFixture;

TEST_F(ImportDialog, AsksOncePerFormatRemembersTheChoicesAndCancelChangesNothing) {
    TempDir dir;
    const auto path = [&](const char* Name) {
        return QString::fromStdString(dir.File(Name));
    };
    WriteSurfaceNpy(dir.File("a.npy"), 4, 3, [](int i, int k) { return float(10 * k + i); });
    WriteSurfaceNpy(dir.File("b.npy"), 5, 2, [](int i, int k) { return float(i + k); });
    WriteFileText(dir.File("bare.csv"), "1,2,3\n4,5,6\n");
    WriteFileText(dir.File("coords.csv"), "z\\x,0,1\n0,1,2\n1,3,4\n");
    TFormMain& w = Start();

    // A first NumPy array gives no coordinates: the dialog shows its numbers, and follows the
    // spacing, origin and missing-value marker typed in.
    OnNextModal([&](QWidget* modal) {
        auto* d = ModalAs<TFormImport>(modal, "Import dialog");
        ASSERT_NE(d, nullptr);
        EXPECT_EQ(d->windowTitle(), "Import");
        EXPECT_TRUE(d->findChild<QListWidget*>("ListArrays")->isHidden()); // a single array
        auto& grid = *d->findChild<QTableWidget*>("GridPreview");
        EXPECT_EQ(grid.rowCount(), 3);
        EXPECT_EQ(grid.columnCount(), 4);
        EXPECT_EQ(grid.item(2, 1)->text(), "21");
        EXPECT_EQ(Header(grid, Qt::Horizontal, 3), "3");
        TypeInto(d, "EditDX", "0.5");
        TypeInto(d, "EditZ0", "100");
        QTest::keyClick(d->findChild<TQorCheckBox*>("ChNoData"), Qt::Key_Space);
        TypeInto(d, "EditNoData", "0");
        EXPECT_TRUE(WaitFor([&] {
            return Header(grid, Qt::Horizontal, 3) == "1.5" &&
                   Header(grid, Qt::Vertical, 1) == "101" && grid.item(0, 0)->text() == "—";
        }));
        QTest::mouseClick(d->findChild<QPushButton*>("BtnClose"), Qt::LeftButton);
    });
    w.OpenFileByPath(path("a.npy"));
    EXPECT_EQ(w.LoadedFile(), path("a.npy"));
    ASSERT_EQ(w.Chart().NX(), 4);
    EXPECT_EQ(w.Chart().XValues()[3], 1.5f);
    EXPECT_EQ(w.Chart().ZValues()[2], 102.0f);
    EXPECT_TRUE(std::isnan(w.Chart().Data()[0]));

    {
        // The next file of the format opens at once with the same choices.
        TNoModals none;
        ClickFile("b.npy");
        EXPECT_EQ(w.LoadedFile(), path("b.npy"));
        ASSERT_EQ(w.Chart().NX(), 5);
        EXPECT_EQ(w.Chart().XValues()[4], 2.0f);
        EXPECT_TRUE(std::isnan(w.Chart().Data()[0])); // the marker 0
        EXPECT_EQ(w.Chart().Data()[6], 2.0f);
    }

    // A text matrix is another format and asks too; Cancel keeps the chart, and the list shows
    // the loaded file again.
    OnNextModal([](QWidget* modal) { QTest::keyClick(modal, Qt::Key_Escape); });
    ClickFile("bare.csv");
    EXPECT_EQ(w.LoadedFile(), path("b.npy"));
    EXPECT_EQ(w.Chart().NX(), 5);
    EXPECT_EQ(FileList().SelectedFile(), "b.npy");
    EXPECT_TRUE(w.statusBar()->currentMessage().contains("bare.csv was not opened"));

    {
        // Reload and playback never ask: they read with the format's remembered choices, or
        // with none. A table that gives its coordinates never asks at all.
        TNoModals none;
        FileList().SelectFile("bare.csv");
        Action("MenuItemReloadChart").trigger();
        EXPECT_EQ(w.LoadedFile(), path("bare.csv"));
        ASSERT_EQ(w.Chart().NX(), 3);
        EXPECT_EQ(w.Chart().XValues()[2], 2.0f);
        ClickFile("coords.csv");
        EXPECT_EQ(w.LoadedFile(), path("coords.csv"));
    }

    // The choices are the settings' and outlive the window.
    Quit();
    TFormMain& again = Start();
    TNoModals none;
    again.OpenFileByPath(path("a.npy"));
    ASSERT_EQ(again.Chart().NX(), 4);
    EXPECT_EQ(again.Chart().XValues()[3], 1.5f);
}
