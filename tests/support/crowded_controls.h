// Controls that share room: what a person sees as one control drawn over another,
// or cut off by the edge of the panel it stands on.
#pragma once

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QStringList>
#include <QWidget>
#include <string>

namespace pellimar::test {

// The visible controls of a window that overlap a sibling or reach past the panel
// they stand on, one line each; empty when each has room of its own. What Qt
// builds inside a control (a list's scroll bars, a line edit's buttons) is the
// control's own and is not looked at.
inline std::string crowdedControls(QWidget& window) {
    auto counted = [&](QWidget* w) {
        if (!w->isVisibleTo(&window) || w->objectName().startsWith("qt_")) return false;
        for (QWidget* p = w->parentWidget(); p && p != &window; p = p->parentWidget())
            if (qobject_cast<QAbstractScrollArea*>(p) || qobject_cast<QComboBox*>(p) ||
                qobject_cast<QLineEdit*>(p) || qobject_cast<QAbstractSpinBox*>(p))
                return false;
        return true;
    };
    auto named = [](QWidget* w) {
        QString text;
        if (auto* l = qobject_cast<QLabel*>(w)) text = l->text();
        if (auto* b = qobject_cast<QAbstractButton*>(w)) text = b->text();
        if (auto* g = qobject_cast<QGroupBox*>(w)) text = g->title();
        QString name = w->metaObject()->className();
        if (!w->objectName().isEmpty()) name += " " + w->objectName();
        return text.isEmpty() ? name : name + " '" + text + "'";
    };
    QList<QWidget*> controls;
    for (QWidget* w : window.findChildren<QWidget*>())
        if (counted(w)) controls << w;
    QStringList out;
    for (qsizetype i = 0; i < controls.size(); ++i) {
        QWidget* w = controls[i];
        // A frame or a list may tuck an edge under its panel's; what a person reads
        // or works must stand whole on it.
        const bool readOrWorked =
            qobject_cast<QAbstractButton*>(w) || qobject_cast<QLineEdit*>(w) ||
            qobject_cast<QComboBox*>(w) || qobject_cast<QAbstractSpinBox*>(w) ||
            qobject_cast<QGroupBox*>(w) ||
            (qobject_cast<QLabel*>(w) && !qobject_cast<QLabel*>(w)->text().isEmpty());
        if (readOrWorked && !w->parentWidget()->rect().contains(w->geometry()))
            out << named(w) + " reaches past " + named(w->parentWidget());
        for (qsizetype j = i + 1; j < controls.size(); ++j) {
            QWidget* v = controls[j];
            if (v->parentWidget() == w->parentWidget() && w->geometry().intersects(v->geometry()))
                out << named(w) + " overlaps " + named(v);
        }
    }
    return out.join('\n').toStdString();
}

}  // namespace pellimar::test
