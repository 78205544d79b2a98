#include "runButtons.h"

#include <QAction>
#include <QActionGroup>
#include <QPushButton>

namespace {
const QString kStopCaption = QStringLiteral("&Stop");
const QString kSkipCaption = QStringLiteral("&Skip");
} // namespace

RunButtons::RunButtons(BusController& bus, QObject* parent) : QObject(parent), bus_(bus) {
    connect(&bus_, &BusController::phaseChanged, this, &RunButtons::show);
}

void RunButtons::add(QWidget* control, BusOperation stops) {
    controls_.append({control, stops});
    if (auto* button = qobject_cast<QPushButton*>(control); button && stops != BusOperation::None)
        idleCaptions_.insert(control, button->text());
}

void RunButtons::add(QAction* item) {
    items_.append(item);
}

void RunButtons::add(QActionGroup* items) {
    groups_.append(items);
}

// The end of a run as the window handles it counts as part of the run.
void RunButtons::show() {
    const bool idle = bus_.canStart();
    const BusOperation running = bus_.running();
    for (const auto& [control, stops] : std::as_const(controls_)) {
        const bool runButton = !idle && stops != BusOperation::None && stops == running;
        control->setEnabled(idle || runButton);
        auto* button = qobject_cast<QPushButton*>(control);
        // The site run plans from whole searches: its button is only ever its Stop, and its
        // page sets its captions.
        if (button == nullptr || stops == BusOperation::None || stops == BusOperation::Site)
            continue;
        const bool offersSkip = bus_.phase() == RunPhase::Discovering;
        button->setText(!runButton   ? idleCaptions_.value(control)
                        : offersSkip ? kSkipCaption
                                     : kStopCaption);
    }
    for (QAction* item : std::as_const(items_))
        item->setEnabled(idle);
    for (QActionGroup* group : std::as_const(groups_))
        group->setEnabled(idle);
}
