#pragma once

#include <cstdint>

namespace platform {

// Sets input and output speed of the terminal `fd` to `baudRate` bits per second, also for
// rates without a B-constant (the kernel's BOTHER interface). The other settings are kept.
// False when the terminal refuses.
bool setTerminalBaudRate(int fd, std::uint32_t baudRate);

}  // namespace platform
