#include "mainwindow/FMain.h"

#include "QorColorScaleWidget.h"

#include <QAction>
#include <QDir>
#include <QMenuBar>

namespace {

constexpr int MRUMax = 9;

// The list lives in the subkey "MRUList" of the window's own key.
void PointAtMRUList(TQorStorage& List, const TQorStorage& Window) {
    List.SetIniFileName(Window.IniFileName());
    List.SetIniSection(Window.IniSection() + "\\MRUList");
    List.SetActive(false);
}

} // namespace

QAction* TFormMain::NewAction(const char* Name, const QString& Caption,
                              const QKeySequence& Shortcut, void (TFormMain::*Handler)(),
                              bool Checkable) {
    auto* action = new QAction(Caption, this);
    action->setObjectName(Name);
    action->setShortcut(Shortcut);
    action->setCheckable(Checkable);
    connect(action, &QAction::triggered, this, Handler);
    // A window action: its shortcut works wherever the focus is in the window.
    addAction(action);
    return action;
}

void TFormMain::BuildMenus() {
    QMenuBar* bar = menuBar();
    bar->setObjectName("TBMainMenu");

    QAction* open =
        NewAction("MenuItemOpen", "&Open...", QKeySequence::Open, &TFormMain::MenuItemOpenClick);
    QAction* reload = NewAction("MenuItemReloadChart", "Re&Load Chart", QKeySequence("Ctrl+R"),
                                &TFormMain::MenuItemReloadChartClick);
    QAction* save = NewAction("MenuItemSaveChart", "&Save Chart...", QKeySequence("Ctrl+S"),
                              &TFormMain::MenuItemSaveChartClick);
    QAction* saveData = NewAction("MenuItemSaveChartNoProp", "Save Chart &Data Only...",
                                  QKeySequence("Ctrl+D"), &TFormMain::MenuItemSaveChartNoPropClick);
    QAction* exit =
        NewAction("ExitMenuItem", "&Exit", QKeySequence("Ctrl+Q"), &TFormMain::ExitMenuItemClick);
    QMenu* file = bar->addMenu("&File");
    file->setObjectName("MenuFile");
    file->addAction(open);
    file->addAction(reload);
    MRUList = file->addMenu("&Reopen");
    MRUList->setObjectName("MRUList");
    file->addSeparator();
    file->addAction(save);
    file->addAction(saveData);
    file->addSeparator();
    file->addAction(exit);

    QAction* properties = NewAction("MenuItemProperties", "&Properties...", QKeySequence("Ctrl+P"),
                                    &TFormMain::MenuItemPropertiesClick);
    QAction* copy = NewAction("MenuItemCopy", "&Copy Chart...", QKeySequence("Ctrl+C"),
                              &TFormMain::MenuItemCopyClick);
    QAction* loadProp =
        NewAction("MenuItemLoadProp", "&Load Propeties...", {}, &TFormMain::MenuItemLoadPropClick);
    QAction* saveProp =
        NewAction("MenuItemSaveProp", "&Save Properties...", {}, &TFormMain::MenuItemSavePropClick);
    MenuItemShowColorScale = NewAction("MenuItemShowColorScale", "Show Color Scale", {},
                                       &TFormMain::MenuItemShowColorScaleClick, true);
    MenuItemUseLowMemory =
        NewAction("MenuItemUseLowMemory", "Use Low Memory Mode whenever Possible", {},
                  &TFormMain::MenuItemUseLowMemoryClick, true);
    MenuItemLoadInclChartProp =
        NewAction("MenuItemLoadInclChartProp", "Load Charts Including Chart Properties", {},
                  &TFormMain::MenuItemLoadInclChartPropClick, true);
    MenuItemAutoScaleOnLoad =
        NewAction("MenuItemAutoScaleOnLoad", "Set Auto Scale Ranges when Loading Charts", {},
                  &TFormMain::MenuItemAutoScaleOnLoadClick, true);
    QMenu* chart = bar->addMenu("&Chart");
    chart->addActions({properties, copy});
    chart->addSeparator();
    chart->addActions({loadProp, saveProp});
    chart->addSeparator();
    chart->addActions({MenuItemShowColorScale, MenuItemUseLowMemory, MenuItemLoadInclChartProp,
                       MenuItemAutoScaleOnLoad});

    QAction* incDens = NewAction("MenuItemIncDens", "Increase Density",
                                 QKeySequence(Qt::Key_Insert), &TFormMain::MenuItemIncDensClick);
    QAction* decDens = NewAction("MenuItemDecDens", "Decrease Density",
                                 QKeySequence(Qt::Key_Delete), &TFormMain::MenuItemDecDensClick);
    QAction* incX = NewAction("MenuItemIncXDens", "Increase Density in X Direction",
                              QKeySequence("Ctrl+Ins"), &TFormMain::MenuItemIncXDensClick);
    QAction* decX = NewAction("MenuItemDecXDens", "Decrease Density in X Direction",
                              QKeySequence("Ctrl+Del"), &TFormMain::MenuItemDecXDensClick);
    QAction* filter = NewAction("MenuItemFilterSetting", "&Filter Setting...", {},
                                &TFormMain::MenuItemFilterSettingClick);
    QMenu* data = bar->addMenu("&Data");
    data->addActions({incDens, decDens, incX, decX});
    data->addSeparator();
    data->addAction(filter);

    QMenu* setting = bar->addMenu("&Setting");
    setting->addAction(NewAction("PropertiesMenuItem", "Program Properties...", {},
                                 &TFormMain::PropertiesMenuItemClick));

    QMenu* help = bar->addMenu("&Help");
    help->addAction(NewAction("UserGuideMenuItem", "&User Guide", QKeySequence(Qt::Key_F1),
                              &TFormMain::UserGuideMenuItemClick));
    help->addAction(NewAction("DocumentationMenuItem", "&Documentation...", {},
                              &TFormMain::DocumentationMenuItemClick));
    help->addAction(NewAction("AboutMenuItem", "&About...", {}, &TFormMain::AboutMenuItemClick));

    // The context menu holds the main menu's own items, so shortcuts and check marks agree.
    PopupMenuChart = new QMenu(this);
    PopupMenuChart->setObjectName("PopupMenuChart");
    PopupMenuChart->addActions({properties, copy, reload});
    PopupMenuChart->addSeparator();
    PopupMenuChart->addActions({save, saveData, loadProp, saveProp});
    PopupMenuChart->addSeparator();
    PopupMenuChart->addActions({incDens, decDens, incX, decX});
    PopupMenuChart->addSeparator();
    PopupMenuChart->addAction(MenuItemShowColorScale);
    UpdateMRUMenu();
}

