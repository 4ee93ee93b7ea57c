#pragma once
#include <string>

namespace Platform {

// Whether another player runs in this session, told without the session bus: the
// first player holds a name (an abstract socket, gone with the process however it
// ends) that the next start finds taken. The usual start, with no other player,
// so goes on without waiting for a bus connection.
enum class InstanceClaim {
  kFirst,    // this process now holds the name
  kTaken,    // a player of this session holds it
  kUnknown,  // nothing names the session, or no socket could be made: ask the bus
};
InstanceClaim ClaimInstance();

// The session bus as the bus library finds it without starting one: the variable,
// else the user's bus socket; empty when the session has none. A bus started just
// for the player (the library's last resort) would carry no media controller.
std::string SessionBusAddress();

}  // namespace Platform
