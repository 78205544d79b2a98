#pragma once
// The controls that start an operation on one bus, enabled only while it may start one: a
// click that the bus would refuse is not offered, and the line's settings stay as the run
// opened them. A button that a kind of operation listens to for Stop (and Skip) stays enabled
// while that kind runs, its caption following the run's phase.

#include "busController.h"

#include <QList>
#include <QMap>
#include <QObject>
#include <QPair>
#include <QString>

class QAction;
class QActionGroup;
class QWidget;

class RunButtons : public QObject {
    Q_OBJECT
public:
    RunButtons(BusController& bus, QObject* parent);

    void add(QWidget* control, BusOperation stops = BusOperation::None);
    void add(QAction* item);
    void add(QActionGroup* items);

private:
    void show();

    BusController& bus_;
    QList<QPair<QWidget*, BusOperation>> controls_;
    QList<QAction*> items_;
    QList<QActionGroup*> groups_;
    QMap<QWidget*, QString> idleCaptions_;
};