void TFormMain::ExitMenuItemClick() {
    close();
}

// ---- Options ----------------------------------------------------------------------------------

void TFormMain::ShowColorScale(bool Visible) {
    FColorScaleWidget->setVisible(Visible);
    MenuItemShowColorScale->setChecked(Visible);
}

void TFormMain::MenuItemShowColorScaleClick() {
    ShowColorScale(!ColorScaleShown());
}

void TFormMain::MenuItemUseLowMemoryClick() {
    Qor3DChart.SetUseLowMemory(MenuItemUseLowMemory->isChecked());
}

// The check marks toggle themselves; the options are read where they apply.
void TFormMain::MenuItemLoadInclChartPropClick() {}
void TFormMain::MenuItemAutoScaleOnLoadClick() {}

// ---- Recent files -----------------------------------------------------------------------------

void TFormMain::UpdateMRUMenu() {
    MRUList->clear();
    for (int i = 0; i < FRecentFiles.size(); ++i) {
        const QString path = FRecentFiles[i];
        QAction* item =
            MRUList->addAction(QString("&%1 %2").arg(i + 1).arg(QDir::toNativeSeparators(path)));
        connect(item, &QAction::triggered, this, [this, path] { MRUListClick(path); });
    }
    MRUList->setEnabled(!FRecentFiles.isEmpty());
}

void TFormMain::AddToMRU(const QString& Path) {
    FRecentFiles.removeAll(Path);
    FRecentFiles.prepend(Path);
    while (FRecentFiles.size() > MRUMax)
        FRecentFiles.removeLast();
    UpdateMRUMenu();
}

void TFormMain::RestoreMRU() {
    TQorStorage list;
    PointAtMRUList(list, QorStorage1);
    TQorStorageBatch batch(list);
    FRecentFiles.clear();
    for (int i = 1; i <= MRUMax; ++i) {
        const QString path = QString::fromStdString(list.ReadString("MRU" + std::to_string(i), ""));
        if (!path.isEmpty() && !FRecentFiles.contains(path))
            FRecentFiles << path;
    }
    UpdateMRUMenu();
}

void TFormMain::SaveMRU() {
    TQorStorage list;
    PointAtMRUList(list, QorStorage1);
    TQorStorageBatch batch(list);
    for (int i = 1; i <= MRUMax; ++i) {
        const std::string ident = "MRU" + std::to_string(i);
        if (i <= FRecentFiles.size())
            list.WriteString(ident, FRecentFiles[i - 1].toStdString());
        else if (list.ValueExists(ident))
            list.DeleteValue(ident);
    }
}

void TFormMain::MRUListClick(const QString& Path) {
    OpenFileByPath(Path);
}
