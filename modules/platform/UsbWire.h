#pragma once

// The wire between the USB driver stand-in (host side, `UsbDriver`) and a device that publishes
// itself in the device directory (the camera simulator). A camera is a Unix-domain
// SOCK_SEQPACKET socket named after the tail of its device-interface path; one connection is
// one open handle. Every packet starts with one `PacketKind` byte; integers are little-endian.
//
//   Hello         device → host, first packet of a connection:
//                 [kind][u8 accepted]  accepted = 0 when another host already holds the device
//                 (the host then reports access denied) and the device closes the connection.
//   BulkOut       host → device: [kind][u8 flags][bytes]
//   BulkIn        device → host: [kind][u8 flags][bytes]
//                 One transfer (a command block, a reply block or a data phase) is sent as one
//                 or more packets of at most kMaxBulkChunk bytes; the last carries kEndOfTransfer.
//                 A host read of n bytes completes when n bytes arrived or a packet with
//                 kEndOfTransfer was consumed (a short transfer); bytes of a packet beyond n stay
//                 for the next read, as on a bulk pipe.
//   Control       host → device: [kind][u32 code][u32 output capacity][input bytes]
//   ControlReply  device → host: [kind][u32 code][u32 result][output bytes]
//                 result 0 = the request succeeded; anything else = it failed. The output holds
//                 at most the capacity asked for. BulkIn packets that arrive while the host waits
//                 for a ControlReply stay queued for later reads.
//
// The driver's time-out (control code kIoctlSetTimeout) is honoured on the host side with poll();
// the request is still forwarded so that the device sees every control request, and the host
// applies it once the device acknowledged it. When the time-out is 0 the host waits
// platform::UsbDriver::kDefaultTimeoutMs (5000 ms). Control requests themselves are waited for
// 5000 ms whatever the bulk time-out is.
// A successful reset of pipe 0 or 1 (kIoctlPipe0, kIoctlPipe1) or of both (kIoctlPipeReset)
// also discards, on the host, every BulkIn byte that arrived before its ControlReply: those
// belong to transfers the reset abandoned.

#include <cstddef>
#include <cstdint>

namespace platform::usbwire {

enum class PacketKind : std::uint8_t {
    Hello = 1,
    BulkOut = 2,
    BulkIn = 3,
    Control = 4,
    ControlReply = 5,
};

constexpr std::uint8_t kEndOfTransfer = 0x01;

// Largest payload of one bulk packet; fits the default socket buffers.
constexpr std::size_t kMaxBulkChunk = 32 * 1024;
// Largest packet on the wire: header bytes plus a chunk.
constexpr std::size_t kMaxPacket = 16 + kMaxBulkChunk;

constexpr std::size_t kBulkHeaderSize = 2;     // kind, flags
constexpr std::size_t kControlHeaderSize = 9;  // kind, code, capacity or result

// The camera driver's device-interface class, as it appears (lower case) in socket names.
constexpr const char* kInterfaceClassGuid = "{573e8c73-0cb4-4471-a1bf-fab26c31d384}";

// Driver control requests (device type 0x5500, buffered, write access).
constexpr std::uint32_t kIoctlDriverCommand = 0x5500A004;
constexpr std::uint32_t kIoctlFirmwareVersion = 0x5500A00C;
constexpr std::uint32_t kIoctlPipeReset = 0x5500A010;
constexpr std::uint32_t kIoctlDriverVersion = 0x5500A018;
constexpr std::uint32_t kIoctlSetTimeout = 0x5500A01C;
constexpr std::uint32_t kIoctlPipe0 = 0x5500A020;
constexpr std::uint32_t kIoctlPipe1 = 0x5500A024;
constexpr std::uint32_t kIoctlPipe2 = 0x5500A028;
constexpr std::uint32_t kIoctlPipe3 = 0x5500A02C;
constexpr std::uint32_t kIoctlVendorRequest = 0x5500A400;

// Socket name of a camera: "usb#vid_XXXX&pid_YYYY#<serial>#<class guid>", XXXX and YYYY in
// lower-case hexadecimal. The host's device path is "<device dir>/<socket name>".
//
// The device directory is OCUSERVICE_DEVICE_DIR when set, else /run/ocuservice/devices for
// root, else $XDG_RUNTIME_DIR/ocuservice/devices (or /tmp/ocuservice-<uid>/devices without
// XDG_RUNTIME_DIR). `defaultDeviceDirectory` in UsbDeviceDirectory.h gives it.

}  // namespace platform::usbwire
