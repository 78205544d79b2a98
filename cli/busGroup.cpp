#include "busGroup.h"

#include "captureSetup.h"
#include "interrupt.h"
#include "link/commsLog.h"
#include "prefixConsole.h"
#include "sessionClock.h"

#include <memory>
#include <mutex>

namespace {

// How often the waiting program looks for Ctrl-C.
constexpr std::uint32_t kBusesWatchMs = 10;

struct Bus {
    Bus(const std::string& port, std::mutex& output)
        : console(port, output), session(console, sessionClock()) {}
    PrefixConsole console;
    LinkSession session;
    Outcome ran = Outcome::refused("not started");
};

std::vector<Outcome> runSeveral(CliContext& context, const BusOperation& operation, RunLog log) {
    std::mutex output;
    std::vector<std::unique_ptr<Bus>> buses;
    for (const std::string& port : context.options.ports) {
        buses.push_back(std::make_unique<Bus>(port, output));
        setUpSession(context.options, port, buses.back()->session);
        startCaptureIfAsked(context.options, port, buses.back()->session);
        // Each bus's frames in a file of its own, so that one bus's log reads apart.
        Transaction& link = buses.back()->session.link();
        link.setCommsLogName(commsLogNameFor(Transaction::kCommsLogName, port));
    }
    for (std::size_t i = 0; i < buses.size(); ++i) {
        Bus& bus = *buses[i];
        bus.session.start([&operation, i](OperationContext& engine) { operation(i, engine); }, log,
                          [&bus](const Outcome& done) { bus.ran = done; });
    }
    std::vector<RunControl*> runs;
    for (auto& bus : buses)
        runs.push_back(&bus->session.control());
    std::vector<Outcome> ran;
    int handled = 0;
    for (auto& bus : buses) {
        while (!bus->session.waitFor(kBusesWatchMs))
            followInterrupts(runs, handled);
        ran.push_back(bus->ran);
        // A bus's own end is told only when it was cut short; the command judges the rest.
        if (capture::Writer* writer = bus->session.capture())
            writer->operationEnd(bus->ran.succeeded() ? std::nullopt
                                                      : std::optional<Outcome>(bus->ran));
    }
    return ran;
}

} // namespace

std::vector<Outcome> runOnBuses(CliContext& context, const BusOperation& operation, RunLog log) {
    if (context.options.ports.size() > 1) return runSeveral(context, operation, log);
    const Outcome ran =
        context.run([&operation](OperationContext& engine) { operation(0, engine); }, log);
    return {ran};
}
