#include "connectFailure.h"

#include "link/platform/networkAddress.h"

std::string describeConnectFailure(const std::string& address, const net::Connection& failed,
                                   int timeoutMs) {
    const std::string head = address + ": ";
    switch (failed.problem) {
    case net::ConnectProblem::NameNotFound:
        return head + "host name not found (" + failed.platformText +
               "). Check the name, or give the device server's IP address.";
    case net::ConnectProblem::Refused:
        return head + "connection refused (" + failed.platformText +
               "). Check that the device server is on and serves its serial port on this TCP "
               "port, and that no other program is connected to it.";
    case net::ConnectProblem::Unreachable:
        return head + "unreachable (" + failed.platformText +
               "). Check the address and this PC's network connection.";
    case net::ConnectProblem::TimedOut:
        return head + "no answer within " + std::to_string(timeoutMs / 1000) +
               " s. Check the address, that the device server is on, and any firewall between.";
    case net::ConnectProblem::None:
    case net::ConnectProblem::Other:
        break;
    }
    return head + failed.platformText + ".";
}

std::string describeMalformedAddress(const std::string& address) {
    return networkAddressProblem(address) + ".";
}

std::string describeNoComPort(const std::string& address, const std::string& why) {
    return address + ": " + why +
           ". Serve the port as Telnet with the COM-port option (ser2net: telnet(rfc2217)), or "
           "use tcp://HOST:PORT for a raw port.";
}

std::string describeTurnedAway(const std::string& address, const std::string& serverText,
                               const std::string& platformText) {
    const std::string what =
        serverText.empty() ? " (" + platformText + ")" : ", saying \"" + serverText + "\"";
    return address + ": the device server closed the connection at once" + what +
           ". Another program may be using this port: close it and try again.";
}
