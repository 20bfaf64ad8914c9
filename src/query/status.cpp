#include "query/status.h"

namespace morvek::status {

std::string StatusRequest() {
    return std::string("\xFF\xFF\xFF\xFFstatus ", 11);
}

StatusReply DecodeQuakeWorld(std::string_view) {
    return {};
}
StatusReply DecodeQuakeII(std::string_view) {
    return {};
}

}  // namespace morvek::status
