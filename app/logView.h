#pragma once
// A report log: plain lines that grow without limit, cleared by a double click.

#include <QPlainTextEdit>
#include <QStringList>

class LogView : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit LogView(QWidget* parent = nullptr);

    QStringList lines() const;
    void setLines(const QStringList& lines);
    void appendLine(const QString& line);
    void replaceLastLine(const QString& line);
    void clearLines();

signals:
    void doubleClicked();

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    // Enter in a log stays there: it never reaches the window's default button.
    void keyPressEvent(QKeyEvent* event) override;

private:
    // An empty document still holds one empty block, so "no lines" is kept apart from
    // "one empty line".
    bool empty_ = true;
};
