#include "dialogs/FAbout.h"
#include "app/viewer/FMainTestSupport.h"

#include <QLabel>

using AboutBox = TFormMainFixture;

TEST_F(AboutBox, ShowsNameVersionAndDescriptionInTheLanguage) {
    TFormMain& w = Start();
    for (const QString language : {"EN", "CZ"}) {
        w.SetLanguage(language);
        QStringList texts;
        OnNextModal([&](QWidget* dialog) {
            for (const char* name : {"LabelName", "LabelVersion", "LabelDescription"})
                texts << dialog->findChild<QLabel*>(name)->text();
            QTest::keyClick(dialog, Qt::Key_Escape);
        });
        Action("AboutMenuItem").trigger();
        ASSERT_EQ(texts.size(), 3);
        EXPECT_EQ(texts[0], "Plotyra");
        EXPECT_TRUE(texts[1].endsWith(TFormAbout::Version()));
        EXPECT_EQ(texts[2], TFormAbout::Description(language));
    }
    EXPECT_NE(TFormAbout::Description("CZ"), TFormAbout::Description("EN"));
}
