#include "historyDialog.h"

#include "trust/history.h"

#include <QAction>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QTableWidget>
#include <QVBoxLayout>

#include <array>

namespace {

constexpr std::array kColumns = {"Time",    "Port",    "Address", "Fixed Address",
                                 "Product", "Before",  "File",    "File Version",
                                 "SHA-256", "Outcome", "Reason",  "After"};

constexpr int kDigestColumn = 8;
// The digest's first hex digits tell two files apart at a glance; the whole one is in the cell's
// tool tip and copied by the table's menu.
constexpr int kShownDigestDigits = 12;
constexpr int kFixedAddressDigits = 8;
constexpr int kDigestRole = Qt::UserRole;

QString text(const std::string& value) {
    return QString::fromStdString(value);
}
QString text(const std::optional<std::string>& value) {
    return value ? text(*value) : QStringLiteral("-");
}

std::array<QString, kColumns.size()> cells(const HistoryRecord& record) {
    return {text(record.time),
            text(record.port),
            text(record.address),
            text(record.fixedAddress),
            QString::number(record.productId),
            text(record.before),
            text(record.file),
            text(record.fileVersion),
            text(record.fileSha256),
            text(record.outcome),
            text(record.reason),
            text(record.after)};
}

} // namespace

TfrmHistory::TfrmHistory(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmHistory"));
    setWindowTitle(QStringLiteral("Firmware History"));
    edtFixedAddress = new QLineEdit(this);
    edtFixedAddress->setObjectName(QStringLiteral("edtFixedAddress"));
    edtFixedAddress->setPlaceholderText(QStringLiteral("Fixed Address (all units when empty)"));
    edtFixedAddress->setAccessibleName(QStringLiteral("Fixed Address"));
    edtFixedAddress->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[0-9A-Fa-f]{0,8}")), edtFixedAddress));
    lblFilter = new QLabel(
        QStringLiteral("Type all eight hex digits of a fixed address to see that unit only."),
        this);
    lblFilter->setObjectName(QStringLiteral("lblFilter"));
    lblFilter->hide();
    buildTable();
    lblNotes = new QLabel(this);
    lblNotes->setObjectName(QStringLiteral("lblNotes"));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->button(QDialogButtonBox::Close)->setObjectName(QStringLiteral("btnClose"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(edtFixedAddress);
    layout->addWidget(lblFilter);
    layout->addWidget(tblHistory);
    layout->addWidget(lblNotes);
    layout->addWidget(buttons);
    resize(1000, 400);
    connect(edtFixedAddress, &QLineEdit::textChanged, this, &TfrmHistory::reload);
}

void TfrmHistory::buildTable() {
    tblHistory = new QTableWidget(0, static_cast<int>(kColumns.size()), this);
    tblHistory->setObjectName(QStringLiteral("tblHistory"));
    tblHistory->setAccessibleName(QStringLiteral("History"));
    QStringList headers;
    for (const char* column : kColumns)
        headers << QString::fromLatin1(column);
    tblHistory->setHorizontalHeaderLabels(headers);
    tblHistory->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tblHistory->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    tblHistory->setSelectionBehavior(QAbstractItemView::SelectRows);
    tblHistory->setContextMenuPolicy(Qt::ActionsContextMenu);
    auto* copy = new QAction(QStringLiteral("&Copy SHA-256"), tblHistory);
    copy->setObjectName(QStringLiteral("actCopyDigest"));
    connect(copy, &QAction::triggered, this, &TfrmHistory::copyDigest);
    tblHistory->addAction(copy);
}

void TfrmHistory::copyDigest() {
    const int row = tblHistory->currentRow();
    const QTableWidgetItem* cell = row < 0 ? nullptr : tblHistory->item(row, kDigestColumn);
    if (cell != nullptr) QGuiApplication::clipboard()->setText(cell->data(kDigestRole).toString());
}

void TfrmHistory::reload() {
    const HistoryRead read = ReadHistory();
    const std::string unit = edtFixedAddress->text().toStdString();
    const bool whole = unit.size() == kFixedAddressDigits;
    lblFilter->setVisible(!unit.empty() && !whole);
    const std::vector<HistoryRecord> records =
        whole ? RecordsOfUnit(read.records, unit) : read.records;
    tblHistory->setRowCount(static_cast<int>(records.size()));
    for (int row = 0; row < static_cast<int>(records.size()); ++row) {
        const auto values = cells(records[static_cast<std::size_t>(row)]);
        for (int column = 0; column < static_cast<int>(values.size()); ++column) {
            const QString& value = values[static_cast<std::size_t>(column)];
            auto* cell = new QTableWidgetItem(value);
            if (column == kDigestColumn && value.size() > kShownDigestDigits) {
                cell->setText(value.left(kShownDigestDigits) + QChar(0x2026));
                cell->setToolTip(value);
            }
            cell->setData(kDigestRole, value);
            tblHistory->setItem(row, column, cell);
        }
    }
    QString notes;
    if (!read.exists)
        notes = QStringLiteral("No history: %1 is not in the working folder.")
                    .arg(QString::fromLatin1(kHistoryFileName));
    for (const std::string& note : read.notes)
        notes += (notes.isEmpty() ? QString() : QStringLiteral("\n")) + text(note);
    lblNotes->setText(notes);
}

TfrmHistory* showHistory(QWidget& owner) {
    auto* dialog = owner.findChild<TfrmHistory*>(QString(), Qt::FindDirectChildrenOnly);
    if (dialog == nullptr) dialog = new TfrmHistory(&owner);
    dialog->reload();
    dialog->show();
    dialog->raise();
    return dialog;
}
