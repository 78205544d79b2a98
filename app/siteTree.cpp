#include "siteTree.h"

#include "site/siteRun.h"

#include <QApplication>
#include <QHeaderView>
#include <QPainter>
#include <QStyledItemDelegate>

#include <map>

namespace {

const char* const kHeadings[SiteTree::kColumns] = {
    "Address",      "Fixed Address", "Product",  "Version", "File",
    "File version", "Action",        "Progress", "Result",  "Reason"};
// The bar needs room for "100%" whatever the rows hold.
constexpr int kProgressWidth = 64;
constexpr int kIndentation = 12;
// The percent written, kept beside the cell's text for the bar.
constexpr int kPercentRole = Qt::UserRole;

// The progress column as a bar with its percent, as the Upgrade page's progress bar shows it.
class ProgressDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const QVariant percent = index.data(kPercentRole);
        if (!percent.isValid()) {
            QStyledItemDelegate::paint(painter, option, index);
            return;
        }
        QStyleOptionProgressBar bar;
        bar.rect = option.rect.adjusted(1, 2, -1, -2);
        bar.minimum = 0;
        bar.maximum = 100;
        bar.progress = percent.toInt();
        bar.text = index.data(Qt::DisplayRole).toString();
        bar.textVisible = true;
        bar.state = option.state | QStyle::State_Horizontal;
        const QWidget* widget = option.widget;
        QStyle* style = widget != nullptr ? widget->style() : QApplication::style();
        style->drawControl(QStyle::CE_ProgressBar, &bar, painter, widget);
    }
};

QString textOf(const std::optional<std::string>& value) {
    return value ? QString::fromStdString(*value) : QString();
}

QString kindName(SiteUnitKind kind) {
    return QString::fromLatin1(siteUnitKindText(kind));
}

// In its boot loader: left there by the run, or found there and not read running since.
bool inBootLoader(const SiteUnit& unit) {
    return unit.result == SiteResult::LeftInBootLoader || (unit.inUpgradeMode && !unit.after);
}

// What the unit reads now: its version after the run once verified, else the survey's; a unit
// in its boot loader runs no application, so it has none.
QString versionOf(const SiteUnit& unit) {
    if (inBootLoader(unit)) return QStringLiteral("boot loader");
    return textOf(unit.after ? unit.after : unit.before);
}

// A file that the trust check refused is not a missing file: the unit is refused, and why.
QString actionOf(const SiteUnit& unit) {
    if (unit.action == SiteAction::NoFile && unit.fileRefusal) return QStringLiteral("refused");
    return QString::fromLatin1(siteActionText(unit.action));
}

const QBrush kFault(Qt::red);
const QBrush kBootLoaderRow(QColor(255, 224, 224));

} // namespace

