#include "logView.h"

#include <QKeyEvent>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>

LogView::LogView(QWidget* parent) : QPlainTextEdit(parent) {
    setReadOnly(true);
    setUndoRedoEnabled(false);
}

QStringList LogView::lines() const {
    if (empty_) return {};
    QStringList result;
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next())
        result << block.text();
    return result;
}

void LogView::clearLines() {
    clear();
    empty_ = true;
}

void LogView::setLines(const QStringList& lines) {
    setPlainText(lines.join(QLatin1Char('\n')));
    empty_ = lines.isEmpty();
}

void LogView::appendLine(const QString& line) {
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    if (!empty_) cursor.insertBlock();
    cursor.insertText(line);
    empty_ = false;
    if (!verticalScrollBar()->isSliderDown())
        verticalScrollBar()->setValue(verticalScrollBar()->maximum());
}

void LogView::replaceLastLine(const QString& line) {
    if (empty_) {
        appendLine(line);
        return;
    }
    QTextCursor cursor(document()->lastBlock());
    cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    cursor.insertText(line);
}

void LogView::mouseDoubleClickEvent(QMouseEvent* event) {
    QPlainTextEdit::mouseDoubleClickEvent(event);
    emit doubleClicked();
}

void LogView::keyPressEvent(QKeyEvent* event) {
    QPlainTextEdit::keyPressEvent(event);
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) event->accept();
}
