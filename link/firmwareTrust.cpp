#include "firmwareTrust.h"

const FirmwareTrust& FirmwareTrust::unread() {
    static const FirmwareTrust none{
        "the firmware folder's trust was not read for this run", {}, {}};
    return none;
}
