#include "historyDialog.h"

#include "trust/history.h"

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QTableWidget>
#include <QVBoxLayout>

#include <array>

namespace {

constexpr std::array kColumns = {"Time",    "Port",    "Address", "Fixed Address",
                                 "Product", "Before",  "File",    "File Version",
                                 "SHA-256", "Outcome", "Reason",  "After"};

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
    tblHistory = new QTableWidget(0, static_cast<int>(kColumns.size()), this);
    tblHistory->setObjectName(QStringLiteral("tblHistory"));
    tblHistory->setAccessibleName(QStringLiteral("History"));
    QStringList headers;
    for (const char* column : kColumns)
        headers << QString::fromLatin1(column);
    tblHistory->setHorizontalHeaderLabels(headers);
    tblHistory->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tblHistory->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    lblNotes = new QLabel(this);
    lblNotes->setObjectName(QStringLiteral("lblNotes"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(edtFixedAddress);
    layout->addWidget(tblHistory);
    layout->addWidget(lblNotes);
    resize(900, 400);
    connect(edtFixedAddress, &QLineEdit::textChanged, this, &TfrmHistory::reload);
}

void TfrmHistory::reload() {
    const HistoryRead read = ReadHistory();
    const std::string unit = edtFixedAddress->text().toStdString();
    const std::vector<HistoryRecord> records =
        unit.size() == 8 ? RecordsOfUnit(read.records, unit) : read.records;
    tblHistory->setRowCount(static_cast<int>(records.size()));
    for (int row = 0; row < static_cast<int>(records.size()); ++row) {
        const auto values = cells(records[static_cast<std::size_t>(row)]);
        for (int column = 0; column < static_cast<int>(values.size()); ++column)
            tblHistory->setItem(row, column,
                                new QTableWidgetItem(values[static_cast<std::size_t>(column)]));
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
