#pragma once
// The history of unit writes (nexalo-history.jsonl in the working folder) as a table, newest
// last, narrowed to one unit by its fixed address. Read afresh each time it is shown or the
// filter changes; lines that are not records are skipped and counted under the table.

#include <QDialog>

class QLabel;
class QLineEdit;
class QTableWidget;

class TfrmHistory : public QDialog {
    Q_OBJECT
public:
    explicit TfrmHistory(QWidget* parent = nullptr);

    // Reads the file again and shows the records of the unit in the filter (all when empty).
    void reload();

    QLineEdit* edtFixedAddress = nullptr;
    QLabel* lblFilter = nullptr; // says when the filter is not yet a whole fixed address
    QTableWidget* tblHistory = nullptr;
    QLabel* lblNotes = nullptr;

private:
    void buildTable();
    // The selected record's whole SHA-256 to the clipboard.
    void copyDigest();
};

// The menu item's handler: shows the window's dialog (made at its first showing), reloaded.
TfrmHistory* showHistory(QWidget& owner);
