#include "sim/faultyReply.h"

#include "sim/frameCrc.h"
#include "sim/hexCodec.h"

#include <cctype>

namespace sim {

namespace {
constexpr std::size_t kMaxNoise = 8;
constexpr char kNoiseAlphabet[] = "0123456789ABCDEF#&*+-/:;<=>?XYZ~";

std::string body(const ReplyParts& p, const std::string& sequence) {
    return "%000001" + p.unitAddress + sequence + p.data;
}

std::string previousSequence(const std::string& sequence) {
    std::uint16_t value = static_cast<std::uint16_t>(parseHex(sequence).value_or(0));
    return hex4(static_cast<std::uint16_t>(value - 1));
}

std::string noise(FaultDice& dice) {
    std::string bytes;
    std::uint32_t count = 1 + dice.below(kMaxNoise);
    for (std::uint32_t i = 0; i < count; ++i)
        bytes.push_back(kNoiseAlphabet[dice.below(sizeof kNoiseAlphabet - 1)]);
    return bytes;
}

bool rollEither(FaultDice& dice, double unitShare, double lineShare) {
    bool unitHit = dice.roll(unitShare);
    bool lineHit = dice.roll(lineShare);
    return unitHit || lineHit;
}
} // namespace

bool FaultDice::roll(double share) {
    if (share <= 0) return false;
    double draw = static_cast<double>(engine_() >> 11) * 0x1.0p-53;
    return draw < share;
}

std::uint32_t FaultDice::below(std::uint32_t bound) {
    return bound == 0 ? 0 : static_cast<std::uint32_t>(engine_() % bound);
}

std::optional<OutgoingReply> faultyReply(const ReplyParts& parts, const ReplyFaults& unit,
                                         const ReplyFaults& line, std::uint32_t baseDelayMs,
                                         FaultDice& dice) {
    bool drop = rollEither(dice, unit.dropShare, line.dropShare);
    bool badCrc = rollEither(dice, unit.badCrcShare, line.badCrcShare);
    bool lowerCase = rollEither(dice, unit.lowerCaseCrcShare, line.lowerCaseCrcShare);
    bool stale = rollEither(dice, unit.staleSequenceShare, line.staleSequenceShare);
    bool noisy = rollEither(dice, unit.noiseShare, line.noiseShare);
    if (drop) return std::nullopt;

    std::string text = body(parts, parts.sequence);
    std::uint16_t crc = frameCrc(text);
    std::string crcText = hex4(badCrc ? static_cast<std::uint16_t>(crc + 1) : crc);
    if (lowerCase)
        for (char& c : crcText)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));

    OutgoingReply reply;
    reply.delayMs = baseDelayMs + unit.delayMs + line.delayMs;
    if (noisy) reply.bytes += noise(dice);
    if (stale) reply.bytes += withCrc(body(parts, previousSequence(parts.sequence))) + "\r";
    reply.bytes += text + crcText + "\r";
    return reply;
}

} // namespace sim
