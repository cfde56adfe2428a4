#pragma once
// The one place where a file failure reaches the operator: the file code returns results, and the user
// interface shows them here, in the fixed wording and with the error icon.

#include "platform/message_box.h"
#include "records/file_result.h"

namespace kelvora {

// Shows the failure's message over owner (nullptr at start-up, before there is a window); a success shows
// nothing. Returns whether the operation succeeded.
inline bool showFileResult(MessageBox& messages, OwnerWindow owner, const FileResult& result) {
    if (!result)
        messages.show(owner, messageText(result), MessageIcon::Error);
    return static_cast<bool>(result);
}

} // namespace kelvora
