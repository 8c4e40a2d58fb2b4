#include "core/accessible_names.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QAction>
#include <QComboBox>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>

namespace pellimar {

namespace {

constexpr const char* kNamedByAccessibleName = "pellimarNamedByAccessibleName";

// "&File" as read: each single '&' (a mnemonic) dropped, "&&" kept as one '&'.
QString withoutMnemonic(const QString& text) {
    QString out;
    for (int i = 0; i < text.size(); ++i) {
        if (text[i] == '&' && i + 1 < text.size()) ++i;
        out += text[i];
    }
    return out;
}

// A menu item of a menu bar or a menu whose text is padded: as Qt presents
// such an item, named by its text without the padding.
class PaddedMenuItem : public QAccessibleInterface, public QAccessibleActionInterface {
  public:
    explicit PaddedMenuItem(QAction* action) : action_(action) {}

    bool isValid() const override { return action_ && owner(); }
    QObject* object() const override { return action_; }
    QWindow* window() const override {
        QWidget* w = owner();
        return w ? w->window()->windowHandle() : nullptr;
    }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* parent() const override {
        return QAccessible::queryAccessibleInterface(owner());
    }
    QAccessibleInterface* child(int index) const override {
        return index == 0 && action_ && action_->menu()
                   ? QAccessible::queryAccessibleInterface(action_->menu())
                   : nullptr;
    }
    int childCount() const override { return action_ && action_->menu() ? 1 : 0; }
    int indexOfChild(const QAccessibleInterface* child) const override {
        return child && action_ && child->object() == action_->menu() ? 0 : -1;
    }
    QString text(QAccessible::Text t) const override {
        if (!action_) return {};
        if (t == QAccessible::Name) return withoutMnemonic(action_->text()).trimmed();
        if (t == QAccessible::Accelerator) {
            if (!action_->shortcut().isEmpty()) return action_->shortcut().toString();
            const int at = action_->text().indexOf('&');
            if (at >= 0 && at + 1 < action_->text().size())
                return QKeySequence(Qt::ALT).toString() + action_->text().at(at + 1).toUpper();
        }
        return {};
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override {
        QWidget* w = owner();
        if (!w) return {};
        QRect r;
        if (auto* bar = qobject_cast<QMenuBar*>(w)) r = bar->actionGeometry(action_);
        if (auto* menu = qobject_cast<QMenu*>(w)) r = menu->actionGeometry(action_);
        return QRect(w->mapToGlobal(r.topLeft()), r.size());
    }
    QAccessible::Role role() const override { return QAccessible::MenuItem; }
    QAccessible::State state() const override {
        QAccessible::State s;
        QWidget* w = owner();
        if (!w || !w->isVisible() || !action_->isVisible()) s.invisible = true;
        if (auto* bar = qobject_cast<QMenuBar*>(w); bar && bar->activeAction() == action_)
            s.focused = true;
        if (auto* menu = qobject_cast<QMenu*>(w); menu && menu->activeAction() == action_)
            s.focused = true;
        if (!action_->isEnabled()) s.disabled = true;
        if (action_->isCheckable()) s.checkable = true;
        if (action_->isChecked()) s.checked = true;
        return s;
    }
    void* interface_cast(QAccessible::InterfaceType type) override {
        return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this)
                                                    : nullptr;
    }

    QStringList actionNames() const override {
        if (!action_) return {};
        return {action_->menu() ? showMenuAction() : pressAction()};
    }
    void doAction(const QString& name) override {
        if (!action_ || !action_->isEnabled()) return;
        if (name == pressAction()) {
            action_->trigger();
        } else if (name == showMenuAction()) {
            if (auto* bar = qobject_cast<QMenuBar*>(owner())) bar->setActiveAction(action_);
            if (auto* menu = qobject_cast<QMenu*>(owner())) menu->setActiveAction(action_);
        }
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

  private:
    // The menu bar or menu the item is in.
    QWidget* owner() const {
        if (!action_) return nullptr;
        for (QObject* o : action_->associatedObjects())
            if (qobject_cast<QMenuBar*>(o) || qobject_cast<QMenu*>(o))
                return static_cast<QWidget*>(o);
        return nullptr;
    }

    QPointer<QAction> action_;
};

// A combo box named by its accessible name, its current text its value, also
// given as its text: the desktop's accessibility bus carries no other value
// than a number, and screen readers read a combo box's text.
class NamedComboBox : public QAccessibleWidget, public QAccessibleTextInterface {
  public:
    explicit NamedComboBox(QComboBox* box) : QAccessibleWidget(box, QAccessible::ComboBox) {
        addControllingSignal(QLatin1String("currentIndexChanged(int)"));
    }
    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name) return box()->accessibleName();
        if (t == QAccessible::Value) return box()->currentText();
        return QAccessibleWidget::text(t);
    }
    // The list of its entries, as Qt gives it.
    int childCount() const override { return 1; }
    QAccessibleInterface* child(int index) const override {
        return index == 0 ? QAccessible::queryAccessibleInterface(box()->view()) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        return child && child->object() == box()->view() ? 0 : -1;
    }
    QStringList actionNames() const override {
        return QStringList{showMenuAction()} << QAccessibleWidget::actionNames();
    }
    void doAction(const QString& name) override {
        if (name == showMenuAction())
            box()->showPopup();
        else
            QAccessibleWidget::doAction(name);
    }
    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    // The text: the current entry's, read only, without selections.
    QString text(int start, int end) const override {
        return box()->currentText().mid(start, end - start);
    }
    int characterCount() const override { return int(box()->currentText().size()); }
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    void selection(int, int* start, int* end) const override { *start = *end = 0; }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    QRect characterRect(int) const override { return {}; }
    int offsetAtPoint(const QPoint&) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int offset, int* start, int* end) const override {
        *start = *end = offset;
        return {};
    }

  private:
    QComboBox* box() const { return static_cast<QComboBox*>(widget()); }
};

QAccessibleInterface* accessibleNames(const QString& key, QObject* object) {
    if (key == QLatin1String("QAction")) {
        auto* action = qobject_cast<QAction*>(object);
        if (!action || action->text() == action->text().trimmed()) return nullptr;
        for (QObject* o : action->associatedObjects())
            if (qobject_cast<QMenuBar*>(o) || qobject_cast<QMenu*>(o))
                return new PaddedMenuItem(action);
        return nullptr;
    }
    if (key == QLatin1String("QComboBox") && object->property(kNamedByAccessibleName).toBool())
        return new NamedComboBox(static_cast<QComboBox*>(object));
    return nullptr;
}

}  // namespace

void installAccessibleNames() {
    static const bool installed = [] {
        QAccessible::installFactory(accessibleNames);
        return true;
    }();
    (void)installed;
}

void nameComboBoxByAccessibleName(QComboBox& box) {
    installAccessibleNames();
    box.setProperty(kNamedByAccessibleName, true);
}

}  // namespace pellimar
