#pragma once
// Every modal question of the window goes through these, so that they can be answered without
// a modal window (the tests answer them from a script).

#include <QMap>
#include <QMessageBox>
#include <QString>

class WindowQuestions {
public:
    virtual ~WindowQuestions() = default;
    // captions: the buttons that say something else than their standard text.
    virtual QMessageBox::StandardButton
    showMessageBox(QMessageBox::Icon icon, const QString& title, const QString& text,
                   QMessageBox::StandardButtons buttons,
                   const QMap<QMessageBox::StandardButton, QString>& captions = {}) = 0;
    virtual QString askSaveFileName() = 0;     // empty when cancelled
    virtual QString askOpenFileName() = 0;     // empty when cancelled
    virtual QString askFirmwareFileName() = 0; // empty when cancelled
    // The address of a network port: the text offered to type on, and the cursor in it (at the
    // end when negative); the text typed and where the cursor stood, empty when cancelled.
    struct TypedLine {
        QString text;
        int cursor = -1;
    };
    virtual TypedLine askNetworkAddress(const TypedLine& offer) = 0;
    // The site report's file, suggested is offered; empty when cancelled.
    virtual QString askSiteReportName(const QString& suggested) = 0;
};
