// Config -> Port -> Network...: a serial line behind a device server on the network.

#include "fwUpgrade.h"

#include "link/platform/networkAddress.h"

#include <QActionGroup>
#include <QInputDialog>
#include <QLineEdit>
#include <QTimer>

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

TForm1::TypedLine TForm1::askNetworkAddress(const TypedLine& offer) {
    QInputDialog dialog(this);
    dialog.setObjectName(QStringLiteral("dlgNetwork"));
    dialog.setWindowTitle(QStringLiteral("Network Port"));
    dialog.setLabelText(QStringLiteral("Serial device server (tcp://HOST:PORT or "
                                       "rfc2217://HOST:PORT):"));
    dialog.setTextValue(offer.text.isEmpty() ? QStringLiteral("tcp://") : offer.text);
    // The offered text is a start to type on, not a choice to type over.
    QTimer::singleShot(0, &dialog, [&dialog, cursor = offer.cursor] {
        if (auto* edit = dialog.findChild<QLineEdit*>()) {
            edit->deselect();
            if (cursor < 0)
                edit->end(false);
            else
                edit->setCursorPosition(cursor);
        }
    });
    if (dialog.exec() != QDialog::Accepted) return {};
    const auto* edit = dialog.findChild<QLineEdit*>();
    return {dialog.textValue(), edit != nullptr ? edit->cursorPosition() : -1};
}
