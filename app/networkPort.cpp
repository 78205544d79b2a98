// Config -> Port -> Network...: a serial line behind a device server on the network.

#include "fwUpgrade.h"

#include "link/platform/networkAddress.h"

#include <QActionGroup>
#include <QInputDialog>
#include <QLineEdit>
#include <QTimer>

void TForm1::Network1Click() {
    const QString address = askNetworkAddress(networkAddress_).trimmed();
    if (!address.isEmpty() && parseNetworkAddress(address.toStdString())) {
        networkAddress_ = address;
        portCom.setDevicePath(address.toStdString());
        chosenPortItem_ = Network1;
        return;
    }
    if (!address.isEmpty())
        showMessageBox(QMessageBox::Warning, QStringLiteral("Network Port"),
                       QString::fromStdString(networkAddressProblem(address.toStdString())),
                       QMessageBox::Ok);
    // The port stays as it was, and so does its tick.
    if (chosenPortItem_ != nullptr) chosenPortItem_->setChecked(true);
}

QString TForm1::askNetworkAddress(const QString& last) {
    QInputDialog dialog(this);
    dialog.setObjectName(QStringLiteral("dlgNetwork"));
    dialog.setWindowTitle(QStringLiteral("Network Port"));
    dialog.setLabelText(QStringLiteral("Serial device server (tcp://HOST:PORT or "
                                       "rfc2217://HOST:PORT):"));
    dialog.setTextValue(last.isEmpty() ? QStringLiteral("tcp://") : last);
    // The offered text is a start to type on, not a choice to type over.
    QTimer::singleShot(0, &dialog, [&dialog] {
        if (auto* edit = dialog.findChild<QLineEdit*>()) {
            edit->deselect();
            edit->end(false);
        }
    });
    if (dialog.exec() != QDialog::Accepted) return {};
    return dialog.textValue();
}
