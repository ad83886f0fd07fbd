#include "web/ResultDocument.h"

#include <cstring>

#include "web/JsonWriter.h"

namespace lensws {

namespace {

bool isEmpty(const char* text) {
    return text == nullptr || text[0] == '\0';
}

void writeList(JsonWriter& writer, const char* name, const TextList* list) {
    writer.key(name);
    writer.startArray();
    if (list != nullptr) {
        for (const TextList::Entry& entry : *list) {
            writer.string(entry.text, entry.length);
        }
    }
    writer.endArray();
}

void writeListIfAny(JsonWriter& writer, const char* name, const TextList& list) {
    if (!list.empty()) {
        writeList(writer, name, &list);
    }
}

}  // namespace

ResultDocument::ResultDocument()
    : badFields_(allocator_),
      captureIds_(allocator_),
      devices_(allocator_),
      streamUrls_(allocator_) {}

const char* ResultDocument::copy(const char* text) {
    if (text == nullptr) {
        return nullptr;
    }
    const std::size_t length = std::strlen(text);
    char* copied = static_cast<char*>(allocator_.allocate(length + 1));
    std::memcpy(copied, text, length + 1);
    return copied;
}

void ResultDocument::setStatus(ResultStatus status, const char* message) {
    status_ = status;
    statusName_ = resultStatusName(status);
    if (status == ResultStatus::success) {
        message_ = nullptr;
    } else if (!isEmpty(message)) {
        message_ = copy(message);
    } else {
        message_ = resultStatusMessage(status);
    }
}

void ResultDocument::setSessionId(const char* sessionId) {
    sessionId_ = copy(sessionId);
}

void ResultDocument::setToken(const char* token) {
    token_ = copy(token);
}

void ResultDocument::setMatched(bool matched) {
    matchedSet_ = true;
    matched_ = matched;
}

void ResultDocument::setTokenAuthentication(bool on) {
    tokenAuthenticationSet_ = true;
    tokenAuthentication_ = on;
}

void ResultDocument::addBadField(const char* name) {
    if (!isEmpty(name)) {
        badFields_.add(name);
    }
}

void ResultDocument::addCaptureId(const char* captureId) {
    if (!isEmpty(captureId)) {
        captureIds_.add(captureId);
    }
}

void ResultDocument::addDevice(const char* device) {
    if (!isEmpty(device)) {
        devices_.add(device);
    }
}

void ResultDocument::addStreamUrl(const char* url) {
    if (!isEmpty(url)) {
        streamUrls_.add(url);
    }
}

void ResultDocument::clearCaptureIds() {
    captureIds_.clear();
}

void ResultDocument::setNamedList(const char* name, const TextList* list) {
    listName_ = copy(name);
    namedList_ = list;
}

void ResultDocument::setUserIds(const TextList* userIds) {
    userIds_ = userIds;
}

void ResultDocument::setSensorData(const char* text, std::size_t length) {
    sensorData_ = text;
    sensorDataLength_ = length;
}

void ResultDocument::setTemplate(const char* text, std::size_t length) {
    template_ = text;
    templateLength_ = length;
}

void ResultDocument::setUserInfo(const JsonWritable* userInfo) {
    userInfo_ = userInfo;
}

void ResultDocument::setUserInfos(const JsonWritable* const* userInfos, std::size_t count) {
    userInfos_ = userInfos;
    userInfoCount_ = userInfos != nullptr ? count : 0;
}

void ResultDocument::setQuality(const JsonWritable* quality) {
    quality_ = quality;
}

void ResultDocument::setCameraModality(const char* modality) {
    cameraModality_ = modality;
}

void ResultDocument::setStreamDatas(const TextList* streamDatas) {
    streamDatas_ = streamDatas;
}

void ResultDocument::writeMembers(JsonWriter& writer) const {
    writer.key("status");
    writer.string(statusName_);
    writer.textMember("message", message_);
    writer.textMember("sessionId", sessionId_);
    if (matchedSet_) {
        writer.boolMember("matched", matched_);
    }
    writer.textMember("token", token_);
    if (tokenAuthenticationSet_) {
        writer.boolMember("tokenAuthentication", tokenAuthentication_);
    }
    writeListIfAny(writer, "badFields", badFields_);
    writeListIfAny(writer, "captureIds", captureIds_);
    if (listName_ != nullptr) {
        writeList(writer, listName_, namedList_);
    }
    if (userIds_ != nullptr) {
        writeList(writer, "userIds", userIds_);
    }
    if (sensorData_ != nullptr) {
        writer.key("sensorData");
        writer.string(sensorData_, sensorDataLength_);
    }
    if (template_ != nullptr) {
        writer.key("template");
        writer.string(template_, templateLength_);
    }
    if (userInfo_ != nullptr) {
        writer.key("userInfo");
        userInfo_->writeJson(writer);
    }
    if (userInfoCount_ != 0) {
        writer.key("userInfos");
        writer.startArray();
        for (std::size_t i = 0; i < userInfoCount_; ++i) {
            if (userInfos_[i] != nullptr) {
                userInfos_[i]->writeJson(writer);
            }
        }
        writer.endArray();
    }
    if (quality_ != nullptr) {
        writer.key("quality");
        quality_->writeJson(writer);
    }
    writer.textMember("cameraModality", cameraModality_);
    writeListIfAny(writer, "devices", devices_);
    writeListIfAny(writer, "streamUrls", streamUrls_);
    if (streamDatas_ != nullptr) {
        writeList(writer, "streamDatas", streamDatas_);
    }
}

}  // namespace lensws
