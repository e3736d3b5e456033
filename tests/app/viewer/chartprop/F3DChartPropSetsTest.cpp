#include "F3DChartPropTestSupport.h"
#include "QorStrg.h"
#include "TestSupport.h"
#include "UQorLists.h"
#include "chartprop/F3DDrawPropSaveSet.h"
#include "chartprop/R3DAxisProp.h"

#include <QListWidget>
#include <algorithm>
#include <fstream>

namespace {

// Each test keeps its sets in a settings folder of its own and starts on the page of sets.
class TNamedSets : public TDialogTest {
protected:
    void SetUp() override {
        TDialogTest::SetUp();
        const char* old = std::getenv("XDG_CONFIG_HOME");
        FOldConfig = old != nullptr ? old : "";
        setenv("XDG_CONFIG_HOME", FConfig.Path().c_str(), 1);
        OpenAt("TabSheetSettings");
    }
    void TearDown() override {
        TDialogTest::TearDown();
        setenv("XDG_CONFIG_HOME", FOldConfig.c_str(), 1);
    }

    QListWidget& Sets() { return Get<QListWidget>("ListProp"); }
    QStringList Listed() {
        QStringList names;
        for (int i = 0; i < Sets().count(); ++i)
            names << Sets().item(i)->text();
        return names;
    }
    void Select(const QString& Name) {
        const auto found = Sets().findItems(Name, Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1);
        Sets().setCurrentItem(found.first());
    }
    // Save As, with the name typed into the name dialog; Then runs on the window that opens
    // after Save was pressed (the overwrite question), if given.
    void SaveAs(const QString& Name, std::function<void(QWidget*)> Then = {}) {
        OnNextModal([=](QWidget* w) {
            auto& dialog = dynamic_cast<TFormSettingName&>(*w);
            auto* edit = dialog.findChild<TQorEdit*>("CtrlName");
            edit->Editor()->selectAll();
            QTest::keyClicks(edit->Editor(), Name);
            dialog.findChild<QPushButton*>("BtnClose")->click();
        });
        if (Then)
            OnNextModal([=](QWidget* w) {
                // The name dialog has closed by the time the question opens.
                if (qobject_cast<TFormSettingName*>(w) == nullptr)
                    Then(w);
            });
        Click("BtnPropSave");
    }
    std::vector<std::string> LegendSets() { return Legend.ListSets(Dialog->Storage()); }

private:
    TempDir FConfig;
    std::string FOldConfig;
};

} // namespace

TEST_F(TNamedSets, ASavedSetIsListedReloadedLegendFirstAndDeleted) {
    EXPECT_TRUE(Listed().isEmpty());
    Chart.SetWired(true);
    Chart.AxisX().SetCaption("Time");
    Legend.Font().SetHeight(-20);
    SaveAs("Wire frame_2");
    SaveAs("another one");
    EXPECT_EQ(Listed(), (QStringList{"another one", "Wire frame_2"}));
    EXPECT_FALSE(Get<QPushButton>("BtnPropReload").isEnabled());
    std::vector<std::string> legendSets = LegendSets();
    std::sort(legendSets.begin(), legendSets.end());
    EXPECT_EQ(legendSets, (std::vector<std::string>{"Wire frame_2", "another one"}));

    // Change everything, then bring the set back with a double click.
    Chart.SetWired(false);
    Chart.AxisX().SetCaption("X");
    Legend.Font().SetHeight(-30);
    Dialog->LoadFromChart();
    Toggle(Check("CtrlWired"));
    Pick(List("CtrlTransp"), 5);
    std::vector<std::string> order;
    Legend.OnChange = [&](TObject*) {
        order.push_back("legend");
    };
    Chart.OnChange = [&](TObject*) {
        order.push_back("chart");
    };
    Select("Wire frame_2");
    EXPECT_TRUE(Get<QPushButton>("BtnPropReload").isEnabled());
    QListWidgetItem* item = Sets().currentItem();
    emit Sets().itemDoubleClicked(item);
    EXPECT_TRUE(Chart.Wired());
    EXPECT_EQ(Chart.Transparency(), 0);
    EXPECT_EQ(Chart.AxisX().Caption(), "Time");
    EXPECT_EQ(Legend.Font().Height(), -20);
    ASSERT_FALSE(order.empty());
    EXPECT_EQ(order.front(), "legend");
    EXPECT_EQ(order.back(), "chart");
    EXPECT_TRUE(AllUnchanged(*Dialog));
    EXPECT_EQ(Dialog->AxisFrame(0).CtrlCaption->Text(), "Time");

    // Delete removes the chart's and the legend's keys; nothing stays selected.
    Select("Wire frame_2");
    Click("BtnPropDel");
    EXPECT_EQ(Listed(), QStringList{"another one"});
    EXPECT_EQ(LegendSets(), std::vector<std::string>{"another one"});
    EXPECT_FALSE(Get<QPushButton>("BtnPropReload").isEnabled());
    EXPECT_FALSE(Get<QPushButton>("BtnPropDel").isEnabled());

    // A new dialog lists what the last one left.
    OpenAt("TabSheetSettings");
    EXPECT_EQ(Listed(), QStringList{"another one"});
}

