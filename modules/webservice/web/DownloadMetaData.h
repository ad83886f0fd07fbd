#pragma once

#include "web/MetaData.h"

namespace lensws {

// The metadata of a download, a dictionary named "metadata": "imageFormat" (when an image is
// sent), then "submodality".
class DownloadMetaData : public MetaData {
public:
    explicit DownloadMetaData(vtl_base_type::ByteAllocator& pool);

    // Append the text items "imageFormat" and "submodality".
    void setImageFormat(const char* format);
    void setSubmodality(const char* submodality);
};

}  // namespace lensws
