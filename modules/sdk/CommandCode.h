#pragma once

// Command codes of the camera's command protocol (88-byte command and reply blocks).

#include <cstdint>

namespace sdk::command {

constexpr std::uint16_t kProductId = 0x10A0;        // serial lines only
constexpr std::uint16_t kFirmwareVersion = 0x10A1;  // serial lines only
constexpr std::uint16_t kWakeUp = 0x10AF;           // serial lines only
constexpr std::uint16_t kDeviceInfo = 0x1005;
constexpr std::uint16_t kReadCameraConfig = 0x10C0;
constexpr std::uint16_t kWriteCameraConfig = 0x10C1;
constexpr std::uint16_t kInitCamera = 0x2003;
constexpr std::uint16_t kDeinitCamera = 0x2007;
constexpr std::uint16_t kStartCapture = 0x2009;
constexpr std::uint16_t kStopCapture = 0x200A;
constexpr std::uint16_t kEyeOption = 0x200B;
constexpr std::uint16_t kResultImage = 0x200C;
constexpr std::uint16_t kResultImageWithData = 0x200D;
constexpr std::uint16_t kCaptureStatus = 0x200E;
constexpr std::uint16_t kStreamImages = 0x200F;
constexpr std::uint16_t kCameraCommand = 0x2010;
constexpr std::uint16_t kResultQuality = 0x2011;
constexpr std::uint16_t kIsoImage = 0x2014;
constexpr std::uint16_t kIsoImageWithData = 0x2015;
constexpr std::uint16_t kResultTemplate = 0x3005;
constexpr std::uint16_t kTemplateFromData = 0x3006;
constexpr std::uint16_t kMatchTemplateBlock = 0x3007;
constexpr std::uint16_t kIdentify = 0x3017;
constexpr std::uint16_t kAddTemplate = 0x3018;
constexpr std::uint16_t kEnrolleeTemplate = 0x3019;
constexpr std::uint16_t kCompareWithEnrollee = 0x301A;
constexpr std::uint16_t kCompareWithTemplate = 0x301B;
constexpr std::uint16_t kCompareWithTemplateVariant = 0x301F;
constexpr std::uint16_t kEnrolleeRecord = 0x3021;
constexpr std::uint16_t kDeviceState = 0x5001;
constexpr std::uint16_t kLoadGallery = 0x8003;
constexpr std::uint16_t kListEnrollees = 0x8004;
constexpr std::uint16_t kEnroll = 0x8007;
constexpr std::uint16_t kUnenroll = 0x8014;
constexpr std::uint16_t kUnenrollAll = 0x8015;
constexpr std::uint16_t kCommitGallery = 0x8016;
constexpr std::uint16_t kResetAtOpen = 0x9005;
constexpr std::uint16_t kListEnrolleesOther = 0x9008;

}  // namespace sdk::command
