#pragma once
// The window's questions as real modal dialogs over parent. A question that can be answered No
// is answered No by Enter; one that can be cancelled is cancelled.

#include "windowQuestions.h"

class QWidget;

class WindowDialogs : public WindowQuestions {
public:
    explicit WindowDialogs(QWidget& parent);

    QMessageBox::StandardButton
    showMessageBox(QMessageBox::Icon icon, const QString& title, const QString& text,
                   QMessageBox::StandardButtons buttons,
                   const QMap<QMessageBox::StandardButton, QString>& captions = {}) override;
    QString askSaveFileName() override;
    QString askOpenFileName() override;
    // Firmware file names are matched without regard to case, as on the units' home platform.
    QString askFirmwareFileName() override;
    // The offered text is a start to type on, not a choice to type over.
    TypedLine askNetworkAddress(const TypedLine& offer) override;
    // The JSON report or the printable page, by the file type chosen; the name offered carries
    // the run's date and port, its ending following the type.
    QString askSiteReportName(const QString& suggested) override;

private:
    QWidget& parent_;
};
