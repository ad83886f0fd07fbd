#include "sdk/Exchange.h"

#include <gtest/gtest.h>

#include <thread>

#include "sdk/CaptureCommands.h"
#include "sdk/FakeTransport.h"

namespace {

using fakes::Bytes;
using fakes::FakeTransport;
using fakes::Out;
using fakes::replyBlock;

class ExchangeTest : public ::testing::Test {
protected:
    void SetUp() override {
        link.transport = &transport;
        link.kind = sdk::LinkKind::Usb;
        link.firmwareVersion = 0x2001C;
        ASSERT_TRUE(buffer.reserve(64));
    }
    FakeTransport transport;
    sdk::DeviceLink link;
    sdk::DataBuffer buffer;
};

TEST_F(ExchangeTest, SendingDiscardsInputAppliesTheTimeOutThenWritesTheBlock) {
    link.timeoutMs = 1234;
    sdk::commandParameters(link).writeU8(9);
    ASSERT_EQ(sdk::sendCommand(link, 0x200B, 1), CAMX_OK);
    EXPECT_EQ(transport.events, (std::vector<std::string>{"discard", "timeout 1234", "write 88"}));
    ASSERT_EQ(transport.commands.size(), 1u);
    EXPECT_EQ(transport.commands[0].code, 0x200B);
    EXPECT_EQ(transport.commands[0].length, 13u);
    EXPECT_EQ(transport.commands[0].parameters[0], 9);
}

TEST_F(ExchangeTest, NothingIsSentOverAClosedTransportOrWithTooManyParameters) {
    EXPECT_EQ(sdk::sendCommand(link, 0x2003, 77), CAMX_INVALID_PARAMETER);
    transport.opened = false;
    EXPECT_EQ(sdk::exchange(link, 0x2003, 0, 8), CAMX_DEVICE_NOT_OPEN);
    EXPECT_EQ(sdk::readReply(link, 0x2003, 8), CAMX_DEVICE_NOT_OPEN);
    link.transport = nullptr;
    EXPECT_EQ(sdk::exchange(link, 0x2003, 0, 8), CAMX_DEVICE_NOT_OPEN);
    EXPECT_TRUE(transport.events.empty());
}

TEST_F(ExchangeTest, AReplyEchoingAnotherCodeIsInvalidEvenWithStatusZero) {
    transport.on(0x2003, [](FakeTransport& t, const FakeTransport::Command&) {
        t.queue(replyBlock(0x2007, 0, Out().u32(640).u32(480).bytes));
    });
    EXPECT_EQ(sdk::exchange(link, 0x2003, 0, 8), CAMX_DEVICE_IO_DATA_INVALID);
    EXPECT_EQ(transport.lastStatus(), CAMX_DEVICE_IO_DATA_INVALID);
}

TEST_F(ExchangeTest, APartialSuccessNeedsItsResultsAnErrorDoesNot) {
    transport.answer(0x200C, 0x3008, {});
    EXPECT_EQ(sdk::exchange(link, 0x200C, 0, 4), CAMX_DEVICE_IO_DATA_INVALID);
    transport.answer(0x3021, 0x4005, {});
    EXPECT_EQ(sdk::exchange(link, 0x3021, 0, 12), CAMX_GAL_ID_NOT_EXIST);
    EXPECT_EQ(transport.lastStatus(), CAMX_GAL_ID_NOT_EXIST);
    transport.answer(0x200C, 0x3008, Out().u32(0).bytes);
    EXPECT_EQ(sdk::exchange(link, 0x200C, 0, 4), CAMX_SE_LEFT_FRAME_UNQUALIFIED);
}

TEST_F(ExchangeTest, TransportFailuresEndTheExchangeWithTheirStatus) {
    transport.answer(0x200E, 0, {2});
    transport.failNextWrite(FakeTransport::Fault::Fail);
    EXPECT_EQ(sdk::exchange(link, 0x200E, 0, 1), CAMX_DEVICE_IO_FAILED);
    EXPECT_EQ(transport.count("read 88"), 0u);  // no reply is read after a failed send

    transport.inbox.clear();
    transport.failNextRead(FakeTransport::Fault::TimeOut);
    EXPECT_EQ(sdk::exchange(link, 0x200E, 0, 1), CAMX_DEVICE_IO_TIMEOUT);

    transport.inbox.clear();
    transport.truncateNextRead(40);
    EXPECT_EQ(sdk::exchange(link, 0x200E, 0, 1), CAMX_DEVICE_IO_DATA_INVALID);

    transport.inbox.clear();
    transport.corruptNextRead(8, 0x01);  // the echoed code
    EXPECT_EQ(sdk::exchange(link, 0x200E, 0, 1), CAMX_DEVICE_IO_DATA_INVALID);

    transport.inbox.clear();
    EXPECT_EQ(sdk::exchange(link, 0x200E, 0, 1), CAMX_OK);
    std::uint8_t status = 0;
    EXPECT_TRUE(sdk::replyResults(link).readU8(&status));
    EXPECT_EQ(status, 2);
}

TEST_F(ExchangeTest, DataOutIsAcknowledgedThenSentThenAnswered) {
    transport.on(0x3018, [](FakeTransport& t, const FakeTransport::Command&) {
        t.queue(replyBlock(0x3018, 0));
        t.queue(replyBlock(0x3018, 0, Out().u32(77).bytes));
    });
    const Bytes data{1, 2, 3, 4, 5};
    ASSERT_EQ(sdk::exchangeDataOut(link, 0x3018, 4, 4, data.data(), 5), CAMX_OK);
    EXPECT_EQ(transport.events, (std::vector<std::string>{"discard", "timeout 0", "write 88",
                                                          "read 88", "write 5", "read 88"}));
    ASSERT_EQ(transport.dataWrites.size(), 1u);
    EXPECT_EQ(transport.dataWrites[0], data);
}

TEST_F(ExchangeTest, ARefusedAcknowledgementSendsNoData) {
    transport.answer(0x3018, 0x4004);
    const Bytes data{1, 2, 3};
    EXPECT_EQ(sdk::exchangeDataOut(link, 0x3018, 4, 4, data.data(), 3), CAMX_GAL_FULL);
    EXPECT_TRUE(transport.dataWrites.empty());

    transport.on(0x3018, [](FakeTransport& t, const FakeTransport::Command&) {
        t.queue(replyBlock(0x3018, 0));
    });
    transport.failNextWrite(FakeTransport::Fault::Fail);  // the command itself
    EXPECT_EQ(sdk::exchangeDataOut(link, 0x3018, 4, 4, data.data(), 3), CAMX_DEVICE_IO_FAILED);
    transport.inbox.clear();
    EXPECT_EQ(sdk::exchangeDataOut(link, 0x3018, 4, 4, data.data(), 3), CAMX_DEVICE_IO_TIMEOUT);
    EXPECT_EQ(transport.dataWrites.size(), 1u);  // sent, but no final reply came
}

TEST_F(ExchangeTest, DataInReadsTheAnnouncedLength) {
    const Bytes payload{9, 8, 7, 6, 5, 4};
    transport.answer(0x3005, 0, Out().u32(6).bytes, {payload});
    std::uint32_t size = 0;
    ASSERT_EQ(sdk::exchangeDataIn(link, 0x3005, 0, 4, buffer, &size), CAMX_OK);
    EXPECT_EQ(size, 6u);
    EXPECT_EQ(buffer.length(), 6u);
    EXPECT_EQ(Bytes(buffer.data(), buffer.data() + 6), payload);

    transport.events.clear();
    transport.answer(0x3005, 0, Out().u32(0).bytes);
    ASSERT_EQ(sdk::exchangeDataIn(link, 0x3005, 0, 4, buffer, &size), CAMX_OK);
    EXPECT_EQ(size, 0u);
    EXPECT_EQ(transport.count("read 88"), 1u);
    EXPECT_EQ(transport.events.size(), 4u);  // no data read

    transport.answer(0x200C, 0x3007, Out().u32(2).bytes, {{1, 2}});
    EXPECT_EQ(sdk::exchangeDataIn(link, 0x200C, 0, 4, buffer, &size),
              CAMX_SE_RIGHT_FRAME_UNQUALIFIED);
    EXPECT_EQ(size, 2u);

    transport.answer(0x200C, 0x3006, Out().u32(2).bytes, {{1, 2}});
    EXPECT_EQ(sdk::exchangeDataIn(link, 0x200C, 0, 4, buffer, &size), CAMX_SE_NO_QUALIFIED_FRAME);
    EXPECT_EQ(size, 0u);
}

TEST_F(ExchangeTest, ABufferGrowsForALongerDataPhase) {
    const Bytes payload(65, 0x5C);
    transport.answer(0x3005, 0, Out().u32(65).bytes, {payload});
    std::uint32_t size = 0;
    ASSERT_EQ(sdk::exchangeDataIn(link, 0x3005, 0, 4, buffer, &size), CAMX_OK);
    EXPECT_EQ(size, 65u);
    EXPECT_GE(buffer.capacity(), 65u);
    EXPECT_EQ(Bytes(buffer.data(), buffer.data() + 65), payload);
}

TEST_F(ExchangeTest, ADataPhaseNoCameraSendsIsNotRead) {
    for (std::uint32_t announced : {sdk::kMaxDataPhaseBytes + 1, 0xFFFFFFFFu}) {
        transport.answer(0x3005, 0, Out().u32(announced).bytes, {Bytes(100, 1)});
        std::uint32_t size = 99;
        EXPECT_EQ(sdk::exchangeDataIn(link, 0x3005, 0, 4, buffer, &size),
                  CAMX_DEVICE_IO_DATA_INVALID);
        EXPECT_EQ(size, 0u);
        EXPECT_EQ(buffer.length(), 0u);
        EXPECT_EQ(buffer.capacity(), 64u);
        EXPECT_EQ(transport.count("read " + std::to_string(announced)), 0u);
        // The failure is the transport's last status, so a USB link drains before the next
        // command.
        EXPECT_EQ(transport.lastStatus(), CAMX_DEVICE_IO_DATA_INVALID);
        transport.inbox.clear();
    }
}

TEST_F(ExchangeTest, ShortOrMissingDataGivesTheTransportStatus) {
    transport.answer(0x3005, 0, Out().u32(10).bytes, {Bytes(4, 1)});
    std::uint32_t size = 0;
    EXPECT_EQ(sdk::exchangeDataIn(link, 0x3005, 0, 4, buffer, &size), CAMX_DEVICE_IO_DATA_INVALID);
    EXPECT_EQ(size, 0u);
    transport.answer(0x3005, 0, Out().u32(10).bytes);
    EXPECT_EQ(sdk::exchangeDataIn(link, 0x3005, 0, 4, buffer, &size), CAMX_DEVICE_IO_TIMEOUT);
}

TEST_F(ExchangeTest, DataOutInSkipsTheAcknowledgementWithoutData) {
    transport.answer(0x2015, 0, Out().u32(3).bytes, {{1, 2, 3}});
    std::uint32_t size = 0;
    ASSERT_EQ(sdk::exchangeDataOutIn(link, 0x2015, 22, 4, nullptr, 0, buffer, &size), CAMX_OK);
    EXPECT_EQ(transport.count("read 88"), 1u);
    EXPECT_EQ(size, 3u);

    transport.events.clear();
    transport.on(0x2015, [](FakeTransport& t, const FakeTransport::Command&) {
        t.queue(replyBlock(0x2015, 0));
        t.queue(replyBlock(0x2015, 0, Out().u32(2).bytes));
        t.queue({7, 7});
    });
    const Bytes data(9, 0x42);
    ASSERT_EQ(sdk::exchangeDataOutIn(link, 0x2015, 22, 4, data.data(), 9, buffer, &size), CAMX_OK);
    EXPECT_EQ(transport.events,
              (std::vector<std::string>{"discard", "timeout 0", "write 88", "read 88", "write 9",
                                        "read 88", "read 2"}));
    EXPECT_EQ(size, 2u);
}

class WakeUpTest : public ExchangeTest {
protected:
    void SetUp() override {
        ExchangeTest::SetUp();
        link.firmwareVersion = 0x40000;
        transport.answer(0x200A, 0);
    }
};

TEST_F(WakeUpTest, UsbPollsUntilTheCameraAnswersAwake) {
    transport.vendorAnswers = {1, 1, 0};
    ASSERT_EQ(sdk::exchange(link, 0x200A, 0, 0), CAMX_OK);
    EXPECT_EQ(transport.count("vendor 224 out"), 3u);
    EXPECT_EQ(transport.events[3], "discard");  // the command follows the wake-up
}

TEST_F(WakeUpTest, UsbGivesUpAfterFiveAttemptsAndSendsTheCommandAnyway) {
    transport.vendorAnswers = {1, 1, 1, 1, 1, 1, 1};
    ASSERT_EQ(sdk::exchange(link, 0x200A, 0, 0), CAMX_OK);
    EXPECT_EQ(transport.count("vendor 224 out"), 5u);

    transport.events.clear();
    transport.vendorAnswers.clear();
    transport.vendorStatuses = {8, 8, 8, 8, 8, 8};
    ASSERT_EQ(sdk::exchange(link, 0x200A, 0, 0), CAMX_OK);
    EXPECT_EQ(transport.count("vendor 224 out"), 5u);  // failed requests are retried
}

TEST_F(WakeUpTest, UsbStopsAtAnUnexpectedAnswer) {
    transport.vendorAnswers = {2, 0};
    ASSERT_EQ(sdk::exchange(link, 0x200A, 0, 0), CAMX_OK);
    EXPECT_EQ(transport.count("vendor 224 out"), 1u);
}

TEST_F(WakeUpTest, OlderFirmwareAndClosedTransportsAreNotWoken) {
    link.firmwareVersion = 0x3FFFF;
    ASSERT_EQ(sdk::exchange(link, 0x200A, 0, 0), CAMX_OK);
    EXPECT_EQ(transport.count("vendor 224 out"), 0u);
    link.firmwareVersion = 0x40000;
    transport.opened = false;
    sdk::wakeUp(link);
    EXPECT_TRUE(transport.events.size() == 4u);
}

TEST_F(WakeUpTest, SerialSendsTheWakeUpCommandAndKeepsTheCommandsParameters) {
    link.kind = sdk::LinkKind::Serial;
    link.timeoutMs = 500;
    transport.answer(0x10AF, 0, Out().u32(1).bytes);
    transport.answer(0x200B, 0);
    ASSERT_EQ(sdk::setEyeOption(link, 5), CAMX_OK);
    ASSERT_EQ(transport.codes(), (std::vector<std::uint16_t>{0x10AF, 0x200B}));
    EXPECT_EQ(transport.commands[0].length, 12u);
    EXPECT_EQ(transport.commands[1].parameters[0], 5);
    EXPECT_EQ(transport.events,
              (std::vector<std::string>{"discard", "timeout 500", "write 88", "read 88", "discard",
                                        "timeout 500", "write 88", "read 88"}));
}

TEST_F(WakeUpTest, SerialWakeUpFailuresDoNotStopTheCommand) {
    link.kind = sdk::LinkKind::Serial;
    transport.answer(0x200B, 0);
    ASSERT_EQ(sdk::setEyeOption(link, 1), CAMX_OK);  // 0x10AF unanswered: time-out
    EXPECT_EQ(transport.codes(), (std::vector<std::uint16_t>{0x10AF, 0x200B}));

    transport.answer(0x10AF, 0, {});  // too short an answer
    ASSERT_EQ(sdk::setEyeOption(link, 1), CAMX_OK);
    transport.on(0x10AF, [](FakeTransport& t, const FakeTransport::Command&) {
        t.queue(replyBlock(0x200B, 0, Out().u32(0).bytes));  // wrong echo
    });
    // The stray reply is discarded before the real command goes out.
    transport.on(0x200B, [](FakeTransport& t, const FakeTransport::Command&) {
        t.inbox.clear();
        t.queue(replyBlock(0x200B, 0));
    });
    ASSERT_EQ(sdk::setEyeOption(link, 1), CAMX_OK);
}

TEST_F(ExchangeTest, ScopedTimeOutsApplyToTheirCommandsOnly) {
    transport.answer(0x200E, 0, {3});
    {
        sdk::ScopedTimeout timeout(link, 300000);
        ASSERT_EQ(sdk::exchange(link, 0x200E, 0, 1), CAMX_OK);
    }
    ASSERT_EQ(sdk::exchange(link, 0x200E, 0, 1), CAMX_OK);
    EXPECT_EQ(transport.count("timeout 300000"), 1u);
    EXPECT_EQ(transport.count("timeout 0"), 1u);
    EXPECT_EQ(link.timeoutMs, 0u);
}

TEST(ExchangeConcurrency, ExchangesFromSeveralThreadsNeverInterleave) {
    FakeTransport transport;
    sdk::DeviceLink link;
    link.transport = &transport;
    link.firmwareVersion = 0x2001C;
    // The camera answers every command with its own code and the parameter it got.
    for (std::uint16_t code : {0x200E, 0x2011}) {
        transport.on(code, [code](FakeTransport& t, const FakeTransport::Command& c) {
            t.queue(replyBlock(code, 0, Out().u8(c.parameters[0]).u8(0).bytes));
        });
    }
    std::atomic<int> mismatches{0};
    auto worker = [&](std::uint16_t code, std::uint8_t tag) {
        for (int i = 0; i < 300; ++i) {
            std::lock_guard<std::recursive_mutex> operation(link.lock);
            sdk::commandParameters(link).writeU8(tag);
            if (sdk::exchange(link, code, 1, 2) != CAMX_OK) {
                ++mismatches;
                continue;
            }
            std::uint8_t echoed = 0;
            sdk::replyResults(link).readU8(&echoed);
            mismatches += echoed == tag ? 0 : 1;
        }
    };
    std::thread a(worker, 0x200E, 1);
    std::thread b(worker, 0x2011, 2);
    a.join();
    b.join();
    EXPECT_EQ(mismatches.load(), 0);
    EXPECT_EQ(transport.commands.size(), 600u);
}

}  // namespace
