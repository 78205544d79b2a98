#pragma once
// Why a network port did not open, in words a technician can act on: the address, what went
// wrong and what to do about it.

#include "socketApi.h"

#include <string>

std::string describeConnectFailure(const std::string& address, const net::Connection& failed,
                                   int timeoutMs);
// The address is no network port at all.
std::string describeMalformedAddress(const std::string& address);
// The server answered, but not as a Telnet COM-port server (or closed the connection).
std::string describeNoComPort(const std::string& address, const std::string& why);
// The server closed the connection at once, with words of its own if it said any (another
// client has the port).
std::string describeTurnedAway(const std::string& address, const std::string& serverText,
                               const std::string& platformText);
