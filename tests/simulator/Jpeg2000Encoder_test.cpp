// JPEG 2000 from the camera decodes with OpenJPEG to the image it stands for: exactly at
// quality 100, closely at lower qualities; the vendor format carries a codestream inside the
// camera's image record.

#include "simulator/Jpeg2000Encoder.h"

#include <gtest/gtest.h>
#include <openjpeg.h>

#include <cmath>
#include <cstring>
#include <memory>

#include "sdk/CommandCode.h"
#include "sdk/SdkStatus.h"
#include "simulator/ByteReader.h"
#include "simulator/CameraTestKit.h"

namespace ocusim {
namespace {

namespace cmd = sdk::command;
using test::CameraKit;
using test::ImageEntry;
using test::imageParams;

struct Source {
    const std::vector<std::uint8_t>* bytes;
    std::size_t position = 0;
};

OPJ_SIZE_T sourceRead(void* buffer, OPJ_SIZE_T count, void* user) {
    Source& source = *static_cast<Source*>(user);
    const std::size_t left = source.bytes->size() - source.position;
    if (left == 0) {
        return static_cast<OPJ_SIZE_T>(-1);
    }
    const std::size_t n = std::min<std::size_t>(count, left);
    std::memcpy(buffer, source.bytes->data() + source.position, n);
    source.position += n;
    return n;
}

OPJ_OFF_T sourceSkip(OPJ_OFF_T count, void* user) {
    Source& source = *static_cast<Source*>(user);
    source.position = std::min<std::size_t>(source.bytes->size(), source.position + count);
    return count;
}

OPJ_BOOL sourceSeek(OPJ_OFF_T position, void* user) {
    Source& source = *static_cast<Source*>(user);
    if (position < 0 || static_cast<std::size_t>(position) > source.bytes->size()) {
        return OPJ_FALSE;
    }
    source.position = static_cast<std::size_t>(position);
    return OPJ_TRUE;
}

// Decodes a JP2 file or a J2K codestream into a grey image; false when OpenJPEG refuses it.
bool decode(const std::vector<std::uint8_t>& bytes, bool jp2, GreyImage& out) {
    Source source{&bytes};
    std::unique_ptr<opj_stream_t, void (*)(opj_stream_t*)> stream(
        opj_stream_create(1 << 16, OPJ_TRUE), opj_stream_destroy);
    opj_stream_set_user_data(stream.get(), &source, nullptr);
    opj_stream_set_user_data_length(stream.get(), bytes.size());
    opj_stream_set_read_function(stream.get(), sourceRead);
    opj_stream_set_skip_function(stream.get(), sourceSkip);
    opj_stream_set_seek_function(stream.get(), sourceSeek);
    std::unique_ptr<opj_codec_t, void (*)(opj_codec_t*)> codec(
        opj_create_decompress(jp2 ? OPJ_CODEC_JP2 : OPJ_CODEC_J2K), opj_destroy_codec);
    opj_dparameters_t parameters;
    opj_set_default_decoder_parameters(&parameters);
    if (!opj_setup_decoder(codec.get(), &parameters)) {
        return false;
    }
    opj_image_t* raw = nullptr;
    if (!opj_read_header(stream.get(), codec.get(), &raw)) {
        return false;
    }
    std::unique_ptr<opj_image_t, void (*)(opj_image_t*)> image(raw, opj_image_destroy);
    if (!opj_decode(codec.get(), stream.get(), image.get()) ||
        !opj_end_decompress(codec.get(), stream.get()) || image->numcomps != 1) {
        return false;
    }
    const opj_image_comp_t& grey = image->comps[0];
    out = GreyImage(static_cast<int>(grey.w), static_cast<int>(grey.h));
    for (std::size_t i = 0; i < out.pixels.size(); ++i) {
        out.pixels[i] = static_cast<std::uint8_t>(std::clamp(grey.data[i], 0, 255));
    }
    return true;
}

double psnr(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b) {
    double sum = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const double d = static_cast<double>(a[i]) - b[i];
        sum += d * d;
    }
    const double mse = sum / a.size();
    return mse == 0 ? 99.0 : 10 * std::log10(255.0 * 255.0 / mse);
}

ImageEntry only(const CommandOutcome& outcome) {
    std::vector<ImageEntry> entries;
    EXPECT_EQ(outcome.status, CAMX_OK);
    EXPECT_TRUE(test::splitImageEntries(outcome.data, entries));
    EXPECT_EQ(entries.size(), 1u);
    return entries.empty() ? ImageEntry{} : entries[0];
}

TEST(Jpeg2000Encoder, ResultImagesDecodeToTheRawImage) {
    CameraKit kit;
    kit.capture("alice");
    for (std::uint8_t kind : {1, 3, 7}) {
        const ImageEntry raw = only(kit.run(cmd::kResultImage, imageParams(kind, 2)));
        const ImageEntry lossless = only(kit.run(cmd::kResultImage, imageParams(kind, 10, 2, 100)));
        EXPECT_EQ(lossless.format, 10);
        EXPECT_EQ(lossless.first, lossless.bytes.size());
        GreyImage decoded;
        ASSERT_TRUE(decode(lossless.bytes, true, decoded)) << int(kind);
        EXPECT_EQ(decoded.width, static_cast<int>(raw.first));
        EXPECT_EQ(decoded.height, static_cast<int>(raw.second));
        EXPECT_EQ(decoded.pixels, raw.bytes) << "kind " << int(kind) << " at quality 100";

        const ImageEntry lossy = only(kit.run(cmd::kResultImage, imageParams(kind, 10, 2, 80)));
        ASSERT_TRUE(decode(lossy.bytes, true, decoded));
        EXPECT_LT(lossy.bytes.size(), lossless.bytes.size());
        EXPECT_GT(psnr(decoded.pixels, raw.bytes), 32.0) << "kind " << int(kind);
    }
}

TEST(Jpeg2000Encoder, CompressionRatioAndQualityOrderTheSizes) {
    CameraKit kit;
    kit.capture("alice");
    const std::size_t ratio10 =
        only(kit.run(cmd::kResultImage, imageParams(1, 10, 1, 10))).bytes.size();
    const std::size_t ratio40 =
        only(kit.run(cmd::kResultImage, imageParams(1, 10, 1, 40))).bytes.size();
    EXPECT_NEAR(static_cast<double>(ratio10), 640 * 480 / 10.0, 640 * 480 / 10.0 * 0.1);
    EXPECT_LT(ratio40, ratio10 / 3);
    const std::size_t quality90 =
        only(kit.run(cmd::kResultImage, imageParams(1, 10, 2, 90))).bytes.size();
    const std::size_t quality20 =
        only(kit.run(cmd::kResultImage, imageParams(1, 10, 2, 20))).bytes.size();
    EXPECT_LT(quality20, quality90);
}

TEST(Jpeg2000Encoder, VendorFormatHoldsACodestreamInTheImageRecord) {
    CameraKit kit;
    kit.capture("alice");
    const ImageEntry raw = only(kit.run(cmd::kResultImage, imageParams(3, 2)));
    const ImageEntry vendor = only(kit.run(cmd::kResultImage, imageParams(3, 138, 2, 100)));
    EXPECT_EQ(vendor.format, 138);
    ByteReader reader(vendor.bytes.data(), vendor.bytes.size());
    EXPECT_EQ(reader.u8(), 0xFF);
    EXPECT_EQ(reader.u32(), 2u);
    reader.u8();
    reader.u16();
    reader.skip(reader.u32());
    EXPECT_EQ(reader.u16(), 3);   // kind
    EXPECT_EQ(reader.u16(), 10);  // JPEG 2000
    const std::uint32_t size = reader.u32();
    reader.u32();
    reader.skip(32);
    ASSERT_TRUE(reader.ok());
    EXPECT_EQ(size, reader.remaining());
    const std::uint8_t* start = reader.bytes(size);
    const std::vector<std::uint8_t> codestream(start, start + size);
    EXPECT_EQ(codestream[0], 0xFF);  // SOC marker: a bare codestream
    EXPECT_EQ(codestream[1], 0x4F);
    GreyImage decoded;
    ASSERT_TRUE(decode(codestream, false, decoded));
    EXPECT_EQ(decoded.pixels, raw.bytes);
}

TEST(Jpeg2000Encoder, ImpossibleTargetsFailInsteadOfOvershooting) {
    GreyImage image(64, 64, 100);
    std::vector<std::uint8_t> out;
    Compression tiny;
    tiny.kind = Compression::ByteSize;
    tiny.value = 100;
    EXPECT_FALSE(encodeJpeg2000(image, Jpeg2000Container::Jp2, tiny, out));
    EXPECT_TRUE(out.empty());
    EXPECT_FALSE(encodeJpeg2000(GreyImage(), Jpeg2000Container::Jp2, Compression{}, out));
}

}  // namespace
}  // namespace ocusim