TEST_F(TNamedSets, OverwritingAsksByNameWhateverTheCaseAndNoWritesNothing) {
    Chart.SetTransparency(2);
    SaveAs("Style");
    Chart.SetTransparency(7);
    QString question;
    SaveAs("STYLE", [&](QWidget* w) { question = AnswerMessage(w, QMessageBox::No); });
    EXPECT_EQ(question, "Do you want to overwrite existing setting named \"STYLE\"?");
    Select("Style");
    Click("BtnPropReload");
    EXPECT_EQ(Chart.Transparency(), 2); // nothing was written

    Chart.SetTransparency(9);
    SaveAs("STYLE", [&](QWidget* w) { AnswerMessage(w, QMessageBox::Yes); });
    EXPECT_EQ(Listed(), QStringList{"Style"}); // the key keeps its first spelling
    Chart.SetTransparency(0);
    Select("Style");
    Click("BtnPropReload");
    EXPECT_EQ(Chart.Transparency(), 9);
}

TEST_F(TNamedSets, TheNameDialogRefusesNamesThatCannotBeKeys) {
    EXPECT_EQ(TFormSettingName::RefusedCharacters("Style 2_b (new) -x!"), "");
    EXPECT_EQ(TFormSettingName::RefusedCharacters("a.b,c\u00e9"), QString(".,\u00e9"));
    EXPECT_EQ(TFormSettingName::RefusedCharacters("x..y"), "..");
    EXPECT_EQ(TFormSettingName::RefusedCharacters("one\\two"), "\\");

    // Save with a refused name: the error lists the characters and the dialog stays open.
    QString error;
    QString empty;
    OnNextModal([&](QWidget* w) {
        auto* dialog = dynamic_cast<TFormSettingName*>(w);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->windowTitle(), "Setting Name");
        auto* edit = dialog->findChild<TQorEdit*>("CtrlName");
        QTest::keyClicks(edit->Editor(), "my.set\\1");
        OnNextModal([&, dialog, edit](QWidget* box) {
            error = AnswerMessage(box, QMessageBox::Ok);
            QTimer::singleShot(0, [&, dialog, edit] {
                EXPECT_TRUE(dialog->isVisible());
                edit->SetText("");
                OnNextModal([&, dialog](QWidget* box2) {
                    empty = AnswerMessage(box2, QMessageBox::Ok);
                    QTimer::singleShot(0, dialog, &QDialog::reject);
                });
                dialog->findChild<QPushButton*>("BtnClose")->click();
            });
        });
        dialog->findChild<QPushButton*>("BtnClose")->click();
    });
    Click("BtnPropSave");
    EXPECT_EQ(error, "The following characters are not allowed: .\\");
    EXPECT_EQ(empty, "Please enter a name for the setting.");
    EXPECT_TRUE(Listed().isEmpty());
    EXPECT_TRUE(LegendSets().empty());
}

TEST_F(TNamedSets, ASetThatCannotBeWrittenIsReportedNotListed) {
    TempDir dir;
    std::ofstream(dir.File("plain")) << "a file, not a folder";
    Dialog->Storage().SetRegistryFile(dir.File("plain") + "/registry.json");
    QString warning;
    SaveAs("Kept", [&](QWidget* w) { warning = AnswerMessage(w, QMessageBox::Ok); });
    EXPECT_EQ(warning, "The setting \"Kept\" could not be saved.");
    EXPECT_TRUE(Listed().isEmpty());
}
