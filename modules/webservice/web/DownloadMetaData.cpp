#include "web/DownloadMetaData.h"

namespace lensws {

DownloadMetaData::DownloadMetaData(vtl_base_type::ByteAllocator& pool)
    : MetaData(pool, "metadata") {}

void DownloadMetaData::setImageFormat(const char* format) {
    addString("imageFormat", format);
}

void DownloadMetaData::setSubmodality(const char* submodality) {
    addString("submodality", submodality);
}

}  // namespace lensws
