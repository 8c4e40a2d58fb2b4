#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QPointer>
#include <stdexcept>

#include "acquire/import_options_dialog.h"
#include "acquire/scan_test_tree.h"
#include "acquire/search_settings_dialog.h"
#include "app/main_window.h"
#include "core/paths.h"
#include "core/settings.h"
#include "support/scripted_desktop.h"

namespace pellimar {
namespace {
using test::ScratchTree;
using test::ScriptedDesktop;

class MainWindowOptionsTest : public ::testing::Test {
  protected:
    MainWindowOptionsTest() { setProgramDir(dir.root()); }
    ~MainWindowOptionsTest() override { setProgramDir({}); }
    ScratchTree dir;
    ScriptedDesktop desktop;
};

TEST_F(MainWindowOptionsTest, ImportOptionsIsOneDialogThatKeepsItsControls) {
    MainWindow form(desktop);
    form.showImportOptions();  // no dialog given to the window: nothing to show
    EXPECT_TRUE(desktop.modalForms.empty());

    ImportOptionsDialog options(form.settings(), desktop, &form);
    form.setImportOptionsDialog(&options);
    desktop.modalScripts.push_back([](QDialog& d) {
        auto& f = dynamic_cast<ImportOptionsDialog&>(d);
        f.limitEdit->setText("not shown again");
        f.close();
        return int(QDialog::Rejected);
    });
    form.showImportOptions();
    form.showImportOptions();
    ASSERT_EQ(desktop.modalForms.size(), 2u);
    EXPECT_EQ(desktop.modalForms[0], &options);
    EXPECT_EQ(desktop.modalForms[1], &options);
    EXPECT_EQ(dynamic_cast<ImportOptionsDialog*>(desktop.modalForms[1])->limitEdit->text(),
              "not shown again");
}

TEST_F(MainWindowOptionsTest, SearchSettingIsMadeForEachShowingAndDestroyedAfter) {
    MainWindow form(desktop);
    QPointer<QDialog> first;
    desktop.modalScripts.push_back([&](QDialog& d) {
        first = &d;
        auto& f = dynamic_cast<SearchSettingsDialog&>(d);
        f.show();
        f.clearResultBox->click();
        f.confirm();
        return f.result();
    });
    form.showSearchSettings();
    EXPECT_TRUE(first.isNull());
    EXPECT_TRUE(form.settings().clearResult);

    // An error while it is shown ends the command; the dialog goes all the same.
    QPointer<QDialog> second;
    desktop.modalScripts.push_back([&](QDialog& d) -> int {
        second = &d;
        throw std::runtime_error("broken");
    });
    EXPECT_THROW(form.showSearchSettings(), std::runtime_error);
    EXPECT_TRUE(second.isNull());
    form.settings().clearResult = false;
}

}  // namespace
}  // namespace pellimar
