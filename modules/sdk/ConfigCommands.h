#pragma once

// Reading (0x10C0) and writing (0x10C1) the camera configuration.
//
// Configuration data, little-endian; 20 bytes before firmware 0x2001C, 46 from it:
//   0 field1 | 1 deduplicateOnEnroll | 2 imposterThreshold (f32) | 6 field4 (f32)
//   10..15 field5..field10 (one byte each) | 16 field11 (u32)
//   20 field12 | 21 field13 | 22 field14 (f32) | 26 field15 (f32) | 30 field16
//   31 field17 | 32 field18 (u16)            -- reported from firmware 0x40000
//   34 three reserved u32, sent as zero        -- read from 34 on firmware 0x40000 and later,
//                                                 from 30 on firmware 0x2001C to 0x3FFFF

#include <cstddef>
#include <cstdint>

#include "sdk/CameraConfig.h"
#include "sdk/DataBuffer.h"
#include "sdk/DeviceLink.h"
#include "sdk/SdkStatus.h"

namespace sdk {

constexpr std::size_t kConfigSizeShort = 20;
constexpr std::size_t kConfigSizeExtended = 46;

// Size of the configuration data the camera's firmware exchanges.
std::size_t cameraConfigSize(std::uint32_t firmwareVersion);

// 15 when a field is out of the range the camera accepts (see CameraConfig); field9 must be 2
// on USB and 6 on a serial line.
CamxStatus validateCameraConfig(const CameraConfig& config, std::uint32_t firmwareVersion,
                                LinkKind kind);

// Writes the firmware's configuration data into `out` (at least kConfigSizeExtended bytes) and
// returns its size.
std::size_t encodeCameraConfig(const CameraConfig& config, std::uint32_t firmwareVersion,
                               std::uint8_t* out);

// 10 when the data is shorter than the firmware's configuration size. Fields the firmware does
// not report keep the values earlier firmware stands for (field17 2, field18 0, the rest 0).
CamxStatus decodeCameraConfig(const std::uint8_t* data, std::size_t size,
                              std::uint32_t firmwareVersion, CameraConfig* config);

CamxStatus readCameraConfig(DeviceLink& link, DataBuffer& buffer, CameraConfig* config);
// Validates first; nothing is sent for an invalid configuration.
CamxStatus writeCameraConfig(DeviceLink& link, const CameraConfig& config);

}  // namespace sdk
