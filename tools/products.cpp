#include "products.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace {

struct Product {
    std::uint8_t id;
    UnitKind kind;
    bool bracketed; // survey line shows the second version word
    std::string_view name;
};

constexpr UnitKind C = UnitKind::ukController;
constexpr UnitKind T = UnitKind::ukTerminal;
constexpr UnitKind R = UnitKind::ukRemote;
constexpr UnitKind H = UnitKind::ukHostInterface;
constexpr UnitKind G = UnitKind::ukRegistrationReader;
constexpr UnitKind P = UnitKind::ukTagPilot;
constexpr UnitKind O = UnitKind::ukOther;

// In ascending order of ID.
constexpr std::array kProducts{
    Product{1, T, false, "Nexalo Proximity Reader"},
    Product{2, T, false, "Nexalo Keypad"},
    Product{3, T, false, "Nexalo Proximity Reader with Keypad"},
    Product{4, T, false, "Nexalo Magnetic Stripe Reader"},
    Product{5, C, false, "Nexalo QRM-A/C Controller"},
    Product{6, T, false, "Nexalo Single Door Module"},
    Product{7, T, false, "Nexalo Input Board (8 inputs)"},
    Product{8, T, false, "Nexalo Output Board (8 relays)"},
    Product{9, T, false, "Nexalo Input Board (16 inputs)"},
    Product{10, T, false, "Nexalo Output Board (16 relays)"},
    Product{11, T, false, "Nexalo Lift Control Board"},
    Product{12, T, false, "Nexalo Alarm Zone Board"},
    Product{13, T, false, "Nexalo Card Data Interface"},
    Product{14, T, false, "Nexalo Display Keypad"},
    Product{15, T, false, "Nexalo Long Range Reader"},
    Product{16, O, false, "Nexalo Infra-Red Link Unit"},
    Product{17, T, false, "Nexalo Smart Card Reader"},
    Product{18, H, false, "Nexalo Host Interface"},
    Product{19, P, false, "Nexalo TAGPILOT"},
    Product{20, O, false, "Nexalo Demonstration Case"},
    Product{21, O, false, "Nexalo Demonstration Case Mk II"},
    Product{22, R, false, "Nexalo Infra-Red Remote"},
    Product{23, R, false, "Nexalo Infra-Red Remote Keypad"},
    Product{24, R, false, "Nexalo Infra-Red Remote Reader"},
    Product{25, R, false, "Nexalo Infra-Red Remote Sensor"},
    Product{26, R, false, "Nexalo Infra-Red Remote Lock"},
    Product{27, C, false, "Nexalo QRM-B Controller"},
    Product{28, C, false, "Nexalo Advanced Controller"},
    Product{29, O, false, "Nexalo Time Source"},
    Product{30, T, false, "Nexalo Biometric Reader"},
    Product{31, R, true, "Nexalo Wireless Remote Reader"},
    Product{32, R, true, "Nexalo Wireless Remote Keypad"},
    Product{33, R, true, "Nexalo Wireless Remote Lock"},
    Product{34, R, true, "Nexalo Wireless Remote Sensor"},
    Product{35, R, true, "Nexalo Wireless Remote Relay"},
    Product{36, T, false, "Nexalo Wireless Receiver Terminal"},
    Product{37, T, false, "Nexalo Dual Door Module"},
    Product{38, T, false, "Nexalo Four Door Module"},
    Product{39, T, false, "Nexalo Mullion Reader"},
    Product{40, T, false, "Nexalo Vandal Resistant Reader"},
    Product{41, T, false, "Nexalo Turnstile Interface"},
    Product{42, T, false, "Nexalo Time and Attendance Terminal"},
    Product{46, T, false, "Nexalo Barcode Reader"},
    Product{47, O, false, "Nexalo Power Supply Monitor"},
    Product{48, H, false, "Nexalo Ethernet Host Interface"},
    Product{49, G, false, "Nexalo Registration Reader"},
    Product{50, C, false, "Nexalo QRM-D Controller"},
    Product{51, T, false, "Nexalo Graphic Display Terminal"},
    Product{52, T, false, "Nexalo Intercom Terminal"},
    Product{53, T, false, "Nexalo Proximity Reader Mk II"},
    Product{55, R, true, "Nexalo Wireless Door Handle"},
    Product{56, R, true, "Nexalo Wireless Cylinder"},
    Product{57, R, true, "Nexalo Wireless Padlock"},
    Product{58, R, true, "Nexalo Wireless Cabinet Lock"},
    Product{59, R, true, "Nexalo Wireless Door Monitor"},
    Product{60, R, true, "Nexalo Wireless Remote Reader Mk II"},
    Product{61, R, true, "Nexalo Wireless Remote Keypad Mk II"},
    Product{62, R, true, "Nexalo Wireless Remote Lock Mk II"},
    Product{63, T, false, "Nexalo Radio Receiver Terminal"},
    Product{64, R, true, "Nexalo Wireless Mortice Lock"},
    Product{65, T, false, "Nexalo Key Cabinet Terminal"},
    Product{66, G, false, "Nexalo Desktop Registration Reader"},
    Product{67, G, false, "Nexalo USB Registration Reader"},
    Product{68, H, false, "Nexalo USB Host Interface"},
    Product{69, R, true, "Nexalo Wireless Exit Button"},
    Product{70, T, false, "Nexalo Smart Card Reader with Keypad"},
    Product{71, T, false, "Nexalo Contactless Smart Card Reader"},
    Product{72, T, false, "Nexalo Contactless Smart Card Reader with Keypad"},
    Product{74, R, true, "Nexalo Wireless Gate Remote"},
    Product{75, T, false, "Nexalo Remote Gateway Terminal"},
    Product{76, R, true, "Nexalo Wireless Locker Lock"},
    Product{77, R, true, "Nexalo Wireless Glass Door Lock"},
    Product{78, R, true, "Nexalo Wireless Escutcheon"},
    Product{79, R, true, "Nexalo Wireless Smart Handle"},
    Product{80, T, false, "Nexalo Input/Output Board"},
    Product{81, T, false, "Nexalo Wireless Hub Terminal"},
    Product{82, T, false, "Nexalo Door Interface Board"},
    Product{83, T, false, "Nexalo Elevator Floor Board"},
    Product{84, T, false, "Nexalo Multi-Technology Reader"},
    Product{85, R, true, "Nexalo Wireless Panic Bar"},
    Product{86, R, true, "Nexalo Wireless Rim Lock"},
    Product{87, R, true, "Nexalo Wireless Window Sensor"},
    Product{88, R, true, "Nexalo Wireless Relay Remote"},
    Product{89, T, false, "Nexalo Outdoor Keypad"},
    Product{90, R, false, "Nexalo Infra-Red Remote Mk II"},
    Product{91, T, false, "Nexalo Fingerprint Reader with Keypad"},
    Product{92, R, true, "Nexalo Wireless Slim Reader"},
    Product{93, T, false, "Nexalo Touch Screen Terminal"},
    Product{94, R, true, "Nexalo Wireless Slim Keypad"},
    Product{95, R, true, "Nexalo Wireless Deadbolt"},
    Product{96, R, true, "Nexalo Wireless Furniture Lock"},
    Product{97, R, true, "Nexalo Wireless Door Handle Mk II"},
};

static_assert(std::is_sorted(kProducts.begin(), kProducts.end(),
                             [](const Product& a, const Product& b) { return a.id < b.id; }));

const Product* findProduct(std::uint8_t productId) {
    const auto found =
        std::lower_bound(kProducts.begin(), kProducts.end(), productId,
                         [](const Product& product, std::uint8_t id) { return product.id < id; });
    if (found == kProducts.end() || found->id != productId) return nullptr;
    return &*found;
}

} // namespace

std::string getProductName(std::uint8_t productId) {
    const Product* product = findProduct(productId);
    return std::string(product ? product->name : kUnknownProductName);
}

UnitKind getProductKind(std::uint8_t productId) {
    const Product* product = findProduct(productId);
    return product ? product->kind : UnitKind::ukUnknown;
}

bool isKnownProduct(std::uint8_t productId) {
    return findProduct(productId) != nullptr;
}

bool isBracketedProduct(std::uint8_t productId) {
    const Product* product = findProduct(productId);
    return product && product->bracketed;
}