SiteTree::SiteTree(QWidget* parent) : QTreeWidget(parent) {
    setColumnCount(kColumns);
    QStringList headings;
    for (const char* heading : kHeadings)
        headings << QString::fromLatin1(heading);
    setHeaderLabels(headings);
    // Each column as wide as its widest cell; the product and the reason take what the window
    // has to spare, and give it back (cut short, their tool tips whole) when it narrows.
    QHeaderView* columns = header();
    columns->setStretchLastSection(true);
    columns->setSectionResizeMode(QHeaderView::ResizeToContents);
    columns->setSectionResizeMode(Product, QHeaderView::Stretch);
    columns->setSectionResizeMode(Reason, QHeaderView::Stretch);
    columns->setSectionResizeMode(Progress, QHeaderView::Fixed);
    setColumnWidth(Progress, kProgressWidth);
    setIndentation(kIndentation);
    setRootIsDecorated(true);
    setUniformRowHeights(true);
    setAlternatingRowColors(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setItemDelegateForColumn(Progress, new ProgressDelegate(this));
}

void SiteTree::setCell(QTreeWidgetItem* row, Column column, const QString& text) {
    row->setText(column, text);
    const QString heading = QString::fromLatin1(kHeadings[column]);
    row->setData(
        column, Qt::AccessibleTextRole,
        QStringLiteral("%1: %2").arg(heading, text.isEmpty() ? QStringLiteral("none") : text));
}

QTreeWidgetItem* SiteTree::parentFor(const SiteUnit& unit) const {
    if (unit.kind == SiteUnitKind::Host || unit.kind == SiteUnitKind::Controller) return nullptr;
    const QString address = QString::fromStdString(unit.address);
    // The run lists each controller before its terminals, and a terminal before what is
    // behind it: the nearest earlier row is the one.
    for (std::size_t i = rows_.size(); i-- > 0;)
        if (kinds_[i] == SiteUnitKind::Controller && addresses_[i].left(2) == address.left(2))
            return rows_[i];
    return nullptr;
}

QTreeWidgetItem* SiteTree::terminalRowFor(const SiteUnit& remote, QTreeWidgetItem* parent) {
    auto* row = parent != nullptr ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(this);
    showIdentity(row, SiteUnitKind::Terminal, remote);
    setCell(row, Version, textOf(remote.terminalVersion));
    for (Column column : {File, FileVersion, Action, Progress, Result, Reason})
        setCell(row, column, QString());
    return row;
}

void SiteTree::showBus(const SiteBus& bus) {
    clear();
    rows_.clear();
    kinds_.clear();
    addresses_.clear();
    for (const SiteUnit& unit : bus.units) {
        QTreeWidgetItem* parent = parentFor(unit);
        if (unit.kind == SiteUnitKind::Remote) parent = terminalRowFor(unit, parent);
        auto* row = parent != nullptr ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(this);
        rows_.push_back(row);
        kinds_.push_back(unit.kind);
        addresses_.push_back(QString::fromStdString(unit.address));
        showUnit(rows_.size() - 1, unit);
    }
    expandAll();
}

void SiteTree::showIdentity(QTreeWidgetItem* row, SiteUnitKind kind, const SiteUnit& unit) {
    const QString address = QString::fromStdString(unit.address);
    const QString kindText = kindName(kind);
    setCell(row, Address, address);
    // The kind leads the row for a screen reader, as the nesting shows it on screen.
    row->setData(Address, Qt::AccessibleTextRole, QStringLiteral("%1 %2").arg(kindText, address));
    row->setToolTip(Address, kind == SiteUnitKind::Remote
                                 ? QStringLiteral("remote behind terminal %1").arg(address)
                                 : kindText);
    setCell(row, FixedAddress,
            QStringLiteral("%1").arg(unit.fixedAddress, 8, 16, QLatin1Char('0')).toUpper());
    setCell(row, Product, QString::fromStdString(unit.product));
    row->setToolTip(Product, QString::fromStdString(unit.product));
}

void SiteTree::showUnit(std::size_t unit, const SiteUnit& shown) {
    QTreeWidgetItem* row = rowOf(unit);
    if (row == nullptr) return;
    showIdentity(row, shown.kind, shown);
    setCell(row, Version, versionOf(shown));
    if (shown.after && shown.before && *shown.after != *shown.before)
        row->setToolTip(Version, QStringLiteral("was %1").arg(textOf(shown.before)));
    setCell(row, File, textOf(shown.file));
    row->setToolTip(File, textOf(shown.file));
    setCell(row, FileVersion, textOf(shown.fileVersion));
    setCell(row, Action, actionOf(shown));
    setCell(row, Result, QString::fromLatin1(siteResultText(shown.result)));
    const bool refused = shown.result == SiteResult::Refused;
    const bool failed = refused || shown.result == SiteResult::Failed ||
                        shown.result == SiteResult::LeftInBootLoader;
    row->setForeground(Result, failed ? kFault : QBrush());
    row->setForeground(Action, refused ? kFault : QBrush());
    const bool bootLoader = inBootLoader(shown);
    for (int column = 0; column < kColumns; ++column)
        row->setBackground(column, bootLoader ? kBootLoaderRow : QBrush());
    const QString reason = QString::fromStdString(shown.reason.value_or(""));
    setCell(row, Reason, reason);
    row->setToolTip(Reason, reason);
    row->setToolTip(Result, reason);
    if (row->data(Progress, kPercentRole).isNull()) setCell(row, Progress, QString());
}

void SiteTree::showProgress(std::size_t unit, int percent) {
    QTreeWidgetItem* row = rowOf(unit);
    if (row == nullptr) return;
    row->setData(Progress, kPercentRole, percent);
    setCell(row, Progress, QStringLiteral("%1%").arg(percent));
}

QTreeWidgetItem* SiteTree::rowOf(std::size_t unit) const {
    return unit < rows_.size() ? rows_[unit] : nullptr;
}

namespace {

// The summary's first words, from the one value the verdict line and the exit status also take.
QString siteHeading(const Outcome& outcome) {
    switch (outcome.kind) {
    case OutcomeKind::Completed:
        return QStringLiteral("Site up to date");
    case OutcomeKind::Stopped:
        return QStringLiteral("Stopped");
    case OutcomeKind::LineLost:
    case OutcomeKind::Error:
        return QStringLiteral("Site not verified, %1").arg(QString::fromStdString(outcome.reason));
    case OutcomeKind::Refused:
    case OutcomeKind::Failed:
        break;
    }
    return QStringLiteral("Site not up to date");
}

} // namespace

QString siteSummary(const SiteBus& bus) {
    const QString port = QString::fromStdString(bus.port);
    if (!bus.opened) return QStringLiteral("%1 did not open.").arg(port);
    if (bus.units.empty()) return QStringLiteral("No unit answered on %1.").arg(port);
    // Counted in the order of the words, each word once.
    std::map<int, std::pair<QString, int>> counts;
    for (const SiteUnit& unit : bus.units) {
        const int key = bus.planOnly ? int(unit.action) : int(unit.result);
        auto& [word, count] = counts[key];
        word = QString::fromLatin1(bus.planOnly ? siteActionText(unit.action)
                                                : siteResultText(unit.result));
        ++count;
    }
    QStringList parts;
    for (const auto& [key, count] : counts)
        parts << QStringLiteral("%1 %2").arg(count.first).arg(count.second);
    const Outcome outcome = siteOutcome(bus);
    const bool idle = !bus.planOnly && outcome.succeeded() && plannedNothing(bus);
    const QString heading = bus.planOnly ? QStringLiteral("Plan")
                            : idle       ? QStringLiteral("Nothing to upgrade")
                                         : siteHeading(outcome);
    return QStringLiteral("%1 (%2): %3.").arg(heading, port, parts.join(QStringLiteral(", ")));
}
