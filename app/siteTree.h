#pragma once
// The Site page's tree of one bus: the host, each controller with its terminals, the remotes
// behind them, one row per unit of the site run in the run's order, with what the plan means to
// do with it, what came of it and why. A terminal with a remote behind it has a row of its own
// (its own version) above the remote's. Every cell carries its column's name in its accessible
// text, so that a screen reader reads "Result: upgraded", not a bare word.

#include "site/siteBus.h"

#include <QTreeWidget>

#include <cstddef>
#include <vector>

class SiteTree : public QTreeWidget {
    Q_OBJECT
public:
    enum Column {
        Address,
        FixedAddress,
        Product,
        Version,
        File,
        FileVersion,
        Action,
        Progress,
        Result,
        Reason
    };
    static constexpr int kColumns = Reason + 1;

    explicit SiteTree(QWidget* parent = nullptr);

    // One row per unit of bus, nested by kind and address; the rows shown before are dropped.
    void showBus(const SiteBus& bus);
    // The unit's row again; a unit the tree does not hold is passed over.
    void showUnit(std::size_t unit, const SiteUnit& shown);
    // The share of the unit's file written so far, drawn as a bar in the progress column.
    void showProgress(std::size_t unit, int percent);

    std::size_t unitCount() const { return rows_.size(); }
    QTreeWidgetItem* rowOf(std::size_t unit) const;

private:
    QTreeWidgetItem* parentFor(const SiteUnit& unit) const;
    // The row of the terminal a remote sits behind, with the terminal's own version: the
    // remote is its child.
    QTreeWidgetItem* terminalRowFor(const SiteUnit& remote, QTreeWidgetItem* parent);
    void showIdentity(QTreeWidgetItem* row, SiteUnitKind kind, const SiteUnit& unit);
    void setCell(QTreeWidgetItem* row, Column column, const QString& text);

    std::vector<QTreeWidgetItem*> rows_;
    std::vector<SiteUnitKind> kinds_;
    std::vector<QString> addresses_;
};

// A line that sums a site run up for the operator: the counts of each action after a plan,
// of each result after an upgrade, or why there is nothing to count.
QString siteSummary(const SiteBus& bus);
