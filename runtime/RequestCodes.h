#pragma once

namespace vrt {

// Request codes a caller gives an update form or a picking list, and the answers.
enum Request : int {
    REQUEST_NONE = 0,
    INSERT_RECORD = 1,
    CHANGE_RECORD = 2,
    DELETE_RECORD = 3,
    SELECT_RECORD = 4,
    VIEW_RECORD = 6,
};
enum Response : int { RESPONSE_NONE = 0, REQUEST_COMPLETED = 1, REQUEST_CANCELLED = 2 };

} // namespace vrt
