#include "simulator/GalleryFile.h"

#include <fcntl.h>
#include <unistd.h>
#include <zlib.h>

#include <cerrno>
#include <thread>

#include "simulator/ByteReader.h"
#include "simulator/ByteWriter.h"

namespace ocusim {

namespace {

constexpr char kMagic[4] = {'O', 'C', 'S', 'G'};
constexpr std::uint32_t kVersion = 1;

std::uint32_t crcOf(const std::uint8_t* data, std::size_t size) {
    return static_cast<std::uint32_t>(crc32(0L, data, static_cast<uInt>(size)));
}

bool writeAll(int fd, const std::uint8_t* data, std::size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

std::string directoryOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

std::vector<std::uint8_t> serializeGallery(const std::vector<Enrollee>& enrollees) {
    ByteWriter writer;
    writer.bytes(reinterpret_cast<const std::uint8_t*>(kMagic), 4);
    writer.u32(kVersion);
    writer.u32(static_cast<std::uint32_t>(enrollees.size()));
    for (const Enrollee& enrollee : enrollees) {
        writer.u8(static_cast<std::uint8_t>(enrollee.id.size()));
        writer.bytes(reinterpret_cast<const std::uint8_t*>(enrollee.id.data()), enrollee.id.size());
        writer.u16(static_cast<std::uint16_t>(enrollee.templates.size()));
        for (const EyeTemplate& eyeTemplate : enrollee.templates) {
            const std::vector<std::uint8_t> bytes = encodeTemplate(eyeTemplate);
            writer.u32(static_cast<std::uint32_t>(bytes.size()));
            writer.bytes(bytes);
        }
    }
    writer.u32(crcOf(writer.data().data(), writer.size()));
    return writer.take();
}

bool parseGallery(const std::vector<std::uint8_t>& bytes, std::vector<Enrollee>& enrollees) {
    enrollees.clear();
    if (bytes.size() < 16) {
        return false;
    }
    ByteReader crcReader(bytes.data() + bytes.size() - 4, 4);
    if (crcReader.u32() != crcOf(bytes.data(), bytes.size() - 4)) {
        return false;
    }
    ByteReader reader(bytes.data(), bytes.size() - 4);
    const std::uint8_t* magic = reader.bytes(4);
    if (magic == nullptr || std::string(reinterpret_cast<const char*>(magic), 4) != "OCSG" ||
        reader.u32() != kVersion) {
        return false;
    }
    const std::uint32_t count = reader.u32();
    std::vector<Enrollee> parsed;
    for (std::uint32_t i = 0; i < count && reader.ok(); ++i) {
        Enrollee enrollee;
        const std::uint8_t idLength = reader.u8();
        const std::uint8_t* id = reader.bytes(idLength);
        const std::uint16_t templates = reader.u16();
        if (!reader.ok()) {
            return false;
        }
        enrollee.id.assign(reinterpret_cast<const char*>(id), idLength);
        for (std::uint16_t t = 0; t < templates; ++t) {
            const std::uint32_t size = reader.u32();
            const std::uint8_t* data = reader.bytes(size);
            std::vector<EyeTemplate> decoded;
            if (!reader.ok() || decodeTemplateBlock(data, size, decoded) != TemplateError::None ||
                decoded.size() != 1) {
                return false;
            }
            enrollee.templates.push_back(std::move(decoded.front()));
        }
        parsed.push_back(std::move(enrollee));
    }
    if (!reader.ok() || reader.remaining() != 0) {
        return false;
    }
    enrollees = std::move(parsed);
    return true;
}

bool writeFileAtomically(const std::string& path, const std::vector<std::uint8_t>& bytes,
                         std::chrono::milliseconds pauseBeforeRename) {
    const std::string temporary = path + ".tmp";
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) {
        return false;
    }
    const bool written = writeAll(fd, bytes.data(), bytes.size()) && ::fsync(fd) == 0;
    const bool closed = ::close(fd) == 0;
    if (written && closed && pauseBeforeRename.count() > 0) {
        std::this_thread::sleep_for(pauseBeforeRename);
    }
    if (!written || !closed || ::rename(temporary.c_str(), path.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    const int directory = ::open(directoryOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (directory >= 0) {
        ::fsync(directory);
        ::close(directory);
    }
    return true;
}

bool readWholeFile(const std::string& path, std::vector<std::uint8_t>& bytes, bool& exists) {
    bytes.clear();
    exists = false;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return errno == ENOENT;
    }
    exists = true;
    std::uint8_t buffer[16384];
    for (;;) {
        const ssize_t count = ::read(fd, buffer, sizeof buffer);
        if (count < 0) {
            if (errno == EINTR) {
                continue;
            }
            ::close(fd);
            return false;
        }
        if (count == 0) {
            break;
        }
        bytes.insert(bytes.end(), buffer, buffer + count);
    }
    ::close(fd);
    return true;
}

}  // namespace ocusim
