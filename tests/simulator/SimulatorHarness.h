#pragma once

// Runs a whole simulator in-process on its own thread, in a temporary device directory, and
// talks to it as a host would: a minimal USB client speaking the packet framing of
// platform/UsbWire.h, and a control-socket client. Written from the wire description, not from
// the host's transport code, so that each side checks the other.

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "simulator/Simulator.h"
#include "support/TempDir.h"

namespace ocusim::test {

class SimulatorHarness {
public:
    // `options.deviceDir` is replaced by a temporary directory; quiet is forced.
    explicit SimulatorHarness(SimOptions options = {});
    ~SimulatorHarness();

    bool started() const { return started_; }
    const std::string& error() const { return error_; }
    Simulator& simulator() { return *simulator_; }
    const std::string& directory() const { return directory_.path(); }

    // Stops the simulator thread and destroys the simulator (removing what it published).
    void stop();

private:
    testsupport::TempDir directory_;
    std::unique_ptr<Simulator> simulator_;
    std::thread thread_;
    bool started_ = false;
    std::string error_;
};

struct TestReply {
    bool received = false;
    std::uint16_t code = 0;
    std::uint16_t status = 0;
    std::vector<std::uint8_t> results;
};

// The host side of a USB camera, just enough to exchange blocks and control requests.
class UsbTestClient {
public:
    explicit UsbTestClient(const std::string& path);
    ~UsbTestClient();
    UsbTestClient(const UsbTestClient&) = delete;
    UsbTestClient& operator=(const UsbTestClient&) = delete;

    bool connected() const { return fd_ >= 0; }
    // The Hello's accepted flag; -1 when no Hello came.
    int accepted() const { return accepted_; }

    // Sends one bulk transfer (split into packets as the framing requires).
    bool write(const std::vector<std::uint8_t>& bytes);
    // Reads up to `count` bytes of bulk data, completing early at the end of a transfer.
    std::vector<std::uint8_t> read(std::size_t count, int timeoutMs = 3000);
    // A control request; `ok` is false when the driver failed it or no answer came.
    std::vector<std::uint8_t> control(std::uint32_t code, std::uint32_t capacity,
                                      const std::vector<std::uint8_t>& input, bool& ok);

    // One command block; reads the reply block. With `dataOut`, reads the acknowledgement,
    // writes the data, then reads the final reply.
    TestReply command(std::uint16_t code, const std::vector<std::uint8_t>& params = {},
                      const std::vector<std::uint8_t>* dataOut = nullptr);
    // A command whose reply announces a data phase in its first result word; reads it.
    TestReply commandIn(std::uint16_t code, const std::vector<std::uint8_t>& params,
                        std::vector<std::uint8_t>& data);

private:
    bool receivePacket(int timeoutMs, std::vector<std::uint8_t>& packet);

    // Bulk bytes received but not yet read, packet by packet; `end` marks a transfer's end.
    struct Segment {
        std::vector<std::uint8_t> bytes;
        bool end = false;
    };

    int fd_ = -1;
    int accepted_ = -1;
    std::deque<Segment> pending_;
};

// One line to the control socket, one line back (without the newline); empty on failure.
std::string controlCommand(const std::string& socketPath, const std::string& line);

std::vector<std::uint8_t> commandBlock(std::uint16_t code, const std::vector<std::uint8_t>& params);
TestReply parseReplyBlock(const std::vector<std::uint8_t>& bytes);

}  // namespace ocusim::test
