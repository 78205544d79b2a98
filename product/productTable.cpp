#include "product/productTable.h"

#include <algorithm>
#include <array>

namespace {

constexpr UnitKind C = UnitKind::ukController;
constexpr UnitKind T = UnitKind::ukTerminal;
constexpr UnitKind R = UnitKind::ukRemote;
constexpr UnitKind H = UnitKind::ukHostInterface;
constexpr UnitKind G = UnitKind::ukRegistrationReader;
constexpr UnitKind P = UnitKind::ukTagPilot;
constexpr UnitKind O = UnitKind::ukOther;
constexpr const ApplicationFile* none = nullptr;
using namespace files;

// In ascending order of ID: ID, kind, upgrade class, application file, remote image, flags,
// description. Remotes 31 to 35 and the wireless receiver terminal 36 are never broadcast to.
constexpr std::array kProducts{
    Product{1, T, 0, none, {}, 0, "Nexalo Proximity Reader"},
    Product{2, T, 0, &TerminalK1, {}, 0, "Nexalo Keypad"},
    Product{3, T, 2, &TerminalK2, {}, 0, "Nexalo Proximity Reader with Keypad"},
    Product{4, T, 5, &TerminalP3, {}, 0, "Nexalo Magnetic Stripe Reader"},
    Product{5, C, 0, none, {}, 0, "Nexalo QRM-A/C Controller"},
    Product{6, T, 2, &TerminalK2, {}, 0, "Nexalo Single Door Module"},
    Product{7, T, 0, &TerminalK1, {}, 0, "Nexalo Input Board (8 inputs)"},
    Product{8, T, 0, &TerminalK1, {}, 0, "Nexalo Output Board (8 relays)"},
    Product{9, T, 0, &TerminalK1, {}, 0, "Nexalo Input Board (16 inputs)"},
    Product{10, T, 0, &TerminalK1, {}, 0, "Nexalo Output Board (16 relays)"},
    Product{11, T, 0, &TerminalK1, {}, 0, "Nexalo Lift Control Board"},
    Product{12, T, 0, &TerminalK1, {}, 0, "Nexalo Alarm Zone Board"},
    Product{13, T, 0, none, {}, 0, "Nexalo Card Data Interface"},
    Product{14, T, 0, &TerminalK1, {}, 0, "Nexalo Display Keypad"},
    Product{15, T, 0, none, {}, 0, "Nexalo Long Range Reader"},
    Product{16, O, 0, none, {}, 0, "Nexalo Infra-Red Link Unit"},
    Product{17, T, 0, none, {}, 0, "Nexalo Smart Card Reader"},
    Product{18, H, 0, &HostK2, {}, 0, "Nexalo Host Interface"},
    Product{19, P, 0, none, {}, 0, "Nexalo TAGPILOT"},
    Product{20, O, 2, &TerminalK2, {}, 0, "Nexalo Demonstration Case"},
    Product{21, O, 0, none, {}, 0, "Nexalo Demonstration Case Mk II"},
    Product{22, R, 0, none, {}, 0, "Nexalo Infra-Red Remote"},
    Product{23, R, 0, none, {}, 0, "Nexalo Infra-Red Remote Keypad"},
    Product{24, R, 0, none, {}, 0, "Nexalo Infra-Red Remote Reader"},
    Product{25, R, 0, none, {}, 0, "Nexalo Infra-Red Remote Sensor"},
    Product{26, R, 0, none, {}, 0, "Nexalo Infra-Red Remote Lock"},
    Product{27, C, 0, none, {}, 0, "Nexalo QRM-B Controller"},
    Product{28, C, 3, &AdvancedControllerK2, {}, 0, "Nexalo Advanced Controller"},
    Product{29, O, 0, none, {}, 0, "Nexalo Time Source"},
    Product{30, T, 11, &TerminalP1, {}, 0, "Nexalo Biometric Reader"},
    Product{31, R, 12, none, RemoteR1, pfBracketed | pfNoBroadcast,
            "Nexalo Wireless Remote Reader"},
    Product{32, R, 12, none, RemoteR2, pfBracketed | pfNoBroadcast,
            "Nexalo Wireless Remote Keypad"},
    Product{33, R, 12, none, RemoteR3, pfBracketed | pfNoBroadcast, "Nexalo Wireless Remote Lock"},
    Product{34, R, 12, none, RemoteR4, pfBracketed | pfNoBroadcast,
            "Nexalo Wireless Remote Sensor"},
    Product{35, R, 12, none, {}, pfBracketed | pfNoBroadcast, "Nexalo Wireless Remote Relay"},
    Product{36, T, 11, &TerminalP1, {}, pfNoBroadcast, "Nexalo Wireless Receiver Terminal"},
    Product{37, T, 11, &TerminalP1, {}, 0, "Nexalo Dual Door Module"},
    Product{38, T, 6, &TerminalP4, {}, 0, "Nexalo Four Door Module"},
    Product{39, T, 7, &TerminalP5, {}, 0, "Nexalo Mullion Reader"},
    Product{40, T, 8, &TerminalP6, {}, 0, "Nexalo Vandal Resistant Reader"},
    Product{41, T, 9, &TerminalP7, {}, 0, "Nexalo Turnstile Interface"},
    Product{42, T, 9, &TerminalP7, {}, 0, "Nexalo Time and Attendance Terminal"},
    Product{46, T, 9, &TerminalP7, {}, 0, "Nexalo Barcode Reader"},
    Product{47, O, 0, none, {}, 0, "Nexalo Power Supply Monitor"},
    Product{48, H, 0, none, {}, 0, "Nexalo Ethernet Host Interface"},
    Product{49, G, 0, none, {}, 0, "Nexalo Registration Reader"},
    Product{50, C, 14, none, {}, 0, "Nexalo QRM-D Controller"},
    Product{51, T, 0, none, {}, 0, "Nexalo Graphic Display Terminal"},
    Product{52, T, 0, none, {}, 0, "Nexalo Intercom Terminal"},
    Product{53, T, 0, none, {}, 0, "Nexalo Proximity Reader Mk II"},
    Product{55, R, 12, none, RemoteR5, pfBracketed, "Nexalo Wireless Door Handle"},
    Product{56, R, 12, none, RemoteR6, pfBracketed, "Nexalo Wireless Cylinder"},
    Product{57, R, 12, none, RemoteR7, pfBracketed, "Nexalo Wireless Padlock"},
    Product{58, R, 12, none, RemoteR8, pfBracketed, "Nexalo Wireless Cabinet Lock"},
    Product{59, R, 12, none, RemoteR1, pfBracketed, "Nexalo Wireless Door Monitor"},
    Product{60, R, 12, none, RemoteR2, pfBracketed, "Nexalo Wireless Remote Reader Mk II"},
    Product{61, R, 12, none, RemoteR3, pfBracketed, "Nexalo Wireless Remote Keypad Mk II"},
    Product{62, R, 12, none, RemoteR4, pfBracketed, "Nexalo Wireless Remote Lock Mk II"},
    Product{63, T, 0, none, {}, 0, "Nexalo Radio Receiver Terminal"},
    Product{64, R, 15, none, {}, pfBracketed, "Nexalo Wireless Mortice Lock"},
    Product{65, T, 0, none, {}, 0, "Nexalo Key Cabinet Terminal"},
    Product{66, G, 0, none, {}, 0, "Nexalo Desktop Registration Reader"},
    Product{67, G, 0, none, {}, 0, "Nexalo USB Registration Reader"},
    Product{68, H, 0, none, {}, 0, "Nexalo USB Host Interface"},
    Product{69, R, 13, &RemoteP2, {}, pfBracketed, "Nexalo Wireless Exit Button"},
    Product{70, T, 10, &TerminalP8, {}, 0, "Nexalo Smart Card Reader with Keypad"},
    Product{71, T, 10, &TerminalP8, {}, 0, "Nexalo Contactless Smart Card Reader"},
    Product{72, T, 10, &TerminalP8, {}, 0, "Nexalo Contactless Smart Card Reader with Keypad"},
    Product{74, R, 16, &RemoteP2, {}, pfBracketed, "Nexalo Wireless Gate Remote"},
    Product{75, T, 0, none, {}, 0, "Nexalo Remote Gateway Terminal"},
    Product{76, R, 15, none, RemoteR5, pfBracketed, "Nexalo Wireless Locker Lock"},
    Product{77, R, 15, none, RemoteR6, pfBracketed, "Nexalo Wireless Glass Door Lock"},
    Product{78, R, 15, none, RemoteR7, pfBracketed, "Nexalo Wireless Escutcheon"},
    Product{79, R, 15, none, RemoteR8, pfBracketed, "Nexalo Wireless Smart Handle"},
    Product{80, T, 0, none, {}, 0, "Nexalo Input/Output Board"},
    Product{81, T, 17, &TerminalP9, {}, 0, "Nexalo Wireless Hub Terminal"},
    Product{82, T, 17, &TerminalP9, {}, 0, "Nexalo Door Interface Board"},
    Product{83, T, 17, &TerminalP9, {}, 0, "Nexalo Elevator Floor Board"},
    Product{84, T, 17, &TerminalP9, {}, 0, "Nexalo Multi-Technology Reader"},
    Product{85, R, 18, none, RemoteR1, pfBracketed, "Nexalo Wireless Panic Bar"},
    Product{86, R, 18, none, RemoteR2, pfBracketed, "Nexalo Wireless Rim Lock"},
    Product{87, R, 18, none, RemoteR3, pfBracketed, "Nexalo Wireless Window Sensor"},
    Product{88, R, 18, none, RemoteR4, pfBracketed, "Nexalo Wireless Relay Remote"},
    Product{89, T, 17, &TerminalP9, {}, 0, "Nexalo Outdoor Keypad"},
    Product{90, R, 18, none, {}, 0, "Nexalo Infra-Red Remote Mk II"},
    Product{91, T, 17, &TerminalP9, {}, 0, "Nexalo Fingerprint Reader with Keypad"},
    Product{92, R, 19, &RemoteP2, {}, pfBracketed, "Nexalo Wireless Slim Reader"},
    Product{93, T, 17, &TerminalP9, {}, 0, "Nexalo Touch Screen Terminal"},
    Product{94, R, 18, none, RemoteR5, pfBracketed, "Nexalo Wireless Slim Keypad"},
    Product{95, R, 18, none, RemoteR6, pfBracketed, "Nexalo Wireless Deadbolt"},
    Product{96, R, 18, none, RemoteR7, pfBracketed, "Nexalo Wireless Furniture Lock"},
    Product{97, R, 18, none, RemoteR8, pfBracketed, "Nexalo Wireless Door Handle Mk II"},
};

static_assert(std::ranges::is_sorted(kProducts, {}, &Product::id));

// The two controller products whose file depends on the unit type: 5 takes one file as an A/B
// and another as a C/D controller, 50 one as a C/D controller and another as a terminal.
// Under any other unit type they keep their row's file and class.
struct UnitTypeFirmware {
    std::uint8_t productId;
    UnitType unitType;
    Firmware firmware;
};

constexpr std::array kUnitTypeFirmware{
    UnitTypeFirmware{5, UnitType::ControllerAB, {&files::ControllerK2, 2}},
    UnitTypeFirmware{5, UnitType::ControllerCD, {&files::QrmC, 4}},
    UnitTypeFirmware{50, UnitType::ControllerCD, {&files::QrmD, 14}},
    UnitTypeFirmware{50, UnitType::Terminal, {&files::TerminalP9, 14}},
};

} // namespace

const Product* findProduct(std::uint8_t productId) {
    const auto found = std::ranges::lower_bound(kProducts, productId, {}, &Product::id);
    if (found == kProducts.end() || found->id != productId) return nullptr;
    return &*found;
}

Firmware firmwareOf(std::uint8_t productId, UnitType unitType) {
    for (const UnitTypeFirmware& row : kUnitTypeFirmware)
        if (row.productId == productId && row.unitType == unitType) return row.firmware;
    const Product* product = findProduct(productId);
    if (product == nullptr) return {};
    return {product->file, product->upgradeClass};
}
