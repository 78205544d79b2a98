// "&Ping": the network survey of the System Tools page.

#include "fwUpgrade.h"

// The survey may take minutes on a large network. No button is its Stop, so its own stays
// disabled with the others until it ends; closing the window stops it at its next request.
void TForm1::btnPingClick() {
    bus_.survey();
}
