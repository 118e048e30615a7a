#pragma once

// What the host look-up asks of the sockets' start-up count.
namespace w32::sockets {

bool IsStarted();

}  // namespace w32::sockets
