#pragma once

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

}  // namespace Platform
