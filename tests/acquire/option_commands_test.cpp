#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QPointer>
#include <stdexcept>

#include "acquire/import_options_dialog.h"
#include "acquire/scan_test_tree.h"
#include "acquire/search_option_dialog.h"
#include "app/main_form.h"
#include "app/paths.h"
#include "app/settings.h"
#include "support/scripted_desktop.h"

namespace pellimar {
namespace {
using test::ScratchTree;
using test::ScriptedDesktop;

class OptionCommandsTest : public ::testing::Test {
  protected:
    OptionCommandsTest() { setProgramDir(dir.root()); }
    ~OptionCommandsTest() override { setProgramDir({}); }
    ScratchTree dir;
    ScriptedDesktop desktop;
};

TEST_F(OptionCommandsTest, ImportOptionsIsOneDialogThatKeepsItsControls) {
    TForm1 form(desktop);
    form.ImportOptions1Click();  // no dialog given to the window: nothing to show
    EXPECT_TRUE(desktop.modalForms.empty());

    TForm5 options(settings(), desktop, &form);
    form.setImportOptionsForm(&options);
    desktop.modalScripts.push_back([](QDialog& d) {
        auto& f = dynamic_cast<TForm5&>(d);
        f.Edit1->setText("not shown again");
        f.close();
        return int(QDialog::Rejected);
    });
    form.ImportOptions1Click();
    form.ImportOptions1Click();
    ASSERT_EQ(desktop.modalForms.size(), 2u);
    EXPECT_EQ(desktop.modalForms[0], &options);
    EXPECT_EQ(desktop.modalForms[1], &options);
    EXPECT_EQ(dynamic_cast<TForm5*>(desktop.modalForms[1])->Edit1->text(), "not shown again");
}

TEST_F(OptionCommandsTest, SearchSettingIsMadeForEachShowingAndDestroyedAfter) {
    TForm1 form(desktop);
    QPointer<QDialog> first;
    desktop.modalScripts.push_back([&](QDialog& d) {
        first = &d;
        auto& f = dynamic_cast<Tsearchoptionfrm&>(d);
        f.show();
        f.clearbox->click();
        f.Button1Click();
        return f.result();
    });
    form.searchoption1Click();
    EXPECT_TRUE(first.isNull());
    EXPECT_TRUE(settings().clearResult);

    // An error while it is shown ends the command; the dialog goes all the same.
    QPointer<QDialog> second;
    desktop.modalScripts.push_back([&](QDialog& d) -> int {
        second = &d;
        throw std::runtime_error("broken");
    });
    EXPECT_THROW(form.searchoption1Click(), std::runtime_error);
    EXPECT_TRUE(second.isNull());
    settings().clearResult = false;
}

}  // namespace
}  // namespace pellimar
