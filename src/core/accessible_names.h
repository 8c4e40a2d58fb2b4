// Names for screen readers that Qt's own accessibility gets wrong for us:
// - a menu-bar menu or menu item whose text is padded with spaces, as the menu
//   bar's " &File  " is for its look, is named without them;
// - a combo box named with nameComboBoxByAccessibleName() is named by its
//   accessible name and gives its current text as its value (on Linux Qt names
//   every combo box by its current text, which leaves it without a name of its own).
#pragma once

class QComboBox;

namespace pellimar {

// Installs the factory that gives both names; once a program is enough, more
// calls do nothing.
void installAccessibleNames();

// Marks `box` to be named by its accessible name (and installs the factory).
void nameComboBoxByAccessibleName(QComboBox& box);

}  // namespace pellimar
