#include "app/status_panels.h"

#include <QLabel>
#include <QMainWindow>
#include <QStatusBar>
#include <algorithm>

#include "core/window_placement.h"

namespace pellimar {

namespace {

constexpr int kPanelWidths[StatusPanels::kPanelCount] = {10, 100, 10, 120, 10, 120, 50};

}  // namespace

StatusPanels::StatusPanels(QMainWindow& window) {
    QStatusBar* bar = window.statusBar();
    bar->setObjectName("statusBar");
    // The design sizes at the default font, grown with a larger one.
    const double growth = fontGrowth(window.font());
    bar->setFixedHeight(std::max(19 + 4, window.fontMetrics().height() + 8));
    bar->setAccessibleName(tr("Status"));
    const char* texts[kPanelCount] = {"", QT_TR_NOOP("Idle ..."),    "", QT_TR_NOOP("Icons: 0"),
                                      "", QT_TR_NOOP("Selected: 0"), ""};
    for (int i = 0; i < kPanelCount; ++i) {
        auto* panel = new QLabel(*texts[i] ? tr(texts[i]) : QString());
        panel->setObjectName(QString("statusPanel%1").arg(i));
        panel->setFixedWidth(qRound(kPanelWidths[i] * growth));
        panel->setFrameShape(QFrame::Panel);
        panel->setFrameShadow(QFrame::Sunken);
        panel->setAlignment(i == 1 ? Qt::AlignCenter : Qt::AlignLeft | Qt::AlignVCenter);
        bar->addWidget(panel);
        panels_.push_back(panel);
    }
}

QString StatusPanels::text(int panel) const {
    if (panel < 0 || panel >= kPanelCount) return {};
    return panels_[std::size_t(panel)]->text();
}

void StatusPanels::setText(int panel, const QString& text) {
    if (panel < 0 || panel >= kPanelCount) return;
    panels_[std::size_t(panel)]->setText(text);
}

void StatusPanels::showIdle() {
    setText(1, tr("Idle ..."));
}

void StatusPanels::showIconCount(int count) {
    setText(3, tr("Icons: %1").arg(count));
}

void StatusPanels::showSelectedCount(int count) {
    setText(5, tr("Selected: %1").arg(count));
}

}  // namespace pellimar
