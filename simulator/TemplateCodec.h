#pragma once

// Iris templates as this camera writes them. One template holds the code of one eye; a template
// block is one or more templates back to back (a binocular capture gives two). Little-endian:
//
//   0  "VTPL"             8  u32 creator version (firmware that made it)
//   4  u8 format version  12 u16 code columns (256)
//   5  u8 eye position    14 u16 code rows (16)
//   6  u8 quality         16 label (label length bytes)
//   7  u8 label length    then 1024 bytes of code bits and 1024 bytes of mask, two bits a cell
//      (0..64)

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "simulator/IrisCode.h"

namespace ocusim {

constexpr std::uint8_t kTemplateFormatVersion = 1;
constexpr std::size_t kMaxTemplateLabel = 64;

struct EyeTemplate {
    std::uint8_t eyePosition = 0;  // 0 unknown, 1 right, 2 left
    std::uint8_t quality = 0;
    std::uint32_t creatorVersion = 0;
    std::string label;  // at most kMaxTemplateLabel bytes
    IrisCode code;
};

std::vector<std::uint8_t> encodeTemplate(const EyeTemplate& eyeTemplate);
void appendTemplate(const EyeTemplate& eyeTemplate, std::vector<std::uint8_t>& block);

enum class TemplateError { None, Corrupted, UnknownVersion };

// Decodes a block of one or more templates. Any bad header, size or trailing byte fails the
// whole block; `templates` then holds nothing.
TemplateError decodeTemplateBlock(const std::uint8_t* data, std::size_t size,
                                  std::vector<EyeTemplate>& templates);

}  // namespace ocusim
