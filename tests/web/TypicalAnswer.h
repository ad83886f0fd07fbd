#pragma once

#include "web/InlineAllocator.h"
#include "web/MetaData.h"
#include "web/ResultDocument.h"

namespace webtest {

// A GET /1.0/info-sized answer: status, session and the service information dictionary, all
// on the stack as a handler builds them.
class TypicalAnswer {
public:
    TypicalAnswer() : info(pool) {
        result.setStatus(lensws::ResultStatus::success);
        result.setSessionId("0f8fad5b-d9cb-469f-a165-70867728950e");
        info.addUint("sessionTimeout", 600);
        info.addUint("lockStealingPreventionPeriod", 30);
        lensws::MetadataItem preview(pool);
        preview.setKey("livePreview");
        lensws::ParameterDescriptor& d = preview.setDescriptor();
        d.setName("livePreview");
        d.setReadOnly(true);
        d.addResource("http://localhost:8081/1.0/stream", "multipart/x-mixed-replace",
                      "livePreview");
        info.addItem(preview);
    }

    vtl_base_type::InlineAllocator<2048> pool;
    lensws::ResultDocument result;
    lensws::MetaData info;
};

}  // namespace webtest
