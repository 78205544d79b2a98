// Config -> Port -> Network...: a serial line behind a device server on the network.

#include "fwUpgrade.h"

#include "link/platform/networkAddress.h"

#include <QActionGroup>

// A refused address is offered again as it was typed, the cursor where it stood, so that the
// operator mends it rather than types it anew.
void TForm1::Network1Click() {
    TypedLine offer{networkAddress_};
    for (;;) {
        const TypedLine typed = askNetworkAddress(offer);
        const QString address = typed.text.trimmed();
        if (address.isEmpty()) break;
        if (parseNetworkAddress(address.toStdString())) {
            networkAddress_ = address;
            bus_.port().setDevicePath(address.toStdString());
            chosenPortItem_ = Network1;
            return;
        }
        showMessageBox(QMessageBox::Warning, QStringLiteral("Network Port"),
                       QString::fromStdString(networkAddressProblem(address.toStdString())),
                       QMessageBox::Ok);
        offer = typed;
    }
    // The port stays as it was, and so does its tick.
    if (chosenPortItem_ != nullptr) chosenPortItem_->setChecked(true);
}
